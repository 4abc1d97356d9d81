#pragma once
// Tells the user when the keyboards cannot be opened for want of the udev rule: on standard
// error at start, and on the home page for as long as a keyboard of ours is attached but its
// command interface does not open for this user.

#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "platform/KeyboardAccess.h"

struct DeviceCatalogue;
namespace core {
class TextTable;
}
namespace Tessel {
class MWindow;
}

class KeyboardAccessHint {
 public:
  enum class State {
    kOpenable,          // a keyboard of ours opens
    kNoneAttached,      // none is attached
    kAttachedButClosed  // one is attached, but none of its command interfaces opens
  };

  // The file name the rule is installed under.
  static constexpr const char* kRuleFile = "70-tarvo.rules";
  // The commands that install the rule, one per line, each indented by two blanks.
  static std::string InstallCommands();

  KeyboardAccessHint(platform::KeyboardAccessRoots roots, const DeviceCatalogue& catalogue);

  // The keyboards as they are attached now. Any thread.
  State Check() const;
  // What standard error gets at start; empty when a keyboard opens, or when none is attached
  // and the rule is installed.
  std::string StartupMessage(State state) const;
  // Puts the hint that fits `state` under the home page's no-keyboard message, changing the
  // text only when it must change. UI thread.
  void ShowOnHomePage(Tessel::MWindow& window, const core::TextTable& texts, State state);

 private:
  platform::KeyboardAccessRoots roots_;
  std::set<std::pair<std::uint16_t, std::uint16_t>> models_;  // vendor and product ids
  bool hintShown_ = false;
};
