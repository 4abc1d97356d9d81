#pragma once
// The keyboard's system settings on the settings page: Mac mode, game mode, Windows-key lock,
// WASD swap, sleep time, key response and the knob mode; sending them to the keyboard; and the
// factory reset of keyboard and settings database.
//
// The database is the source of truth: a change is stored for the current profile first, and
// the task that sends it reads what is stored when it runs.

#include <atomic>
#include <functional>
#include <optional>
#include <string_view>

#include "core/ControllerContext.h"
#include "protocol/SystemSettings.h"

class KeyboardInfo;

class SystemSettingsPage {
 public:
  // What the page asks of the controller.
  struct Hooks {
    // UI thread: forget the chosen background pictures and show the default ones.
    std::function<void()> restoreDefaultBackgrounds;
    // Worker: the profile list and pages of the active profile, read from the keyboard again.
    std::function<void()> refreshProfileView;
  };

  SystemSettingsPage(ControllerContext& context, const KeyboardInfo& info, Hooks hooks);

  // UI thread: a switch was clicked or a choice made on the page. False when `id` is none of
  // the page's settings.
  bool OnSettingChanged(int id, int code);
  // Any thread: shows the current profile's stored settings.
  void LoadSystemSettings();
  // Worker, task 17: the stored settings into the keyboard's settings block; every other byte
  // of the block goes back as the keyboard had it.
  void SendSystemSettings();

  // UI thread: asks, then empties the model's database, disables the main window, queues the
  // reset task and waits for it in a modal wait dialog.
  void RestoreFactorySettings();
  // Worker, task 22: the keyboard's factory reset, then everything is read again.
  void FactoryReset();
  // UI thread, after task 22 ran or was dropped: the main window takes input again. A reset
  // that never reached the keyboard still emptied the database, so the profile view is
  // rebuilt from it.
  void FinishFactoryReset();

 private:
  void StoreSwitch(int id, std::string_view key);
  void StoreChoice(int id, std::string_view key);
  void OnKnobModeChanged();
  // Model 103 shows its knob as a key of its own while the knob mode is on.
  void ShowKnobKey(bool knobMode);
  void ShowWaitDialog();
  // The revision whose byte positions apply: the one read with the keyboard's information,
  // else asked of the keyboard (command 0x12); empty when it cannot be learnt.
  std::optional<int> Revision();
  void PatchStoredSettings(protocol::SettingsBlock& block, int protocolRevision);

  ControllerContext& context_;
  const KeyboardInfo& info_;
  Hooks hooks_;
  std::atomic<bool> resetRan_{false};
};
