#include "lighting/AudioAnalyser.h"

#include <algorithm>
#include <cmath>

#include "lighting/SpectrumBands.h"
#include "platform/audio/PcmFrames.h"

namespace lighting {
namespace {

// Sound beyond 24 dB over full scale is not music; the bound keeps every sum finite.
constexpr float kSampleLimit = 16.0f;

float Clean(float sample) {
  return std::isfinite(sample) ? std::clamp(sample, -kSampleLimit, kSampleLimit) : 0.0f;
}

}  // namespace

AudioAnalyser::AudioAnalyser(platform::MonotonicClock clock) : clock_(std::move(clock)) {
  results_.waveGain = kDefaultWaveGain;
}

void AudioAnalyser::SetWaveGain(int gain) {
  results_.waveGain = std::clamp(gain, 0, kMaxWaveGain);
}

bool AudioAnalyser::AddPacket(const platform::AudioPacket& packet) {
  if (packet.sampleRate < platform::kMinPcmRate || packet.sampleRate > platform::kMaxPcmRate) {
    ++results_.packetsRefused;
    return false;
  }
  if (packet.sampleRate != normaliser_.SampleRate())
    normaliser_ = LoudnessNormaliser(packet.sampleRate);
  results_.sampleRate = packet.sampleRate;
  const std::size_t frames = std::min(packet.frames, packet.samples.size() / 2);
  const float pointScale = 2.0f * static_cast<float>(results_.waveGain);
  std::size_t newPoints = 0;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const float left = Clean(packet.samples[2 * frame]);
    const float right = Clean(packet.samples[2 * frame + 1]);
    analysisValues_[analysisFill_++] = 0.5f * (left + right);
    if (analysisFill_ == analysisValues_.size()) {
      AnalyseSpectrum();
      analysisFill_ = 0;
    }
    groupSum_ += left + right;
    groupHalf_ = !groupHalf_;
    if (!groupHalf_) {  // two frames, four samples: one wave point
      AddGroupPoint(groupSum_ / 4.0f * pointScale);
      groupSum_ = 0.0f;
      ++newPoints;
    }
  }
  WriteWave(newPoints);
  return true;
}

void AudioAnalyser::AddGroupPoint(float point) {
  recentPoints_[recentNext_] = point;
  recentNext_ = (recentNext_ + 1) % recentPoints_.size();
  ++stepGroups_;
  stepSquares_ += static_cast<double>(point) * point;
  stepLargest_ = std::max(stepLargest_, std::abs(point));
}

// The wave moves left by the packet's new points, which fill its end; a packet with more
// points than the wave holds leaves only its newest.
void AudioAnalyser::WriteWave(std::size_t newPoints) {
  const std::size_t count = std::min(newPoints, AudioAnalysis::kWavePoints);
  if (count == 0) return;
  auto& wave = results_.wave;
  std::copy(wave.begin() + static_cast<std::ptrdiff_t>(2 * count), wave.end(), wave.begin());
  const std::size_t keep = AudioAnalysis::kWavePoints - count;
  for (std::size_t j = 0; j < count; ++j) {
    const std::size_t ring =
        (recentNext_ + recentPoints_.size() - count + j) % recentPoints_.size();
    wave[2 * (keep + j)] = recentPoints_[ring];
    wave[2 * (keep + j) + 1] = recentPoints_[ring];
  }
}

bool AudioAnalyser::FinishStep() {
  if (stepGroups_ == 0) return false;
  auto& r = results_;
  r.rms = static_cast<float>(std::sqrt(stepSquares_ / static_cast<double>(stepGroups_)));
  r.level = r.rms < 0.01f ? 0.0f : std::clamp(std::sqrt(4.0f * r.rms), 0.0f, 1.0f);
  r.levelPercent = std::clamp(static_cast<int>(r.level * 100.0f), 0, 100);
  levelHistory_[historyNext_] = r.level;
  historyNext_ = (historyNext_ + 1) % levelHistory_.size();
  float historySum = 0.0f;
  for (float level : levelHistory_) historySum += level;
  r.averageLevel = historySum / static_cast<float>(levelHistory_.size());
  const float peak = std::clamp(4.0f * stepLargest_, 0.0f, 1.0f);
  // A held peak decays, but never below the current peak.
  r.peakHold = std::max(peak, r.peakHold * 0.95f);
  pseudoBands_.Update(r.level, clock_());
  r.bands = pseudoBands_.Bands();
  r.bandPeaks = pseudoBands_.Peaks();
  r.smoothedBands = pseudoBands_.Smoothed();
  ++r.stepsWithSound;
  stepGroups_ = 0;
  stepSquares_ = 0.0;
  stepLargest_ = 0.0f;
  return true;
}

void AudioAnalyser::AnalyseSpectrum() {
  auto& r = results_;
  spectrum_.Magnitudes(analysisValues_, magnitudes_);
  normaliser_.Apply(magnitudes_);
  r.loudnessGain = normaliser_.Gain();
  ComputeBands(magnitudes_, r.bands32);
  ComputeBands(magnitudes_, r.bands64);
  // Nothing in the lowest bands: the previous tone energies stay.
  if (r.bands32[0] != 0.0f || r.bands32[1] != 0.0f) {
    const ToneEnergies tones = ComputeToneEnergies(r.bands32);
    r.bass = tones.bass;
    r.mid = tones.mid;
    r.treble = tones.treble;
  }
  beats_.Update(BeatDetector::Energy(r.bands32), clock_());
  r.beat = beats_.Beat();
  r.beatIntensity = beats_.Intensity();
  r.tempo = beats_.Tempo();
  r.beatTimeSeconds = beats_.BeatTimeSeconds();
  ++r.spectra;
}

}  // namespace lighting
