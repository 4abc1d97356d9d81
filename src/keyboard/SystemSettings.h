#pragma once
// The keyboard's system settings (Mac mode, game mode, Windows-key lock, WASD swap, sleep time,
// key response) between the settings database and the keyboard's settings block, and the
// keyboard's factory reset. Worker side: no controls.
//
// The database is the source of truth: a change is stored for the current profile first, and
// the task that sends it reads what is stored when it runs.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "core/SharedState.h"
#include "protocol/SystemSettings.h"

class KeyboardInfo;
namespace device {
class KeyboardCommands;
}
namespace storage {
class SettingsDatabase;
}

// The six system settings: the configuration key each is stored under, its field, and where
// the settings block keeps it (`width` bytes from the revision's position).
struct SystemSettingKey {
  std::string_view key;
  int protocol::SystemSettings::*field;
  std::size_t protocol::SystemSettingsLayout::*position;
  std::size_t width;
};
std::span<const SystemSettingKey> SystemSettingKeys();

class SystemSettings {
 public:
  SystemSettings(SharedState& state, device::KeyboardCommands& keyboard,
                 storage::SettingsDatabase& database, const KeyboardInfo& info);

  // Worker, task 17: the stored settings into the keyboard's settings block; every other byte
  // of the block goes back as the keyboard had it.
  void SendSystemSettings();
  // Worker, task 22: the keyboard's factory reset command; true when the keyboard accepted it.
  bool SendFactoryReset();

 private:
  // The revision whose byte positions apply: the one read with the keyboard's information,
  // else asked of the keyboard (command 0x12); empty when it cannot be learnt.
  std::optional<int> Revision();
  void PatchStoredSettings(protocol::SettingsBlock& block, int protocolRevision);

  SharedState& state_;
  device::KeyboardCommands& keyboard_;
  storage::SettingsDatabase& database_;
  const KeyboardInfo& info_;
};
