#include "platform/input/FakeInputSource.h"

#include <chrono>
#include <utility>

namespace platform::input {
namespace {

class FakeGrab : public KeyboardGrab::Holder {
 public:
  explicit FakeGrab(std::shared_ptr<std::atomic<int>> grabs) : grabs_(std::move(grabs)) {
    ++*grabs_;
  }
  ~FakeGrab() override { --*grabs_; }

 private:
  std::shared_ptr<std::atomic<int>> grabs_;
};

}  // namespace

FakeInputSource::FakeInputSource() : grabs_(std::make_shared<std::atomic<int>>(0)) {}

bool FakeInputSource::Start(InputCallback callback) {
  std::lock_guard lock(mutex_);
  callback_ = nullptr;
  if (std::exchange(failNextStart_, false)) return false;
  callback_ = std::move(callback);
  return true;
}

void FakeInputSource::Stop() {
  std::lock_guard lock(mutex_);
  callback_ = nullptr;
}

KeyboardGrab FakeInputSource::GrabKeyboard() {
  if (!grabFailure_.empty()) return KeyboardGrab::Failed(grabFailure_);
  return KeyboardGrab::Held(std::make_unique<FakeGrab>(grabs_));
}

bool FakeInputSource::Emit(const InputEvent& event) {
  std::lock_guard lock(mutex_);
  if (!callback_) return false;
  InputEvent stamped = event;
  stamped.source = SourceKind::kFake;
  // A copy runs: Stop inside the callback clears callback_.
  const InputCallback callback = callback_;
  callback(stamped);
  return true;
}

bool FakeInputSource::EmitKey(int linuxCode, InputAction action, bool numLock) {
  InputEvent event;
  event.device = DeviceKind::kKeyboard;
  event.code = linuxCode;
  event.action = action;
  event.numLock = numLock;
  event.time = std::chrono::steady_clock::now();
  return Emit(event);
}

bool FakeInputSource::EmitButton(int linuxCode, InputAction action) {
  InputEvent event;
  event.device = DeviceKind::kMouse;
  event.code = linuxCode;
  event.action = action;
  event.time = std::chrono::steady_clock::now();
  return Emit(event);
}

bool FakeInputSource::IsStarted() const {
  std::lock_guard lock(mutex_);
  return static_cast<bool>(callback_);
}

}  // namespace platform::input
