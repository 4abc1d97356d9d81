#pragma once
// The key test's list of what is held down: keys and mouse buttons as raw input names them,
// each shown once from its press to its release.
//
// Each held thing has an identity of its own: a key its HID usage, a key without one (the
// volume keys, say) its virtual-key code, a mouse button its button number, each in a range of
// its own, so that two held volume keys, or the back button and the D key, both show.

#include <optional>
#include <set>
#include <string>

#include "keys/InputEvents.h"

namespace core {
class TextTable;
}

namespace keys {

// Identities of the key test's entries.
inline constexpr int kKeyWithoutUsageIdentity = 0x10000;  // + the virtual-key code
inline constexpr int kMouseButtonIdentity = 0x20000;      // + the raw-input button number

class KeyTestState {
 public:
  // What the list shows next.
  struct Change {
    enum class Kind { kAdd, kRemove };
    Kind kind = Kind::kAdd;
    std::string name;  // kAdd
    int identity = 0;
    bool operator==(const Change&) const = default;
  };

  explicit KeyTestState(const core::TextTable& texts) : texts_(texts) {}

  // Forgets what was held (the test starts again with an empty list).
  void Reset() { held_.clear(); }
  // A raw-input event named by NameRawInputEvent. Nothing for a key repeating, a button event
  // without a button (a move, the wheel), another device, or a key without any name.
  std::optional<Change> OnRawInput(const KeyEvent& event);
  bool IsHeld(int identity) const { return held_.count(identity) != 0; }

 private:
  std::optional<Change> Apply(int identity, std::string name, int direction);

  const core::TextTable& texts_;
  std::set<int> held_;
};

}  // namespace keys
