#include "lighting/ModeSettingsPage.h"

#include "lighting/LightModes.h"
#include "ui/tessel/Controls.h"

namespace lighting {

void ShowDirectionChoice(Tessel::PageHost& host, const DirectionIds& ids, int offers,
                         int direction) {
  const bool leftRight = (offers & offers::kLeftRight) != 0;
  const bool upDown = !leftRight && (offers & offers::kUpDown) != 0;
  host.SetVisible(ids.label, leftRight || upDown);
  host.SetVisible(ids.left, leftRight);
  host.SetVisible(ids.right, leftRight);
  host.SetVisible(ids.up, upDown);
  host.SetVisible(ids.down, upDown);
  int checked = 0;
  if (leftRight) checked = direction == kDirectionLeft ? ids.left : ids.right;
  if (upDown) checked = direction == kDirectionUp ? ids.up : ids.down;
  if (auto* radio = host.GetControl<Tessel::CRadioButton>(checked)) radio->SetCheck(true);
}

int DirectionOf(const DirectionIds& ids, int buttonId) {
  if (buttonId == ids.left) return kDirectionLeft;
  if (buttonId == ids.up) return kDirectionUp;
  if (buttonId == ids.down) return kDirectionDown;
  return kDirectionRight;
}

}  // namespace lighting
