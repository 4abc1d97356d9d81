#pragma once
// tarvoctl's "effect" commands: the screen-sync and music page's mode, sources, music layer
// and colour, through the same page operations as its controls.

#include "app/ControlCommands.h"

CommandOutcome EffectShow(const CommandCall& call);
CommandOutcome EffectMode(const CommandCall& call);
CommandOutcome EffectFile(const CommandCall& call);
CommandOutcome EffectWindow(const CommandCall& call);
CommandOutcome EffectScreen(const CommandCall& call);
CommandOutcome EffectAmplitude(const CommandCall& call);
CommandOutcome EffectColour(const CommandCall& call);
