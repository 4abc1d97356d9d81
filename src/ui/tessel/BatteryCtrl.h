#pragma once
// The battery of the keyboard being set up: its level and whether it is charging, as the
// keyboard reports them. A level of 0 means the keyboard reported none; the control then
// shows nothing.

#include <string>

#include "ui/tessel/MControl.h"

namespace Tessel {

// A level at or below this is marked as low (unless the keyboard charges).
inline constexpr int kLowBatteryLevel = 15;

class BatteryCtrl : public MControl {
 public:
  BatteryCtrl(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "BatteryCtrl";

  // Both values are kept as given; the drawing reads the level as a percentage.
  void SetBatteryInfo(int level, int charging);
  int GetLevel() const;
  int GetCharging() const;

  // The word shown beside the level while the battery charges.
  void SetChargingText(std::string text);
  std::string GetChargingText() const;

 private:
  int level_ = 0;
  int charging_ = 0;
  std::string chargingText_;
};

}  // namespace Tessel
