#include "keys/LinuxKeyCodes.h"

#include <linux/input-event-codes.h>

namespace keys {
namespace {

struct KeyRow {
  int linuxCode;
  int virtualKey;
  int scanCode;
  bool extended;
};

constexpr bool kExt = true;

// Every key of a full-size PC keyboard and the media and browser keys that have virtual keys.
constexpr KeyRow kKeys[] = {
    // clang-format off
    {KEY_ESC, 0x1B, 0x01, false},
    {KEY_1, '1', 0x02, false}, {KEY_2, '2', 0x03, false}, {KEY_3, '3', 0x04, false},
    {KEY_4, '4', 0x05, false}, {KEY_5, '5', 0x06, false}, {KEY_6, '6', 0x07, false},
    {KEY_7, '7', 0x08, false}, {KEY_8, '8', 0x09, false}, {KEY_9, '9', 0x0A, false},
    {KEY_0, '0', 0x0B, false}, {KEY_MINUS, 0xBD, 0x0C, false}, {KEY_EQUAL, 0xBB, 0x0D, false},
    {KEY_BACKSPACE, 0x08, 0x0E, false}, {KEY_TAB, 0x09, 0x0F, false},
    {KEY_Q, 'Q', 0x10, false}, {KEY_W, 'W', 0x11, false}, {KEY_E, 'E', 0x12, false},
    {KEY_R, 'R', 0x13, false}, {KEY_T, 'T', 0x14, false}, {KEY_Y, 'Y', 0x15, false},
    {KEY_U, 'U', 0x16, false}, {KEY_I, 'I', 0x17, false}, {KEY_O, 'O', 0x18, false},
    {KEY_P, 'P', 0x19, false}, {KEY_LEFTBRACE, 0xDB, 0x1A, false},
    {KEY_RIGHTBRACE, 0xDD, 0x1B, false}, {KEY_ENTER, 0x0D, 0x1C, false},
    {KEY_LEFTCTRL, 0xA2, 0x1D, false},
    {KEY_A, 'A', 0x1E, false}, {KEY_S, 'S', 0x1F, false}, {KEY_D, 'D', 0x20, false},
    {KEY_F, 'F', 0x21, false}, {KEY_G, 'G', 0x22, false}, {KEY_H, 'H', 0x23, false},
    {KEY_J, 'J', 0x24, false}, {KEY_K, 'K', 0x25, false}, {KEY_L, 'L', 0x26, false},
    {KEY_SEMICOLON, 0xBA, 0x27, false}, {KEY_APOSTROPHE, 0xDE, 0x28, false},
    {KEY_GRAVE, 0xC0, 0x29, false}, {KEY_LEFTSHIFT, 0xA0, 0x2A, false},
    {KEY_BACKSLASH, 0xDC, 0x2B, false},
    {KEY_Z, 'Z', 0x2C, false}, {KEY_X, 'X', 0x2D, false}, {KEY_C, 'C', 0x2E, false},
    {KEY_V, 'V', 0x2F, false}, {KEY_B, 'B', 0x30, false}, {KEY_N, 'N', 0x31, false},
    {KEY_M, 'M', 0x32, false}, {KEY_COMMA, 0xBC, 0x33, false}, {KEY_DOT, 0xBE, 0x34, false},
    {KEY_SLASH, 0xBF, 0x35, false}, {KEY_RIGHTSHIFT, 0xA1, 0x36, false},
    {KEY_KPASTERISK, 0x6A, 0x37, false}, {KEY_LEFTALT, 0xA4, 0x38, false},
    {KEY_SPACE, 0x20, 0x39, false}, {KEY_CAPSLOCK, 0x14, 0x3A, false},
    {KEY_F1, 0x70, 0x3B, false}, {KEY_F2, 0x71, 0x3C, false}, {KEY_F3, 0x72, 0x3D, false},
    {KEY_F4, 0x73, 0x3E, false}, {KEY_F5, 0x74, 0x3F, false}, {KEY_F6, 0x75, 0x40, false},
    {KEY_F7, 0x76, 0x41, false}, {KEY_F8, 0x77, 0x42, false}, {KEY_F9, 0x78, 0x43, false},
    {KEY_F10, 0x79, 0x44, false}, {KEY_F11, 0x7A, 0x57, false}, {KEY_F12, 0x7B, 0x58, false},
    // NumLock shares its scan code with Pause and is told apart by the extended flag.
    {KEY_NUMLOCK, 0x90, 0x45, kExt}, {KEY_SCROLLLOCK, 0x91, 0x46, false},
    {KEY_KP7, 0x67, 0x47, false}, {KEY_KP8, 0x68, 0x48, false}, {KEY_KP9, 0x69, 0x49, false},
    {KEY_KPMINUS, 0x6D, 0x4A, false},
    {KEY_KP4, 0x64, 0x4B, false}, {KEY_KP5, 0x65, 0x4C, false}, {KEY_KP6, 0x66, 0x4D, false},
    {KEY_KPPLUS, 0x6B, 0x4E, false},
    {KEY_KP1, 0x61, 0x4F, false}, {KEY_KP2, 0x62, 0x50, false}, {KEY_KP3, 0x63, 0x51, false},
    {KEY_KP0, 0x60, 0x52, false}, {KEY_KPDOT, 0x6E, 0x53, false},
    {KEY_102ND, 0xE2, 0x56, false},
    {KEY_F13, 0x7C, 0x64, false}, {KEY_F14, 0x7D, 0x65, false}, {KEY_F15, 0x7E, 0x66, false},
    {KEY_F16, 0x7F, 0x67, false}, {KEY_F17, 0x80, 0x68, false}, {KEY_F18, 0x81, 0x69, false},
    {KEY_F19, 0x82, 0x6A, false}, {KEY_F20, 0x83, 0x6B, false}, {KEY_F21, 0x84, 0x6C, false},
    {KEY_F22, 0x85, 0x6D, false}, {KEY_F23, 0x86, 0x6E, false}, {KEY_F24, 0x87, 0x76, false},
    {KEY_KPENTER, 0x0D, 0x1C, kExt}, {KEY_RIGHTCTRL, 0xA3, 0x1D, kExt},
    {KEY_KPSLASH, 0x6F, 0x35, kExt}, {KEY_SYSRQ, 0x2C, 0x37, kExt},
    {KEY_RIGHTALT, 0xA5, 0x38, kExt}, {KEY_PAUSE, 0x13, 0x45, false},
    {KEY_HOME, 0x24, 0x47, kExt}, {KEY_UP, 0x26, 0x48, kExt}, {KEY_PAGEUP, 0x21, 0x49, kExt},
    {KEY_LEFT, 0x25, 0x4B, kExt}, {KEY_RIGHT, 0x27, 0x4D, kExt}, {KEY_END, 0x23, 0x4F, kExt},
    {KEY_DOWN, 0x28, 0x50, kExt}, {KEY_PAGEDOWN, 0x22, 0x51, kExt},
    {KEY_INSERT, 0x2D, 0x52, kExt}, {KEY_DELETE, 0x2E, 0x53, kExt},
    {KEY_LEFTMETA, 0x5B, 0x5B, kExt}, {KEY_RIGHTMETA, 0x5C, 0x5C, kExt},
    {KEY_COMPOSE, 0x5D, 0x5D, kExt}, {KEY_SLEEP, 0x5F, 0x5F, kExt},
    // media and browser keys
    {KEY_MUTE, 0xAD, 0x20, kExt}, {KEY_VOLUMEDOWN, 0xAE, 0x2E, kExt},
    {KEY_VOLUMEUP, 0xAF, 0x30, kExt}, {KEY_NEXTSONG, 0xB0, 0x19, kExt},
    {KEY_PREVIOUSSONG, 0xB1, 0x10, kExt}, {KEY_STOPCD, 0xB2, 0x24, kExt},
    {KEY_PLAYPAUSE, 0xB3, 0x22, kExt}, {KEY_MAIL, 0xB4, 0x6C, kExt},
    {KEY_MEDIA, 0xB5, 0x6D, kExt}, {KEY_COMPUTER, 0xB6, 0x6B, kExt},
    {KEY_CALC, 0xB7, 0x21, kExt}, {KEY_BACK, 0xA6, 0x6A, kExt}, {KEY_FORWARD, 0xA7, 0x69, kExt},
    {KEY_REFRESH, 0xA8, 0x67, kExt}, {KEY_STOP, 0xA9, 0x68, kExt},
    {KEY_SEARCH, 0xAA, 0x65, kExt}, {KEY_BOOKMARKS, 0xAB, 0x66, kExt},
    {KEY_HOMEPAGE, 0xAC, 0x32, kExt},
    // clang-format on
};

// What the keypad keys act as while NumLock is off.
struct KeypadNavigation {
  int linuxCode;
  int virtualKey;
};
constexpr KeypadNavigation kKeypadNavigation[] = {
    {KEY_KP7, 0x24}, {KEY_KP8, 0x26}, {KEY_KP9, 0x21},   {KEY_KP4, 0x25},
    {KEY_KP5, 0x0C}, {KEY_KP6, 0x27}, {KEY_KP1, 0x23},   {KEY_KP2, 0x28},
    {KEY_KP3, 0x22}, {KEY_KP0, 0x2D}, {KEY_KPDOT, 0x2E},
};

struct ButtonRow {
  int linuxCode;
  int downMessage;
  int xButton;  // the hook's X button number, 0 for the three main buttons
  int rawDownBit;
  int rawUpBit;
};
constexpr ButtonRow kButtons[] = {
    {BTN_LEFT, input_message::kLeftButtonDown, 0, raw_button::kLeftDown, raw_button::kLeftUp},
    {BTN_RIGHT, input_message::kRightButtonDown, 0, raw_button::kRightDown, raw_button::kRightUp},
    {BTN_MIDDLE, input_message::kMiddleButtonDown, 0, raw_button::kMiddleDown,
     raw_button::kMiddleUp},
    {BTN_SIDE, input_message::kXButtonDown, 1, raw_button::kBackDown, raw_button::kBackUp},
    {BTN_BACK, input_message::kXButtonDown, 1, raw_button::kBackDown, raw_button::kBackUp},
    {BTN_EXTRA, input_message::kXButtonDown, 2, raw_button::kForwardDown, raw_button::kForwardUp},
    {BTN_FORWARD, input_message::kXButtonDown, 2, raw_button::kForwardDown, raw_button::kForwardUp},
};

bool IsAltKey(int linuxCode) {
  return linuxCode == KEY_LEFTALT || linuxCode == KEY_RIGHTALT;
}

}  // namespace

std::optional<WindowsKey> WindowsKeyOfLinuxKey(int linuxCode, bool numLock) {
  for (const KeyRow& row : kKeys) {
    if (row.linuxCode != linuxCode) continue;
    WindowsKey key{row.virtualKey, row.scanCode, row.extended};
    if (!numLock) {
      for (const KeypadNavigation& keypad : kKeypadNavigation) {
        if (keypad.linuxCode == linuxCode) key.virtualKey = keypad.virtualKey;
      }
    }
    return key;
  }
  return std::nullopt;
}

std::optional<InputEventRecord> KeyRecordOfLinuxKey(int linuxCode, KeyTransition transition,
                                                    bool numLock) {
  const std::optional<WindowsKey> key = WindowsKeyOfLinuxKey(linuxCode, numLock);
  if (!key) return std::nullopt;
  const bool down = transition == KeyTransition::kDown;
  InputEventRecord record;
  record.device = InputDevice::kKeyboard;
  if (IsAltKey(linuxCode)) {
    record.message = down ? input_message::kSysKeyDown : input_message::kSysKeyUp;
  } else {
    record.message = down ? input_message::kKeyDown : input_message::kKeyUp;
  }
  record.virtualKey = key->virtualKey;
  record.scanCode = key->scanCode;
  record.flags = (key->extended ? kKeyFlagExtended : 0) | (down ? 0 : kKeyFlagUp);
  return record;
}

std::optional<InputEventRecord> ButtonRecordOfLinuxButton(int linuxCode, KeyTransition transition) {
  for (const ButtonRow& row : kButtons) {
    if (row.linuxCode != linuxCode) continue;
    const bool down = transition == KeyTransition::kDown;
    InputEventRecord record;
    record.device = InputDevice::kMouse;
    record.message = down ? row.downMessage : row.downMessage + 1;
    record.mouseData = row.xButton << 16;
    record.buttonFlags = down ? row.rawDownBit : row.rawUpBit;
    return record;
  }
  return std::nullopt;
}

}  // namespace keys
