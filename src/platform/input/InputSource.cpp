#include "platform/input/InputSource.h"

namespace platform::input {

const char* SourceKindName(SourceKind kind) {
  switch (kind) {
    case SourceKind::kX11:
      return "x11";
    case SourceKind::kEvdev:
      return "evdev";
    case SourceKind::kWindow:
      return "window";
    case SourceKind::kFake:
      break;
  }
  return "fake";
}

KeyboardGrab KeyboardGrab::Failed(std::string failure) {
  KeyboardGrab grab;
  grab.failure_ = std::move(failure);
  return grab;
}

KeyboardGrab KeyboardGrab::Held(std::unique_ptr<Holder> holder) {
  KeyboardGrab grab;
  grab.holder_ = std::move(holder);
  return grab;
}

}  // namespace platform::input
