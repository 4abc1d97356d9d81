#include "keys/KeyCapture.h"

#include "base/Log.h"
#include "keys/LinuxKeyCodes.h"

namespace keys {

namespace {

KeyTransition TransitionOf(platform::input::InputAction action) {
  return action == platform::input::InputAction::kRelease ? KeyTransition::kUp
                                                          : KeyTransition::kDown;
}

}  // namespace

bool KeyCapture::Begin(Handler handler, Options options) {
  End();
  handler_ = std::move(handler);
  options_ = options;
  pressed_.Clear();
  subscription_ = router_.Subscribe([this](const platform::input::InputEvent& e) { OnInput(e); });
  if (!subscription_.Active()) return false;
  if (options_.grab) {
    grab_ = router_.GrabKeyboard();
    if (!grab_.IsHeld())
      base::DebugLog("capture: keys also reach other programs: %s", grab_.Failure().c_str());
  }
  return true;
}

void KeyCapture::End() {
  subscription_.Cancel();
  grab_.Release();
  handler_ = nullptr;
}

void KeyCapture::OnInput(const platform::input::InputEvent& event) {
  if (!handler_) return;
  const KeyTransition transition = TransitionOf(event.action);
  std::optional<KeyEvent> named;
  if (event.device == platform::input::DeviceKind::kKeyboard) {
    if (const auto record = KeyRecordOfLinuxKey(event.code, transition, event.numLock)) {
      named = NameHookKeyEvent(*record, pressed_);
    }
  } else if (options_.buttons && event.action != platform::input::InputAction::kRepeat) {
    if (const auto record = ButtonRecordOfLinuxButton(event.code, transition)) {
      named = NameHookMouseEvent(*record);
    }
  }
  if (!named) return;
  // The handler may end the capture: it runs from a copy.
  const Handler handler = handler_;
  handler(*named, event.time);
}

}  // namespace keys
