#pragma once
// Finds beats as spectra whose low-frequency energy stands out from the last 43 spectra, and
// follows the tempo from the time between beats. Times come from a monotonic clock.

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <span>

namespace lighting {

class BeatDetector {
 public:
  static constexpr std::size_t kHistory = 43;
  static constexpr std::chrono::milliseconds kMinBeatGap{150};
  static constexpr std::chrono::milliseconds kBeatHold{100};
  static constexpr std::chrono::milliseconds kMaxTempoGap{2000};
  static constexpr float kMinTempo = 30.0f;
  static constexpr float kMaxTempo = 400.0f;

  // The low-frequency energy of a spectrum's 32 bands.
  static float Energy(std::span<const float, 32> bands32);

  // Takes the energy of one spectrum analysed at `now`.
  void Update(float energy, std::chrono::nanoseconds now);

  bool Beat() const { return beat_; }
  float Intensity() const { return intensity_; }
  float Tempo() const { return tempo_; }  // 0 until two beats were close enough
  double BeatTimeSeconds() const { return beatTimeSeconds_; }
  std::optional<std::chrono::nanoseconds> LastBeat() const { return lastBeat_; }
  // The threshold the last energy was compared with.
  float Threshold() const { return threshold_; }

 private:
  float UpdateThreshold(float energy);

  std::array<float, kHistory> history_{};
  std::size_t next_ = 0;
  float threshold_ = 0.0f;
  bool beat_ = false;
  float intensity_ = 0.0f;
  float tempo_ = 0.0f;
  double beatTimeSeconds_ = 0.0;
  std::optional<std::chrono::nanoseconds> lastBeat_;
};

}  // namespace lighting
