#include "lighting/Visualizer.h"

#include <kiss_fft.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace lighting {
namespace {

constexpr int kFftPoints = 256;
constexpr int kFftBins = 64;  // the bins that become columns, four columns each
constexpr float kPlasmaPhaseStep = 0.05f;

float WindowValue(int type, int i) {
  const float x = 2.0f * std::numbers::pi_v<float> * static_cast<float>(i) / kFftPoints;
  switch (type) {
    case 2:
      return 0.54f - 0.46f * std::cos(x);
    case 3:
      return 0.42f - 0.5f * std::cos(x) + 0.08f * std::cos(2.0f * x);
    default:
      return 0.5f * (1.0f - std::cos(x));
  }
}

float Finite(float value, float fallback) {
  return std::isfinite(value) ? value : fallback;
}

float Mean(const std::array<float, Visualizer::kWidth>& levels, int first, int last) {
  return std::accumulate(levels.begin() + first, levels.begin() + last + 1, 0.0f) /
         static_cast<float>(last - first + 1);
}

}  // namespace

struct Visualizer::Fft {
  struct Free {
    void operator()(kiss_fft_state* config) const { kiss_fft_free(config); }
  };
  std::unique_ptr<kiss_fft_state, Free> config{kiss_fft_alloc(kFftPoints, 0, nullptr, nullptr)};
  std::array<kiss_fft_cpx, kFftPoints> in{};
  std::array<kiss_fft_cpx, kFftPoints> out{};
  std::array<std::array<float, kFftPoints>, 3> windows{};

  Fft() {
    for (int type = 1; type <= 3; ++type) {
      for (int i = 0; i < kFftPoints; ++i) windows[type - 1][i] = WindowValue(type, i);
    }
  }
};

VisualizerSettings Sanitized(const VisualizerSettings& settings) {
  const VisualizerSettings defaults;
  VisualizerSettings s = settings;
  s.barBrightness = std::clamp(s.barBrightness, 0, 100);
  s.backgroundBrightness = std::clamp(s.backgroundBrightness, 0, 100);
  s.columnDecay = std::clamp(Finite(s.columnDecay, defaults.columnDecay), 0.0f, 1.0f);
  s.smoothingWidth = std::clamp(s.smoothingWidth, 1, 64);
  if (s.windowType < 1 || s.windowType > 3) s.windowType = defaults.windowType;
  s.hueSpeed = std::clamp(Finite(s.hueSpeed, defaults.hueSpeed), -360.0f, 360.0f);
  s.levelFollow = std::clamp(Finite(s.levelFollow, defaults.levelFollow), 0.0f, 1.0f);
  return s;
}

Visualizer::Visualizer() : front_(kPixels, 0), fft_(std::make_unique<Fft>()), back_(kPixels, 0) {}

Visualizer::~Visualizer() {
  Stop();
}

bool Visualizer::Start() {
  std::lock_guard lifecycle(lifecycleMutex_);
  std::lock_guard lock(mutex_);
  if (running_) return false;
  running_ = true;
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void Visualizer::Stop() {
  std::lock_guard lifecycle(lifecycleMutex_);
  {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  std::lock_guard lock(mutex_);
  running_ = false;
}

void Visualizer::SetEnabled(bool enabled) {
  {
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
  }
  wake_.notify_all();
}

bool Visualizer::IsEnabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void Visualizer::SetSettings(const VisualizerSettings& settings) {
  const VisualizerSettings sanitized = Sanitized(settings);
  std::lock_guard lock(mutex_);
  pending_ = sanitized;
}

VisualizerSettings Visualizer::Settings() const {
  std::lock_guard lock(mutex_);
  return pending_;
}

void Visualizer::SetMusicLayer(int barPattern, int barBrightness, int backgroundPattern,
                               int backgroundBrightness) {
  std::lock_guard lock(mutex_);
  pending_.barPattern = barPattern;
  pending_.barBrightness = std::clamp(barBrightness, 0, 100);
  pending_.backgroundPattern = backgroundPattern;
  pending_.backgroundBrightness = std::clamp(backgroundBrightness, 0, 100);
}

void Visualizer::ClearWave() {
  std::lock_guard lock(mutex_);
  clearRequested_ = true;
  waveArrived_ = false;
}

void Visualizer::SetInputWave(std::span<const float> wave) {
  std::array<float, kWaveValues> copy{};
  const std::size_t count = std::min(wave.size(), kWaveValues);
  for (std::size_t i = 0; i < count; ++i) copy[i] = Finite(wave[i], 0.0f);
  std::lock_guard lock(mutex_);
  pendingWave_ = copy;
  waveArrived_ = true;
}

void Visualizer::CopyPicture(std::span<std::uint32_t, kPixels> out) const {
  std::lock_guard lock(mutex_);
  std::copy(front_.begin(), front_.end(), out.begin());
}

std::vector<std::uint32_t> Visualizer::Picture() const {
  std::lock_guard lock(mutex_);
  return front_;
}

std::array<float, Visualizer::kWidth> Visualizer::Levels() const {
  std::lock_guard lock(mutex_);
  return publishedLevels_;
}

float Visualizer::Hue() const {
  std::lock_guard lock(mutex_);
  return publishedHue_;
}

std::uint64_t Visualizer::FrameCount() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

void Visualizer::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!enabled_) {
      wake_.wait_for(lock, kIdlePeriod, [&] { return stopping_ || enabled_; });
      continue;
    }
    lock.unlock();
    const auto started = std::chrono::steady_clock::now();
    RenderFrame();
    lock.lock();
    wake_.wait_until(lock, started + kFramePeriod, [&] { return stopping_; });
  }
}

void Visualizer::RenderFrame() {
  std::lock_guard frame(frameMutex_);
  // The frame boundary: everything handed over so far is taken now, and only now.
  VisualizerSettings settings;
  bool newWave = false;
  {
    std::lock_guard lock(mutex_);
    settings = pending_;
    if (clearRequested_) {
      computed_.fill(0.0f);
      levels_.fill(0.0f);
      clearRequested_ = false;
    }
    if (waveArrived_) {
      wave_ = pendingWave_;
      waveArrived_ = false;
      newWave = true;
    }
  }
  ComputeLevels(settings, newWave ? wave_.data() : nullptr);
  Compose(settings);
  hue_ = WrapDegrees(hue_ + settings.hueSpeed);
  std::lock_guard lock(mutex_);
  front_.swap(back_);
  publishedLevels_ = levels_;
  publishedHue_ = hue_;
  ++frames_;
}

void Visualizer::ComputeLevels(const VisualizerSettings& settings, const float* wave) {
  for (float& level : computed_) level *= settings.columnDecay;
  if (wave != nullptr) {
    const auto& window = fft_->windows[settings.windowType - 1];
    for (int i = 0; i < kFftPoints; ++i) {
      fft_->in[i].r = wave[2 * i] * window[i];
      fft_->in[i].i = wave[2 * i + 1] * window[i];
    }
    kiss_fft(fft_->config.get(), fft_->in.data(), fft_->out.data());
    for (int k = 0; k < kFftBins; ++k) {
      const float x = std::hypot(fft_->out[k].r, fft_->out[k].i);
      const float m = std::min(1.0f, 0.5f * std::log10(1.1f * x) + 0.9f * x);
      float& level = computed_[4 * k];
      if (m > level) level = m;
      if (!(level >= 0.0f)) level = 0.0f;  // negative, or the logarithm of silence
      for (int j = 1; j < 4; ++j) computed_[4 * k + j] = level;
    }
  }
  Smooth(settings);
  for (int c = 0; c < kWidth; ++c) {
    levels_[c] += (computed_[c] - levels_[c]) * settings.levelFollow;
  }
}

void Visualizer::Smooth(const VisualizerSettings& settings) {
  const int width = settings.smoothingWidth;
  std::array<float, kWidth + 1> sums{};
  for (int c = 0; c < kWidth; ++c) sums[c + 1] = sums[c] + computed_[c];
  const auto mean = [&](int first, int end) {
    return (sums[end] - sums[first]) / static_cast<float>(end - first);
  };
  if (settings.smoothingMode == 1) {
    // Near the edges the window holds only the columns there are.
    for (int c = 0; c < kWidth; ++c) {
      computed_[c] = mean(std::max(0, c - width), std::min(kWidth, c + width + 1));
    }
  } else if (settings.smoothingMode == 0) {
    for (int first = 0; first < kWidth; first += width) {
      const int end = std::min(kWidth, first + width);
      const float value = mean(first, end);
      std::fill(computed_.begin() + first, computed_.begin() + end, value);
    }
  }
}

// Bars of the bar pattern grow from the bottom to each column's level over the background;
// row 0 is a level line growing from the middle outwards.
void Visualizer::Compose(const VisualizerSettings& settings) {
  const float bass = Mean(levels_, 0, 31);
  const float mid = Mean(levels_, 32, 95);
  const float treble = Mean(levels_, 96, 127);
  const auto frameOf = [&](int pattern, int brightness) {
    return PatternFrame{pattern, brightness, hue_, plasmaPhase_, bass, mid, treble};
  };
  if (settings.barPattern == kMusicPlasmaPattern ||
      settings.backgroundPattern == kMusicPlasmaPattern) {
    if ((bass + mid + treble) / 3.0f > 0.01f) {
      plasmaPhase_ = WrapDegrees(plasmaPhase_ + kPlasmaPhaseStep);
    }
  }
  const PatternPainter bars(frameOf(settings.barPattern, settings.barBrightness));
  const PatternPainter background(
      frameOf(settings.backgroundPattern, settings.backgroundBrightness));
  const float line = levels_[5] - 0.05f;
  for (int c = 0; c < kWidth; ++c) {
    const float fromMiddle =
        c >= 128 ? static_cast<float>(c - 128) / 128.0f : static_cast<float>(127 - c) / 128.0f;
    back_[c] = line > fromMiddle ? bars.Pixel(c, 0) : background.Pixel(c, 0);
  }
  for (int r = 1; r < kHeight; ++r) {
    const float height = static_cast<float>(kHeight - r) / kHeight;
    std::uint32_t* row = back_.data() + static_cast<std::size_t>(r) * kWidth;
    for (int c = 0; c < kWidth; ++c) {
      row[c] = height < levels_[c] ? bars.Pixel(c, r) : background.Pixel(c, r);
    }
  }
}

}  // namespace lighting
