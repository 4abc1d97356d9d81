#pragma once
// A source the program drives itself: tests of the key test and of macro recording, and runs
// without a desktop. Emit hands an event to the callback at once, on the calling thread (which
// plays the source's thread), and only while the source is started.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/input/InputSource.h"

namespace platform::input {

class FakeInputSource : public InputSource {
 public:
  FakeInputSource();

  SourceKind Kind() const override { return SourceKind::kFake; }
  bool Start(InputCallback callback) override;
  void Stop() override;
  KeyboardGrab GrabKeyboard() override;

  // False (nothing delivered) while stopped.
  bool Emit(const InputEvent& event);
  // Shorthands: a key or button pressed, released or repeated now.
  bool EmitKey(int linuxCode, InputAction action, bool numLock = true);
  bool EmitButton(int linuxCode, InputAction action);

  // Makes the next Start fail.
  void FailNextStart() { failNextStart_ = true; }
  // Grabs fail with this text from now on; empty lets them succeed again.
  void SetGrabFailure(std::string failure) { grabFailure_ = std::move(failure); }
  bool IsStarted() const;
  // Whether a grab of this source is held now.
  bool IsKeyboardGrabbed() const { return *grabs_ > 0; }

 private:
  // Held while the callback runs, so Stop from another thread waits for it; recursive because
  // a listener may stop the source from inside the callback, as it may with a real source.
  mutable std::recursive_mutex mutex_;
  InputCallback callback_;
  bool failNextStart_ = false;
  std::string grabFailure_;
  std::shared_ptr<std::atomic<int>> grabs_;
};

}  // namespace platform::input
