#include "keys/InputEvents.h"

#include <array>
#include <string_view>

namespace keys {
namespace {

constexpr int kCodeCount = 256;
using KeyNames = std::array<std::string_view, kCodeCount>;

void NameRange(KeyNames& names, int first, std::initializer_list<std::string_view> list) {
  for (std::string_view name : list) names[first++] = name;
}

// The names a US keyboard layout gives its keys, by virtual-key code.
KeyNames BuildUsLayoutNames() {
  KeyNames names{};
  static constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  static constexpr std::string_view kDigits = "0123456789";
  for (int i = 0; i < 26; ++i) names['A' + i] = kLetters.substr(i, 1);
  for (int i = 0; i < 10; ++i) names['0' + i] = kDigits.substr(i, 1);
  NameRange(names, 8, {"Backspace", "Tab"});
  names[12] = "Num 5";  // the keypad 5 with NumLock off
  names[13] = "Enter";
  NameRange(names, 16, {"Shift", "Ctrl", "Alt", "Pause", "Caps Lock"});
  names[27] = "Esc";
  NameRange(names, 32,
            {"Space", "Page Up", "Page Down", "End", "Home", "Left", "Up", "Right", "Down"});
  NameRange(names, 44, {"Sys Req", "Insert", "Delete"});
  NameRange(names, 91, {"Left Windows", "Right Windows", "Application"});
  NameRange(names, 96,
            {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4", "Num 5", "Num 6", "Num 7", "Num 8",
             "Num 9", "Num *", "Num +", "Num Enter", "Num -", "Num Del", "Num /"});
  NameRange(names, 112,
            {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
             "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"});
  NameRange(names, 144, {"Num Lock", "Scroll Lock"});
  NameRange(names, 186, {";", "=", ",", "-", ".", "/", "`"});
  NameRange(names, 219, {"[", "\\", "]", "'"});
  names[226] = "\\";
  return names;
}

const KeyNames& UsLayoutNames() {
  static const KeyNames names = BuildUsLayoutNames();
  return names;
}

struct NameOverride {
  int virtualKey;
  int becomes;
  std::string_view hookName;
  std::string_view rawName;
};

constexpr NameOverride kOverrides[] = {
    {16, 160, "Shift", "Shift"},
    {17, 162, "Ctrl", "Ctrl"},
    {18, 164, "Alt", "Alt"},
    {19, 19, "Pause", "Pause"},
    {44, 44, "Print Screen", "Print Screen"},
    {91, 91, "Windows", "Windows"},
    {92, 92, "RWindows", "RWindows"},
    {93, 93, "Application", "Application"},
    {144, 144, "Num Lock", "Num Lock"},
    {160, 160, "Shift", "Shift"},
    {161, 161, "RShift", "RShift"},
    {162, 162, "Ctrl", "Ctrl"},
    {163, 163, "RCtrl", "RCtrl"},
    {164, 164, "Alt", "Alt"},
    {165, 165, "RAlt", "RAlt"},
    {166, 166, "Web-Backward", "Backward"},
    {167, 167, "Web-Forward", "Forward"},
    {168, 168, "Web-Refresh", "Refresh"},
    {169, 169, "Web-Stop", "Stop"},
    {170, 170, "Web-Search", "Search"},
    {171, 171, "Web-Favorites", "Favorites"},
    {172, 172, "Web-Home", "Home"},
    {173, 173, "Vol Mute", "Vol Mute"},
    {174, 174, "Vol Down", "Vol Down"},
    {175, 175, "Vol Up", "Vol Up"},
    {176, 176, "Next Track", "Next"},
    {177, 177, "Prev Track", "Prev"},
    {178, 178, "Stop", "Stop"},
    {179, 179, "Play/Pause", "Play/Pause"},
    {180, 180, "EMail", "EMail"},
    {181, 181, "Multimedia", "Multimedia"},
    {182, 182, "My Computer", "Computer"},
    {183, 183, "Calculator", "Cal"},
};

// Keypad keys that arrive as navigation keys while NumLock is off, by scan code.
struct KeypadCorrection {
  int scanCode;
  int keypadKey;
};
constexpr KeypadCorrection kKeypadCorrections[] = {
    {71, 103}, {72, 104}, {73, 105}, {75, 100}, {76, 101}, {77, 102},
    {79, 97},  {80, 98},  {81, 99},  {82, 96},  {83, 110},
};
constexpr int kEnterScanCode = 28;
constexpr int kKeypadEnter = 108;

std::optional<int> HookDirection(int message) {
  if (message == input_message::kKeyDown || message == input_message::kSysKeyDown) {
    return kDirectionDown;
  }
  if (message == input_message::kKeyUp || message == input_message::kSysKeyUp) {
    return kDirectionUp;
  }
  return std::nullopt;
}

// The keypad code of a key the hook reports in navigation form, or the code unchanged.
int CorrectKeypadKey(const InputEventRecord& record, int direction) {
  const int upFlag = direction == kDirectionUp ? kKeyFlagUp : 0;
  if (record.flags == upFlag) {
    for (const KeypadCorrection& c : kKeypadCorrections) {
      if (c.scanCode == record.scanCode) return c.keypadKey;
    }
  } else if (record.flags == (upFlag | kKeyFlagExtended) && record.scanCode == kEnterScanCode) {
    return kKeypadEnter;
  }
  return record.virtualKey;
}

KeyEvent MouseEvent(std::string_view name, int value, int direction) {
  return {event_kind::kMouse, direction, value, std::string(name)};
}

struct HookButton {
  int downMessage;
  std::string_view name;
  int value;
};
constexpr HookButton kHookButtons[] = {
    {input_message::kLeftButtonDown, "MouseL", 1},
    {input_message::kRightButtonDown, "MouseR", 2},
    {input_message::kMiddleButtonDown, "MouseM", 4},
};

struct RawButton {
  int bit;
  std::string_view name;
  int value;
  int direction;
};
// In the order in which the bits decide.
constexpr RawButton kRawButtons[] = {
    {raw_button::kLeftDown, "MouseL", 1, kDirectionDown},
    {raw_button::kMiddleDown, "MouseM", 2, kDirectionDown},
    {raw_button::kRightDown, "MouseR", 3, kDirectionDown},
    {raw_button::kLeftUp, "MouseL", 1, kDirectionUp},
    {raw_button::kMiddleUp, "MouseM", 2, kDirectionUp},
    {raw_button::kRightUp, "MouseR", 3, kDirectionUp},
    {raw_button::kBackDown, "Backward", 7, kDirectionDown},
    {raw_button::kBackUp, "Backward", 7, kDirectionUp},
    {raw_button::kForwardDown, "Forward", 8, kDirectionDown},
    {raw_button::kForwardUp, "Forward", 8, kDirectionUp},
};

KeyEvent NameRawMouse(int buttonFlags) {
  for (const RawButton& button : kRawButtons) {
    if ((buttonFlags & button.bit) != 0) {
      return MouseEvent(button.name, button.value, button.direction);
    }
  }
  return MouseEvent({}, 0, kDirectionDown);
}

}  // namespace

NamedKey NameVirtualKey(int virtualKey, NameSource source) {
  for (const NameOverride& o : kOverrides) {
    if (o.virtualKey == virtualKey) {
      return {o.becomes, std::string(source == NameSource::kHook ? o.hookName : o.rawName)};
    }
  }
  if (virtualKey < 0 || virtualKey >= kCodeCount) return {virtualKey, {}};
  return {virtualKey, std::string(UsLayoutNames()[virtualKey])};
}

std::optional<KeyEvent> NameHookKeyEvent(const InputEventRecord& record, PressedKeySet& pressed) {
  const auto direction = HookDirection(record.message);
  if (!direction) return std::nullopt;
  const int code = CorrectKeypadKey(record, *direction);
  if (code == 0) return std::nullopt;
  NamedKey named = NameVirtualKey(code, NameSource::kHook);
  KeyEvent event{event_kind::kKey, *direction, named.virtualKey, std::move(named.name)};
  if (*direction == kDirectionDown) {
    if (!pressed.Press(event.value)) event.kind = event_kind::kIgnored;
  } else {
    pressed.Release(event.value);
  }
  return event;
}

std::optional<KeyEvent> NameHookMouseEvent(const InputEventRecord& record) {
  for (const HookButton& button : kHookButtons) {
    if (record.message == button.downMessage)
      return MouseEvent(button.name, button.value, kDirectionDown);
    if (record.message == button.downMessage + 1)
      return MouseEvent(button.name, button.value, kDirectionUp);
  }
  if (record.message != input_message::kXButtonDown &&
      record.message != input_message::kXButtonUp) {
    return std::nullopt;
  }
  const int direction =
      record.message == input_message::kXButtonDown ? kDirectionDown : kDirectionUp;
  const unsigned xButton = static_cast<unsigned>(record.mouseData) >> 16;
  if (xButton == 1) return MouseEvent("Backward", 8, direction);
  if (xButton == 2) return MouseEvent("Forward", 16, direction);
  return std::nullopt;
}

KeyEvent NameRawInputEvent(const InputEventRecord& record) {
  switch (record.device) {
    case InputDevice::kKeyboard: {
      const int direction = HookDirection(record.message).value_or(kDirectionDown);
      NamedKey named = NameVirtualKey(record.virtualKey, NameSource::kRawInput);
      return {event_kind::kKey, direction, named.virtualKey, std::move(named.name)};
    }
    case InputDevice::kMouse:
      return NameRawMouse(record.buttonFlags);
    case InputDevice::kOther:
      break;
  }
  return {event_kind::kOtherDevice, kDirectionDown, 0, {}};
}

}  // namespace keys
