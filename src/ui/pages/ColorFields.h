#pragma once
// The colour controls every colour card has: a wheel and the red, green and blue number fields
// beside it, kept showing one colour whichever of them the user changes.

#include <optional>
#include <string>

#include "ui/tessel/PageHost.h"
#include "ui/tessel/Types.h"

namespace pages {

struct ColorFieldIds {
  int wheel;
  int red;
  int green;
  int blue;
};

// A number typed into a red, green or blue field: leading digits (with a sign) read as a
// decimal number, no digits read as 0, then clamped to 0..255.
int ParseColorChannel(const std::string& text);

// Shows `color` on the wheel and in the three fields, except in the control `except` (the one
// the user is changing; 0 for none).
void ShowColorFields(Tessel::PageHost& host, const ColorFieldIds& ids, Tessel::Color color,
                     int except);

// The field `edited` changed (`commit`: the user left it or pressed Enter). Nothing while the
// user is still typing (an empty field or a lone sign); otherwise the field is corrected to the
// channel it stands for and the colour of the three fields is returned.
std::optional<Tessel::Color> ReadColorFields(Tessel::PageHost& host, const ColorFieldIds& ids,
                                             int edited, bool commit);

}  // namespace pages
