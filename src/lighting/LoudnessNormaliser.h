#pragma once
// Keeps the spectrum at a steady loudness whatever the playback volume: a frequency-weighted
// loudness of each spectrum steers a slowly moving gain towards -18 dB, and a soft knee keeps
// loud bins within 0 to 1.

#include <array>
#include <cstddef>
#include <span>

namespace lighting {

class LoudnessNormaliser {
 public:
  static constexpr std::size_t kBins = 1024;
  static constexpr float kTargetDb = -18.0f;
  static constexpr float kGateDb = -70.0f;
  static constexpr float kMinGain = 0.1f;
  static constexpr float kMaxGain = 100.0f;

  // The bin weights depend on the rate of the analysed values (bin k is at k × rate / 2048).
  explicit LoudnessNormaliser(unsigned sampleRate);

  unsigned SampleRate() const { return sampleRate_; }
  float Gain() const { return gain_; }
  float Weight(std::size_t bin) const { return weights_[bin]; }

  // Weighted loudness in dB of a magnitude spectrum; the gate value for silence.
  float Loudness(std::span<const float, kBins> magnitudes) const;
  // Moves the gain, then scales every magnitude by it and passes it through the knee.
  void Apply(std::span<float, kBins> magnitudes);

 private:
  unsigned sampleRate_;
  float gain_ = 1.0f;
  std::array<float, kBins> weights_;
  double weightSum_ = 0.0;
};

// The knee: values above 0.7 approach 1.2 ever more slowly.
float SoftKnee(float value);
// SoftKnee followed by the monotonic map of its range 0..1.2 onto 0..1 (values up to 0.7 are
// kept, 0.7..1.2 is squeezed linearly into 0.7..1.0).
float KneeIntoUnitRange(float value);

}  // namespace lighting
