#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "keys/KeyCodes.h"
#include "keys/LinuxKeyCodes.h"

namespace {

using keys::KeyTransition;
namespace msg = keys::input_message;

struct UsKey {
  int linuxCode;
  int virtualKey;
  int scanCode;
  bool extended;
  int hidUsage;  // what the key is on the keyboard, from the HID usage tables
};

// The 104 keys of a full-size US keyboard, by row, plus the ISO key beside left Shift.
constexpr UsKey kUsKeyboard[] = {
    // clang-format off
    {KEY_ESC, 27, 0x01, false, 41},
    {KEY_F1, 112, 0x3B, false, 58}, {KEY_F2, 113, 0x3C, false, 59}, {KEY_F3, 114, 0x3D, false, 60},
    {KEY_F4, 115, 0x3E, false, 61}, {KEY_F5, 116, 0x3F, false, 62}, {KEY_F6, 117, 0x40, false, 63},
    {KEY_F7, 118, 0x41, false, 64}, {KEY_F8, 119, 0x42, false, 65}, {KEY_F9, 120, 0x43, false, 66},
    {KEY_F10, 121, 0x44, false, 67}, {KEY_F11, 122, 0x57, false, 68},
    {KEY_F12, 123, 0x58, false, 69},
    {KEY_SYSRQ, 44, 0x37, true, 70}, {KEY_SCROLLLOCK, 145, 0x46, false, 71},
    {KEY_PAUSE, 19, 0x45, false, 72},
    {KEY_GRAVE, 192, 0x29, false, 53}, {KEY_1, 49, 0x02, false, 30}, {KEY_2, 50, 0x03, false, 31},
    {KEY_3, 51, 0x04, false, 32}, {KEY_4, 52, 0x05, false, 33}, {KEY_5, 53, 0x06, false, 34},
    {KEY_6, 54, 0x07, false, 35}, {KEY_7, 55, 0x08, false, 36}, {KEY_8, 56, 0x09, false, 37},
    {KEY_9, 57, 0x0A, false, 38}, {KEY_0, 48, 0x0B, false, 39}, {KEY_MINUS, 189, 0x0C, false, 45},
    {KEY_EQUAL, 187, 0x0D, false, 46}, {KEY_BACKSPACE, 8, 0x0E, false, 42},
    {KEY_TAB, 9, 0x0F, false, 43}, {KEY_Q, 81, 0x10, false, 20}, {KEY_W, 87, 0x11, false, 26},
    {KEY_E, 69, 0x12, false, 8}, {KEY_R, 82, 0x13, false, 21}, {KEY_T, 84, 0x14, false, 23},
    {KEY_Y, 89, 0x15, false, 28}, {KEY_U, 85, 0x16, false, 24}, {KEY_I, 73, 0x17, false, 12},
    {KEY_O, 79, 0x18, false, 18}, {KEY_P, 80, 0x19, false, 19},
    {KEY_LEFTBRACE, 219, 0x1A, false, 47}, {KEY_RIGHTBRACE, 221, 0x1B, false, 48},
    {KEY_BACKSLASH, 220, 0x2B, false, 49},
    {KEY_CAPSLOCK, 20, 0x3A, false, 57}, {KEY_A, 65, 0x1E, false, 4}, {KEY_S, 83, 0x1F, false, 22},
    {KEY_D, 68, 0x20, false, 7}, {KEY_F, 70, 0x21, false, 9}, {KEY_G, 71, 0x22, false, 10},
    {KEY_H, 72, 0x23, false, 11}, {KEY_J, 74, 0x24, false, 13}, {KEY_K, 75, 0x25, false, 14},
    {KEY_L, 76, 0x26, false, 15}, {KEY_SEMICOLON, 186, 0x27, false, 51},
    {KEY_APOSTROPHE, 222, 0x28, false, 52}, {KEY_ENTER, 13, 0x1C, false, 40},
    {KEY_LEFTSHIFT, 160, 0x2A, false, 225}, {KEY_102ND, 226, 0x56, false, 100},
    {KEY_Z, 90, 0x2C, false, 29}, {KEY_X, 88, 0x2D, false, 27}, {KEY_C, 67, 0x2E, false, 6},
    {KEY_V, 86, 0x2F, false, 25}, {KEY_B, 66, 0x30, false, 5}, {KEY_N, 78, 0x31, false, 17},
    {KEY_M, 77, 0x32, false, 16}, {KEY_COMMA, 188, 0x33, false, 54},
    {KEY_DOT, 190, 0x34, false, 55}, {KEY_SLASH, 191, 0x35, false, 56},
    {KEY_RIGHTSHIFT, 161, 0x36, false, 229},
    {KEY_LEFTCTRL, 162, 0x1D, false, 224}, {KEY_LEFTMETA, 91, 0x5B, true, 227},
    {KEY_LEFTALT, 164, 0x38, false, 226}, {KEY_SPACE, 32, 0x39, false, 44},
    {KEY_RIGHTALT, 165, 0x38, true, 230}, {KEY_RIGHTMETA, 92, 0x5C, true, 231},
    {KEY_COMPOSE, 93, 0x5D, true, 101}, {KEY_RIGHTCTRL, 163, 0x1D, true, 228},
    {KEY_INSERT, 45, 0x52, true, 73}, {KEY_HOME, 36, 0x47, true, 74},
    {KEY_PAGEUP, 33, 0x49, true, 75}, {KEY_DELETE, 46, 0x53, true, 76},
    {KEY_END, 35, 0x4F, true, 77}, {KEY_PAGEDOWN, 34, 0x51, true, 78},
    {KEY_UP, 38, 0x48, true, 82}, {KEY_LEFT, 37, 0x4B, true, 80}, {KEY_DOWN, 40, 0x50, true, 81},
    {KEY_RIGHT, 39, 0x4D, true, 79},
    {KEY_NUMLOCK, 144, 0x45, true, 83}, {KEY_KPSLASH, 111, 0x35, true, 84},
    {KEY_KPASTERISK, 106, 0x37, false, 85}, {KEY_KPMINUS, 109, 0x4A, false, 86},
    {KEY_KP7, 103, 0x47, false, 95}, {KEY_KP8, 104, 0x48, false, 96},
    {KEY_KP9, 105, 0x49, false, 97}, {KEY_KPPLUS, 107, 0x4E, false, 87},
    {KEY_KP4, 100, 0x4B, false, 92}, {KEY_KP5, 101, 0x4C, false, 93},
    {KEY_KP6, 102, 0x4D, false, 94},
    {KEY_KP1, 97, 0x4F, false, 89}, {KEY_KP2, 98, 0x50, false, 90}, {KEY_KP3, 99, 0x51, false, 91},
    {KEY_KPENTER, 13, 0x1C, true, 88}, {KEY_KP0, 96, 0x52, false, 98},
    {KEY_KPDOT, 110, 0x53, false, 99},
    // clang-format on
};

// Keys pressed and released through the hook naming, as the recorder sees them.
int UsageThroughHook(int linuxCode, bool numLock) {
  keys::PressedKeySet pressed;
  const auto down = keys::KeyRecordOfLinuxKey(linuxCode, KeyTransition::kDown, numLock);
  if (!down) return -1;
  const auto event = keys::NameHookKeyEvent(*down, pressed);
  return event ? keys::VirtualKeyToUsage(event->value) : -1;
}

TEST(LinuxKeyCodes, EveryKeyOfAFullSizeUsKeyboard) {
  std::set<std::pair<int, bool>> scanCodes;
  for (const UsKey& key : kUsKeyboard) {
    SCOPED_TRACE(key.linuxCode);
    const auto windows = keys::WindowsKeyOfLinuxKey(key.linuxCode, true);
    ASSERT_TRUE(windows);
    EXPECT_EQ(windows->virtualKey, key.virtualKey);
    EXPECT_EQ(windows->scanCode, key.scanCode);
    EXPECT_EQ(windows->extended, key.extended);
    // Every key lands on its own HID usage, keypad keys whatever the NumLock state.
    EXPECT_EQ(UsageThroughHook(key.linuxCode, true), key.hidUsage);
    EXPECT_EQ(UsageThroughHook(key.linuxCode, false), key.hidUsage);
    EXPECT_FALSE(keys::NameVirtualKey(key.virtualKey, keys::NameSource::kHook).name.empty());
    EXPECT_TRUE(scanCodes.insert({windows->scanCode, windows->extended}).second)
        << "scan code used twice";
  }
  EXPECT_EQ(std::size(kUsKeyboard), 105u);
}

TEST(LinuxKeyCodes, MediaKeysWithVirtualKeys) {
  const struct {
    int linuxCode, virtualKey, scanCode;
    const char* hookName;
  } cases[] = {
      {KEY_MUTE, 173, 0x20, "Vol Mute"},           {KEY_VOLUMEDOWN, 174, 0x2E, "Vol Down"},
      {KEY_VOLUMEUP, 175, 0x30, "Vol Up"},         {KEY_NEXTSONG, 176, 0x19, "Next Track"},
      {KEY_PREVIOUSSONG, 177, 0x10, "Prev Track"}, {KEY_STOPCD, 178, 0x24, "Stop"},
      {KEY_PLAYPAUSE, 179, 0x22, "Play/Pause"},    {KEY_MAIL, 180, 0x6C, "EMail"},
      {KEY_MEDIA, 181, 0x6D, "Multimedia"},        {KEY_COMPUTER, 182, 0x6B, "My Computer"},
      {KEY_CALC, 183, 0x21, "Calculator"},         {KEY_BACK, 166, 0x6A, "Web-Backward"},
      {KEY_FORWARD, 167, 0x69, "Web-Forward"},     {KEY_REFRESH, 168, 0x67, "Web-Refresh"},
      {KEY_STOP, 169, 0x68, "Web-Stop"},           {KEY_SEARCH, 170, 0x65, "Web-Search"},
      {KEY_BOOKMARKS, 171, 0x66, "Web-Favorites"}, {KEY_HOMEPAGE, 172, 0x32, "Web-Home"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.linuxCode);
    const auto record = keys::KeyRecordOfLinuxKey(c.linuxCode, KeyTransition::kDown, true);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->virtualKey, c.virtualKey);
    EXPECT_EQ(record->scanCode, c.scanCode);
    EXPECT_EQ(record->flags, keys::kKeyFlagExtended);
    keys::PressedKeySet pressed;
    EXPECT_EQ(keys::NameHookKeyEvent(*record, pressed)->name, c.hookName);
  }
}

TEST(LinuxKeyCodes, MessagesAndFlagsOfPressAndRelease) {
  const struct {
    int linuxCode;
    KeyTransition transition;
    int message, flags;
  } cases[] = {
      {KEY_A, KeyTransition::kDown, msg::kKeyDown, 0},
      {KEY_A, KeyTransition::kUp, msg::kKeyUp, 0x80},
      {KEY_DELETE, KeyTransition::kDown, msg::kKeyDown, 0x01},
      {KEY_DELETE, KeyTransition::kUp, msg::kKeyUp, 0x81},
      {KEY_LEFTALT, KeyTransition::kDown, msg::kSysKeyDown, 0},
      {KEY_LEFTALT, KeyTransition::kUp, msg::kSysKeyUp, 0x80},
      {KEY_RIGHTALT, KeyTransition::kDown, msg::kSysKeyDown, 0x01},
      {KEY_RIGHTALT, KeyTransition::kUp, msg::kSysKeyUp, 0x81},
  };
  for (const auto& c : cases) {
    const auto record = keys::KeyRecordOfLinuxKey(c.linuxCode, c.transition, true);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->device, keys::InputDevice::kKeyboard);
    EXPECT_EQ(record->message, c.message) << c.linuxCode;
    EXPECT_EQ(record->flags, c.flags) << c.linuxCode;
  }
}

TEST(LinuxKeyCodes, KeypadWithNumLockOffActsAsNavigationKeys) {
  const struct {
    int linuxCode, navigationKey;
    const char* rawName;
  } cases[] = {
      {KEY_KP7, 36, "Home"},   {KEY_KP8, 38, "Up"},       {KEY_KP9, 33, "Page Up"},
      {KEY_KP4, 37, "Left"},   {KEY_KP5, 12, "Num 5"},    {KEY_KP6, 39, "Right"},
      {KEY_KP1, 35, "End"},    {KEY_KP2, 40, "Down"},     {KEY_KP3, 34, "Page Down"},
      {KEY_KP0, 45, "Insert"}, {KEY_KPDOT, 46, "Delete"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.linuxCode);
    const auto off = keys::KeyRecordOfLinuxKey(c.linuxCode, KeyTransition::kDown, false);
    ASSERT_TRUE(off);
    EXPECT_EQ(off->virtualKey, c.navigationKey);
    EXPECT_EQ(off->flags, 0);  // not extended: that is how the keypad is told apart
    // The key test shows what the key does; the recorder stores the keypad key.
    EXPECT_EQ(keys::NameRawInputEvent(*off).name, c.rawName);
    const auto on = keys::KeyRecordOfLinuxKey(c.linuxCode, KeyTransition::kDown, true);
    keys::PressedKeySet offPressed, onPressed;
    EXPECT_EQ(keys::NameHookKeyEvent(*off, offPressed)->value,
              keys::NameHookKeyEvent(*on, onPressed)->value);
    const auto up = keys::KeyRecordOfLinuxKey(c.linuxCode, KeyTransition::kUp, false);
    EXPECT_EQ(keys::NameHookKeyEvent(*up, offPressed)->value, on->virtualKey);
    EXPECT_FALSE(offPressed.IsHeld(on->virtualKey));
  }
  // The keys that are no digits stay what they are.
  EXPECT_EQ(keys::WindowsKeyOfLinuxKey(KEY_KPPLUS, false)->virtualKey, 107);
  EXPECT_EQ(keys::WindowsKeyOfLinuxKey(KEY_KPENTER, false)->virtualKey, 13);
  EXPECT_EQ(keys::WindowsKeyOfLinuxKey(KEY_HOME, false)->extended, true);
}

TEST(LinuxKeyCodes, CodesWithoutVirtualKeys) {
  for (int code : {0, -1, KEY_FN, KEY_POWER, KEY_BRIGHTNESSUP, KEY_MAX, 100000, BTN_LEFT}) {
    EXPECT_FALSE(keys::WindowsKeyOfLinuxKey(code, true)) << code;
    EXPECT_FALSE(keys::KeyRecordOfLinuxKey(code, KeyTransition::kDown, false)) << code;
  }
}

TEST(LinuxKeyCodes, MouseButtons) {
  namespace rb = keys::raw_button;
  const struct {
    int linuxCode;
    int downMessage, mouseData, rawDown, rawUp;
    const char* name;
    int hookValue, rawValue;
  } cases[] = {
      {BTN_LEFT, msg::kLeftButtonDown, 0, rb::kLeftDown, rb::kLeftUp, "MouseL", 1, 1},
      {BTN_MIDDLE, msg::kMiddleButtonDown, 0, rb::kMiddleDown, rb::kMiddleUp, "MouseM", 4, 2},
      {BTN_RIGHT, msg::kRightButtonDown, 0, rb::kRightDown, rb::kRightUp, "MouseR", 2, 3},
      {BTN_SIDE, msg::kXButtonDown, 1 << 16, rb::kBackDown, rb::kBackUp, "Backward", 8, 7},
      {BTN_BACK, msg::kXButtonDown, 1 << 16, rb::kBackDown, rb::kBackUp, "Backward", 8, 7},
      {BTN_EXTRA, msg::kXButtonDown, 2 << 16, rb::kForwardDown, rb::kForwardUp, "Forward", 16, 8},
      {BTN_FORWARD, msg::kXButtonDown, 2 << 16, rb::kForwardDown, rb::kForwardUp, "Forward", 16, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.linuxCode);
    const auto down = keys::ButtonRecordOfLinuxButton(c.linuxCode, KeyTransition::kDown);
    const auto up = keys::ButtonRecordOfLinuxButton(c.linuxCode, KeyTransition::kUp);
    ASSERT_TRUE(down && up);
    EXPECT_EQ(down->device, keys::InputDevice::kMouse);
    EXPECT_EQ(down->message, c.downMessage);
    EXPECT_EQ(up->message, c.downMessage + 1);
    EXPECT_EQ(down->mouseData, c.mouseData);
    EXPECT_EQ(down->buttonFlags, c.rawDown);
    EXPECT_EQ(up->buttonFlags, c.rawUp);
    const auto hookDown = keys::NameHookMouseEvent(*down);
    const auto hookUp = keys::NameHookMouseEvent(*up);
    ASSERT_TRUE(hookDown && hookUp);
    EXPECT_EQ(*hookDown, (keys::KeyEvent{keys::event_kind::kMouse, keys::kDirectionDown,
                                         c.hookValue, c.name}));
    EXPECT_EQ(hookUp->direction, keys::kDirectionUp);
    EXPECT_EQ(keys::NameRawInputEvent(*down),
              (keys::KeyEvent{keys::event_kind::kMouse, keys::kDirectionDown, c.rawValue, c.name}));
    EXPECT_EQ(keys::NameRawInputEvent(*up).direction, keys::kDirectionUp);
  }
  for (int code : {BTN_TASK, BTN_TOUCH, BTN_0, KEY_A, 0}) {
    EXPECT_FALSE(keys::ButtonRecordOfLinuxButton(code, KeyTransition::kDown)) << code;
  }
}

}  // namespace
