#pragma once
// Reduces true-colour pictures to a palette of at most 255 colours (one entry stays free for
// transparency). Pictures with few colours keep them exactly; others get a median-cut palette
// and a fixed 4 x 4 ordered dither, which hides the steps of dark gradients and, being fixed,
// leaves pixels that do not change from frame to frame alone.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "media/Picture.h"

namespace media {

using PaletteColour = std::array<std::uint8_t, 3>;  // red, green, blue

class Quantiser {
 public:
  // The palette is built from the opaque pixels of the given pictures.
  Quantiser(std::span<const Picture> pictures, int maxColours);

  const std::vector<PaletteColour>& Palette() const { return palette_; }
  // The palette index of an opaque pixel at (x, y).
  std::uint8_t IndexOf(Argb pixel, int x, int y);

 private:
  int Nearest(int red, int green, int blue) const;

  std::vector<PaletteColour> palette_;
  bool exact_ = false;
  std::vector<std::int16_t> cache_;          // by 7-bit colour cell; -1 = not yet known
  std::vector<std::uint32_t> exactColours_;  // sorted, when exact
};

}  // namespace media
