#include "lighting/EffectService.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "base/Log.h"
#include "base/Text.h"
#include "catalogue/KeyboardLayout.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "device/LightingCommands.h"
#include "lighting/KeyboardAudio.h"
#include "protocol/Colors.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"

namespace lighting {
namespace {

// The screen-sync buffer holds two bytes per light.
constexpr std::size_t kMaxStreamedLights = protocol::kScreenSyncBufferLength / 2;

MusicLayer LayerOf(const storage::MusicLayerRecord& record) {
  return {record.foremode, record.fore_amplitude, record.backmode, record.backb_right,
          record.light_right};
}

}  // namespace

EffectService::EffectService(SharedState& state, storage::SettingsDatabase& database,
                             device::KeyboardCommands& keyboard, device::LightingCommands& lighting,
                             const CurrentModel& model, const CurrentLayout& layout,
                             KeyboardAudio& audio, Sources sources)
    : state_(state),
      database_(database),
      keyboard_(keyboard),
      lighting_(lighting),
      model_(model),
      layout_(layout),
      audio_(audio),
      sources_(std::move(sources)),
      player_(sources_.pictures),
      musicPicture_(Visualizer::kPixels, 0) {}

EffectService::~EffectService() {
  Shutdown();
}

// The effect mode ---------------------------------------------------------------------------------

bool EffectService::SetMode(int mode) {
  if (!IsEffectMode(mode)) return false;
  if (!database_.SetConfigValue(state_.currentProfile.load(), storage::config_key::kAuroraMode,
                                std::to_string(mode))) {
    return false;
  }
  mode_.store(mode);
  if (view_ != nullptr) view_->SetEffectMode(mode);
  UpdateSources();
  return true;
}

int EffectService::LoadMode() {
  std::string stored;
  database_.GetConfigValue(state_.currentProfile.load(), storage::config_key::kAuroraMode, stored);
  const int read = base::ToInt(stored);
  // A damaged value shows the default mode rather than an effect the page cannot offer.
  const int mode = IsEffectMode(read) ? read : kDefaultEffectMode;
  mode_.store(mode);
  if (view_ != nullptr) view_->SetEffectMode(mode);
  UpdateSources();
  return mode;
}

// Activity -------------------------------------------------------------------------------------

void EffectService::SetActive(bool active) {
  if (active_.exchange(active) == active) return;
  UpdateSources();
}

// The music layer ------------------------------------------------------------------------------

// A profile's layer row carries the profile's own number (the two are made together). A row
// that belongs to another profile is never read or written for this one.
std::optional<storage::MusicLayerRecord> EffectService::ReadLayerRecord(int profile) {
  storage::MusicLayerRecord record;
  if (profile <= 0 || !database_.GetMusicLayer(profile, record) || record.profile != profile) {
    return std::nullopt;
  }
  return record;
}

std::optional<MusicLayer> EffectService::LoadMusicLayer() {
  visualizer_.SetEnabled(false);
  const std::optional<storage::MusicLayerRecord> record =
      ReadLayerRecord(state_.currentProfile.load());
  std::optional<MusicLayer> layer;
  if (record) {
    layer = LayerOf(*record);
    visualizer_.ClearWave();
    ApplyLayer(*layer);
  }
  layerLoaded_.store(true);
  UpdateSources();
  return layer;
}

std::optional<MusicLayer> EffectService::StoredMusicLayer() {
  const std::optional<storage::MusicLayerRecord> record =
      ReadLayerRecord(state_.currentProfile.load());
  if (!record) return std::nullopt;
  return LayerOf(*record);
}

void EffectService::ApplyLayer(const MusicLayer& layer) {
  // The visualizer takes the values at the start of its next frame: no frame is drawn with
  // half of them.
  visualizer_.SetMusicLayer(layer.foreMode, layer.lightBrightness, layer.backMode,
                            layer.backBrightness);
  audio_.SetWaveGain(layer.amplitude);
}

bool EffectService::SetLayerValue(LayerValue which, int value) {
  const int profile = state_.currentProfile.load();
  std::optional<storage::MusicLayerRecord> record = ReadLayerRecord(profile);
  if (!record) return false;
  switch (which) {
    case LayerValue::kForeMode:
      record->foremode = value;
      break;
    case LayerValue::kAmplitude:
      record->fore_amplitude = value;
      break;
    case LayerValue::kBackMode:
      record->backmode = value;
      break;
    case LayerValue::kBackBrightness:
      record->backb_right = value;
      break;
    case LayerValue::kLightBrightness:
      record->light_right = value;
      break;
  }
  if (!database_.UpdateMusicLayer(profile, *record)) return false;
  ApplyLayer(LayerOf(*record));
  return true;
}

// Sources
// ------------------------------------------------------------------------------------------

bool EffectService::ChooseFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  {
    std::lock_guard lock(sourcesMutex_);
    file_ = file;
    playing_.clear();  // the same file chosen again starts over
  }
  UpdateSources();
  return true;
}

platform::ScreenCapture& EffectService::CaptureLocked() {
  if (!capture_) capture_ = std::make_unique<platform::ScreenCapture>(sources_.display);
  return *capture_;
}

platform::CaptureAvailability EffectService::ScreenAvailability() {
  std::lock_guard lock(sourcesMutex_);
  return CaptureLocked().Availability();
}

std::vector<platform::CaptureWindowEntry> EffectService::ListWindows() {
  std::lock_guard lock(sourcesMutex_);
  return CaptureLocked().ListWindows();
}

bool EffectService::FollowWindow(platform::CaptureWindowId window) {
  {
    std::lock_guard lock(sourcesMutex_);
    // A window closed after the list was made is ignored.
    if (!CaptureLocked().WindowStillExists(window)) return false;
    window_ = window;
    if (mode_.load() == kEffectWindow) capture_->FollowWindow(window);
  }
  UpdateSources();
  return true;
}

EffectStatus EffectService::CurrentStatus() {
  EffectStatus status;
  status.mode = mode_.load();
  status.active = active_.load();
  status.visualizerOn = visualizer_.IsEnabled();
  status.framesSent = framesSent_.load();
  status.media = player_.State();
  std::lock_guard lock(sourcesMutex_);
  status.window = window_;
  status.file = file_;
  if (capture_) {
    status.screen = capture_->Availability();
    status.capture = capture_->State();
  }
  return status;
}

void EffectService::UpdateSources() {
  std::lock_guard lock(sourcesMutex_);
  if (shutDown_) return;
  const int mode = mode_.load();
  const bool running = active_.load();
  const ModelCapabilities capabilities = model_.Get();
  const bool music = running && mode == kEffectMusic && layerLoaded_.load();
  if (music && !visualizerStarted_) visualizerStarted_ = visualizer_.Start();
  visualizer_.SetEnabled(music);
  UpdateCaptureLocked(mode, running, capabilities.gridRows, capabilities.gridColumns);
  UpdateMediaLocked(mode, running, capabilities.gridRows, capabilities.gridColumns);
}

void EffectService::UpdateCaptureLocked(int mode, bool running, int rows, int columns) {
  const bool wanted = running && FollowsScreen(mode) && platform::IsValidGridSize(rows, columns);
  if (!wanted) {
    if (capture_) capture_->Stop();
    return;
  }
  platform::ScreenCapture& capture = CaptureLocked();
  screenUnreadable_.store(capture.Availability() != platform::CaptureAvailability::Available);
  capture.SetGridSize(rows, columns);
  if (mode == kEffectWindow) {
    capture.FollowWindow(window_);
  } else {
    capture.FollowScreen();
  }
  capture.Start();  // false when it runs already, or when the screen cannot be read
}

void EffectService::UpdateMediaLocked(int mode, bool running, int rows, int columns) {
  const bool wanted = running && mode == kEffectMedia && !file_.empty();
  if (!wanted) {
    player_.Stop();
    playing_.clear();
    return;
  }
  if (playing_ == file_ && playingRows_ == rows && playingColumns_ == columns) return;
  if (player_.Play(file_, rows, columns)) {
    playing_ = file_;
    playingRows_ = rows;
    playingColumns_ = columns;
  }
}

void EffectService::Shutdown() {
  {
    std::lock_guard lock(sourcesMutex_);
    shutDown_ = true;
  }
  visualizer_.Stop();
  player_.Stop();
  if (capture_) capture_->Stop();
}

// Worker
// ---------------------------------------------------------------------------------------------

bool EffectService::ShouldStream() const {
  if (FollowsScreen(mode_.load()) && screenUnreadable_.load()) return false;
  return state_.Connected() && active_.load() && state_.currentPage.load() != kPageHome;
}

void EffectService::StreamEffectColors() {
  TARVO_EXPECT_WORKER();
  if (view_ == nullptr || !ShouldStream()) return;
  if (view_->HasMap()) {
    FillMap(mode_.load());
    // Off screen the view is drawn by nobody else: its keys take the map's colours here.
    if (state_.currentPage.load() != kPageScreenSync) view_->DrawHidden();
  }
  SendFrame();
}

void EffectService::FillMap(int mode) {
  const bool modeChanged = mode != filledMode_;
  filledMode_ = mode;
  if (mode == kEffectMusic) {
    const std::uint64_t frame = visualizer_.FrameCount();
    if (frame == musicFrame_ && !modeChanged) return;
    musicFrame_ = frame;
    visualizer_.CopyPicture(std::span<std::uint32_t, Visualizer::kPixels>(musicPicture_));
    view_->ShowMusicPicture(musicPicture_);
    if (visualizer_.Settings().barPattern == kMatrixLightsForeground) view_->ShowMatrixLights();
    return;
  }
  std::optional<platform::CapturedFrame> frame;
  if (mode == kEffectMedia) {
    frame = player_.Latest();
  } else if (FollowsScreen(mode)) {
    std::lock_guard lock(sourcesMutex_);
    if (capture_) frame = capture_->Latest();
  }
  if (!frame || (frame->sequence == gridSequence_ && !modeChanged)) return;
  gridSequence_ = frame->sequence;
  view_->ShowGrid(frame->grid);
}

void EffectService::SendFrame() {
  const std::shared_ptr<const LayoutTables> layout = layout_.Get();
  const std::vector<EffectKeyColor> keys = view_->KeyColors();
  std::vector<protocol::LitKey> lit;
  lit.reserve(keys.size());
  for (const EffectKeyColor& key : keys) {
    if (const std::optional<int> light = layout->FindLightIndex(key.code)) {
      lit.push_back({*light, key.color});
    }
  }
  // The frame covers the keys and, on keyboards that have them, the side and top lights
  // after them: without them in the frame's length those lights would never be lit.
  std::size_t count = keys.size();
  if (const std::optional<EdgeLights> edges = model_.Get().edgeLights) {
    std::vector<std::uint32_t> colors = view_->SideLightColors();
    const std::vector<std::uint32_t> top = view_->TopLightColors();
    colors.insert(colors.end(), top.begin(), top.end());
    const std::vector<int> indices = edges->LightIndices();
    for (std::size_t i = 0; i < indices.size() && i < colors.size(); ++i) {
      if (indices[i] < 0 || static_cast<std::size_t>(indices[i]) >= kMaxStreamedLights) continue;
      lit.push_back({indices[i], colors[i]});
      count = std::max(count, static_cast<std::size_t>(indices[i]) + 1);
    }
  }
  if (lighting_.StreamScreenSync(lit, count)) framesSent_.fetch_add(1);
}

void EffectService::SendPageSwitch() {
  TARVO_EXPECT_WORKER();
  // The page sets the flag before it queues the task, so the command only goes out when the
  // task is queued with the flag clear.
  if (pageSwitchOnce_.load()) return;
  device::CommandBracket bracket(keyboard_);
  keyboard_.StartScreenSync();
}

}  // namespace lighting
