#pragma once
// Seven band values made from the level alone: each band waves around the level at its own
// pace, so a matrix light has movement even without a spectrum.

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

namespace lighting {

class PseudoBands {
 public:
  static constexpr std::size_t kCount = 7;
  using Values = std::array<float, kCount>;

  // The level (0 to 1) of a step that ended at `now`.
  void Update(float level, std::chrono::nanoseconds now);

  const Values& Bands() const { return values_; }
  const Values& Peaks() const { return peaks_; }
  const Values& Smoothed() const { return smoothed_; }
  // Radians, kept within one turn.
  const std::array<double, kCount>& Phases() const { return phases_; }

 private:
  Values values_{};
  Values peaks_{};
  Values smoothed_{};
  std::array<double, kCount> phases_{};
  std::optional<std::chrono::nanoseconds> previous_;
};

}  // namespace lighting
