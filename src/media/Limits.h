#pragma once
// What a decoder accepts before it allocates anything: files that claim more are refused, so
// a hostile file cannot make the process reserve gigabytes.

#include <cstddef>

namespace media {

struct DecodeLimits {
  int maxSide = 8192;                              // width or height of a picture
  std::size_t maxPixels = 16u * 1024 * 1024;       // of one picture
  std::size_t maxFrames = 2000;                    // of one animation
  std::size_t maxTotalPixels = 64u * 1024 * 1024;  // of all frames of an animation together
  std::size_t maxFileBytes = 256u * 1024 * 1024;   // of a file read into memory
};

// Whether a picture of this size stays inside the limits.
inline bool FitsLimits(long width, long height, const DecodeLimits& limits) {
  if (width <= 0 || height <= 0 || width > limits.maxSide || height > limits.maxSide) return false;
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= limits.maxPixels;
}

}  // namespace media
