#include "platform/input/NativeCodes.h"

#include <linux/input-event-codes.h>

namespace platform::input {

namespace {
constexpr int kNativeKeycodeOffset = 8;
constexpr int kLastNativeKeycode = 255;  // key codes travel in one byte in the X protocol
}  // namespace

int LinuxKeyOfNativeKeycode(int nativeKeycode) {
  if (nativeKeycode <= kNativeKeycodeOffset || nativeKeycode > kLastNativeKeycode) return 0;
  return nativeKeycode - kNativeKeycodeOffset;
}

int LinuxButtonOfNativeButton(int nativeButton) {
  switch (nativeButton) {
    case 1:
      return BTN_LEFT;
    case 2:
      return BTN_MIDDLE;
    case 3:
      return BTN_RIGHT;
    case 8:
      return BTN_SIDE;
    case 9:
      return BTN_EXTRA;
    case 10:
      return BTN_FORWARD;
    case 11:
      return BTN_BACK;
    default:
      return 0;
  }
}

bool IsKeypadKey(int linuxCode) {
  switch (linuxCode) {
    case KEY_KP0:
    case KEY_KP1:
    case KEY_KP2:
    case KEY_KP3:
    case KEY_KP4:
    case KEY_KP5:
    case KEY_KP6:
    case KEY_KP7:
    case KEY_KP8:
    case KEY_KP9:
    case KEY_KPDOT:
      return true;
    default:
      return false;
  }
}

}  // namespace platform::input
