// Feeds arbitrary bytes to the picture readers (GIF, PNG, JPEG by content). What a reader
// accepts must be a well-formed animation, and a GIF written from it must read back with the
// same size, frames, delays and transparency.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "media/Gif.h"
#include "media/ImageFiles.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

// Small enough that every input runs in milliseconds.
media::DecodeLimits FuzzLimits() {
  media::DecodeLimits limits;
  limits.maxSide = 1024;
  limits.maxPixels = 256 * 1024;
  limits.maxFrames = 64;
  limits.maxTotalPixels = 1024 * 1024;
  return limits;
}

void CheckWellFormed(const media::Animation& animation) {
  Require(!animation.frames.empty(), "an accepted animation has frames");
  const auto pixels = static_cast<std::size_t>(animation.width) * animation.height;
  for (const media::Frame& frame : animation.frames) {
    Require(frame.picture.width == animation.width && frame.picture.height == animation.height,
            "every frame has the animation's size");
    Require(frame.picture.pixels.size() == pixels, "every frame has all its pixels");
    Require(frame.delayMs >= 0, "delays are not negative");
  }
}

void CheckRewrite(const media::Animation& animation) {
  const auto bytes = media::EncodeGif(animation);
  Require(bytes.has_value(), "an accepted animation can be written");
  const auto reread = media::DecodeGif(*bytes, FuzzLimits());
  Require(reread.has_value(), "a written GIF reads back");
  Require(reread->width == animation.width && reread->height == animation.height, "same size");
  Require(reread->frames.size() == animation.frames.size(), "same frame count");
  for (std::size_t f = 0; f < animation.frames.size(); ++f) {
    Require(reread->frames[f].delayMs == animation.frames[f].delayMs, "same delays");
    const auto& before = animation.frames[f].picture.pixels;
    const auto& after = reread->frames[f].picture.pixels;
    for (std::size_t i = 0; i < before.size(); ++i) {
      Require((media::AlphaOf(before[i]) == 0) == (media::AlphaOf(after[i]) == 0),
              "same transparent pixels");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto gif = media::DecodeGif(bytes, FuzzLimits());
  if (gif) {
    CheckWellFormed(*gif);
    if (gif->frames.size() <= 8 && gif->frames.front().picture.pixels.size() <= 64 * 64) {
      CheckRewrite(*gif);
    }
  }
  if (const auto picture = media::DecodeImage(bytes, FuzzLimits())) CheckWellFormed(*picture);
  return 0;
}
