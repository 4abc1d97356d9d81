#include "ui/tessel/PageHost.h"

#include "ui/tessel/MControl.h"

namespace Tessel {

void PageHost::SetVisible(int id, bool visible) {
  if (MControl* control = FindControl(id)) control->SetVisible(visible);
}

}  // namespace Tessel
