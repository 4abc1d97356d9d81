#include "media/Resample.h"

#include <algorithm>
#include <cmath>

namespace media {
namespace {

struct Tap {
  int source = 0;
  float weight = 0;
};

// For each of `target` positions, the source positions it takes from and their weights.
std::vector<std::vector<Tap>> Taps(int source, int target) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(target));
  const double scale = static_cast<double>(source) / target;
  for (int i = 0; i < target; ++i) {
    auto& list = taps[static_cast<std::size_t>(i)];
    if (target < source) {  // the area [i, i + 1) covers in the source
      const double begin = i * scale;
      const double end = (i + 1) * scale;
      for (int s = static_cast<int>(begin); s < source && s < end; ++s) {
        const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
        if (covered > 0) list.push_back({s, static_cast<float>(covered / scale)});
      }
    } else {  // linear between the two nearest source centres
      const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, source - 1.0);
      const int low = static_cast<int>(centre);
      const int high = std::min(low + 1, source - 1);
      const auto fraction = static_cast<float>(centre - low);
      list.push_back({low, 1.0f - fraction});
      if (high != low) list.push_back({high, fraction});
    }
  }
  return taps;
}

using Channels = std::vector<float>;  // red, green, blue per pixel

unsigned ToByte(float value) {
  return static_cast<unsigned>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

Picture Resize(const Picture& source, int width, int height) {
  if (source.Empty() || width <= 0 || height <= 0) return {};
  if (source.width == width && source.height == height) return source;
  const auto columns = Taps(source.width, width);
  const auto rows = Taps(source.height, height);
  // Horizontal pass into width x source.height, then vertical into width x height.
  Channels across(static_cast<std::size_t>(width) * static_cast<std::size_t>(source.height) * 3);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < width; ++x) {
      float sum[3] = {0, 0, 0};
      for (const Tap& tap : columns[static_cast<std::size_t>(x)]) {
        const Argb pixel = source.At(tap.source, y);
        sum[0] += tap.weight * static_cast<float>(RedOf(pixel));
        sum[1] += tap.weight * static_cast<float>(GreenOf(pixel));
        sum[2] += tap.weight * static_cast<float>(BlueOf(pixel));
      }
      const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
      std::copy(sum, sum + 3, across.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }
  Picture result(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float sum[3] = {0, 0, 0};
      for (const Tap& tap : rows[static_cast<std::size_t>(y)]) {
        const std::size_t at = (static_cast<std::size_t>(tap.source) * width + x) * 3;
        for (int c = 0; c < 3; ++c) sum[c] += tap.weight * across[at + static_cast<std::size_t>(c)];
      }
      result.Set(x, y, MakeArgb(ToByte(sum[0]), ToByte(sum[1]), ToByte(sum[2])));
    }
  }
  return result;
}

Picture FitInto(const Picture& source, int width, int height, Argb background) {
  if (width <= 0 || height <= 0) return {};
  background |= kOpaqueBlack;
  if (source.Empty()) return Picture(width, height, background);
  const Picture flat = Flatten(source, background);
  if (source.width == width && source.height == height) return flat;
  const double scale = std::min(static_cast<double>(width) / source.width,
                                static_cast<double>(height) / source.height);
  const int fittedWidth = std::clamp(static_cast<int>(std::lround(source.width * scale)), 1, width);
  const int fittedHeight =
      std::clamp(static_cast<int>(std::lround(source.height * scale)), 1, height);
  const Picture fitted = Resize(flat, fittedWidth, fittedHeight);
  Picture result(width, height, background);
  const int left = (width - fittedWidth) / 2;
  const int top = (height - fittedHeight) / 2;
  for (int y = 0; y < fittedHeight; ++y) {
    std::copy_n(fitted.pixels.begin() + static_cast<std::ptrdiff_t>(fitted.IndexOf(0, y)),
                fittedWidth,
                result.pixels.begin() + static_cast<std::ptrdiff_t>(result.IndexOf(left, top + y)));
  }
  return result;
}

}  // namespace media
