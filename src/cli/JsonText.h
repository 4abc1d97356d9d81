#pragma once
// Pieces the result formatters share: members of an answer that may be missing, and texts
// from the keyboard's database or a file made safe for a terminal.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Json.h"

namespace cli {

// The member `key` of `object`; a null value when it has none (or is no object).
const base::Json& Member(const base::Json& object, std::string_view key);
// Control characters (an escape sequence, a line end inside a name) show as '?'.
std::string Printable(std::string text);
// `text` filled with blanks to `width`, and one blank after it.
std::string Padded(std::string text, std::size_t width);

}  // namespace cli
