#include <gtest/gtest.h>

#include "keys/InputEvents.h"

namespace {

using keys::InputDevice;
using keys::InputEventRecord;
using keys::KeyEvent;
using keys::NameSource;
namespace msg = keys::input_message;
namespace kind = keys::event_kind;

constexpr int kDown = keys::kDirectionDown;
constexpr int kUp = keys::kDirectionUp;

InputEventRecord Key(int message, int virtualKey, int scanCode = 0, int flags = 0) {
  InputEventRecord record;
  record.message = message;
  record.virtualKey = virtualKey;
  record.scanCode = scanCode;
  record.flags = flags;
  return record;
}

TEST(KeyNames, UsLayoutNamesAndOverrides) {
  const struct {
    int virtualKey;
    int becomes;
    const char* hookName;
    const char* rawName;
  } cases[] = {
      // clang-format off
      {0x41, 0x41, "A", "A"}, {0x5A, 0x5A, "Z", "Z"}, {0x30, 0x30, "0", "0"},
      {8, 8, "Backspace", "Backspace"}, {13, 13, "Enter", "Enter"},
      {20, 20, "Caps Lock", "Caps Lock"}, {27, 27, "Esc", "Esc"}, {32, 32, "Space", "Space"},
      {33, 33, "Page Up", "Page Up"}, {37, 37, "Left", "Left"}, {40, 40, "Down", "Down"},
      {45, 45, "Insert", "Insert"}, {46, 46, "Delete", "Delete"}, {41, 41, "", ""},
      {96, 96, "Num 0", "Num 0"}, {103, 103, "Num 7", "Num 7"},
      {108, 108, "Num Enter", "Num Enter"}, {110, 110, "Num Del", "Num Del"},
      {111, 111, "Num /", "Num /"}, {112, 112, "F1", "F1"}, {135, 135, "F24", "F24"},
      {145, 145, "Scroll Lock", "Scroll Lock"}, {186, 186, ";", ";"}, {192, 192, "`", "`"},
      {220, 220, "\\", "\\"},
      // overrides
      {16, 160, "Shift", "Shift"}, {17, 162, "Ctrl", "Ctrl"}, {18, 164, "Alt", "Alt"},
      {19, 19, "Pause", "Pause"}, {44, 44, "Print Screen", "Print Screen"},
      {91, 91, "Windows", "Windows"}, {92, 92, "RWindows", "RWindows"},
      {93, 93, "Application", "Application"}, {144, 144, "Num Lock", "Num Lock"},
      {161, 161, "RShift", "RShift"}, {163, 163, "RCtrl", "RCtrl"}, {165, 165, "RAlt", "RAlt"},
      {166, 166, "Web-Backward", "Backward"}, {170, 170, "Web-Search", "Search"},
      {172, 172, "Web-Home", "Home"}, {173, 173, "Vol Mute", "Vol Mute"},
      {176, 176, "Next Track", "Next"}, {177, 177, "Prev Track", "Prev"},
      {179, 179, "Play/Pause", "Play/Pause"}, {182, 182, "My Computer", "Computer"},
      {183, 183, "Calculator", "Cal"},
      // nothing to name
      {0, 0, "", ""}, {255, 255, "", ""}, {1000, 1000, "", ""}, {-1, -1, "", ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    const auto hook = keys::NameVirtualKey(c.virtualKey, NameSource::kHook);
    EXPECT_EQ(hook.virtualKey, c.becomes) << c.virtualKey;
    EXPECT_EQ(hook.name, c.hookName) << c.virtualKey;
    const auto raw = keys::NameVirtualKey(c.virtualKey, NameSource::kRawInput);
    EXPECT_EQ(raw.virtualKey, c.becomes) << c.virtualKey;
    EXPECT_EQ(raw.name, c.rawName) << c.virtualKey;
  }
}

TEST(HookKeyEvents, KeypadKeysInNavigationFormTakeTheirKeypadCodes) {
  const struct {
    int virtualKey, scanCode, keypadKey;
  } keypad[] = {{36, 71, 103}, {38, 72, 104}, {33, 73, 105}, {37, 75, 100},
                {12, 76, 101}, {39, 77, 102}, {35, 79, 97},  {40, 80, 98},
                {34, 81, 99},  {45, 82, 96},  {46, 83, 110}};
  for (const auto& k : keypad) {
    keys::PressedKeySet pressed;
    const auto down =
        keys::NameHookKeyEvent(Key(msg::kKeyDown, k.virtualKey, k.scanCode, 0), pressed);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->value, k.keypadKey) << k.scanCode;
    const auto up =
        keys::NameHookKeyEvent(Key(msg::kKeyUp, k.virtualKey, k.scanCode, 128), pressed);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->value, k.keypadKey) << k.scanCode;
    // The grey navigation keys carry the extended flag and keep their codes.
    const auto grey =
        keys::NameHookKeyEvent(Key(msg::kKeyDown, k.virtualKey, k.scanCode, 1), pressed);
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->value, k.virtualKey) << k.scanCode;
  }
  keys::PressedKeySet pressed;
  const auto home = keys::NameHookKeyEvent(Key(msg::kKeyDown, 36, 71, 0), pressed);
  EXPECT_EQ(*home, (KeyEvent{kind::kKey, kDown, 103, "Num 7"}));
}

TEST(HookKeyEvents, KeypadEnterNeedsExactlyTheExtendedFlag) {
  const struct {
    int message, flags, scanCode, value;
  } cases[] = {
      {msg::kKeyDown, 1, 28, 108}, {msg::kKeyUp, 129, 28, 108},  {msg::kKeyDown, 0, 28, 13},
      {msg::kKeyUp, 128, 28, 13},  {msg::kKeyDown, 129, 28, 13}, {msg::kKeyDown, 0x11, 28, 13},
      {msg::kKeyDown, 1, 29, 13},
  };
  for (const auto& c : cases) {
    keys::PressedKeySet pressed;
    const auto event = keys::NameHookKeyEvent(Key(c.message, 13, c.scanCode, c.flags), pressed);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->value, c.value) << c.message << "/" << c.flags << "/" << c.scanCode;
  }
  // Other flag combinations (an injected event, a down with the up flag) keep the code.
  keys::PressedKeySet pressed;
  EXPECT_EQ(keys::NameHookKeyEvent(Key(msg::kKeyDown, 36, 71, 0x10), pressed)->value, 36);
  EXPECT_EQ(keys::NameHookKeyEvent(Key(msg::kKeyUp, 36, 71, 0), pressed)->value, 36);
}

TEST(HookKeyEvents, HeldKeysRepeatAsIgnoredEvents) {
  keys::PressedKeySet pressed;
  const auto first = keys::NameHookKeyEvent(Key(msg::kKeyDown, 0x41, 30), pressed);
  const auto repeat = keys::NameHookKeyEvent(Key(msg::kKeyDown, 0x41, 30), pressed);
  const auto again = keys::NameHookKeyEvent(Key(msg::kSysKeyDown, 0x41, 30), pressed);
  const auto other = keys::NameHookKeyEvent(Key(msg::kKeyDown, 0x42, 48), pressed);
  const auto up = keys::NameHookKeyEvent(Key(msg::kKeyUp, 0x41, 30, 128), pressed);
  const auto next = keys::NameHookKeyEvent(Key(msg::kKeyDown, 0x41, 30), pressed);
  EXPECT_EQ(*first, (KeyEvent{kind::kKey, kDown, 0x41, "A"}));
  EXPECT_EQ(*repeat, (KeyEvent{kind::kIgnored, kDown, 0x41, "A"}));
  EXPECT_EQ(again->kind, kind::kIgnored);
  EXPECT_EQ(other->kind, kind::kKey);
  EXPECT_EQ(*up, (KeyEvent{kind::kKey, kUp, 0x41, "A"}));
  EXPECT_EQ(next->kind, kind::kKey);
  // The generic Shift is held under the left Shift's code.
  keys::PressedKeySet shift;
  EXPECT_EQ(keys::NameHookKeyEvent(Key(msg::kKeyDown, 16, 42), shift)->value, 160);
  EXPECT_EQ(keys::NameHookKeyEvent(Key(msg::kKeyDown, 160, 42), shift)->kind, kind::kIgnored);
  EXPECT_TRUE(shift.IsHeld(160));
  EXPECT_EQ(keys::NameHookKeyEvent(Key(msg::kSysKeyUp, 16, 42, 128), shift)->kind, kind::kKey);
  EXPECT_FALSE(shift.IsHeld(160));
}

TEST(HookKeyEvents, OtherMessagesAndCodeZeroGiveNoEvent) {
  keys::PressedKeySet pressed;
  EXPECT_FALSE(keys::NameHookKeyEvent(Key(258, 0x41, 30), pressed));  // a character message
  EXPECT_FALSE(keys::NameHookKeyEvent(Key(msg::kLeftButtonDown, 0x41, 30), pressed));
  EXPECT_FALSE(keys::NameHookKeyEvent(Key(msg::kKeyDown, 0, 30), pressed));
  EXPECT_FALSE(pressed.IsHeld(0x41));
}

TEST(HookMouseEvents, ButtonsPressesAndReleases) {
  const struct {
    int message;
    int mouseData;
    std::optional<KeyEvent> event;
  } cases[] = {
      {msg::kLeftButtonDown, 0, KeyEvent{kind::kMouse, kDown, 1, "MouseL"}},
      {msg::kLeftButtonUp, 0, KeyEvent{kind::kMouse, kUp, 1, "MouseL"}},
      {msg::kRightButtonDown, 0, KeyEvent{kind::kMouse, kDown, 2, "MouseR"}},
      {msg::kRightButtonUp, 0, KeyEvent{kind::kMouse, kUp, 2, "MouseR"}},
      {msg::kMiddleButtonDown, 0, KeyEvent{kind::kMouse, kDown, 4, "MouseM"}},
      {msg::kMiddleButtonUp, 0, KeyEvent{kind::kMouse, kUp, 4, "MouseM"}},
      {msg::kXButtonDown, 1 << 16, KeyEvent{kind::kMouse, kDown, 8, "Backward"}},
      {msg::kXButtonUp, 1 << 16, KeyEvent{kind::kMouse, kUp, 8, "Backward"}},
      {msg::kXButtonDown, 2 << 16, KeyEvent{kind::kMouse, kDown, 16, "Forward"}},
      {msg::kXButtonUp, 2 << 16, KeyEvent{kind::kMouse, kUp, 16, "Forward"}},
      {msg::kXButtonDown, 3 << 16, std::nullopt},
      {msg::kXButtonDown, 1, std::nullopt},
      {512, 0, std::nullopt},          // move
      {522, 120 << 16, std::nullopt},  // wheel
      {515, 0, std::nullopt},          // double click
  };
  for (const auto& c : cases) {
    InputEventRecord record;
    record.device = InputDevice::kMouse;
    record.message = c.message;
    record.mouseData = c.mouseData;
    EXPECT_EQ(keys::NameHookMouseEvent(record), c.event) << c.message << "/" << c.mouseData;
  }
}

TEST(RawInputEvents, KeysKeepTheirCodeAndUseTheShortNames) {
  const struct {
    int message, virtualKey, scanCode, flags;
    KeyEvent event;
  } cases[] = {
      {msg::kKeyDown, 36, 71, 0, {kind::kKey, kDown, 36, "Home"}},  // no keypad correction
      {msg::kKeyUp, 0x41, 30, 0, {kind::kKey, kUp, 0x41, "A"}},
      {msg::kSysKeyDown, 18, 56, 0, {kind::kKey, kDown, 164, "Alt"}},
      {msg::kSysKeyUp, 18, 56, 0, {kind::kKey, kUp, 164, "Alt"}},
      {0, 177, 0, 0, {kind::kKey, kDown, 177, "Prev"}},  // any other message counts as down
      {msg::kKeyDown, 183, 0, 0, {kind::kKey, kDown, 183, "Cal"}},
  };
  for (const auto& c : cases) {
    InputEventRecord record = Key(c.message, c.virtualKey, c.scanCode, c.flags);
    record.device = InputDevice::kKeyboard;
    EXPECT_EQ(keys::NameRawInputEvent(record), c.event) << c.virtualKey;
  }
  // Repeats are not told apart in the key test.
  InputEventRecord a = Key(msg::kKeyDown, 0x41);
  EXPECT_EQ(keys::NameRawInputEvent(a).kind, kind::kKey);
  EXPECT_EQ(keys::NameRawInputEvent(a).kind, kind::kKey);
}

TEST(RawInputEvents, MouseButtonsByTheFirstBitThatIsSet) {
  namespace rb = keys::raw_button;
  const struct {
    int flags;
    KeyEvent event;
  } cases[] = {
      {rb::kLeftDown, {kind::kMouse, kDown, 1, "MouseL"}},
      {rb::kMiddleDown, {kind::kMouse, kDown, 2, "MouseM"}},
      {rb::kRightDown, {kind::kMouse, kDown, 3, "MouseR"}},
      {rb::kLeftUp, {kind::kMouse, kUp, 1, "MouseL"}},
      {rb::kMiddleUp, {kind::kMouse, kUp, 2, "MouseM"}},
      {rb::kRightUp, {kind::kMouse, kUp, 3, "MouseR"}},
      {rb::kBackDown, {kind::kMouse, kDown, 7, "Backward"}},
      {rb::kBackUp, {kind::kMouse, kUp, 7, "Backward"}},
      {rb::kForwardDown, {kind::kMouse, kDown, 8, "Forward"}},
      {rb::kForwardUp, {kind::kMouse, kUp, 8, "Forward"}},
      {rb::kRightDown | rb::kMiddleDown, {kind::kMouse, kDown, 2, "MouseM"}},
      {rb::kLeftUp | rb::kRightDown, {kind::kMouse, kDown, 3, "MouseR"}},
      {0x400, {kind::kMouse, kDown, 0, ""}},  // wheel turn
      {0, {kind::kMouse, kDown, 0, ""}},      // move
  };
  for (const auto& c : cases) {
    InputEventRecord record;
    record.device = InputDevice::kMouse;
    record.buttonFlags = c.flags;
    EXPECT_EQ(keys::NameRawInputEvent(record), c.event) << c.flags;
  }
  InputEventRecord other;
  other.device = InputDevice::kOther;
  other.virtualKey = 0x41;
  EXPECT_EQ(keys::NameRawInputEvent(other), (KeyEvent{kind::kOtherDevice, kDown, 0, ""}));
}

}  // namespace
