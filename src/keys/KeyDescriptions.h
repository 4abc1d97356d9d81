#pragma once
// What a key shows after its entry was read from the keyboard (or restored from the factory
// table): the decoded key function and, for the functions that have one, its label. A function
// without a label leaves the key's stored label as it was.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/KeyEntry.h"

namespace core {
class TextTable;
}

namespace keys {

class KeyFunctionCatalogue;

struct MacroName {
  int id = 0;
  std::string name;  // as stored
};

// How a macro is shown on keys and in the picker: a stored default name ("New Macro" and its
// Chinese forms) shows the current language's base name followed by the rest of the name.
std::string MacroDisplayName(std::string_view storedName, const core::TextTable& texts);

// The modifiers of a mask as the key combination panel writes them: "LCtrl", then "+ LShift"
// and so on appended directly, from bit 0x01 upward.
std::string ModifierText(int mask);
// A combination's label: "<modifiers> + <key>", or whichever of the two is not empty.
std::string CombinationDescription(int mask, std::string_view keyName);

struct KeyDescriptionContext {
  const core::TextTable& texts;
  const KeyFunctionCatalogue& catalogue;
  std::span<const MacroName> macros;  // the macro list in its stored order
};

// The label of a decoded entry; empty when the key keeps its label.
std::optional<std::string> DescribeDecodedEntry(const protocol::KeyEntry& entry,
                                                const protocol::KeyFunction& function,
                                                const KeyDescriptionContext& context);

// An entry decoded for storage: the function is the default (type 0) when the entry names
// nothing known.
struct DecodedKey {
  protocol::KeyFunction function;
  std::optional<std::string> description;
  bool operator==(const DecodedKey&) const = default;
};
DecodedKey DecodeKey(const protocol::KeyEntry& entry, const KeyDescriptionContext& context);

}  // namespace keys
