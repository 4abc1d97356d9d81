#include "ui/tessel/BatteryCtrl.h"

namespace Tessel {

void BatteryCtrl::SetBatteryInfo(int level, int charging) {
  {
    std::lock_guard lock(mutex_);
    if (level_ == level && charging_ == charging) return;
    level_ = level;
    charging_ = charging;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int BatteryCtrl::GetLevel() const {
  return Read(level_);
}

int BatteryCtrl::GetCharging() const {
  return Read(charging_);
}

void BatteryCtrl::SetChargingText(std::string text) {
  Assign(chargingText_, std::move(text));
}

std::string BatteryCtrl::GetChargingText() const {
  return Read(chargingText_);
}

}  // namespace Tessel
