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
// "effect show": one line per part of the effect.
std::string FormatEffectShow(const base::Json& result);
// Every other command: the result's "message".
std::string FormatMessage(const base::Json& result);

}  // namespace cli
