#include "lighting/BeatDetector.h"

#include <algorithm>
#include <cmath>

namespace lighting {

float BeatDetector::Energy(std::span<const float, 32> b) {
  return (0.5f * b[0] * b[0] + b[1] * b[1] + b[2] * b[2] + b[3] * b[3] + 0.3f * b[4] * b[4] +
          0.3f * b[5] * b[5]) /
         6.0f;
}

float BeatDetector::UpdateThreshold(float energy) {
  history_[next_] = energy;
  next_ = (next_ + 1) % kHistory;
  double sum = 0.0;
  for (float value : history_) sum += value;
  const double mean = sum / kHistory;
  double variance = 0.0;
  for (float value : history_) variance += (value - mean) * (value - mean);
  const double deviation = std::sqrt(variance / kHistory);
  return static_cast<float>(std::max(mean + 1.5 * deviation, 0.01));
}

void BeatDetector::Update(float energy, std::chrono::nanoseconds now) {
  if (!std::isfinite(energy)) energy = 0.0f;
  threshold_ = UpdateThreshold(energy);
  const auto sinceLast = lastBeat_ ? now - *lastBeat_ : std::chrono::nanoseconds::max();
  if (energy > threshold_ && sinceLast > kMinBeatGap) {
    beat_ = true;
    intensity_ = std::min(1.0f, (energy - threshold_) / (threshold_ + 0.01f));
    if (lastBeat_ && sinceLast < kMaxTempoGap) {
      const double milliseconds = std::chrono::duration<double, std::milli>(sinceLast).count();
      const auto instant = static_cast<float>(60000.0 / milliseconds);
      tempo_ = tempo_ == 0.0f ? instant : tempo_ * 0.8f + instant * 0.2f;
      tempo_ = std::clamp(tempo_, kMinTempo, kMaxTempo);
    }
    lastBeat_ = now;
    beatTimeSeconds_ = std::chrono::duration<double>(now).count();
  } else if (sinceLast > kBeatHold) {
    beat_ = false;
    intensity_ *= 0.9f;
    if (intensity_ < 0.05f) intensity_ = 0.0f;
  }
}

}  // namespace lighting
