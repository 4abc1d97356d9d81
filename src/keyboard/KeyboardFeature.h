#pragma once
// The keyboard room: what the keyboard is (its information, settings block and battery), its
// system settings on the settings page, and its factory reset.

#include <atomic>

#include "core/Feature.h"
#include "keyboard/KeyboardInfo.h"
#include "keyboard/SystemSettings.h"
#include "keyboard/SystemSettingsPage.h"

class KeyboardFeature : public Feature {
 public:
  KeyboardFeature(Tessel::PageHost& host, SharedState& state, device::KeyboardCommands& keyboard,
                  storage::SettingsDatabase& database, CurrentModel& model,
                  const core::TextTable& texts, DeviceTaskQueue& tasks, ControllerActions& actions);

  FeatureSlot Slot() const override { return FeatureSlot::kSystemSettings; }
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) override {
    return page_.OnControlEvent(id, code);
  }
  void ShowProfile() override { page_.LoadSystemSettings(); }
  // A switch shows the profile's settings and sends them: the keyboard never keeps the last
  // profile's game mode while the page shows this one's.
  void ApplyProfile() override;

  KeyboardInfo& Info() { return info_; }
  SystemSettings& Settings() { return settings_; }
  SystemSettingsPage& Page() { return page_; }

 private:
  void FactoryReset();
  void FinishFactoryReset();

  enum class ResetOutcome { kNotRun, kRefused, kDone };

  SharedState& state_;
  storage::SettingsDatabase& database_;
  ControllerActions& actions_;
  KeyboardInfo info_;
  SystemSettings settings_;
  SystemSettingsPage page_;
  std::atomic<ResetOutcome> resetOutcome_{ResetOutcome::kNotRun};
};
