#include "media/ScreenImage.h"

#include <algorithm>

#include "media/Resample.h"

namespace media {

int ScreenDelayMs(int delayMs) {
  constexpr int kShortestShown = 10;
  constexpr int kInsteadOfShortest = 100;
  if (delayMs <= kShortestShown) return kInsteadOfShortest;
  return std::min(delayMs, 0xFFFF);
}

std::uint16_t ToScreenPixel(Argb pixel) {
  return protocol::Rgb565(RedOf(pixel), GreenOf(pixel), BlueOf(pixel));
}

protocol::Gx96Image MakeScreenImage(const Animation& animation, int width, int height,
                                    const FrameProgress& progress) {
  protocol::Gx96Image image;
  image.width = width;
  image.height = height;
  const std::size_t total = animation.frames.size();
  for (std::size_t f = 0; f < total; ++f) {
    const Frame& frame = animation.frames[f];
    const Picture fitted = FitInto(frame.picture, width, height);
    protocol::Gx96Frame stored;
    stored.delayMs = static_cast<std::uint16_t>(ScreenDelayMs(frame.delayMs));
    stored.pixels.resize(fitted.pixels.size());
    std::transform(fitted.pixels.begin(), fitted.pixels.end(), stored.pixels.begin(),
                   ToScreenPixel);
    image.frames.push_back(std::move(stored));
    if (progress) progress(f + 1, total);
  }
  return image;
}

}  // namespace media
