#pragma once
// tarvoctl's matrix light and music analysis commands (see ControlCommands.h): each calls the
// operations of the matrix page that its controls call.

#include "app/ControlCommands.h"

CommandOutcome MatrixShow(const CommandCall& call);
CommandOutcome MatrixOn(const CommandCall& call);
CommandOutcome MatrixOff(const CommandCall& call);
CommandOutcome MatrixMode(const CommandCall& call);
CommandOutcome MatrixPreset(const CommandCall& call);
CommandOutcome MatrixBrightness(const CommandCall& call);
CommandOutcome MatrixSpeed(const CommandCall& call);
CommandOutcome MatrixAmplitude(const CommandCall& call);
CommandOutcome MatrixColour(const CommandCall& call);
CommandOutcome MatrixPaint(const CommandCall& call);
CommandOutcome MatrixClear(const CommandCall& call);
CommandOutcome AudioShow(const CommandCall& call);

// "ff8000" (or "#ff8000") as a colour 0x00BBGGRR; empty for anything else.
std::optional<std::uint32_t> ParseHexColour(std::string_view text);
// A colour 0x00BBGGRR as "ff8000".
std::string HexColour(std::uint32_t color);
