#pragma once
// tarvoctl's light and custom slot commands: each goes through the lighting room's service, as
// the light page does, and answers once the keyboard has received the change.

#include "app/ControlCommands.h"

CommandOutcome LightShow(const CommandCall& call);
CommandOutcome LightOn(const CommandCall& call);
CommandOutcome LightOff(const CommandCall& call);
CommandOutcome LightMode(const CommandCall& call);
CommandOutcome LightBrightness(const CommandCall& call);
CommandOutcome LightSpeed(const CommandCall& call);
CommandOutcome LightDirection(const CommandCall& call);
CommandOutcome LightColour(const CommandCall& call);
CommandOutcome LightColorful(const CommandCall& call);
CommandOutcome SlotSelect(const CommandCall& call);
CommandOutcome SlotPaint(const CommandCall& call);
CommandOutcome SlotFill(const CommandCall& call);
CommandOutcome SlotShow(const CommandCall& call);
