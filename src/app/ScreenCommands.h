#pragma once
// tarvoctl's screen commands: the library, what each screen shows, import, the choice of a
// screen's animation, the upload and the clock, through the screen page's operations.

#include "app/ControlCommands.h"

CommandOutcome ScreenList(const CommandCall& call);
CommandOutcome ScreenShow(const CommandCall& call);
CommandOutcome ScreenImport(const CommandCall& call);
CommandOutcome ScreenSet(const CommandCall& call);
CommandOutcome ScreenUpload(const CommandCall& call);
CommandOutcome ScreenClock(const CommandCall& call);
