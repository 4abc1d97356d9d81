#pragma once
// A macro as a file of its own (tarvoctl's "macro export" and "macro import"): its name, its
// delay and play settings and its events, as JSON.
//
//   {"tarvo_macro": 1, "name": "M1", "delay_type": 1, "delay_time": 0, "play_type": 0,
//    "play_times": 1, "events": [{"type": 2, "value": 65, "delay": 10}, ...]}
//
// Everything read is checked before it is used: a file that holds anything out of range is
// refused whole, with the reason.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroEvents.h"
#include "storage/Records.h"

namespace macros {

inline constexpr int kMacroFileVersion = 1;
inline constexpr std::size_t kMaxMacroNameLength = 64;  // code points

struct MacroFileContent {
  storage::MacroRecord macro;  // macro_id is not kept
  std::vector<MacroEvent> events;
};

std::string WriteMacroFile(const MacroFileContent& content);
// The text of a file of at most kMaxMacroFileSize bytes; empty with the reason in `error`.
std::optional<std::string> ReadMacroFileText(const std::filesystem::path& file, std::string* error);
inline constexpr std::uintmax_t kMaxMacroFileSize = 1 << 20;
// The macro of a file; empty with the reason in `error` when the file is no macro file or holds
// a value out of range. Event texts are made anew from the events.
std::optional<MacroFileContent> ReadMacroFile(std::string_view text, std::string* error);

// What is wrong with a macro name (empty, not UTF-8, control characters, longer than
// kMaxMacroNameLength); empty when nothing is.
std::optional<std::string> MacroNameProblem(std::string_view name);

}  // namespace macros
