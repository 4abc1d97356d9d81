#pragma once
// The three-byte key entry: what one key (or knob action) does on one Fn layer. Byte 0 is the
// entry type, bytes 1 and 2 its arguments. A key function as the settings database keeps it
// (type, value, value2, value3) is encoded into an entry and decoded back from one.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace protocol {

// Key function types: the macro_type of a key assignment.
namespace function_type {
inline constexpr int kDefault = 0;      // the key keeps its factory function
inline constexpr int kFixed = 1;        // the fixed key function
inline constexpr int kKeyboardKey = 2;  // HID usage with a modifier mask
inline constexpr int kMacro = 3;        // macro id, play mode, repeat count
inline constexpr int kUnused = 4;
inline constexpr int kMouse = 5;     // mouse value 90 to 97
inline constexpr int kMedia = 6;     // media value 100 to 122
inline constexpr int kShortcut = 7;  // shortcut value 150 to 163
inline constexpr int kSpecial = 8;   // 8 to 11: a special code byte
inline constexpr int kLastSpecial = 11;
inline constexpr int kKeyboardFunction = 12;  // keyboard function code 1 to 74
}  // namespace function_type

// Entry type bytes.
namespace entry_type {
inline constexpr std::uint8_t kSystem = 0x02;
inline constexpr std::uint8_t kFixedOrSpecial = 0x05;  // 0x03: fixed function; 0x02: special
inline constexpr std::uint8_t kKey = 0x10;
inline constexpr std::uint8_t kMedia = 0x30;
inline constexpr std::uint8_t kMouse = 0x40;
inline constexpr std::uint8_t kKeyboardFunction = 0x50;
inline constexpr std::uint8_t kMacro = 0x60;
inline constexpr std::uint8_t kMacroRepeat = 0x61;
}  // namespace entry_type

inline constexpr std::uint8_t kFixedFunctionArgument = 0x03;
inline constexpr std::uint8_t kSpecialArgument = 0x02;
// A keyboard-function entry with this code is the Fn key (key code kFnKeyCode).
inline constexpr std::uint8_t kFnFunctionCode = 0x02;
inline constexpr int kFnKeyCode = 0xF0;
// Modifier usages (left Ctrl to right Win) and their bits in the modifier byte.
inline constexpr int kFirstModifierUsage = 0xE0;
inline constexpr int kLastModifierUsage = 0xE7;

struct KeyEntry {
  std::uint8_t type = 0;
  std::uint8_t first = 0;
  std::uint8_t second = 0;
  bool operator==(const KeyEntry&) const = default;
};

// The fields of a key assignment that travel in a key entry.
struct KeyFunction {
  int type = function_type::kDefault;
  int value = 0;
  int value2 = 0;
  int value3 = 0;
  bool operator==(const KeyFunction&) const = default;
};

// Mouse values and their entry arguments.
struct MouseCode {
  int value;
  std::uint8_t first;
  std::uint8_t second;
};
std::span<const MouseCode> MouseCodes();

// Media values and the consumer usage the keyboard sends (also 111 and 112, which are only
// met on keyboards, never offered for assignment).
struct MediaCode {
  int value;
  std::uint16_t usage;
};
std::span<const MediaCode> MediaCodes();

// Shortcut values and the modifier mask and usage the keyboard sends.
struct ShortcutCode {
  int value;
  std::uint8_t modifiers;
  std::uint8_t usage;
};
std::span<const ShortcutCode> ShortcutCodes();

// Shortcuts the keyboard keeps as system entries (0x02, code, 0x00): values 161 to 163.
struct SystemShortcutCode {
  int value;
  std::uint8_t code;
};
std::span<const SystemShortcutCode> SystemShortcutCodes();

// The keyboard's own functions (type 12) by code, with the names keys and lists show them by;
// empty for codes outside kFirstKeyboardFunction..kLastKeyboardFunction.
inline constexpr int kFirstKeyboardFunction = 1;
inline constexpr int kLastKeyboardFunction = 74;
std::string_view KeyboardFunctionName(int code);

// The modifier bit of a modifier usage (0xE0 -> 0x01 ... 0xE7 -> 0x80); empty for any other.
std::optional<std::uint8_t> ModifierBitOfUsage(int usage);
// The modifier usage of a mask with exactly one bit set; empty otherwise.
std::optional<int> ModifierUsageOfBit(std::uint8_t mask);

// The entry of a key function. Empty for the default type (and for types that name nothing):
// such a key keeps the entry it has. `macroIds` is the macro list in its stored order; a macro
// is written by its position in that list. Values that do not fit their byte count as absent.
std::optional<KeyEntry> EncodeKeyFunction(const KeyFunction& function,
                                          std::span<const int> macroIds);

// The key function of an entry read from the keyboard; empty when the entry names nothing we
// know (the key then counts as keeping its default). A macro position names the macro at that
// position of `macroIds`, or position + 1 when the list is shorter.
std::optional<KeyFunction> DecodeKeyEntry(const KeyEntry& entry, std::span<const int> macroIds);

}  // namespace protocol
