#pragma once
// Only the application window's own keys and clicks: the toolkit backend pushes what its main
// window receives into a WindowInputFeed (on the UI thread), and a WindowInputSource started on
// the feed delivers it on a thread of its own like every other source. On Wayland, without
// readable evdev nodes, this is all a program may see.
//
// Wiring, once in the composition root:
//   auto feed = std::make_shared<platform::input::WindowInputFeed>();
//   Tessel::SetRawInputObserver([feed](const Tessel::RawInputEvent& e) {
//     if (e.device == Tessel::RawInputEvent::Device::kKey)
//       feed->PushKey(e.nativeCode, e.pressed, e.autoRepeat, e.numLock);
//     else
//       feed->PushButton(e.nativeCode, e.pressed);
//   });

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/input/InputSource.h"

namespace platform::input {

class WindowInputSource;

class WindowInputFeed {
 public:
  // `nativeKeycode`: the window system's key code (X11 and Wayland: the Linux code + 8).
  // Auto-repeated releases are dropped and auto-repeated presses become repeats.
  void PushKey(int nativeKeycode, bool pressed, bool autoRepeat, bool numLock);
  // `nativeButton`: 1 left, 2 middle, 3 right, 8 back, 9 forward.
  void PushButton(int nativeButton, bool pressed);

 private:
  friend class WindowInputSource;
  void Attach(WindowInputSource* source);
  void Detach(WindowInputSource* source);
  void Deliver(const InputEvent& event);

  std::mutex mutex_;
  WindowInputSource* source_ = nullptr;  // guarded by mutex_
};

class WindowInputSource : public InputSource {
 public:
  explicit WindowInputSource(std::shared_ptr<WindowInputFeed> feed);
  ~WindowInputSource() override;

  SourceKind Kind() const override { return SourceKind::kWindow; }
  // Takes the feed over from any other window source started on it.
  bool Start(InputCallback callback) override;
  void Stop() override;
  // Always fails: other programs' keys are out of this source's reach.
  KeyboardGrab GrabKeyboard() override;

 private:
  friend class WindowInputFeed;
  void Enqueue(const InputEvent& event);
  void Run(const InputCallback& callback);

  std::shared_ptr<WindowInputFeed> feed_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<InputEvent> queue_;  // guarded by mutex_
  bool stopping_ = false;         // guarded by mutex_
  std::thread thread_;
};

}  // namespace platform::input
