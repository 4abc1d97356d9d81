#pragma once
// The music analysis, step by step and without threads: packets of a 16 ms step go in, and
// the step's level, peak, wave and pseudo-bands come out; every 2048 values a spectrum gives
// the bands, the tone energies, the beat and the tempo.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lighting/BeatDetector.h"
#include "lighting/LoudnessNormaliser.h"
#include "lighting/PseudoBands.h"
#include "lighting/SpectrumAnalyser.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/MonotonicClock.h"

namespace lighting {

struct AudioAnalysis {
  static constexpr std::size_t kWavePoints = 256;
  static constexpr std::size_t kWaveFloats = 2 * kWavePoints;  // each point stored twice

  // Step statistics.
  float level = 0.0f;     // 0 to 1
  float peakHold = 0.0f;  // 0 to 1
  float averageLevel = 0.0f;
  float rms = 0.0f;
  int levelPercent = 0;
  // Pseudo-bands.
  PseudoBands::Values bands{};
  PseudoBands::Values bandPeaks{};
  PseudoBands::Values smoothedBands{};
  // Spectrum results.
  std::array<float, 32> bands32{};
  std::array<float, 64> bands64{};
  float bass = 0.0f;
  float mid = 0.0f;
  float treble = 0.0f;
  bool beat = false;
  float beatIntensity = 0.0f;
  float tempo = 0.0f;  // beats per minute; 0 until known
  double beatTimeSeconds = 0.0;
  float loudnessGain = 1.0f;
  // The signal.
  std::array<float, kWaveFloats> wave{};  // newest at the end
  int waveGain = 0;
  float masterVolume = 1.0f;
  unsigned sampleRate = 0;
  // Counters.
  std::uint64_t stepsWithSound = 0;
  std::uint64_t spectra = 0;
  std::uint64_t packetsRefused = 0;
  // The source's state; filled in by whoever owns the source.
  platform::AudioSourceStatus source;
};

class AudioAnalyser {
 public:
  static constexpr int kDefaultWaveGain = 270;
  static constexpr int kMaxWaveGain = 100000;
  static constexpr std::size_t kHistorySteps = 64;
  static constexpr unsigned kDefaultSampleRate = 48000;

  explicit AudioAnalyser(platform::MonotonicClock clock);

  // Scale of the wave points; clamped to 0..kMaxWaveGain.
  void SetWaveGain(int gain);

  // Takes one packet of the current step. Refused (false) when its rate is out of range.
  // NaN and infinite samples count as silence.
  bool AddPacket(const platform::AudioPacket& packet);
  // Ends the step. When sound arrived since the last call, updates the level, peak,
  // history, RMS and pseudo-bands and returns true.
  bool FinishStep();

  const AudioAnalysis& Results() const { return results_; }

 private:
  void AddGroupPoint(float point);
  void WriteWave(std::size_t newPoints);
  void AnalyseSpectrum();

  const platform::MonotonicClock clock_;
  AudioAnalysis results_;
  // One wave point per two frames.
  float groupSum_ = 0.0f;
  bool groupHalf_ = false;
  std::array<float, AudioAnalysis::kWavePoints> recentPoints_{};
  std::size_t recentNext_ = 0;
  // The step's statistics so far.
  std::size_t stepGroups_ = 0;
  double stepSquares_ = 0.0;
  float stepLargest_ = 0.0f;
  std::array<float, kHistorySteps> levelHistory_{};
  std::size_t historyNext_ = 0;
  // Spectrum input: one value per frame, both channels averaged.
  std::array<float, SpectrumAnalyser::kPoints> analysisValues_{};
  std::size_t analysisFill_ = 0;
  std::array<float, SpectrumAnalyser::kBins> magnitudes_{};
  SpectrumAnalyser spectrum_;
  LoudnessNormaliser normaliser_{kDefaultSampleRate};
  BeatDetector beats_;
  PseudoBands pseudoBands_;
};

}  // namespace lighting
