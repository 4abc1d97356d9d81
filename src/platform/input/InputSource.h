#pragma once
// Keys and mouse buttons observed outside the toolkit's own event flow: for the key test and
// for macro recording. Every source reports the same neutral event with the Linux input code
// (KEY_* / BTN_* of <linux/input-event-codes.h>); keys::KeyRecordOfLinuxKey and
// keys::ButtonRecordOfLinuxButton turn it into the records the naming functions take.
//
//   std::unique_ptr<InputSource> source = ...;          // see SourceChoice.h
//   source->Start([&](const InputEvent& e) { ui.Post(...); });   // runs on the source's thread
//   KeyboardGrab grab = source->GrabKeyboard();         // keys stop reaching other programs
//   if (!grab.IsHeld()) base::DebugLog("%s", grab.Failure().c_str());
//   ...
//   grab.Release(); source->Stop();                     // or let both go out of scope

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace platform::input {

enum class SourceKind {
  kX11,     // every key and button of the X display, whichever window has the focus
  kEvdev,   // every readable keyboard and mouse device of the machine
  kWindow,  // only the application window's own keys and clicks
  kFake,    // driven by the program itself (tests, runs without a desktop)
};

// "x11", "evdev", "window", "fake".
const char* SourceKindName(SourceKind kind);

enum class DeviceKind { kKeyboard, kMouse };

enum class InputAction { kPress, kRelease, kRepeat };

struct InputEvent {
  SourceKind source = SourceKind::kFake;
  DeviceKind device = DeviceKind::kKeyboard;
  int code = 0;  // KEY_* for keys, BTN_* for mouse buttons
  InputAction action = InputAction::kPress;
  // Keys of the numeric keypad: whether NumLock was on, so that they typed digits rather than
  // moved the cursor. Only meaningful for keypad keys.
  bool numLock = false;
  std::chrono::steady_clock::time_point time;  // monotonic; differences are what count
};

using InputCallback = std::function<void(const InputEvent&)>;

// Holds the keyboard away from every other program while it lives; the mouse is never taken.
// Empty (IsHeld false) when the source cannot grab or the grab failed: Failure says why. The
// grab ends with the object (or Release), and with the process at the latest: the X server and
// the kernel drop a grab when its connection or file closes.
class KeyboardGrab {
 public:
  // What actually holds a grab; releasing happens in its destructor.
  class Holder {
   public:
    virtual ~Holder() = default;
  };

  KeyboardGrab() = default;
  static KeyboardGrab Failed(std::string failure);
  static KeyboardGrab Held(std::unique_ptr<Holder> holder);

  KeyboardGrab(KeyboardGrab&&) noexcept = default;
  KeyboardGrab& operator=(KeyboardGrab&&) noexcept = default;
  KeyboardGrab(const KeyboardGrab&) = delete;
  KeyboardGrab& operator=(const KeyboardGrab&) = delete;
  ~KeyboardGrab() = default;

  bool IsHeld() const { return holder_ != nullptr; }
  // Why the keyboard is not held; empty while it is, and for a default-constructed object.
  const std::string& Failure() const { return failure_; }
  void Release() { holder_.reset(); }

 private:
  std::unique_ptr<Holder> holder_;
  std::string failure_;
};

class InputSource {
 public:
  virtual ~InputSource() = default;
  InputSource() = default;
  InputSource(const InputSource&) = delete;
  InputSource& operator=(const InputSource&) = delete;

  virtual SourceKind Kind() const = 0;

  // Starts observing; `callback` runs on the source's own thread, one event at a time, in the
  // order the events happened. False (with nothing started) when the source cannot observe, for
  // example when the display went away. A running source is stopped first.
  virtual bool Start(InputCallback callback) = 0;

  // Stops observing. When it returns, no callback runs any more and the thread has ended; a
  // callback must therefore not call Stop itself. Destructors of sources stop them.
  virtual void Stop() = 0;

  // Takes the keyboard from every other program while the returned object lives; the source
  // keeps reporting the keys. The X11 grab does not need the source to run; the evdev grab
  // holds only while it runs; the window source cannot grab.
  virtual KeyboardGrab GrabKeyboard() = 0;
};

}  // namespace platform::input
