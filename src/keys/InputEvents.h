#pragma once
// Naming the keyboard and mouse input the application observes: through the global hooks
// (macro recording and key capture) and through raw input (the key test). The platform's input
// layer delivers each event as an InputEventRecord in the Windows vocabulary that stored
// macros and the name tables use: window message numbers, virtual-key codes, PC scan codes
// (set 1) and the hook flag bits.

#include <optional>
#include <set>
#include <string>

namespace keys {

// Window messages of input events.
namespace input_message {
inline constexpr int kKeyDown = 256;
inline constexpr int kKeyUp = 257;
inline constexpr int kSysKeyDown = 260;
inline constexpr int kSysKeyUp = 261;
inline constexpr int kLeftButtonDown = 513;
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kRightButtonDown = 516;
inline constexpr int kRightButtonUp = 517;
inline constexpr int kMiddleButtonDown = 519;
inline constexpr int kMiddleButtonUp = 520;
inline constexpr int kXButtonDown = 523;
inline constexpr int kXButtonUp = 524;
}  // namespace input_message

// Key flags of a hook record.
inline constexpr int kKeyFlagExtended = 0x01;
inline constexpr int kKeyFlagUp = 0x80;

// Raw-input mouse button bits.
namespace raw_button {
inline constexpr int kLeftDown = 0x001;
inline constexpr int kLeftUp = 0x002;
inline constexpr int kRightDown = 0x004;
inline constexpr int kRightUp = 0x008;
inline constexpr int kMiddleDown = 0x010;
inline constexpr int kMiddleUp = 0x020;
inline constexpr int kBackDown = 0x040;
inline constexpr int kBackUp = 0x080;
inline constexpr int kForwardDown = 0x100;
inline constexpr int kForwardUp = 0x200;
}  // namespace raw_button

enum class InputDevice { kKeyboard, kMouse, kOther };

// One observed input event as the input layer reports it.
struct InputEventRecord {
  InputDevice device = InputDevice::kKeyboard;
  int message = 0;      // window message of the event
  int virtualKey = 0;   // keyboard: Windows virtual-key code
  int scanCode = 0;     // keyboard: PC scan code without the extended prefix
  int flags = 0;        // keyboard hook: kKeyFlagExtended, kKeyFlagUp, ...
  int mouseData = 0;    // mouse hook: the X button number in the high word
  int buttonFlags = 0;  // raw-input mouse: raw_button bits
};

// What an event means to the application.
namespace event_kind {
inline constexpr int kIgnored = 0;  // a held key repeating
inline constexpr int kMouse = 1;
inline constexpr int kKey = 2;
inline constexpr int kOtherDevice = 3;
}  // namespace event_kind

inline constexpr int kDirectionDown = 0;
inline constexpr int kDirectionUp = 1;

struct KeyEvent {
  int kind = event_kind::kIgnored;
  int direction = kDirectionDown;
  // Keys: the virtual-key code after the corrections; mouse buttons: a button code (hooks
  // 1, 2, 4, 8, 16 and raw input 1, 3, 2, 7, 8 for left, right, middle, back, forward).
  int value = 0;
  std::string name;
  bool operator==(const KeyEvent&) const = default;
};

// The keys held down as the hooks saw them, to tell a key's first press from its repeats.
class PressedKeySet {
 public:
  // True when the key was not held yet.
  bool Press(int virtualKey) { return codes_.insert(virtualKey).second; }
  void Release(int virtualKey) { codes_.erase(virtualKey); }
  void Clear() { codes_.clear(); }
  bool IsHeld(int virtualKey) const { return codes_.count(virtualKey) != 0; }

 private:
  std::set<int> codes_;
};

// Which naming the override table uses: the hooks' names or raw input's shorter ones.
enum class NameSource { kHook, kRawInput };

// The name of a virtual-key code on a US layout with our overrides; for the codes of the
// generic Shift, Ctrl and Alt keys the code also becomes that of the left key.
struct NamedKey {
  int virtualKey = 0;
  std::string name;
};
NamedKey NameVirtualKey(int virtualKey, NameSource source);

// A keyboard hook event; nothing for messages other than key down and up, and for code 0.
// Keypad keys reported as navigation keys (NumLock off) take their keypad codes; a held key's
// repeated presses come back with kind kIgnored.
std::optional<KeyEvent> NameHookKeyEvent(const InputEventRecord& record, PressedKeySet& pressed);

// A mouse hook event: button presses and releases only.
std::optional<KeyEvent> NameHookMouseEvent(const InputEventRecord& record);

// A raw-input event (key test): keys keep their virtual-key code; a mouse event without a
// button change has an empty name; other devices have kind kOtherDevice.
KeyEvent NameRawInputEvent(const InputEventRecord& record);

}  // namespace keys
