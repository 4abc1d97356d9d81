#pragma once
// Controls the light and matrix pages share for a mode's settings.

#include "ui/tessel/PageHost.h"

namespace lighting {

// The direction choice: its label and the four radio buttons.
struct DirectionIds {
  int label;
  int left;
  int right;
  int up;
  int down;
};

// Shows the pair of directions the mode offers (left/right before up/down; none when it offers
// neither) with `direction` checked.
void ShowDirectionChoice(Tessel::PageHost& host, const DirectionIds& ids, int offers,
                         int direction);

// The direction a radio button of the choice stands for.
int DirectionOf(const DirectionIds& ids, int buttonId);

}  // namespace lighting
