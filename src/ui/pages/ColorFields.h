#pragma once
// The colour controls every colour card has: a wheel and the red, green and blue number fields
// beside it, kept showing one colour whichever of them the user changes.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "ui/tessel/PageHost.h"
#include "ui/tessel/Types.h"

namespace pages {

struct ColorFieldIds {
  int wheel;
  int red;
  int green;
  int blue;

  constexpr bool IsNumberField(int id) const { return id == red || id == green || id == blue; }
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

// Where a colour card puts its controls: a title, the wheel with the three number fields beside
// it, and a row of preset colour buttons below (ids firstPreset onward).
struct ColorCardLayout {
  int card;
  int title;
  ColorFieldIds fields;
  int redLabel;
  int greenLabel;
  int blueLabel;
  int presetLabel;
  int firstPreset;
  int cardWidth;
  int titleTop = 12;
  int titleWidth = 200;
  int titleHeight = 24;
  int wheelTop = 44;
  int wheelWidth = 150;
  int wheelHeight = 132;
  int firstFieldTop = 42;
  int fieldStep = 46;
  int fieldMaxLength = 4;
  int presetLabelTop = 186;
  int presetTop = 208;
  int presetSide = 24;
  int presetStep = 26;
};

// Creates the controls of a colour card in `layout.card`, with `presetCount` preset buttons
// showing `presets` (those beyond the list show none until the page gives them one).
void CreateColorCardControls(Tessel::PageHost& host, const ColorCardLayout& layout,
                             std::span<const Tessel::Color> presets, int presetCount);

}  // namespace pages
