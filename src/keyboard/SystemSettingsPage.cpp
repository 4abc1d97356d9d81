#include "keyboard/SystemSettingsPage.h"

#include <algorithm>
#include <span>
#include <string>

#include "base/Text.h"
#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/SettingsPage.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/PageHost.h"

namespace {

namespace key = storage::config_key;

struct SettingControl {
  int id;
  std::string_view key;
};

constexpr SettingControl kSwitches[] = {
    {ids::kMacModeSwitch, key::kMacMode},
    {ids::kGameModeSwitch, key::kGameMode},
    {ids::kLockWinSwitch, key::kLockWin},
    {ids::kWasdSwapSwitch, key::kWasdMode},
};

constexpr SettingControl kChoices[] = {
    {ids::kSleepTimeCombo, key::kSleepTime},
    {ids::kKeyResponseCombo, key::kKeyResponse},
};

const SettingControl* Find(std::span<const SettingControl> controls, int id) {
  const auto found = std::find_if(controls.begin(), controls.end(),
                                  [id](const SettingControl& c) { return c.id == id; });
  return found == controls.end() ? nullptr : &*found;
}

}  // namespace

SystemSettingsPage::SystemSettingsPage(Tessel::PageHost& host, SharedState& state,
                                       const CurrentModel& model, const core::TextTable& texts,
                                       storage::SettingsDatabase& database, DeviceTaskQueue& tasks,
                                       ControllerActions& actions)
    : host_(host),
      state_(state),
      model_(model),
      texts_(texts),
      database_(database),
      tasks_(tasks),
      actions_(actions) {}

// The user's changes ---------------------------------------------------------------------------

bool SystemSettingsPage::OnControlEvent(int id, int code) {
  TARVO_EXPECT_UI_THREAD();
  if (const SettingControl* setting = Find(kSwitches, id)) {
    if (code == Tessel::kEventClick) StoreSwitch(id, setting->key);
    return true;
  }
  if (const SettingControl* setting = Find(kChoices, id)) {
    if (code == Tessel::kEventSelChanged) StoreChoice(id, setting->key);
    return true;
  }
  if (id == ids::kKnobModeSwitch) {
    if (code == Tessel::kEventClick) OnKnobModeChanged();
    return true;
  }
  if (id == ids::kRestoreFactoryButton) {
    if (code == Tessel::kEventClick) RestoreFactorySettings();
    return true;
  }
  return false;
}

void SystemSettingsPage::StoreSwitch(int id, std::string_view key) {
  auto* button = host_.GetControl<Tessel::CSwitchButton>(id);
  const bool on = button != nullptr && button->GetCheck();
  SetSystemSetting(key, on ? 1 : 0);
}

void SystemSettingsPage::StoreChoice(int id, std::string_view key) {
  auto* combo = host_.GetControl<Tessel::MComboBox>(id);
  if (combo == nullptr || combo->GetCurSel() < 0) return;
  SetSystemSetting(key, static_cast<int>(combo->GetCurData()));
}

void SystemSettingsPage::OnKnobModeChanged() {
  auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kKnobModeSwitch);
  SetKnobMode(button != nullptr && button->GetCheck());
}

bool SystemSettingsPage::SetSystemSetting(std::string_view key, int value) {
  TARVO_EXPECT_UI_THREAD();
  const bool stored =
      database_.SetConfigValue(state_.currentProfile.load(), key, std::to_string(value));
  // Every change is sent, also while an earlier one waits: each task sends what is stored then.
  if (stored) tasks_.Append(task::kSendSystemSettings);
  LoadSystemSettings();
  return stored;
}

bool SystemSettingsPage::SetKnobMode(bool on) {
  TARVO_EXPECT_UI_THREAD();
  const bool stored =
      database_.SetConfigValue(state_.currentProfile.load(), key::kEncoderMode, on ? "1" : "0");
  LoadSystemSettings();
  return stored;
}

std::optional<int> SystemSettingsPage::StoredSetting(std::string_view key) const {
  std::string value;
  if (!database_.GetConfigValue(state_.currentProfile.load(), key, value)) return std::nullopt;
  return base::ToInt(value);
}

void SystemSettingsPage::ShowKnobKey(bool knobMode) {
  const ModelCapabilities capabilities = model_.Get();
  if (!capabilities.knobKey || capabilities.modelId != state_.selectedModel.load()) return;
  if (auto* view = host_.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)) {
    const KnobKey& knob = *capabilities.knobKey;
    view->SetKeyEncoder(knob.position, knobMode ? knob.knobModeCode : knob.keyCode);
  }
}

// Showing the stored settings --------------------------------------------------------------------

void SystemSettingsPage::LoadSystemSettings() {
  const int profile = state_.currentProfile.load();
  auto stored = [&](std::string_view key) {
    std::string value;
    database_.GetConfigValue(profile, key, value);
    return base::ToInt(value);
  };
  for (const SettingControl& setting : kSwitches) {
    if (auto* button = host_.GetControl<Tessel::CSwitchButton>(setting.id))
      button->SetCheck(stored(setting.key) == 1);
  }
  for (const SettingControl& setting : kChoices) {
    auto* combo = host_.GetControl<Tessel::MComboBox>(setting.id);
    // A value no item carries shows no choice rather than the previous profile's.
    if (combo != nullptr && !combo->SelectData(stored(setting.key))) combo->SetCurSel(-1);
  }
  const bool knobMode = stored(key::kEncoderMode) == 1;
  if (auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kKnobModeSwitch)) {
    const ModelCapabilities capabilities = model_.Get();
    button->SetCheck(knobMode);
    button->SetVisible(capabilities.HasKnob() &&
                       capabilities.modelId == state_.selectedModel.load());
  }
  ShowKnobKey(knobMode);
}

// What the keyboard reported ---------------------------------------------------------------------

void SystemSettingsPage::OnReadStarted() {
  {
    std::lock_guard lock(mutex_);
    shownFirmware_.reset();
  }
  ShowVersionLabel();
}

void SystemSettingsPage::OnDeviceInfo(const KeyboardInfo::Snapshot& keyboard, bool otherKeyboard) {
  {
    std::lock_guard lock(mutex_);
    shownFirmware_ = keyboard.device.firmwareVersion;
  }
  // The battery shown belongs to the keyboard it came from.
  if (otherKeyboard) ShowBattery(protocol::BatteryReport{});
  ShowVersionLabel();
}

void SystemSettingsPage::OnBattery(int, const protocol::BatteryReport& battery) {
  ShowBattery(battery);
}

void SystemSettingsPage::ShowBattery(const protocol::BatteryReport& battery) {
  if (auto* control = host_.GetControl<Tessel::BatteryCtrl>(ids::kBattery)) {
    control->SetBatteryInfo(battery.level, battery.charging);
  }
  // A keyboard without a battery shows no battery row at all.
  host_.SetVisible(ids::kBatteryLabel, battery.HasLevel());
}

void SystemSettingsPage::ApplyTexts() {
  ShowVersionLabel();
  ShowSleepTimeTexts(host_, texts_.GetText(text::kDialogSection, text::kMinutes));
  if (auto* battery = host_.GetControl<Tessel::BatteryCtrl>(ids::kBattery)) {
    battery->SetChargingText(texts_.GetText(text::kDialogSection, text::kDeviceCharging));
  }
}

void SystemSettingsPage::ShowVersionLabel() {
  std::optional<std::uint16_t> firmware;
  {
    std::lock_guard lock(mutex_);
    firmware = shownFirmware_;
  }
  auto* label = host_.GetControl<Tessel::MControlFont>(ids::kFirmwareVersionLabel);
  if (label == nullptr) return;
  const std::string caption = texts_.GetText(text::kDialogSection, text::kFirmwareVersion);
  label->SetTitle(firmware ? protocol::FirmwareVersionLabel(caption, *firmware)
                           : protocol::PlaceholderFirmwareLabel(caption));
}

// Factory reset
// ------------------------------------------------------------------------------------

void SystemSettingsPage::RestoreFactorySettings() {
  TARVO_EXPECT_UI_THREAD();
  const std::string caption = texts_.GetText(text::kDialogSection, text::kRestoreFactoryCaption);
  const std::string message = texts_.GetText(text::kDialogSection, text::kRestoreFactoryMessage);
  if (host_.AskMessage(caption, message, true) == Tessel::kResultCancel) return;
  if (ResetToFactory() != FactoryReset::kStarted) return;
  host_.ShowWaitDialog(texts_.GetText(text::kDialogSection, text::kPleaseWait));
}

SystemSettingsPage::FactoryReset SystemSettingsPage::ResetToFactory() {
  TARVO_EXPECT_UI_THREAD();
  actions_.RestoreDefaultBackgrounds();
  // The database is emptied only once the keyboard has accepted the reset (see the task).
  if (!state_.devicePresent.load()) return FactoryReset::kNoKeyboard;
  host_.SetWindowEnabled(false);
  tasks_.Append(task::kFactoryReset);
  return FactoryReset::kStarted;
}

void SystemSettingsPage::FinishFactoryReset(bool done) {
  lastResetDone_.store(done);
  host_.SetWindowEnabled(true);
  host_.AskMessage(texts_.GetText(text::kDialogSection, text::kRestoreFactoryCaption),
                   texts_.GetText(text::kDialogSection,
                                  done ? text::kFactoryResetDone : text::kFactoryResetNotDone),
                   false);
}
