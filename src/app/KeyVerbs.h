#pragma once
// tarvoctl's key and knob commands: each goes through the key room's service, as the key page
// and the knob dialog do, and answers once the keyboard has received the change.

#include <string>
#include <variant>

#include "app/ControlCommands.h"

struct LayoutTables;

CommandOutcome KeyShow(const CommandCall& call);
CommandOutcome KeySet(const CommandCall& call);
CommandOutcome KeyReset(const CommandCall& call);
CommandOutcome KnobSet(const CommandCall& call);

// Shared with the slot commands, which name keys the same way.
struct NamedKey {
  int code = 0;
  std::string name;  // as tarvoctl prints it
};
// A key of the selected model by tarvoctl's name or its code, else by the name the keyboard view
// shows when only one key has it; the failure to answer otherwise.
std::variant<NamedKey, cli::Answer> FindKey(KeyboardDlg& dialog, const std::string& word);
// How a key is printed: tarvoctl's name, else the keyboard view's, else its code.
std::string KeyName(const LayoutTables& layout, int code);
