#pragma once
// The keyboard cards of the settings page: the system settings' switches and choices, the knob
// mode, the firmware label, the battery, and the factory reset button with its confirmation.
// UI thread, except where noted; it shows what the keyboard information read.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "keyboard/KeyboardInfo.h"

class ControllerActions;
class CurrentModel;
class DeviceTaskQueue;
struct SharedState;
namespace core {
class TextTable;
}
namespace storage {
class SettingsDatabase;
}
namespace Tessel {
class PageHost;
}

class SystemSettingsPage : public KeyboardInfo::Observer {
 public:
  SystemSettingsPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
                     const core::TextTable& texts, storage::SettingsDatabase& database,
                     DeviceTaskQueue& tasks, ControllerActions& actions);

  // A switch was clicked or a choice made on the page. False when `id` is none of its
  // controls.
  bool OnControlEvent(int id, int code);
  // Stores one setting of the current profile ("game_mode", "sleep_time", "encoder_mode", ...)
  // and sends the system settings to the keyboard. False when it could not be stored: the page
  // then shows what is stored, and nothing is sent.
  bool StoreSetting(std::string_view key, int value);
  // Any thread: shows the current profile's stored settings.
  void LoadSystemSettings();
  // Any thread: the texts that depend on the language and on what was read.
  void ApplyTexts();

  // Asks, then disables the main window, queues the reset task and waits for it in a modal
  // wait dialog.
  void RestoreFactorySettings();
  // After the reset task ran or was dropped: the main window takes input again and the user
  // learns whether the reset happened.
  void FinishFactoryReset(bool done);

  // Worker: what a read of the keyboard found.
  void OnReadStarted() override;
  void OnDeviceInfo(const KeyboardInfo::Snapshot& keyboard, bool otherKeyboard) override;
  void OnBattery(int modelId, const protocol::BatteryReport& battery) override;

 private:
  void StoreSwitch(int id, std::string_view key);
  void StoreChoice(int id, std::string_view key);
  // A model whose keyboard view shows the knob as a key shows it as such in knob mode.
  void ShowKnobKey(bool knobMode);
  void ShowVersionLabel();
  void ShowBattery(const protocol::BatteryReport& battery);

  Tessel::PageHost& host_;
  SharedState& state_;
  const CurrentModel& model_;
  const core::TextTable& texts_;
  storage::SettingsDatabase& database_;
  DeviceTaskQueue& tasks_;
  ControllerActions& actions_;

  mutable std::mutex mutex_;
  std::optional<std::uint16_t> shownFirmware_;  // empty: the placeholder label
};
