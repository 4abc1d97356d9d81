#include "lighting/MatrixService.h"

#include <algorithm>
#include <string>

#include "base/Log.h"
#include "base/Text.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/ThreadCheck.h"
#include "device/LightingCommands.h"
#include "lighting/LightingService.h"
#include "lighting/MatrixModes.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"

namespace lighting {
namespace {

constexpr int kFirstTask = task::kSendMatrixLightMode;

// The place of a matrix task (14, 15, 16) among the waiting flags; empty for other codes.
std::optional<std::size_t> TaskSlot(int code) {
  if (code < task::kSendMatrixLightMode || code > task::kSendMatrixPicture) return std::nullopt;
  return static_cast<std::size_t>(code - kFirstTask);
}

}  // namespace

MatrixService::MatrixService(SharedState& state, storage::SettingsDatabase& database,
                             LightingService& lighting, device::LightingCommands& commands,
                             const CurrentModel& model, DeviceTaskQueue& tasks)
    : state_(state),
      database_(database),
      lighting_(lighting),
      commands_(commands),
      model_(model),
      tasks_(tasks) {
  selection_.preset = FirstMatrixPreset();
  selection_.amplitude = kInitialAmplitude;
}

// The profile's rows ------------------------------------------------------------------------------

bool MatrixService::SeedMatrixModes() {
  const int profile = state_.currentProfile.load();
  if (profile <= 0) return false;  // no profile list yet
  // Looking and inserting under one holding of the lock: the UI thread and the worker both
  // load the page, and a profile must not be seeded twice.
  auto lock = database_.Lock();
  if (database_.CountLightSettingsOfType(profile, kZoneMatrix) > 0) return true;
  if (!database_.AddLightSettings(MatrixSeedRows(profile))) {
    base::DebugLog("matrix: the matrix modes of profile %d could not be stored", profile);
    return false;
  }
  return database_.SetActiveLightMode(profile, kZoneMatrix, kMatrixModeOff);
}

std::vector<storage::LightSettingRecord> MatrixService::ListModes() {
  SeedMatrixModes();
  std::vector<storage::LightSettingRecord> rows;
  database_.ListLightSettings(state_.currentProfile.load(), kZoneMatrix, rows);
  return rows;
}

std::optional<storage::LightSettingRecord> MatrixService::Record(int mode) {
  storage::LightSettingRecord record;
  if (!database_.GetLightSetting(state_.currentProfile.load(), kZoneMatrix, mode, record)) {
    return std::nullopt;
  }
  return record;
}

// The selection ---------------------------------------------------------------------------------

MatrixSelection MatrixService::Selection() const {
  std::lock_guard lock(mutex_);
  MatrixSelection selection = selection_;
  selection.streaming = streaming_.load();
  return selection;
}

MatrixSelection MatrixService::LoadSelection() {
  SeedMatrixModes();
  const int profile = state_.currentProfile.load();
  const int active = database_.GetActiveLightMode(profile, kZoneMatrix);
  const std::optional<storage::LightSettingRecord> record = Record(active);
  std::string stored;
  int preset = FirstMatrixPreset();
  // A stored number that names no preset of the list (the first value a profile gets names
  // the drawing) shows the list's first preset.
  if (database_.GetConfigValue(profile, storage::config_key::kMatrixLightPresetMode, stored) &&
      IsListedMatrixPreset(base::ToInt(stored))) {
    preset = base::ToInt(stored);
  }
  int amplitude = kInitialAmplitude;
  if (database_.GetConfigValue(profile, storage::config_key::kMatrixLightAmplitude, stored)) {
    amplitude = std::clamp(base::ToInt(stored), 0, kMaxAmplitude);
  }
  {
    std::lock_guard lock(mutex_);
    selection_.mode = active;
    selection_.active = active;
    selection_.enabled = true;
    selection_.offers = record ? record->config_func : 0;
    selection_.preset = preset;
    selection_.amplitude = amplitude;
  }
  streaming_.store(active == kMatrixPresetMode);
  if (active == kMatrixDrawingMode) {
    Queue(task::kSendMatrixLightMode);
    Queue(task::kReadMatrixPicture);
  }
  return Selection();
}

// Changes --------------------------------------------------------------------------------------

bool MatrixService::ChooseMode(int mode) {
  const std::optional<storage::LightSettingRecord> record = Record(mode);
  if (!record) return false;
  streaming_.store(false);
  if (!database_.SetActiveLightMode(state_.currentProfile.load(), kZoneMatrix, mode)) {
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    selection_.mode = mode;
    selection_.active = mode;
    selection_.enabled = true;
    selection_.offers = record->config_func;
  }
  if (mode == kMatrixPresetMode) {
    streaming_.store(true);
  } else if (mode == kMatrixDrawingMode) {
    Queue(task::kSendMatrixLightMode);
    Queue(task::kReadMatrixPicture);
  } else {
    Queue(task::kSendMatrixLightMode);
  }
  return true;
}

bool MatrixService::SetEnabled(bool on) {
  const int mode =
      on ? database_.GetActiveLightMode(state_.currentProfile.load(), kZoneMatrix) : kMatrixModeOff;
  const std::optional<storage::LightSettingRecord> record = Record(mode);
  {
    std::lock_guard lock(mutex_);
    selection_.enabled = on;
    selection_.mode = mode;
    if (on) selection_.active = mode;
    selection_.offers = record ? record->config_func : 0;
  }
  // A light switched off stays dark: the animated mode's frames stop until it is on again.
  streaming_.store(on && mode == kMatrixPresetMode);
  Queue(task::kSendMatrixLightMode);
  return true;
}

template <class F>
bool MatrixService::UpdateShown(F change) {
  std::optional<storage::LightSettingRecord> record = Record(Selection().mode);
  if (!record) return false;
  change(*record);
  return database_.UpdateLightSetting(kZoneMatrix, record->mode, *record);
}

void MatrixService::QueueModeBelowPresets() {
  if (Selection().mode < kMatrixPresetMode) Queue(task::kSendMatrixLightMode);
}

bool MatrixService::SetBrightness(int value) {
  if (!UpdateShown([value](storage::LightSettingRecord& r) { r.brightness = value; })) {
    return false;
  }
  QueueModeBelowPresets();
  return true;
}

bool MatrixService::SetSpeed(int value) {
  if (!UpdateShown([value](storage::LightSettingRecord& r) { r.speed = value; })) return false;
  QueueModeBelowPresets();
  return true;
}

bool MatrixService::SetColorful(bool colorful) {
  if (!UpdateShown([colorful](storage::LightSettingRecord& r) { r.colorful = colorful ? 1 : 0; })) {
    return false;
  }
  QueueModeBelowPresets();
  return true;
}

bool MatrixService::SetColor(std::uint32_t color) {
  const auto value = static_cast<int>(color & 0xFFFFFF);
  if (!UpdateShown([value](storage::LightSettingRecord& r) { r.color_value = value; })) {
    return false;
  }
  // The drawing mode paints with it and the presets show it: the keyboard is not told.
  const int mode = Selection().mode;
  if (mode != kMatrixDrawingMode && mode < kMatrixPresetMode) Queue(task::kSendMatrixLightMode);
  return true;
}

bool MatrixService::SetDirection(int direction) {
  if (direction < kDirectionRight || direction > kDirectionDown) return false;
  if (!UpdateShown([direction](storage::LightSettingRecord& r) { r.direction = direction; })) {
    return false;
  }
  Queue(task::kSendMatrixLightMode);
  return true;
}

bool MatrixService::SetPreset(int preset) {
  if (!IsListedMatrixPreset(preset)) return false;
  {
    std::lock_guard lock(mutex_);
    selection_.preset = preset;
  }
  return database_.SetConfigValue(state_.currentProfile.load(),
                                  storage::config_key::kMatrixLightPresetMode,
                                  std::to_string(preset));
}

bool MatrixService::SetAmplitude(int amplitude) {
  amplitude = std::clamp(amplitude, 0, kMaxAmplitude);
  {
    std::lock_guard lock(mutex_);
    selection_.amplitude = amplitude;
  }
  return database_.SetConfigValue(state_.currentProfile.load(),
                                  storage::config_key::kMatrixLightAmplitude,
                                  std::to_string(amplitude));
}

void MatrixService::Drawn() {
  if (Selection().mode == kMatrixDrawingMode) Queue(task::kSendMatrixPicture);
}

// Queuing ---------------------------------------------------------------------------------------

void MatrixService::Queue(int code) {
  const std::optional<std::size_t> slot = TaskSlot(code);
  if (!slot) return;
  if (!pending_[*slot].exchange(true)) tasks_.Append(code);
}

void MatrixService::TaskStarted(int code) {
  const std::optional<std::size_t> slot = TaskSlot(code);
  if (!slot) return;
  ran_[*slot].store(true);
  // Whatever changes from now on needs a task of its own.
  pending_[*slot].store(false);
}

void MatrixService::TaskFinished(int code) {
  const std::optional<std::size_t> slot = TaskSlot(code);
  if (!slot) return;
  // A task dropped without running frees its place here; one that ran freed it when it
  // started, and another may be waiting already.
  if (!ran_[*slot].exchange(false)) pending_[*slot].store(false);
}

// Tasks -----------------------------------------------------------------------------------------

void MatrixService::SendMatrixLightMode() {
  TARVO_EXPECT_WORKER();
  lighting_.SendMatrixLightMode(Selection().mode);
}

void MatrixService::ReadMatrixPicture() {
  TARVO_EXPECT_WORKER();
  const std::optional<protocol::MatrixColors> cells = lighting_.ReadMatrixPicture();
  if (!cells) {
    base::DebugLog("matrix: the keyboard's drawing could not be read; the view keeps its cells");
    return;
  }
  if (view_ != nullptr) view_->ShowMatrixPicture(*cells);
}

void MatrixService::SendMatrixPicture() {
  TARVO_EXPECT_WORKER();
  if (view_ == nullptr) return;
  lighting_.SendMatrixPicture(view_->PictureToSend());
}

void MatrixService::StreamMatrix() {
  TARVO_EXPECT_WORKER();
  if (!streaming_.load() || view_ == nullptr || !state_.online.load() ||
      state_.currentPage.load() == kPageHome) {
    return;
  }
  if (!model_.Get().streamsMatrix) return;
  if (commands_.StreamMatrix(view_->StreamFrame())) ++framesStreamed_;
}

}  // namespace lighting
