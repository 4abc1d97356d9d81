#pragma once
// tarvoctl's macro commands: each calls the macro room's operations, as the macro page does, and
// shows the change on the page of a running window.

#include "app/ControlCommands.h"

CommandOutcome MacroList(const CommandCall& call);
CommandOutcome MacroShow(const CommandCall& call);
CommandOutcome MacroAdd(const CommandCall& call);
CommandOutcome MacroDelete(const CommandCall& call);
CommandOutcome MacroRename(const CommandCall& call);
CommandOutcome MacroSet(const CommandCall& call);
CommandOutcome MacroExport(const CommandCall& call);
CommandOutcome MacroImport(const CommandCall& call);
