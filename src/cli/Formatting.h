#pragma once
// The results of the commands as text for a person. Every function takes the result object a
// command answered with and shows what it holds; a missing member shows as nothing, never as a
// made-up value.

#include <string>

#include "base/Json.h"

namespace cli {

// "status": the software, every catalogue model with its connections, the selection.
std::string FormatStatus(const base::Json& result);
// "profile list": one line per profile, the active one marked.
std::string FormatProfileList(const base::Json& result);
// "settings show": one line per setting.
std::string FormatSettingsShow(const base::Json& result);
// "key show": per layer, one line per key (and the knob's actions).
std::string FormatKeyShow(const base::Json& result);
// "light show": the switch, the custom slot, one line per zone.
std::string FormatLightShow(const base::Json& result);
// "slot show": the slot's colours as KEY=RRGGBB words, as "slot paint" takes them.
std::string FormatSlotShow(const base::Json& result);
// "matrix show": the matrix light's settings and its cells as a grid (MatrixFormatting.cpp).
std::string FormatMatrixShow(const base::Json& result);
// "audio show": the sound source and what the music analysis hears (MatrixFormatting.cpp).
std::string FormatAudioShow(const base::Json& result);
// "screen list": one line per animation of the library.
std::string FormatScreenList(const base::Json& result);
// "screen show": one line per screen.
std::string FormatScreenShow(const base::Json& result);
// "effect show": one line per part of the effect.
std::string FormatEffectShow(const base::Json& result);
// "macro list": one line per macro with its slot, events and delays; the memory left.
std::string FormatMacroList(const base::Json& result);
// "macro show": the macro's settings and its events, one per line.
std::string FormatMacroShow(const base::Json& result);
// Every other command: the result's "message".
std::string FormatMessage(const base::Json& result);

}  // namespace cli
