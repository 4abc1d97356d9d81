#pragma once
// The functions the knob's actions can be given: the media functions, the keyboard's own
// functions except the colour, F-Change and wheel codes, and the keyboard keys; no mouse
// functions, shortcuts, macros or combinations. The wheel functions 71 to 73 are named after
// the volume functions they stand for.

#include <vector>

#include "keys/KeyFunctionCatalogue.h"

namespace keys {

inline constexpr std::size_t kKnobFunctionCount = 192;

// Built from a catalogue in the texts' language; empty when the catalogue was never built.
std::vector<KeyFunctionEntry> BuildKnobFunctionList(const KeyFunctionCatalogue& catalogue,
                                                    const core::TextTable& texts);

}  // namespace keys
