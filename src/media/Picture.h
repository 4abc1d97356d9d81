#pragma once
// Pictures and animations in memory: 32-bit pixels 0xAARRGGBB, row after row. An animation is
// a sequence of whole pictures of one size (frames already composed), each shown for its delay.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace media {

using Argb = std::uint32_t;

inline constexpr Argb kOpaqueBlack = 0xFF000000;
inline constexpr Argb kTransparent = 0x00000000;

constexpr Argb MakeArgb(unsigned red, unsigned green, unsigned blue, unsigned alpha = 255) {
  return (Argb{alpha & 0xFF} << 24) | (Argb{red & 0xFF} << 16) | (Argb{green & 0xFF} << 8) |
         Argb{blue & 0xFF};
}
constexpr unsigned AlphaOf(Argb pixel) {
  return pixel >> 24;
}
constexpr unsigned RedOf(Argb pixel) {
  return (pixel >> 16) & 0xFF;
}
constexpr unsigned GreenOf(Argb pixel) {
  return (pixel >> 8) & 0xFF;
}
constexpr unsigned BlueOf(Argb pixel) {
  return pixel & 0xFF;
}

struct Picture {
  Picture() = default;
  Picture(int pictureWidth, int pictureHeight, Argb fill = kOpaqueBlack)
      : width(pictureWidth > 0 && pictureHeight > 0 ? pictureWidth : 0),
        height(pictureWidth > 0 && pictureHeight > 0 ? pictureHeight : 0),
        pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

  bool Empty() const { return pixels.empty(); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::size_t IndexOf(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
  // Callers check Contains first.
  Argb At(int x, int y) const { return pixels[IndexOf(x, y)]; }
  void Set(int x, int y, Argb pixel) { pixels[IndexOf(x, y)] = pixel; }

  bool operator==(const Picture&) const = default;

  int width = 0;
  int height = 0;
  std::vector<Argb> pixels;
};

struct Frame {
  Picture picture;
  int delayMs = 0;  // 0: the file named no delay
  bool operator==(const Frame&) const = default;
};

struct Animation {
  int width = 0;
  int height = 0;
  std::vector<Frame> frames;
  int loopCount = 0;  // 0: forever
  bool operator==(const Animation&) const = default;
};

// The picture drawn over an opaque background: what a screen without transparency shows.
Picture Flatten(const Picture& picture, Argb background = kOpaqueBlack);

}  // namespace media
