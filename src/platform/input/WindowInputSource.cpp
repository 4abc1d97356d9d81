#include "platform/input/WindowInputSource.h"

#include <chrono>

#include "platform/input/NativeCodes.h"

namespace platform::input {

void WindowInputFeed::PushKey(int nativeKeycode, bool pressed, bool autoRepeat, bool numLock) {
  if (autoRepeat && !pressed) return;
  InputEvent event;
  event.device = DeviceKind::kKeyboard;
  event.code = LinuxKeyOfNativeKeycode(nativeKeycode);
  if (event.code == 0) return;
  event.action =
      !pressed ? InputAction::kRelease : (autoRepeat ? InputAction::kRepeat : InputAction::kPress);
  event.numLock = numLock;
  Deliver(event);
}

void WindowInputFeed::PushButton(int nativeButton, bool pressed) {
  InputEvent event;
  event.device = DeviceKind::kMouse;
  event.code = LinuxButtonOfNativeButton(nativeButton);
  if (event.code == 0) return;
  event.action = pressed ? InputAction::kPress : InputAction::kRelease;
  Deliver(event);
}

void WindowInputFeed::Deliver(const InputEvent& event) {
  InputEvent stamped = event;
  stamped.source = SourceKind::kWindow;
  stamped.time = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  if (source_ != nullptr) source_->Enqueue(stamped);
}

void WindowInputFeed::Attach(WindowInputSource* source) {
  std::lock_guard lock(mutex_);
  source_ = source;
}

void WindowInputFeed::Detach(WindowInputSource* source) {
  std::lock_guard lock(mutex_);
  if (source_ == source) source_ = nullptr;
}

WindowInputSource::WindowInputSource(std::shared_ptr<WindowInputFeed> feed)
    : feed_(std::move(feed)) {}

WindowInputSource::~WindowInputSource() {
  Stop();
}

bool WindowInputSource::Start(InputCallback callback) {
  Stop();
  if (!feed_) return false;
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    queue_.clear();
  }
  thread_ = std::thread([this, callback = std::move(callback)] { Run(callback); });
  feed_->Attach(this);
  return true;
}

void WindowInputSource::Stop() {
  if (!thread_.joinable()) return;
  // Once detached, the feed no longer calls in.
  feed_->Detach(this);
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

KeyboardGrab WindowInputSource::GrabKeyboard() {
  return KeyboardGrab::Failed(
      "keyboard not grabbed: only the application window's keys can be observed");
}

void WindowInputSource::Enqueue(const InputEvent& event) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(event);
  }
  wake_.notify_one();
}

void WindowInputSource::Run(const InputCallback& callback) {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const InputEvent event = queue_.front();
    queue_.pop_front();
    lock.unlock();
    callback(event);
    lock.lock();
  }
}

}  // namespace platform::input
