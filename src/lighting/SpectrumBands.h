#pragma once
// Reduces a normalised 1024-bin spectrum to bands on a cubic frequency scale (narrow bands
// at the bottom, wide ones at the top), and the bands to bass, mid and treble.

#include <span>

namespace lighting {

// out.size() bands over the values; each the mean of its bins, within 0 to 1. Bin ranges
// come from integer arithmetic, so every band has at least one bin and none runs past the end.
void ComputeBands(std::span<const float> values, std::span<float> out);

struct ToneEnergies {
  float bass = 0.0f;
  float mid = 0.0f;
  float treble = 0.0f;
};

// Means of bands 0-8, 9-20 and 21-31 of the 32 bands.
ToneEnergies ComputeToneEnergies(std::span<const float, 32> bands32);

}  // namespace lighting
