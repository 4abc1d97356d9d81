#include "lighting/SpectrumBands.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace lighting {
namespace {

float Mean(std::span<const float> values) {
  if (values.empty()) return 0.0f;
  return std::accumulate(values.begin(), values.end(), 0.0f) / static_cast<float>(values.size());
}

}  // namespace

void ComputeBands(std::span<const float> values, std::span<float> out) {
  const std::uint64_t count = values.size();
  const std::uint64_t bands = out.size();
  if (count == 0) {
    std::fill(out.begin(), out.end(), 0.0f);
    return;
  }
  const std::uint64_t cube = bands * bands * bands;
  for (std::uint64_t i = 0; i < bands; ++i) {
    std::uint64_t low = i * i * i * count / cube;
    std::uint64_t high = (i + 1) * (i + 1) * (i + 1) * count / cube;
    low = std::min(low, count - 1);
    high = std::clamp(high, low + 1, count);
    out[i] = std::clamp(Mean(values.subspan(low, high - low)), 0.0f, 1.0f);
  }
}

ToneEnergies ComputeToneEnergies(std::span<const float, 32> bands32) {
  return ToneEnergies{Mean(bands32.subspan(0, 9)), Mean(bands32.subspan(9, 12)),
                      Mean(bands32.subspan(21, 11))};
}

}  // namespace lighting
