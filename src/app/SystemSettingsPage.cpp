#include "app/SystemSettingsPage.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/KeyboardInfo.h"
#include "base/Text.h"
#include "core/TaskCodes.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "device/HidDeviceManager.h"
#include "protocol/Commands.h"
#include "protocol/DeviceInfo.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"

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

// The model whose keyboard view shows the knob as a key, at this position of its key list; the
// key's code while the knob mode is on and off.
constexpr int kKnobViewModel = 103;
constexpr int kKnobKeyPosition = 14;
constexpr int kKnobModeCode = 255;
constexpr int kKnobKeyCode = 74;

const SettingControl* Find(std::span<const SettingControl> controls, int id) {
  const auto found = std::find_if(controls.begin(), controls.end(),
                                  [id](const SettingControl& c) { return c.id == id; });
  return found == controls.end() ? nullptr : &*found;
}

}  // namespace

SystemSettingsPage::SystemSettingsPage(ControllerContext& context, const KeyboardInfo& info,
                                       Hooks hooks)
    : context_(context), info_(info), hooks_(std::move(hooks)) {}

// The user's changes ---------------------------------------------------------------------------

bool SystemSettingsPage::OnSettingChanged(int id, int code) {
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
  return false;
}

void SystemSettingsPage::StoreSwitch(int id, std::string_view key) {
  auto* button = context_.window.GetControl<Tessel::CSwitchButton>(id);
  const bool on = button != nullptr && button->GetCheck();
  context_.database.SetConfigValue(context_.state.currentProfile.load(), key, on ? "1" : "0");
  // Every change is sent, also while an earlier one waits: each task sends what is stored then.
  context_.tasks.Append(task::kSendSystemSettings);
}

void SystemSettingsPage::StoreChoice(int id, std::string_view key) {
  auto* combo = context_.window.GetControl<Tessel::MComboBox>(id);
  if (combo == nullptr || combo->GetCurSel() < 0) return;
  const std::string value = std::to_string(combo->GetCurData());
  context_.database.SetConfigValue(context_.state.currentProfile.load(), key, value);
  context_.tasks.Append(task::kSendSystemSettings);
}

void SystemSettingsPage::OnKnobModeChanged() {
  auto* button = context_.window.GetControl<Tessel::CSwitchButton>(ids::kKnobModeSwitch);
  const bool on = button != nullptr && button->GetCheck();
  context_.database.SetConfigValue(context_.state.currentProfile.load(), key::kEncoderMode,
                                   on ? "1" : "0");
  ShowKnobKey(on);
}

void SystemSettingsPage::ShowKnobKey(bool knobMode) {
  if (context_.state.selectedModel.load() != kKnobViewModel) return;
  if (auto* view = context_.window.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)) {
    view->SetKeyEncoder(kKnobKeyPosition, knobMode ? kKnobModeCode : kKnobKeyCode);
  }
}

// Showing the stored settings --------------------------------------------------------------------

void SystemSettingsPage::LoadSystemSettings() {
  storage::SettingsDatabase& database = context_.database;
  Tessel::MWindow& window = context_.window;
  const int profile = context_.state.currentProfile.load();
  auto stored = [&](std::string_view key) {
    std::string value;
    database.GetConfigValue(profile, key, value);
    return base::ToInt(value);
  };
  for (const SettingControl& setting : kSwitches) {
    if (auto* button = window.GetControl<Tessel::CSwitchButton>(setting.id))
      button->SetCheck(stored(setting.key) == 1);
  }
  for (const SettingControl& setting : kChoices) {
    auto* combo = window.GetControl<Tessel::MComboBox>(setting.id);
    // A value no item carries shows no choice rather than the previous profile's.
    if (combo != nullptr && !combo->SelectData(stored(setting.key))) combo->SetCurSel(-1);
  }
  const bool knobMode = stored(key::kEncoderMode) == 1;
  if (auto* button = window.GetControl<Tessel::CSwitchButton>(ids::kKnobModeSwitch)) {
    const KeyboardInfo::Snapshot keyboard = info_.Get();
    button->SetCheck(knobMode);
    button->SetVisible(keyboard.device.knobPresent &&
                       keyboard.modelId == context_.state.selectedModel.load());
  }
  ShowKnobKey(knobMode);
}

// Sending them -----------------------------------------------------------------------------------

void SystemSettingsPage::SendSystemSettings() {
  device::HidDeviceManager& link = context_.link;
  link.BracketOpen();
  if (const std::optional<int> revision = Revision()) {
    protocol::SettingsBlock block{};
    if (link.TransferBlock(protocol::command::kReadSettings, block)) {
      PatchStoredSettings(block, *revision);
      link.TransferBlock(protocol::command::kWriteSettings, block);
    }
  }
  link.BracketClose();
}

std::optional<int> SystemSettingsPage::Revision() {
  if (const std::optional<int> known = info_.KnownRevision()) return known;
  // Positions from another keyboard would overwrite its lighting bytes: ask this one.
  protocol::DeviceInfoBlock block{};
  if (!context_.link.TransferBlock(protocol::command::kReadDeviceInfo, block)) return std::nullopt;
  const std::optional<protocol::DeviceInfo> device = protocol::ParseDeviceInfo(block);
  if (!device) return std::nullopt;
  return device->protocolRevision;
}

void SystemSettingsPage::PatchStoredSettings(protocol::SettingsBlock& block, int protocolRevision) {
  storage::SettingsDatabase& database = context_.database;
  const int profile = context_.state.currentProfile.load();
  const protocol::SettingsBlock original = block;
  protocol::SystemSettings values;
  std::vector<const SystemSettingKey*> missing;
  for (const SystemSettingKey& setting : SystemSettingKeys()) {
    std::string text;
    if (database.GetConfigValue(profile, setting.key, text)) {
      values.*setting.field = base::ToInt(text);
    } else {
      missing.push_back(&setting);
    }
  }
  protocol::PatchSystemSettings(block, protocolRevision, values);
  // A setting the profile does not hold (no profile, a database that failed) keeps the
  // keyboard's value instead of being written as 0.
  const protocol::SystemSettingsLayout& layout =
      protocol::SystemSettingsLayoutFor(protocolRevision);
  for (const SystemSettingKey* setting : missing) {
    const std::size_t at = layout.*setting->position;
    std::copy_n(original.begin() + static_cast<std::ptrdiff_t>(at), setting->width,
                block.begin() + static_cast<std::ptrdiff_t>(at));
  }
}

// Factory reset
// ------------------------------------------------------------------------------------

void SystemSettingsPage::RestoreFactorySettings() {
  Tessel::MDialog& window = context_.window;
  const std::string caption =
      context_.texts.GetText(text::kDialogSection, text::kRestoreFactoryCaption);
  const std::string message =
      context_.texts.GetText(text::kDialogSection, text::kRestoreFactoryMessage);
  if (Tessel::CUIMessageBox::Show(&window, caption, message, true) == Tessel::kResultCancel) return;
  if (hooks_.restoreDefaultBackgrounds) hooks_.restoreDefaultBackgrounds();
  ControllerState& state = context_.state;
  if (!state.devicePresent.load()) return;
  context_.database.ClearAllData();
  context_.actions.LoadKeyboardModel(state.selectedModel.load());
  window.SetWindowEnabled(false);
  context_.tasks.Append(task::kFactoryReset);
  ShowWaitDialog();
}

void SystemSettingsPage::ShowWaitDialog() {
  if (auto* open =
          dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(WaitDlg::kWindowName)))
    open->DoOK();
  const std::string message = context_.texts.GetText(text::kDialogSection, text::kPleaseWait);
  WaitDlg wait(message);
  wait.Create(&context_.window, message, Tessel::Rect::FromSize(0, 0, 360, 120));
  wait.CenterWindow();
  wait.ShowModal();
  wait.DestroyWindow();
}

void SystemSettingsPage::FactoryReset() {
  resetRan_.store(true);
  device::HidDeviceManager& link = context_.link;
  link.BracketOpen();
  SendCommandFrame(link, protocol::command::kFactoryReset);
  link.BracketClose();
  if (hooks_.refreshProfileView) hooks_.refreshProfileView();
  LoadSystemSettings();
}

void SystemSettingsPage::FinishFactoryReset() {
  context_.window.SetWindowEnabled(true);
  if (!resetRan_.exchange(false)) context_.tasks.Append(task::kReconnect);
}
