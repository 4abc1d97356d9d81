#include "keys/KeyDescriptions.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "keys/KeyCodes.h"
#include "keys/KeyFunctionCatalogue.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

struct ValueText {
  int value;
  int textId;
};

constexpr ValueText kMediaTexts[] = {
    {110, text::kMediaPlayer},         {104, text::kMediaVolumeUp},
    {105, text::kMediaVolumeDown},     {106, text::kMediaMute},
    {100, text::kMediaPlayPause},      {101, text::kMediaStop},
    {102, text::kMediaPreviousTrack},  {103, text::kMediaNextTrack},
    {111, text::kMediaBrightnessUp},   {112, text::kMediaBrightnessDown},
    {116, text::kMediaBrowserHome},    {117, text::kMediaBrowserRefresh},
    {118, text::kMediaBrowserStop},    {119, text::kMediaBrowserBack},
    {120, text::kMediaBrowserForward}, {121, text::kMediaBrowserFavorites},
    {122, text::kMediaBrowserSearch},  {113, text::kMediaReadMyComputer},
    {114, text::kMediaReadCalculator}, {115, text::kMediaReadEmail},
};

constexpr ValueText kMouseTexts[] = {
    {90, text::kMouseLeft},  {96, text::kMouseScrollUp}, {97, text::kMouseScrollDown},
    {92, text::kMouseRight}, {91, text::kMouseMiddle},   {94, text::kMouseForward},
    {95, text::kMouseBack},
};

constexpr ValueText kSystemShortcutTexts[] = {
    {161, text::kShortcutSystemSleep},
    {162, text::kShortcutSystemPower},
    {163, text::kShortcutSystemWake},
};

struct NamedBit {
  int bit;
  std::string_view name;
};
constexpr NamedBit kModifierNames[] = {
    {0x01, "LCtrl"}, {0x02, "LShift"}, {0x04, "LAlt"}, {0x08, "LWin"},
    {0x10, "RCtrl"}, {0x20, "RShift"}, {0x40, "Alt"},  {0x80, "RWin"},
};

// Stored default macro names and their length in characters.
struct DefaultMacroPrefix {
  std::string_view text;
  std::size_t characters;
};
constexpr DefaultMacroPrefix kDefaultMacroPrefixes[] = {
    {"New Macro", 9},
    {"\xE6\x96\xB0\xE5\xBB\xBA\xE5\xB7\xA8\xE9\x9B\x86", 4},  // 新建巨集
    {"\xE6\x96\xB0\xE5\xBB\xBA\xE5\xAE\x8F", 3},              // 新建宏
};

constexpr int kColourFunction = 18;  // named "Color" when read back from a keyboard

std::optional<std::string> TextOf(std::span<const ValueText> table, int value,
                                  const core::TextTable& texts) {
  const auto found = std::find_if(table.begin(), table.end(),
                                  [&](const ValueText& row) { return row.value == value; });
  if (found == table.end()) return std::nullopt;
  return texts.GetText(text::kDialogSection, found->textId);
}

std::optional<std::string> DescribeKeyboardFunction(const protocol::KeyEntry& entry, int code,
                                                    const KeyFunctionCatalogue& catalogue) {
  if (entry.second != 0 || code < kFirstKeyboardFunction || code > kLastKeyboardFunction) {
    return std::nullopt;
  }
  if (code == kColourFunction) return "Color";
  if (const auto found = catalogue.Find(ft::kKeyboardFunction, code)) return found->name;
  return std::string(KeyboardFunctionName(code));
}

std::optional<std::string> DescribeMacro(int id, const KeyDescriptionContext& context) {
  const auto found = std::find_if(context.macros.begin(), context.macros.end(),
                                  [&](const MacroName& macro) { return macro.id == id; });
  if (found == context.macros.end()) return std::nullopt;
  return MacroDisplayName(found->name, context.texts);
}

std::string DescribeKeyboardKey(const protocol::KeyFunction& function) {
  // Modifiers without a key have no usage to name.
  if (function.value == 0 && function.value2 != 0) return ModifierText(function.value2);
  return std::string(UsageShortName(function.value));
}

}  // namespace

std::string MacroDisplayName(std::string_view storedName, const core::TextTable& texts) {
  for (const DefaultMacroPrefix& prefix : kDefaultMacroPrefixes) {
    if (storedName.starts_with(prefix.text)) {
      return texts.GetText(text::kDialogSection, text::kMacroBaseName) +
             base::DropCodePoints(storedName, prefix.characters);
    }
  }
  return std::string(storedName);
}

std::string ModifierText(int mask) {
  std::string text;
  for (const NamedBit& modifier : kModifierNames) {
    if ((mask & modifier.bit) == 0) continue;
    if (!text.empty()) text += "+ ";
    text += modifier.name;
  }
  return text;
}

std::string CombinationDescription(int mask, std::string_view keyName) {
  const std::string modifiers = ModifierText(mask);
  if (modifiers.empty()) return std::string(keyName);
  if (keyName.empty()) return modifiers;
  return modifiers + " + " + std::string(keyName);
}

std::optional<std::string> DescribeDecodedEntry(const protocol::KeyEntry& entry,
                                                const protocol::KeyFunction& function,
                                                const KeyDescriptionContext& context) {
  switch (function.type) {
    case ft::kFixed:
      return context.texts.GetText(text::kDialogSection, text::kKeyDisabled);
    case ft::kKeyboardKey:
      return DescribeKeyboardKey(function);
    case ft::kMacro:
      return DescribeMacro(function.value, context);
    case ft::kMouse:
      return TextOf(kMouseTexts, function.value, context.texts);
    case ft::kMedia:
      return TextOf(kMediaTexts, function.value, context.texts);
    case ft::kShortcut:
      return TextOf(kSystemShortcutTexts, function.value, context.texts);
    case ft::kKeyboardFunction:
      return DescribeKeyboardFunction(entry, function.value, context.catalogue);
    default:
      break;
  }
  if (function.type >= ft::kSpecial && function.type <= ft::kLastSpecial) return "Special";
  return std::nullopt;
}

DecodedKey DecodeKey(const protocol::KeyEntry& entry, const KeyDescriptionContext& context) {
  std::vector<int> macroIds;
  macroIds.reserve(context.macros.size());
  for (const MacroName& macro : context.macros) macroIds.push_back(macro.id);
  const auto function = protocol::DecodeKeyEntry(entry, macroIds);
  if (!function) return {};
  return {*function, DescribeDecodedEntry(entry, *function, context)};
}

}  // namespace keys
