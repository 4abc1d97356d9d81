#include "lighting/LightingService.h"

#include <algorithm>
#include <map>
#include <string>

#include "base/Log.h"
#include "base/Text.h"
#include "catalogue/KeyboardLayout.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "device/LightingCommands.h"
#include "protocol/LightRegions.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"

namespace lighting {
namespace {

constexpr char kOn[] = "1";
constexpr char kOff[] = "0";

bool IsPageZone(int zone) {
  return zone == kZoneKeys || zone == kZoneSide || zone == kZoneTop;
}

protocol::LightRegionValues RegionValues(const storage::LightSettingRecord& record) {
  protocol::LightRegionValues values;
  values.mode = record.mode;
  values.brightness = record.brightness;
  values.speed = record.speed;
  values.colorful = record.colorful;
  values.colorIndex = record.colorindex;
  values.color = static_cast<std::uint32_t>(record.color_value);
  return values;
}

}  // namespace

LightingService::LightingService(SharedState& state, storage::SettingsDatabase& database,
                                 device::KeyboardCommands& keyboard,
                                 device::LightingCommands& lighting, const CurrentModel& model,
                                 const CurrentLayout& layout, DeviceTaskQueue& tasks)
    : state_(state),
      database_(database),
      keyboard_(keyboard),
      lighting_(lighting),
      model_(model),
      layout_(layout),
      tasks_(tasks) {}

// The profile's rows ----------------------------------------------------------------------------

bool LightingService::SeedLightModes() {
  const int profile = state_.currentProfile.load();
  if (profile <= 0) return false;  // no profile list yet
  // Looking and inserting happen under one holding of the lock: the UI thread and the worker
  // both load the page, and a profile must not be seeded twice.
  auto lock = database_.Lock();
  for (int zone : kSeededZones) {
    if (database_.CountLightSettingsOfType(profile, zone) > 0) return true;
  }
  SeedOptions options;
  options.topStaticPickerOnly = model_.Get().topStaticPickerOnly;
  if (!database_.AddLightSettings(SeedRows(profile, options))) {
    base::DebugLog("lighting: the light modes of profile %d could not be stored", profile);
    return false;
  }
  bool activated = true;
  for (int zone : kActiveAfterSeed) {
    activated = database_.SetActiveLightMode(profile, zone, kDefaultMode) && activated;
  }
  return activated;
}

ZoneContent LightingService::LoadZone(int zone) {
  SeedLightModes();
  const int profile = state_.currentProfile.load();
  ZoneContent content;
  std::vector<storage::LightSettingRecord> rows;
  database_.ListLightSettings(profile, zone, rows);
  for (storage::LightSettingRecord& row : rows) {
    // The slots after the first are reached through the slot chooser only.
    if (row.mode <= kFirstSlot) content.listed.push_back(std::move(row));
  }
  content.activeMode = database_.GetActiveLightMode(profile, zone);
  return content;
}

std::optional<storage::LightSettingRecord> LightingService::Record(int zone, int mode) {
  storage::LightSettingRecord record;
  if (!database_.GetLightSetting(state_.currentProfile.load(), zone, mode, record)) {
    return std::nullopt;
  }
  return record;
}

// The selection ---------------------------------------------------------------------------------

LightSelection LightingService::Selection() const {
  std::lock_guard lock(mutex_);
  return selection_;
}

int LightingService::ModeToShow(int zone, int active, bool enabled, int slot) const {
  if (!enabled) return kModeOff;
  if (zone == kZoneKeys && IsCustomMode(active)) return slot;
  return active;
}

LightSelection LightingService::SelectZone(int zone) {
  if (!IsPageZone(zone)) return Selection();
  const ZoneContent content = LoadZone(zone);
  std::string enabled;
  database_.GetConfigValue(state_.currentProfile.load(), storage::config_key::kEnableLight,
                           enabled);
  int slot = kFirstSlot;
  {
    std::lock_guard lock(mutex_);
    slot = selection_.slot;
  }
  const int mode = ModeToShow(zone, content.activeMode, enabled == kOn, slot);
  const std::optional<storage::LightSettingRecord> record = Record(zone, mode);
  std::lock_guard lock(mutex_);
  selection_.zone = zone;
  selection_.mode = mode;
  selection_.enabled = enabled == kOn;
  selection_.offers = record ? record->config_func : 0;
  return selection_;
}

void LightingService::SetPreview(bool on) {
  std::lock_guard lock(mutex_);
  selection_.preview = on;
}

void LightingService::ForgetSlot() {
  std::lock_guard lock(mutex_);
  selection_.slot = kFirstSlot;
}

// Changes of the current zone and mode ------------------------------------------------------------

bool LightingService::StoreEnabled(bool on) {
  return database_.SetConfigValue(state_.currentProfile.load(), storage::config_key::kEnableLight,
                                  on ? kOn : kOff);
}

bool LightingService::ChooseMode(int mode) {
  const LightSelection current = Selection();
  const std::optional<storage::LightSettingRecord> record = Record(current.zone, mode);
  if (!record) return false;
  if (!database_.SetActiveLightMode(state_.currentProfile.load(), current.zone, mode)) {
    return false;
  }
  const bool custom = IsCustomMode(mode);
  {
    std::lock_guard lock(mutex_);
    selection_.mode = mode;
    selection_.offers = record->config_func;
    selection_.enabled = true;
    if (custom) {
      // The custom mode opens at the first slot, with the preview off.
      selection_.slot = mode;
      selection_.preview = false;
    }
  }
  // Choosing a mode always turns the light on.
  const bool stored = StoreEnabled(true);
  if (custom) {
    Queue(task::kApplyCustomSlot);
    Queue(task::kReadCustomSlotColors);
  } else {
    QueueModeWrite(current.zone);
  }
  return stored;
}

bool LightingService::SetLightEnabled(bool on) {
  if (!StoreEnabled(on)) return false;
  const int profile = state_.currentProfile.load();
  LightSelection current = Selection();
  int mode = kModeOff;
  if (on) {
    int active = database_.GetActiveLightMode(profile, current.zone);
    // A keyboard read while the light was off reports the off mode as the active one; turning
    // the light on must not leave it dark.
    if (current.zone == kZoneKeys && active == kModeOff &&
        database_.SetActiveLightMode(profile, current.zone, kDefaultMode)) {
      active = kDefaultMode;
    }
    mode = ModeToShow(current.zone, active, true, current.slot);
  }
  const std::optional<storage::LightSettingRecord> record = Record(current.zone, mode);
  {
    std::lock_guard lock(mutex_);
    selection_.enabled = on;
    selection_.mode = mode;
    selection_.offers = record ? record->config_func : 0;
  }
  QueueModeWrite(current.zone);
  return true;
}

bool LightingService::UpdateCurrent(
    const std::function<void(storage::LightSettingRecord&)>& change) {
  const LightSelection current = Selection();
  std::optional<storage::LightSettingRecord> record = Record(current.zone, current.mode);
  if (!record) return false;
  change(*record);
  return database_.UpdateLightSetting(current.zone, current.mode, *record);
}

bool LightingService::SetBrightness(int value) {
  if (!UpdateCurrent([value](storage::LightSettingRecord& r) { r.brightness = value; })) {
    return false;
  }
  const LightSelection current = Selection();
  if (IsCustomMode(current.mode)) {
    Queue(task::kApplyCustomSlot);
  } else {
    QueueModeWrite(current.zone);
  }
  return true;
}

bool LightingService::SetSpeed(int value) {
  if (!UpdateCurrent([value](storage::LightSettingRecord& r) { r.speed = value; })) return false;
  QueueModeWrite(Selection().zone);
  return true;
}

bool LightingService::SetDirection(int direction) {
  if (direction < kDirectionRight || direction > kDirectionDown) return false;
  if (!UpdateCurrent([direction](storage::LightSettingRecord& r) { r.direction = direction; })) {
    return false;
  }
  QueueModeWrite(Selection().zone);
  return true;
}

bool LightingService::SetColorful(bool colorful) {
  const LightSelection current = Selection();
  // A slot has no single colour to fall back to.
  if (IsCustomMode(current.mode)) return true;
  if (!UpdateCurrent(
          [colorful](storage::LightSettingRecord& r) { r.colorful = colorful ? 1 : 0; })) {
    return false;
  }
  QueueModeWrite(current.zone);
  return true;
}

bool LightingService::SetColor(std::uint32_t color) {
  const auto value = static_cast<int>(color & 0xFFFFFF);
  if (!UpdateCurrent([value](storage::LightSettingRecord& r) { r.color_value = value; })) {
    return false;
  }
  QueueModeWrite(Selection().zone);
  return true;
}

bool LightingService::ChooseSlot(int slot) {
  if (!IsSlot(slot)) return false;
  const std::optional<storage::LightSettingRecord> record = Record(kZoneKeys, slot);
  {
    std::lock_guard lock(mutex_);
    selection_.slot = slot;
    if (selection_.zone == kZoneKeys && IsCustomMode(selection_.mode)) {
      selection_.mode = slot;
      if (record) selection_.offers = record->config_func;
    }
  }
  Queue(task::kApplyCustomSlot);
  Queue(task::kReadCustomSlotColors);
  return true;
}

void LightingService::Apply() {
  const LightSelection current = Selection();
  if (IsCustomMode(current.mode)) {
    QueueSlotWrite();
  } else {
    QueueModeWrite(current.zone);
  }
}

void LightingService::RefreshSlotView() {
  if (IsSlot(Selection().mode)) Queue(task::kReadCustomSlotColors);
}

// Custom slot colours -----------------------------------------------------------------------------

std::vector<KeyColor> LightingService::StoredSlotColors(int slot) {
  std::vector<storage::UserLightColorRecord> rows;
  database_.ListUserLightColors(state_.currentProfile.load(), slot, rows);
  std::vector<KeyColor> colors;
  colors.reserve(rows.size());
  for (const storage::UserLightColorRecord& row : rows) {
    colors.push_back({row.key_code, static_cast<std::uint32_t>(row.key_rgb) & 0xFFFFFF});
  }
  return colors;
}

bool LightingService::StoreSlotColors(int slot, const std::vector<KeyColor>& colors) {
  if (!IsSlot(slot)) return false;
  const int profile = state_.currentProfile.load();
  std::vector<storage::UserLightColorRecord> rows;
  rows.reserve(colors.size());
  for (const KeyColor& key : colors) {
    rows.push_back({0, profile, slot, key.code, static_cast<int>(key.color & 0xFFFFFF)});
  }
  if (!database_.ReplaceUserLightColors(profile, slot, rows)) return false;
  if (Selection().mode == slot) QueueSlotWrite();
  return true;
}

// Operations of a named zone or slot --------------------------------------------------------------

bool LightingService::SetZoneMode(int zone, int mode) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  const bool done = ChooseMode(mode);
  Notify();
  return done;
}

bool LightingService::SetZoneBrightness(int zone, int value) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  const bool done = SetBrightness(value);
  Notify();
  return done;
}

bool LightingService::SetZoneSpeed(int zone, int value) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  const bool done = SetSpeed(value);
  Notify();
  return done;
}

bool LightingService::SetZoneDirection(int zone, int direction) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  const bool done = SetDirection(direction);
  Notify();
  return done;
}

bool LightingService::SetZoneColor(int zone, std::uint32_t color) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  // A colour of its own means the single-colour variant.
  const bool done = SetColor(color) && SetColorful(false);
  Notify();
  return done;
}

bool LightingService::SetZoneColorful(int zone) {
  if (!IsPageZone(zone)) return false;
  SelectZone(zone);
  const bool done = SetColorful(true);
  Notify();
  return done;
}

bool LightingService::SetLight(bool on) {
  const bool done = SetLightEnabled(on);
  Notify();
  return done;
}

bool LightingService::SelectSlot(int slot) {
  if (!IsSlot(slot)) return false;
  SelectZone(kZoneKeys);
  const bool done = ChooseMode(kFirstSlot) && ChooseSlot(slot);
  Notify();
  return done;
}

bool LightingService::PaintSlot(int slot, const std::vector<KeyColor>& colors) {
  if (!SelectSlot(slot)) return false;
  std::vector<KeyColor> keys = StoredSlotColors(slot);
  if (keys.empty()) {
    for (const LayoutKeyName& key : layout_.Get()->Keys) keys.push_back({key.code, 0});
  }
  for (const KeyColor& change : colors) {
    auto found = std::find_if(keys.begin(), keys.end(),
                              [&](const KeyColor& key) { return key.code == change.code; });
    if (found == keys.end()) return false;  // a key this keyboard does not have
    found->color = change.color & 0xFFFFFF;
  }
  return StoreSlotColors(slot, keys);
}

bool LightingService::FillSlot(int slot, std::uint32_t color) {
  if (!SelectSlot(slot)) return false;
  std::vector<KeyColor> keys;
  for (const LayoutKeyName& key : layout_.Get()->Keys) keys.push_back({key.code, color & 0xFFFFFF});
  return StoreSlotColors(slot, keys);
}

// Queuing
// -------------------------------------------------------------------------------------------

void LightingService::Queue(int code) {
  if (code < 0 || code >= static_cast<int>(pending_.size())) return;
  if (!pending_[static_cast<std::size_t>(code)].exchange(true)) tasks_.Append(code);
}

void LightingService::QueueModeWrite(int zone) {
  {
    std::lock_guard lock(mutex_);
    zonesToWrite_.insert(zone);
  }
  Queue(task::kApplyLightMode);
}

void LightingService::QueueSlotWrite() {
  Queue(task::kWriteCustomSlotColors);
}

void LightingService::TaskStarted(int code) {
  if (code < 0 || code >= static_cast<int>(pending_.size())) return;
  const auto at = static_cast<std::size_t>(code);
  ran_[at].store(true);
  // Whatever is changed from now on needs a task of its own.
  pending_[at].store(false);
}

void LightingService::TaskFinished(int code) {
  if (code < 0 || code >= static_cast<int>(pending_.size())) return;
  const auto at = static_cast<std::size_t>(code);
  // A task that was dropped without running frees its place here; one that ran freed it when
  // it started, and another may be waiting already.
  if (!ran_[at].exchange(false)) pending_[at].store(false);
}

void LightingService::Notify() {
  if (view_ != nullptr) view_->SelectionChanged();
}

// Tasks
// -----------------------------------------------------------------------------------------------

std::optional<LightingService::Device> LightingService::KnownDevice() const {
  const ModelCapabilities capabilities = model_.Get();
  if (!capabilities.device || capabilities.modelId != state_.selectedModel.load()) {
    return std::nullopt;
  }
  return Device{capabilities.device->protocolRevision, capabilities.device->zone0.maxSpeed,
                capabilities.device->matrix.maxSpeed};
}

std::optional<LightingService::Device> LightingService::AskDevice() {
  const std::optional<protocol::DeviceInfo> info = keyboard_.ReadDeviceInfo();
  if (!info) return std::nullopt;
  return Device{info->protocolRevision, info->zone0.maxSpeed, info->matrix.maxSpeed};
}

void LightingService::ApplyLightMode() {
  TARVO_EXPECT_WORKER();
  std::set<int> zones;
  {
    std::lock_guard lock(mutex_);
    zones.swap(zonesToWrite_);
    zones.insert(selection_.zone);
  }
  const std::optional<Device> known = KnownDevice();
  // A keyboard without a protocol revision takes no light settings.
  if (known && known->revision == 0) return;
  {
    device::CommandBracket bracket(keyboard_);
    const std::optional<Device> device = known ? known : AskDevice();
    if (!device || device->revision == 0) return;
    protocol::SettingsBlock block{};
    if (!keyboard_.ReadSettings(block)) return;
    for (int zone : zones) PatchZone(block, zone, *device);
    keyboard_.WriteSettings(block);
  }
  const LightSelection current = Selection();
  if (!current.preview && !IsCustomMode(current.mode) && view_ != nullptr) {
    view_->ResetKeyColors(kPlainKeyColor);
  }
}

void LightingService::ApplyProfileLight() {
  TARVO_EXPECT_WORKER();
  const ModelCapabilities capabilities = model_.Get();
  {
    std::lock_guard lock(mutex_);
    zonesToWrite_.insert(kZoneKeys);
    if (capabilities.device && capabilities.device->zone1.present) zonesToWrite_.insert(kZoneSide);
    if (capabilities.device && capabilities.device->zone2.present) zonesToWrite_.insert(kZoneTop);
  }
  ApplyLightMode();
  if (IsSlot(Selection().mode)) WriteCustomSlotColors();
}

void LightingService::PatchZone(protocol::SettingsBlock& block, int zone, const Device& device) {
  if (!IsPageZone(zone)) return;
  const LightSelection current = Selection();
  int mode = current.mode;
  if (zone != current.zone) {
    const int active = database_.GetActiveLightMode(state_.currentProfile.load(), zone);
    mode = ModeToShow(zone, active, current.enabled, current.slot);
  }
  // A record that cannot be read leaves the zone's bytes as the keyboard sent them.
  const std::optional<storage::LightSettingRecord> record = Record(zone, mode);
  if (!record) return;
  protocol::PatchLightRegion(block, zone, device.revision, RegionValues(*record),
                             device.zoneMaxSpeed);
}

void LightingService::ApplyCustomSlot() {
  TARVO_EXPECT_WORKER();
  const LightSelection current = Selection();
  const std::optional<Device> known = KnownDevice();
  device::CommandBracket bracket(keyboard_);
  protocol::SettingsBlock block{};
  if (!keyboard_.ReadSettings(block)) return;
  const std::optional<Device> device = known ? known : AskDevice();
  const std::optional<storage::LightSettingRecord> record = Record(current.zone, current.mode);
  if (device && record) {
    protocol::PatchCustomSlot(block, current.mode, RegionValues(*record), device->zoneMaxSpeed);
  }
  keyboard_.WriteSettings(block);
}

void LightingService::ReadCustomSlotColors() {
  TARVO_EXPECT_WORKER();
  const int slot = Selection().mode;
  if (!IsSlot(slot)) return;
  // When the keyboard does not answer, the view keeps the stored colours it shows.
  if (std::optional<std::vector<KeyColor>> colors = ReadSlotFromKeyboard(slot)) {
    if (view_ != nullptr) view_->ShowSlotColors(*colors);
  }
}

std::optional<std::vector<KeyColor>> LightingService::ReadSlotFromKeyboard(int slot) {
  TARVO_EXPECT_WORKER();
  protocol::ColorTable table{};
  {
    device::CommandBracket bracket(keyboard_);
    if (!lighting_.ReadSlotColors(slot, table)) return std::nullopt;
  }
  return ColorsByKey(table, false);
}

void LightingService::WriteCustomSlotColors() {
  TARVO_EXPECT_WORKER();
  const int slot = Selection().mode;
  if (!IsSlot(slot)) return;
  std::vector<storage::UserLightColorRecord> rows;
  database_.ListUserLightColors(state_.currentProfile.load(), slot, rows);
  const std::shared_ptr<const LayoutTables> layout = layout_.Get();
  // Lights without a stored colour stay dark; keys without a light are not sent.
  protocol::ColorTable table{};
  for (const storage::UserLightColorRecord& row : rows) {
    if (const std::optional<int> light = layout->FindLightIndex(row.key_code)) {
      protocol::StoreTableColor(table, *light, static_cast<std::uint32_t>(row.key_rgb));
    }
  }
  device::CommandBracket bracket(keyboard_);
  lighting_.WriteSlotColors(slot, table);
}

std::vector<KeyColor> LightingService::ColorsByKey(const protocol::ColorTable& table,
                                                   bool preview) const {
  const std::shared_ptr<const LayoutTables> layout = layout_.Get();
  std::vector<KeyColor> colors;
  colors.reserve(layout->CodeByLightIndex.size());
  for (const auto& [light, code] : layout->CodeByLightIndex) {
    if (code < 1) continue;
    const std::optional<std::uint32_t> color = protocol::TableColor(table, light);
    if (!color) continue;
    colors.push_back(
        {code, preview ? protocol::LivePreviewColor(protocol::RgbOf(*color)) : *color});
  }
  return colors;
}

void LightingService::ReadLivePreview() {
  TARVO_EXPECT_WORKER();
  if (view_ == nullptr || state_.currentPage.load() != kPageLighting || !state_.Connected()) return;
  const LightSelection current = Selection();
  if (!current.preview || IsCustomMode(current.mode) || !view_->WindowVisible()) return;
  const std::optional<Device> device = KnownDevice();
  if (!device) return;
  protocol::ColorTable table{};
  if (!lighting_.ReadLiveColors(device->revision, table)) return;
  view_->ShowLiveColors(ColorsByKey(table, true));
}

// The matrix light --------------------------------------------------------------------------------

void LightingService::SendMatrixLightMode(int matrixMode) {
  TARVO_EXPECT_WORKER();
  const std::optional<Device> known = KnownDevice();
  device::CommandBracket bracket(keyboard_);
  lighting_.SendMatrixLightStart();
  protocol::SettingsBlock block{};
  if (!keyboard_.ReadSettings(block)) return;
  const std::optional<Device> device = known ? known : AskDevice();
  const std::optional<storage::LightSettingRecord> record = Record(kZoneMatrix, matrixMode);
  // Below revision 2 the block has no matrix region: it goes back as it came.
  if (device && record) {
    protocol::PatchLightRegion(block, kZoneMatrix, device->revision, RegionValues(*record),
                               device->matrixMaxSpeed);
  }
  keyboard_.WriteSettings(block);
}

std::optional<protocol::MatrixColors> LightingService::ReadMatrixPicture() {
  TARVO_EXPECT_WORKER();
  protocol::MatrixPicture picture{};
  device::CommandBracket bracket(keyboard_);
  if (!lighting_.ReadMatrixPicture(picture)) return std::nullopt;
  return protocol::ParseMatrixPicture(picture);
}

bool LightingService::SendMatrixPicture(const protocol::MatrixColors& cells) {
  TARVO_EXPECT_WORKER();
  device::CommandBracket bracket(keyboard_);
  return lighting_.WriteMatrixPicture(protocol::BuildMatrixPicture(cells));
}

}  // namespace lighting
