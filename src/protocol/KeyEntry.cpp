#include "protocol/KeyEntry.h"

#include <algorithm>
#include <array>
#include <bit>

namespace protocol {
namespace {

constexpr std::array kMouseCodes{
    MouseCode{90, 0x00, 0x01}, MouseCode{91, 0x00, 0x04}, MouseCode{92, 0x00, 0x02},
    MouseCode{94, 0x00, 0x10}, MouseCode{95, 0x00, 0x08}, MouseCode{96, 0x05, 0x01},
    MouseCode{97, 0x06, 0x01},
};

constexpr std::array kMediaCodes{
    MediaCode{100, 0x00CD}, MediaCode{101, 0x00B7}, MediaCode{102, 0x00B6}, MediaCode{103, 0x00B5},
    MediaCode{104, 0x00E9}, MediaCode{105, 0x00EA}, MediaCode{106, 0x00E2}, MediaCode{110, 0x0183},
    MediaCode{111, 0x006F}, MediaCode{112, 0x0070}, MediaCode{113, 0x0194}, MediaCode{114, 0x0192},
    MediaCode{115, 0x018A}, MediaCode{116, 0x0223}, MediaCode{117, 0x0227}, MediaCode{118, 0x0226},
    MediaCode{119, 0x0224}, MediaCode{120, 0x0225}, MediaCode{121, 0x022A}, MediaCode{122, 0x0221},
};

constexpr std::array kShortcutCodes{
    ShortcutCode{150, 0x08, 0x07}, ShortcutCode{151, 0x08, 0x08}, ShortcutCode{152, 0x08, 0x0F},
    ShortcutCode{153, 0x01, 0x1A}, ShortcutCode{154, 0x04, 0x2B}, ShortcutCode{155, 0x01, 0x06},
    ShortcutCode{156, 0x01, 0x19}, ShortcutCode{157, 0x01, 0x1B}, ShortcutCode{158, 0x01, 0x16},
    ShortcutCode{159, 0x01, 0x12}, ShortcutCode{160, 0x01, 0x11},
};

constexpr std::array kSystemShortcutCodes{
    SystemShortcutCode{161, 0x02},
    SystemShortcutCode{162, 0x01},
    SystemShortcutCode{163, 0x03},
};

constexpr KeyEntry kEmptyEntry{};

// A stored value that does not fit the entry's byte counts as absent.
std::uint8_t ByteOrZero(int value) {
  return value >= 0 && value <= 0xFF ? static_cast<std::uint8_t>(value) : 0;
}

template <typename Table, typename Pred>
auto FindIn(const Table& table, Pred pred) -> const typename Table::value_type* {
  const auto found = std::find_if(table.begin(), table.end(), pred);
  return found == table.end() ? nullptr : &*found;
}

KeyEntry EncodeKeyboardKey(const KeyFunction& function) {
  const std::uint8_t mask = ByteOrZero(function.value2);
  // A modifier travels as its bit in the mask: the usage byte only carries ordinary keys.
  if (const auto bit = ModifierBitOfUsage(function.value)) {
    return {entry_type::kKey, static_cast<std::uint8_t>(mask | *bit), 0x00};
  }
  return {entry_type::kKey, mask, ByteOrZero(function.value)};
}

KeyEntry EncodeMacro(const KeyFunction& function, std::span<const int> macroIds) {
  const auto found = std::find(macroIds.begin(), macroIds.end(), function.value);
  const auto position = found - macroIds.begin();
  if (found == macroIds.end() || position > 0xFF) return kEmptyEntry;
  const auto at = static_cast<std::uint8_t>(position);
  if (function.value2 != 0 || function.value3 < 2) {
    return {entry_type::kMacro, at, ByteOrZero(function.value2)};
  }
  // A repeat count beyond what the byte holds plays as often as the keyboard can.
  return {entry_type::kMacroRepeat, at, static_cast<std::uint8_t>(std::min(function.value3, 0xFF))};
}

KeyEntry EncodeMouse(int value) {
  const auto* code = FindIn(kMouseCodes, [&](const MouseCode& c) { return c.value == value; });
  if (code == nullptr) return {entry_type::kMouse, 0x00, 0x00};
  return {entry_type::kMouse, code->first, code->second};
}

KeyEntry EncodeMedia(int value) {
  const auto* code = FindIn(kMediaCodes, [&](const MediaCode& c) { return c.value == value; });
  if (code == nullptr) return {entry_type::kMedia, 0x00, 0x00};
  return {entry_type::kMedia, static_cast<std::uint8_t>(code->usage & 0xFF),
          static_cast<std::uint8_t>(code->usage >> 8)};
}

KeyEntry EncodeShortcut(int value) {
  if (const auto* system = FindIn(kSystemShortcutCodes,
                                  [&](const SystemShortcutCode& c) { return c.value == value; })) {
    return {entry_type::kSystem, system->code, 0x00};
  }
  const auto* code =
      FindIn(kShortcutCodes, [&](const ShortcutCode& c) { return c.value == value; });
  if (code == nullptr) return {entry_type::kKey, 0x00, 0x00};
  return {entry_type::kKey, code->modifiers, code->usage};
}

std::optional<KeyFunction> DecodeSystem(const KeyEntry& entry) {
  const auto* code = FindIn(kSystemShortcutCodes,
                            [&](const SystemShortcutCode& c) { return c.code == entry.first; });
  if (code == nullptr) return std::nullopt;
  return KeyFunction{function_type::kShortcut, code->value, 0, 0};
}

std::optional<KeyFunction> DecodeFixedOrSpecial(const KeyEntry& entry) {
  if (entry.first == kFixedFunctionArgument) return KeyFunction{function_type::kFixed, 0, 0, 0};
  if (entry.first == kSpecialArgument) {
    return KeyFunction{function_type::kSpecial, entry.second, 0, 0};
  }
  return std::nullopt;
}

std::optional<KeyFunction> DecodeKeyboardKey(const KeyEntry& entry) {
  if (entry.second != 0) {
    return KeyFunction{function_type::kKeyboardKey, entry.second, entry.first, 0};
  }
  if (const auto usage = ModifierUsageOfBit(entry.first)) {
    return KeyFunction{function_type::kKeyboardKey, *usage, 0, 0};
  }
  // Several modifiers without a key: a combination of modifiers only.
  if (entry.first != 0) return KeyFunction{function_type::kKeyboardKey, 0, entry.first, 0};
  return std::nullopt;
}

std::optional<KeyFunction> DecodeMedia(const KeyEntry& entry) {
  const auto usage = static_cast<std::uint16_t>(entry.first | entry.second << 8);
  const auto* code = FindIn(kMediaCodes, [&](const MediaCode& c) { return c.usage == usage; });
  if (code == nullptr) return std::nullopt;
  return KeyFunction{function_type::kMedia, code->value, 0, 0};
}

std::optional<KeyFunction> DecodeMouse(const KeyEntry& entry) {
  // Buttons other than the left one are told apart by their bit alone.
  const auto* code = FindIn(kMouseCodes, [&](const MouseCode& c) {
    return c.second == entry.second && (c.second != 0x01 || c.first == entry.first);
  });
  if (code == nullptr) return std::nullopt;
  return KeyFunction{function_type::kMouse, code->value, 0, 0};
}

std::optional<KeyFunction> DecodeMacro(const KeyEntry& entry, std::span<const int> macroIds) {
  const std::size_t position = entry.first;
  const int id = position < macroIds.size() ? macroIds[position] : static_cast<int>(position) + 1;
  // A repeat entry carries the repeat count of play mode 0; the other carries the play mode.
  if (entry.type == entry_type::kMacroRepeat) {
    return KeyFunction{function_type::kMacro, id, 0, entry.second};
  }
  return KeyFunction{function_type::kMacro, id, entry.second, 0};
}

constexpr std::array<std::string_view, kLastKeyboardFunction> kKeyboardFunctionNames = {
    "Fn0",       "Fn",         "Fn2",        "Fn3",      "To0",       "To1",        "To2",
    "To3",       "BL-TOG",     "BL-MOD",     "BL-RMOD",  "BL-HUT",    "BL-HUD",     "BL-VAI",
    "BL-VAD",    "BL-SPI",     "BL-SPD",     "COLOUR",   "BL-LIGHT1", "BL-LIGHT2",  "BL-LIGHT3",
    "BL-LIGHT4", "BL-LIGHT5",  "LG-TOG",     "LG-MOD",   "LG-RMOD",   "LG-HUT",     "LG-HUD",
    "LG-VAI",    "LG-VAD",     "LG-SPI",     "LG-SPD",   "SD-TOG",    "SD-MOD",     "SD-RMOD",
    "SD-HUT",    "SD-HUD",     "SD-VAI",     "SD-VAD",   "SD-SPI",    "SD-SPD",     "LT-TOG",
    "LT-MOD",    "LT-RMOD",    "LT-HUT",     "LT-HUD",   "LT-VAI",    "LT-VAD",     "LT-SPI",
    "LT-SPD",    "Reset",      "BLE1",       "BLE2",     "BLE3",      "2.4G",       "USB",
    "Battery",   "6N",         "Mac/Win",    "WinLock",  "WASD",      "KeyDelay",   "F-Change",
    "Wheel",     "LEDTest",    "AllPower",   "LCDPower", "LCDMode",   "LCDGIFMode", "LCDUSBMode",
    "WheelLeft", "WheelRight", "WheelClick", "KeyTest",
};

}  // namespace

std::string_view KeyboardFunctionName(int code) {
  if (code < kFirstKeyboardFunction || code > kLastKeyboardFunction) return {};
  return kKeyboardFunctionNames[static_cast<std::size_t>(code - kFirstKeyboardFunction)];
}

std::span<const MouseCode> MouseCodes() {
  return kMouseCodes;
}
std::span<const MediaCode> MediaCodes() {
  return kMediaCodes;
}
std::span<const ShortcutCode> ShortcutCodes() {
  return kShortcutCodes;
}
std::span<const SystemShortcutCode> SystemShortcutCodes() {
  return kSystemShortcutCodes;
}

std::optional<std::uint8_t> ModifierBitOfUsage(int usage) {
  if (usage < kFirstModifierUsage || usage > kLastModifierUsage) return std::nullopt;
  return static_cast<std::uint8_t>(1u << (usage - kFirstModifierUsage));
}

std::optional<int> ModifierUsageOfBit(std::uint8_t mask) {
  if (!std::has_single_bit(mask)) return std::nullopt;
  return kFirstModifierUsage + std::countr_zero(mask);
}

std::optional<KeyEntry> EncodeKeyFunction(const KeyFunction& function,
                                          std::span<const int> macroIds) {
  namespace ft = function_type;
  switch (function.type) {
    case ft::kFixed:
      return KeyEntry{entry_type::kFixedOrSpecial, kFixedFunctionArgument, 0x00};
    case ft::kKeyboardKey:
      return EncodeKeyboardKey(function);
    case ft::kMacro:
      return EncodeMacro(function, macroIds);
    case ft::kUnused:
      return kEmptyEntry;
    case ft::kMouse:
      return EncodeMouse(function.value);
    case ft::kMedia:
      return EncodeMedia(function.value);
    case ft::kShortcut:
      return EncodeShortcut(function.value);
    case ft::kKeyboardFunction:
      return KeyEntry{entry_type::kKeyboardFunction, ByteOrZero(function.value), 0x00};
    default:
      break;
  }
  if (function.type >= ft::kSpecial && function.type <= ft::kLastSpecial) {
    return KeyEntry{entry_type::kFixedOrSpecial, kSpecialArgument, ByteOrZero(function.value)};
  }
  return std::nullopt;
}

std::optional<KeyFunction> DecodeKeyEntry(const KeyEntry& entry, std::span<const int> macroIds) {
  switch (entry.type) {
    case entry_type::kSystem:
      return DecodeSystem(entry);
    case entry_type::kFixedOrSpecial:
      return DecodeFixedOrSpecial(entry);
    case entry_type::kKey:
      return DecodeKeyboardKey(entry);
    case entry_type::kMedia:
      return DecodeMedia(entry);
    case entry_type::kMouse:
      return DecodeMouse(entry);
    case entry_type::kKeyboardFunction:
      return KeyFunction{function_type::kKeyboardFunction, entry.first, 0, 0};
    case entry_type::kMacro:
    case entry_type::kMacroRepeat:
      return DecodeMacro(entry, macroIds);
    default:
      return std::nullopt;
  }
}

}  // namespace protocol
