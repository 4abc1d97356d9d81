#pragma once
// The keyboard cards of the settings page: the system settings' switches and choices, the knob
// mode, the firmware label, the battery, and the factory reset button with its confirmation.
// UI thread, except where noted; it shows what the keyboard information read.

#include <atomic>
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
  // Any thread: shows the current profile's stored settings.
  void LoadSystemSettings();
  // Any thread: the texts that depend on the language and on what was read.
  void ApplyTexts();

  // What the page's controls and the command line share. UI thread.
  //
  // Stores a system setting (one of SystemSettingKeys) for the current profile and sends it to
  // the keyboard (task 17); the page shows what is stored afterwards. False when it could not
  // be stored: nothing is sent then.
  bool SetSystemSetting(std::string_view key, int value);
  // The knob mode: kept by the application, nothing is sent. False when it could not be stored.
  bool SetKnobMode(bool on);
  // The current profile's stored value of a setting; empty when it holds none.
  std::optional<int> StoredSetting(std::string_view key) const;

  enum class FactoryReset { kStarted, kNoKeyboard };
  // Everything of the factory reset after the confirmation: disables the main window and
  // queues the reset task, which empties the model's database once the keyboard accepted the
  // reset. Nothing is reset when there is no keyboard.
  FactoryReset ResetToFactory();

  // Asks, then resets (ResetToFactory) and waits for the reset in a modal wait dialog.
  void RestoreFactorySettings();
  // After the reset task ran or was dropped: the main window takes input again and the user
  // learns whether the reset happened.
  void FinishFactoryReset(bool done);
  // Whether the last factory reset that finished happened.
  bool LastResetDone() const { return lastResetDone_.load(); }

  // Worker: what a read of the keyboard found.
  void OnReadStarted() override;
  void OnDeviceInfo(const KeyboardInfo::Snapshot& keyboard, bool otherKeyboard) override;
  void OnBattery(int modelId, const protocol::BatteryReport& battery) override;

 private:
  void StoreSwitch(int id, std::string_view key);
  void StoreChoice(int id, std::string_view key);
  void OnKnobModeChanged();
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
  std::atomic<bool> lastResetDone_{false};
};
