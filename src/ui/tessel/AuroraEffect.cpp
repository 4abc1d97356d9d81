#include "ui/tessel/AuroraEffect.h"

#include <algorithm>
#include <cmath>

namespace Tessel {

void AuroraEffect::AddKeyItem(std::string name, int code, const Rect& rect, int column, int row) {
  {
    std::lock_guard lock(mutex_);
    items_.push_back({code, std::move(name), rect, column, row, map_.Get(column, row)});
    BumpVersionLocked();
  }
  NotifyChanged();
}

void AuroraEffect::ClearItem() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<KEYITEM_INFO> AuroraEffect::GetKeyItems() const {
  return Read(items_);
}

int AuroraEffect::GetKeyCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

}  // namespace Tessel

namespace Tessel {
namespace {

// The game flash fades by this factor every tick.
constexpr float kFlashDecay = 0.85f;
// Colourful modes move the hue this many degrees every tick.
constexpr float kHueStep = 3.0f;

float Clamp01(float value) {
  return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

}  // namespace

void AuroraEffect::SetAuroraMode(int mode) {
  {
    std::lock_guard lock(mutex_);
    if (mode_ == mode) return;
    mode_ = mode;
    map_.Fill(0);
    flash_ = 0;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int AuroraEffect::GetAuroraMode() const {
  return Read(mode_);
}

bool AuroraEffect::SetColorMapSize(int rows, int columns) {
  {
    std::lock_guard lock(mutex_);
    if (map_.Rows() == rows && map_.Columns() == columns) return true;
    if (!map_.Resize(rows, columns)) return false;
    UpdateKeyColorsLocked();
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

int AuroraEffect::GetColorMapRows() const {
  std::lock_guard lock(mutex_);
  return map_.Rows();
}

int AuroraEffect::GetColorMapColumns() const {
  std::lock_guard lock(mutex_);
  return map_.Columns();
}

bool AuroraEffect::SetColorMap(int column, int row, Color color) {
  {
    std::lock_guard lock(mutex_);
    if (!map_.Set(column, row, color)) return false;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

Color AuroraEffect::GetColorMap(int column, int row) const {
  std::lock_guard lock(mutex_);
  return map_.Get(column, row);
}

ColorMap AuroraEffect::GetColorMapCopy() const {
  return Read(map_);
}

void AuroraEffect::SetColorMapGrid(std::span<const Color> cells, int rows, int columns) {
  {
    std::lock_guard lock(mutex_);
    if (rows <= 0 || columns <= 0 ||
        cells.size() < static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns)) {
      return;
    }
    if (mode_ == kModeAmbient) {
      map_.Fill(MeanColor(cells.first(static_cast<std::size_t>(rows) * columns)));
    } else {
      FillFromGrid(map_, cells, rows, columns);
    }
    UpdateKeyColorsLocked();
    BumpVersionLocked();
  }
  NotifyChanged();
}

bool AuroraEffect::FillColorMapFromMusicPicture(std::span<const Color> picture) {
  {
    std::lock_guard lock(mutex_);
    if (!FillFromMusicPicture(map_, picture)) return false;
    UpdateKeyColorsLocked();
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

float AuroraEffect::BandLocked(int index, int count) const {
  const int bands = static_cast<int>(bands32_.size());
  const int first = std::clamp(index * bands / std::max(count, 1), 0, bands - 1);
  const int end = std::clamp((index + 1) * bands / std::max(count, 1), first + 1, bands);
  float sum = 0;
  for (int i = first; i < end; ++i) sum += bands32_[i];
  return Clamp01(sum / static_cast<float>(end - first));
}

std::vector<Color> AuroraEffect::GetMatrixLightsColors(int rows, int columns, int dimmest,
                                                       int brightest) const {
  constexpr int kMaxSide = 64;
  if (rows <= 0 || columns <= 0 || rows > kMaxSide || columns > kMaxSide) return {};
  dimmest = std::clamp(dimmest, 0, 255);
  brightest = std::clamp(brightest, dimmest, 255);
  std::lock_guard lock(mutex_);
  std::vector<Color> grid(static_cast<std::size_t>(rows) * columns, 0);
  for (int column = 0; column < columns; ++column) {
    const float band = BandLocked(column, columns);
    const int lit = static_cast<int>(std::lround(band * static_cast<float>(rows)));
    const float value = (dimmest + (brightest - dimmest) * band) / 255.0f;
    for (int row = rows - lit; row < rows; ++row) {
      // Colourful: green at the bottom to red at the top.
      const float height = static_cast<float>(rows - row) / static_cast<float>(rows);
      const Color color = colorful_ ? HueToColor(120.0f * (1.0f - height)) : musicColor_;
      grid[static_cast<std::size_t>(row) * columns + column] = ScaleBrightness(color, value);
    }
  }
  return grid;
}

void AuroraEffect::ApplyMatrixLightsToColorMap() {
  const std::vector<Color> grid =
      GetMatrixLightsColors(kMatrixLightRows, kMatrixLightColumns, 1, 255);
  {
    std::lock_guard lock(mutex_);
    ApplyMatrixLights(map_, grid, kMatrixLightRows, kMatrixLightColumns);
    UpdateKeyColorsLocked();
    BumpVersionLocked();
  }
  NotifyChanged();
}

void AuroraEffect::SetEdgeLights(int perSide, int top) {
  constexpr int kMaxEdgeLights = 64;
  std::lock_guard lock(mutex_);
  sidePerSide_ = std::clamp(perSide, 0, kMaxEdgeLights);
  topLights_ = std::clamp(top, 0, kMaxEdgeLights);
}

std::vector<Color> AuroraEffect::GetSideLightsColors() const {
  std::lock_guard lock(mutex_);
  return SideLightColors(map_, sidePerSide_);
}

std::vector<Color> AuroraEffect::GetTopLightsColors() const {
  std::lock_guard lock(mutex_);
  return TopLightColors(map_, topLights_);
}

void AuroraEffect::SetExternalAudioData(float level, float peakHold, float /*averageLevel*/,
                                        int /*levelPercent*/, float /*rms*/) {
  std::lock_guard lock(mutex_);
  level_ = Clamp01(level);
  peakHold_ = Clamp01(peakHold);
}

void AuroraEffect::SetFFTSpectrum(std::span<const float> bands32,
                                  std::span<const float> /*bands64*/) {
  std::lock_guard lock(mutex_);
  bands32_.fill(0.0f);
  const std::size_t count = std::min(bands32.size(), bands32_.size());
  for (std::size_t i = 0; i < count; ++i) bands32_[i] = Clamp01(bands32[i]);
}

void AuroraEffect::SetBeatData(int beat, float intensity, float /*tempo*/, float /*bass*/,
                               float /*mid*/, float /*treble*/) {
  std::lock_guard lock(mutex_);
  beat_ = beat != 0 ? 1 : 0;
  beatIntensity_ = Clamp01(intensity);
}

void AuroraEffect::SetMusicColor(Color color) {
  Assign(musicColor_, color);
}

Color AuroraEffect::GetMusicColor() const {
  return Read(musicColor_);
}

void AuroraEffect::SetMusicColorful(bool colorful) {
  Assign(colorful_, colorful);
}

bool AuroraEffect::GetMusicColorful() const {
  return Read(colorful_);
}

void AuroraEffect::AddLightLayer(int type, int value1, int value2, int value3, int value4) {
  constexpr std::size_t kMaxLayers = 16;
  {
    std::lock_guard lock(mutex_);
    if (layers_.size() >= kMaxLayers) return;
    layers_.push_back({type, value1, value2, value3, value4});
    BumpVersionLocked();
  }
  NotifyChanged();
}

void AuroraEffect::ClearLightLayers() {
  {
    std::lock_guard lock(mutex_);
    layers_.clear();
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<AuroraEffect::LightLayer> AuroraEffect::GetLightLayers() const {
  return Read(layers_);
}

void AuroraEffect::OnTimer(int /*timerId*/) {
  {
    std::lock_guard lock(mutex_);
    ++tick_;
    RenderOwnModesLocked();
    UpdateKeyColorsLocked();
    BumpVersionLocked();
  }
  NotifyChanged();
}

void AuroraEffect::DrawHideControl() {
  std::lock_guard lock(mutex_);
  UpdateKeyColorsLocked();
}

std::uint64_t AuroraEffect::GetTick() const {
  return Read(tick_);
}

void AuroraEffect::RenderOwnModesLocked() {
  const float hue = static_cast<float>(tick_ % 120) * kHueStep;
  if (mode_ == kModeLayers) {
    RenderLayersLocked();
  } else if (mode_ == kModeGame) {
    flash_ = beat_ != 0 ? std::max(flash_ * kFlashDecay, std::max(beatIntensity_, 0.5f))
                        : flash_ * kFlashDecay;
    beat_ = 0;  // one flash per beat reported
    map_.Fill(ScaleBrightness(colorful_ ? HueToColor(hue) : musicColor_, flash_));
  }
}

void AuroraEffect::RenderLayersLocked() {
  map_.Fill(0);
  const int rows = map_.Rows();
  const int columns = map_.Columns();
  for (const LightLayer& layer : layers_) {
    for (int column = 0; column < columns; ++column) {
      const Color color = colorful_ ? HueToColor(360.0f * column / std::max(columns, 1) +
                                                 static_cast<float>(tick_) * kHueStep)
                                    : musicColor_;
      if (layer.type == 1) {
        const int lit = static_cast<int>(std::lround(BandLocked(column, columns) * rows));
        for (int row = rows - lit; row < rows; ++row) map_.Set(column, row, color);
      } else if (layer.type == 2 && level_ > 0.0f) {
        for (int row = 0; row < rows; ++row) {
          if (map_.Get(column, row) == 0) map_.Set(column, row, ScaleBrightness(color, level_));
        }
      }
    }
  }
}

void AuroraEffect::UpdateKeyColorsLocked() {
  for (KEYITEM_INFO& item : items_) item.color = map_.Get(item.column, item.row);
}

}  // namespace Tessel
