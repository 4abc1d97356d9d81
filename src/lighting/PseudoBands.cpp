#include "lighting/PseudoBands.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lighting {
namespace {

// Low bands a little stronger than the middle, high bands a little weaker.
constexpr std::array<float, PseudoBands::kCount> kWeights{1.2f, 1.2f, 1.2f, 1.0f, 1.0f, 0.8f, 0.8f};

}  // namespace

void PseudoBands::Update(float level, std::chrono::nanoseconds now) {
  const double seconds =
      previous_ ? std::max(0.0, std::chrono::duration<double>(now - *previous_).count()) : 0.0;
  previous_ = now;
  for (std::size_t i = 0; i < kCount; ++i) {
    const double speed = 0.5 * static_cast<double>(i) + 2.0;  // radians per second
    // Whole turns are taken off: the sine is the same, and the phase keeps its precision.
    phases_[i] = std::fmod(phases_[i] + seconds * speed, 2.0 * std::numbers::pi);
    const auto value = std::clamp(
        static_cast<float>((std::sin(phases_[i]) * 0.3 + 1.0) * kWeights[i] * level), 0.0f, 1.0f);
    smoothed_[i] = smoothed_[i] * 0.2f + value * 0.8f;
    // A held peak decays, but never below the value it holds.
    peaks_[i] = std::max(value, peaks_[i] * 0.95f);
    values_[i] = value;
  }
}

}  // namespace lighting
