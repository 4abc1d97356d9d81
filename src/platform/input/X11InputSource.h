#pragma once
// Every key and mouse button of an X display, whichever window has the focus: XInput 2 raw
// events on the root window, read on a connection and a thread of the source's own. Raw events
// keep coming while any client grabs the keyboard, this source's own grab included.
//
// Time stamps are taken when an event is read (the server's clock is not ours to compare).

#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/input/InputSource.h"
#include "platform/input/StopSignal.h"

namespace platform::input {

class X11InputSource : public InputSource {
 public:
  // `displayName` empty: $DISPLAY.
  explicit X11InputSource(std::string displayName = {});
  ~X11InputSource() override;

  // Whether the display opens and offers raw events during grabs (XInput 2.1 or later).
  static bool IsAvailable(const std::string& displayName = {}, std::string* failure = nullptr);

  SourceKind Kind() const override { return SourceKind::kX11; }
  bool Start(InputCallback callback) override;
  void Stop() override;
  // XGrabKeyboard on a connection and a thread of the grab's own, which take the keys the grab
  // receives. Works whether or not the source runs.
  KeyboardGrab GrabKeyboard() override;

  // Why the last Start failed; empty after a successful one.
  const std::string& StartFailure() const { return startFailure_; }

 private:
  void Run(InputCallback& callback, std::promise<std::string>& started);

  std::string displayName_;
  std::string startFailure_;
  StopSignal stop_;
  std::thread thread_;
};

}  // namespace platform::input
