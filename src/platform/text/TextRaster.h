#pragma once
// One line of text drawn as coverage (0 to 255 per pixel) in the desktop's sans-serif font, for
// pictures that are computed pixel by pixel (the screen page's text tool). Characters the font
// lacks are taken from the first installed font that has them, so Chinese text draws as well
// as Latin text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

struct TextBitmap {
  int width = 0;
  int height = 0;                      // the font's line height at the size
  std::vector<std::uint8_t> coverage;  // width x height, row after row
};

// Sizes outside this range are clamped.
inline constexpr int kSmallestPixelSize = 4;
inline constexpr int kLargestPixelSize = 256;
// Longer texts are cut after this many characters.
inline constexpr std::size_t kLongestText = 256;

// Empty (with the reason in *error) for an empty text or when no font can be loaded. Bytes
// that are no UTF-8 draw as U+FFFD.
std::optional<TextBitmap> RasterizeText(std::string_view utf8, int pixelSize,
                                        std::string* error = nullptr);

}  // namespace platform::text
