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
// "macro list": one line per macro with its slot, events and delays; the memory left.
std::string FormatMacroList(const base::Json& result);
// "macro show": the macro's settings and its events, one per line.
std::string FormatMacroShow(const base::Json& result);
// Every other command: the result's "message".
std::string FormatMessage(const base::Json& result);

}  // namespace cli
