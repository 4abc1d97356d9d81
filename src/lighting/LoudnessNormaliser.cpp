#include "lighting/LoudnessNormaliser.h"

#include <algorithm>
#include <cmath>

namespace lighting {
namespace {

constexpr float kKnee = 0.7f;
constexpr float kKneeCeiling = 1.2f;  // SoftKnee's limit

double BinWeight(double frequency) {
  double weight = frequency < 100.0 ? (frequency / 100.0) * (frequency / 100.0) : 1.0;
  // A presence bump around 2 kHz, where the ear is most sensitive.
  if (frequency >= 1000.0 && frequency <= 4000.0)
    weight *= 1.0 + 0.5 * std::exp(-3.0 * std::abs(std::log(frequency / 2000.0)));
  if (frequency > 10000.0) weight *= (10000.0 / frequency) * (10000.0 / frequency);
  return weight;
}

}  // namespace

LoudnessNormaliser::LoudnessNormaliser(unsigned sampleRate) : sampleRate_(sampleRate) {
  for (std::size_t k = 0; k < kBins; ++k) {
    const double frequency = static_cast<double>(k) * sampleRate_ / (2.0 * kBins);
    weights_[k] = static_cast<float>(BinWeight(frequency));
    weightSum_ += weights_[k];
  }
}

float LoudnessNormaliser::Loudness(std::span<const float, kBins> magnitudes) const {
  double power = 0.0;
  for (std::size_t k = 0; k < kBins; ++k) {
    const double weighted = static_cast<double>(weights_[k]) * magnitudes[k];
    power += weighted * weighted;
  }
  const double ratio = weightSum_ > 0.0 ? power / weightSum_ : 0.0;
  if (!std::isfinite(ratio) || std::sqrt(ratio) <= 1e-10) return kGateDb;
  return static_cast<float>(10.0 * std::log10(ratio + 1e-10) - 0.691);
}

void LoudnessNormaliser::Apply(std::span<float, kBins> magnitudes) {
  const float loudness = Loudness(magnitudes);
  // Silence measures exactly the gate value; it must not pump the gain up.
  float target = gain_;
  if (loudness > kGateDb)
    target = std::clamp(std::pow(10.0f, (kTargetDb - loudness) / 20.0f), kMinGain, kMaxGain);
  gain_ = gain_ * 0.95f + target * 0.05f;
  for (float& magnitude : magnitudes) magnitude = KneeIntoUnitRange(magnitude * gain_);
}

float SoftKnee(float value) {
  if (!(value > kKnee)) return value;
  const float over = value - kKnee;
  return kKnee + over / (2.0f * over + 1.0f);
}

float KneeIntoUnitRange(float value) {
  if (!(value > 0.0f)) return 0.0f;  // NaN too
  const float kneed = SoftKnee(value);
  if (kneed <= kKnee) return kneed;
  const float squeezed = kKnee + (kneed - kKnee) * (1.0f - kKnee) / (kKneeCeiling - kKnee);
  return std::min(squeezed, 1.0f);
}

}  // namespace lighting
