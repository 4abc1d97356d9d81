#include "keyboard/SystemSettings.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/Text.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "keyboard/KeyboardInfo.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"

namespace {

namespace key = storage::config_key;
using Settings = protocol::SystemSettings;
using Layout = protocol::SystemSettingsLayout;

constexpr SystemSettingKey kSystemSettingKeys[] = {
    {key::kMacMode, &Settings::macMode, &Layout::macMode, 1},
    {key::kGameMode, &Settings::gameMode, &Layout::gameMode, 1},
    {key::kLockWin, &Settings::lockWin, &Layout::lockWin, 1},
    {key::kWasdMode, &Settings::wasdMode, &Layout::wasdMode, 1},
    {key::kSleepTime, &Settings::sleepMinutes, &Layout::sleepTime, 3},
    {key::kKeyResponse, &Settings::keyResponse, &Layout::keyResponse, 1},
};

}  // namespace

std::span<const SystemSettingKey> SystemSettingKeys() {
  return kSystemSettingKeys;
}

SystemSettings::SystemSettings(SharedState& state, device::KeyboardCommands& keyboard,
                               storage::SettingsDatabase& database, const KeyboardInfo& info)
    : state_(state), keyboard_(keyboard), database_(database), info_(info) {}

void SystemSettings::SendSystemSettings() {
  TARVO_EXPECT_WORKER();
  device::CommandBracket bracket(keyboard_);
  const std::optional<int> revision = Revision();
  if (!revision) return;
  protocol::SettingsBlock block{};
  if (!keyboard_.ReadSettings(block)) return;
  PatchStoredSettings(block, *revision);
  keyboard_.WriteSettings(block);
}

bool SystemSettings::SendFactoryReset() {
  TARVO_EXPECT_WORKER();
  device::CommandBracket bracket(keyboard_);
  return keyboard_.FactoryReset();
}

std::optional<int> SystemSettings::Revision() {
  if (const std::optional<int> known = info_.KnownRevision()) return known;
  // Positions from another keyboard would overwrite its lighting bytes: ask this one.
  const std::optional<protocol::DeviceInfo> device = keyboard_.ReadDeviceInfo();
  if (!device) return std::nullopt;
  return device->protocolRevision;
}

void SystemSettings::PatchStoredSettings(protocol::SettingsBlock& block, int protocolRevision) {
  const int profile = state_.currentProfile.load();
  const protocol::SettingsBlock original = block;
  protocol::SystemSettings values;
  std::vector<const SystemSettingKey*> missing;
  for (const SystemSettingKey& setting : kSystemSettingKeys) {
    std::string text;
    if (database_.GetConfigValue(profile, setting.key, text)) {
      values.*setting.field = base::ToInt(text);
    } else {
      missing.push_back(&setting);
    }
  }
  protocol::PatchSystemSettings(block, protocolRevision, values);
  // A setting the profile does not hold (no profile, a database that failed) keeps the
  // keyboard's value instead of being written as 0.
  const Layout& layout = protocol::SystemSettingsLayoutFor(protocolRevision);
  for (const SystemSettingKey* setting : missing) {
    const std::size_t at = layout.*setting->position;
    std::copy_n(original.begin() + static_cast<std::ptrdiff_t>(at), setting->width,
                block.begin() + static_cast<std::ptrdiff_t>(at));
  }
}
