#include "keyboard/KeyboardInfo.h"

#include <string>

#include "base/Log.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "keyboard/SystemSettings.h"
#include "storage/SettingsDatabase.h"

KeyboardInfo::KeyboardInfo(SharedState& state, device::KeyboardCommands& keyboard,
                           storage::SettingsDatabase& database, CurrentModel& model)
    : state_(state), keyboard_(keyboard), database_(database), model_(model) {}

void KeyboardInfo::AddObserver(Observer& observer) {
  observers_.push_back(&observer);
}

KeyboardInfo::Snapshot KeyboardInfo::Get() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}

std::optional<int> KeyboardInfo::KnownRevision() const {
  std::lock_guard lock(mutex_);
  if (snapshot_.modelId == 0 || snapshot_.modelId != state_.selectedModel.load())
    return std::nullopt;
  return snapshot_.device.protocolRevision;
}

void KeyboardInfo::BeginRead() {
  for (Observer* observer : observers_) observer->OnReadStarted();
}

std::optional<protocol::DeviceInfo> KeyboardInfo::ReadDeviceInfo() {
  TARVO_EXPECT_WORKER();
  const std::optional<protocol::DeviceInfo> info = keyboard_.ReadDeviceInfo();
  if (!info) return std::nullopt;
  const bool otherKeyboard = ApplyDeviceInfo(*info);
  const Snapshot read = Get();
  for (Observer* observer : observers_) observer->OnDeviceInfo(read, otherKeyboard);

  protocol::SettingsBlock settings{};
  if (!keyboard_.ReadSettings(settings)) return std::nullopt;
  StoreSettings(settings, info->protocolRevision);
  ReadBattery();
  return info;
}

bool KeyboardInfo::ApplyDeviceInfo(const protocol::DeviceInfo& info) {
  const int model = state_.selectedModel.load();
  bool otherKeyboard = false;
  {
    std::lock_guard lock(mutex_);
    otherKeyboard = snapshot_.modelId != model;
    // Another keyboard's settings block is not this one's, nor its battery.
    if (otherKeyboard) {
      snapshot_.settingsRead = false;
      snapshot_.battery = {};
    }
    snapshot_.modelId = model;
    snapshot_.device = info;
  }
  model_.SetDeviceInfo(model, info);
  return otherKeyboard;
}

void KeyboardInfo::StoreSettings(const protocol::SettingsBlock& block, int protocolRevision) {
  const protocol::SystemSettings system = protocol::ReadSystemSettings(block, protocolRevision);
  const protocol::ActiveLightModes modes = protocol::ReadActiveLightModes(block);
  {
    std::lock_guard lock(mutex_);
    snapshot_.settingsRead = true;
    snapshot_.settings = block;
    snapshot_.lightModes = modes;
  }
  // What the keyboard holds becomes the profile's; a failed write is reported by the database
  // and ends the storing (the rows keep their earlier values).
  const int profile = state_.currentProfile.load();
  for (const SystemSettingKey& setting : SystemSettingKeys()) {
    if (!database_.SetConfigValue(profile, setting.key, std::to_string(system.*setting.field))) {
      return;
    }
  }
  for (auto [zone, mode] :
       {std::pair{protocol::kZone0, modes.zone0}, std::pair{protocol::kZone1, modes.zone1},
        std::pair{protocol::kZone2, modes.zone2}}) {
    if (!database_.SetActiveLightMode(profile, zone, mode)) return;
  }
}

void KeyboardInfo::ReadBattery() {
  const std::optional<protocol::BatteryReport> battery = keyboard_.ReadBattery();
  // A keyboard that reports no level leaves the display as it was.
  if (!battery || !battery->HasLevel()) return;
  int model = 0;
  {
    std::lock_guard lock(mutex_);
    snapshot_.battery = *battery;
    model = snapshot_.modelId;
  }
  for (Observer* observer : observers_) observer->OnBattery(model, *battery);
}
