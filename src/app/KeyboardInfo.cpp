#include "app/KeyboardInfo.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/KeyMapReader.h"
#include "base/Log.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "device/HidDeviceManager.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/MWindow.h"

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

// Tab positions of the main tabs (see kMainTabPages).
constexpr int kLightingTab = 1;
constexpr int kMatrixTab = 2;

}  // namespace

std::span<const SystemSettingKey> SystemSettingKeys() {
  return kSystemSettingKeys;
}

bool SendCommandFrame(device::HidDeviceManager& link, std::uint8_t command) {
  const protocol::Frame request = protocol::MakeFrame(command, 0, protocol::kFrameDataLength);
  std::array<std::uint8_t, protocol::kReportLength> frame{};
  std::copy(request.begin(), request.end(), frame.begin());
  return link.SendFrame(frame);
}

KeyboardInfo::KeyboardInfo(ControllerContext& context, KeyMapReader& keyMaps)
    : context_(context), keyMaps_(keyMaps) {}

KeyboardInfo::Snapshot KeyboardInfo::Get() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}

std::optional<int> KeyboardInfo::KnownRevision() const {
  std::lock_guard lock(mutex_);
  if (snapshot_.modelId == 0 || snapshot_.modelId != context_.state.selectedModel.load())
    return std::nullopt;
  return snapshot_.device.protocolRevision;
}

// Reading the keyboard -------------------------------------------------------------------------

bool KeyboardInfo::ReadKeyboardState() {
  ShowPlaceholderVersion();
  // A keyboard that is not attached, or asleep behind its receiver, cannot answer: asking would
  // only hold the worker up for the time-outs of every step.
  if (!context_.state.devicePresent.load() || !context_.state.online.load()) return false;
  context_.link.BracketOpen();
  if (!ReadDeviceInfo()) {
    base::DebugLog("keyboard read: no information or settings");
    return false;
  }
  const protocol::DeviceInfo info = Get().device;
  if (!keyMaps_.ReadFactoryKeyCodes() || !keyMaps_.ReadLightIndexTable(info) ||
      !keyMaps_.ReadKeyAssignments(info)) {
    base::DebugLog("keyboard read: the key map stopped answering");
    return false;
  }
  context_.link.BracketClose();
  base::DebugLog("keyboard read: model %d firmware %x revision %d", Get().modelId,
                 info.firmwareVersion, info.protocolRevision);
  return true;
}

bool KeyboardInfo::ReadDeviceInfo() {
  device::HidDeviceManager& link = context_.link;
  protocol::DeviceInfoBlock block{};
  if (!link.TransferBlock(protocol::command::kReadDeviceInfo, block)) return false;
  const std::optional<protocol::DeviceInfo> info = protocol::ParseDeviceInfo(block);
  if (!info) return false;
  ApplyDeviceInfo(*info);

  protocol::SettingsBlock settings{};
  if (!link.TransferBlock(protocol::command::kReadSettings, settings)) return false;
  StoreSettings(settings, info->protocolRevision);
  ReadBattery();
  return true;
}

void KeyboardInfo::ApplyDeviceInfo(const protocol::DeviceInfo& info) {
  const int model = context_.state.selectedModel.load();
  bool otherKeyboard = false;
  {
    std::lock_guard lock(mutex_);
    otherKeyboard = snapshot_.modelId != model;
    // Another keyboard's settings block is not this one's.
    if (otherKeyboard) snapshot_.settingsRead = false;
    snapshot_.modelId = model;
    snapshot_.device = info;
    shownFirmware_ = info.firmwareVersion;
  }
  Tessel::MWindow& window = context_.window;
  // The battery shown belongs to the keyboard it came from.
  if (otherKeyboard) ShowBattery(protocol::BatteryReport{});
  if (auto* tabs = window.GetControl<Tessel::MTabCtrl>(ids::kMainTabs)) {
    tabs->SetItemVisible(kMatrixTab, info.matrix.present);
    // The matrix page of a keyboard without a matrix light has nothing to show.
    if (!info.matrix.present && context_.state.currentPage.load() == kPageMatrix) {
      context_.actions.ShowMainTab(kLightingTab);
    }
  }
  context_.state.connectionKind.store(context_.link.ConnectionKind());
  ShowVersionLabels();
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
  storage::SettingsDatabase& database = context_.database;
  const int profile = context_.state.currentProfile.load();
  for (const SystemSettingKey& setting : kSystemSettingKeys) {
    database.SetConfigValue(profile, setting.key, std::to_string(system.*setting.field));
  }
  database.SetActiveLightMode(profile, protocol::kZone0, modes.zone0);
  database.SetActiveLightMode(profile, protocol::kZone1, modes.zone1);
  database.SetActiveLightMode(profile, protocol::kZone2, modes.zone2);
}

void KeyboardInfo::ReadBattery() {
  std::array<std::uint8_t, protocol::kBatteryReportLength> report{};
  if (!context_.link.TransferBlock(protocol::command::kReadBattery, report)) return;
  const std::optional<protocol::BatteryReport> battery = protocol::ParseBatteryReport(report);
  // A keyboard that reports no level leaves the display as it was.
  if (!battery || !battery->HasLevel()) return;
  {
    std::lock_guard lock(mutex_);
    snapshot_.battery = *battery;
  }
  ShowBattery(*battery);
  // The device list shows the battery beside the connection it came through.
  const int kind = context_.state.connectionKind.load();
  const int mode = kind >= 0 ? kind : device::kModeCable;
  if (auto* list = context_.window.GetControl<Tessel::CDeviceList>(ids::kDeviceList)) {
    list->SetDeviceBattery(context_.state.selectedModel.load(), mode, battery->level,
                           battery->charging);
  }
}

void KeyboardInfo::ShowBattery(const protocol::BatteryReport& battery) {
  Tessel::MWindow& window = context_.window;
  if (auto* control = window.GetControl<Tessel::BatteryCtrl>(ids::kBattery)) {
    control->SetBatteryInfo(battery.level, battery.charging);
  }
  // A keyboard without a battery shows no battery row at all.
  if (Tessel::MControl* label = window.FindControl(ids::kBatteryLabel))
    label->SetVisible(battery.HasLevel());
}

void KeyboardInfo::SendPageSwitch() {
  if (context_.state.pageSwitchOnce.load()) return;
  device::HidDeviceManager& link = context_.link;
  link.BracketOpen();
  SendCommandFrame(link, protocol::command::kScreenSyncStart);
  link.BracketClose();
}

// Labels ----------------------------------------------------------------------------------------

void KeyboardInfo::ApplyTexts() {
  ShowVersionLabels();
  if (auto* battery = context_.window.GetControl<Tessel::BatteryCtrl>(ids::kBattery)) {
    battery->SetChargingText(context_.texts.GetText(text::kDialogSection, text::kDeviceCharging));
  }
}

void KeyboardInfo::ShowVersionLabels() {
  std::optional<std::uint16_t> firmware;
  {
    std::lock_guard lock(mutex_);
    firmware = shownFirmware_;
  }
  auto* label = context_.window.GetControl<Tessel::MControlFont>(ids::kFirmwareVersionLabel);
  if (label == nullptr) return;
  const std::string caption = context_.texts.GetText(text::kDialogSection, text::kFirmwareVersion);
  label->SetTitle(firmware ? protocol::FirmwareVersionLabel(caption, *firmware)
                           : protocol::PlaceholderFirmwareLabel(caption));
}

void KeyboardInfo::ShowPlaceholderVersion() {
  {
    std::lock_guard lock(mutex_);
    shownFirmware_.reset();
  }
  ShowVersionLabels();
}
