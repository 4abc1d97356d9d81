#pragma once
// The catalogue of key functions the user can give a key: keyboard keys, mouse, media and
// shortcut functions and the keyboard's own functions, in the order the function picker lists
// them. Names of the form "text N" follow the interface language; rebuilding the catalogue
// after a language change replaces them.

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/KeyEntry.h"

namespace core {
class TextTable;
}

namespace keys {

struct KeyFunctionEntry {
  int type = 0;
  int code = 0;
  std::string name;
  std::string note;  // the picker's second column; empty for every catalogue entry
  bool operator==(const KeyFunctionEntry&) const = default;
};

// Number of entries of a built catalogue.
inline constexpr std::size_t kCatalogueSize = 213;

// Names of the keyboard functions (type 12) by code, 1 to 74; empty for other codes.
using protocol::KeyboardFunctionName;
inline constexpr int kFirstKeyboardFunction = protocol::kFirstKeyboardFunction;
inline constexpr int kLastKeyboardFunction = protocol::kLastKeyboardFunction;

class KeyFunctionCatalogue {
 public:
  using Entries = std::vector<KeyFunctionEntry>;

  KeyFunctionCatalogue();

  // Empties the catalogue and fills it again, with "text N" names in the texts' current
  // language. Readers on other threads keep the list they took until they take a new one.
  void Build(const core::TextTable& texts);

  // The current list (empty until the first Build).
  std::shared_ptr<const Entries> Snapshot() const;
  std::size_t Size() const;
  // Entries are identified by (type, code): names repeat ("Enter", "-", the digits).
  std::optional<KeyFunctionEntry> Find(int type, int code) const;
  // The entries of one type in catalogue order.
  Entries OfType(int type) const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const Entries> entries_;
};

}  // namespace keys
