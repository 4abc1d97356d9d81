#pragma once
// Capturing keys as the user presses them: the key of a combination on the key page, and the
// events of a macro recording. While a capture runs every key (and, when asked, every mouse
// button) is named as the hooks name it and handed to the handler on the UI thread; the
// keyboard is taken from other programs where the input source can do that, so the keys typed
// for the capture do nothing else.
//
// A capture keeps its own set of held keys, emptied when it begins: what the key test (or an
// earlier capture) saw held does not turn the capture's first press into a repeat.

#include <chrono>
#include <functional>
#include <string>

#include "keys/InputEvents.h"
#include "keys/InputRouter.h"

namespace keys {

class KeyCapture {
 public:
  struct Options {
    bool buttons = false;  // mouse buttons too (macro recording)
    bool grab = true;      // keys do not reach other programs while the capture runs
  };
  // Key events from NameHookKeyEvent (repeats of a held key have kind kIgnored) and button
  // events from NameHookMouseEvent, with the moment the source saw them (a recording's delays).
  using Handler = std::function<void(const KeyEvent& event, std::chrono::steady_clock::time_point)>;

  explicit KeyCapture(InputRouter& router) : router_(router) {}
  KeyCapture(const KeyCapture&) = delete;
  KeyCapture& operator=(const KeyCapture&) = delete;

  // UI thread. Begins capturing (a capture under way ends first). False when no input source
  // runs; the grab failing is not a failure (the keys then also reach the focused window).
  bool Begin(Handler handler, Options options);
  bool Begin(Handler handler) { return Begin(std::move(handler), Options{}); }
  void End();
  bool Active() const { return subscription_.Active(); }
  // Whether other programs are kept from the keyboard now.
  bool HoldsKeyboard() const { return grab_.IsHeld(); }
  // Why other programs still receive the keys while a capture runs; empty while it holds them.
  const std::string& GrabFailure() const { return grab_.Failure(); }

  // One event of the source, as Begin's subscription delivers it (tests drive this directly).
  void OnInput(const platform::input::InputEvent& event);

 private:
  InputRouter& router_;
  Handler handler_;
  Options options_;
  PressedKeySet pressed_;
  platform::input::KeyboardGrab grab_;
  InputRouter::Subscription subscription_;
};

}  // namespace keys
