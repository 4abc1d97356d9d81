// Text drawn with the desktop's fonts: Latin and Chinese characters both leave ink, sizes and
// lengths change the bitmap as they should, and bytes that are no text are survived.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "platform/text/TextRaster.h"

namespace platform::text {
namespace {

// How much ink a bitmap holds, and whether its size matches its coverage.
long Ink(const TextBitmap& bitmap) {
  EXPECT_EQ(bitmap.coverage.size(), static_cast<std::size_t>(bitmap.width) * bitmap.height);
  return std::accumulate(bitmap.coverage.begin(), bitmap.coverage.end(), 0L);
}

TEST(TextRaster, LatinAndChineseTextLeaveInkInALineOfTheFontsHeight) {
  for (const char* text : {"Hello", "\xE4\xBD\xA0\xE5\xA5\xBD" /* 你好 */, "Ab\xE4\xB8\xAD"}) {
    SCOPED_TRACE(text);
    std::string error;
    const auto bitmap = RasterizeText(text, 24, &error);
    ASSERT_TRUE(bitmap.has_value()) << error;
    EXPECT_GT(Ink(*bitmap), 255L * 20);
    EXPECT_GE(bitmap->height, 24);
    EXPECT_LE(bitmap->height, 48);
  }
}

TEST(TextRaster, LongerAndLargerTextsTakeMoreRoom) {
  const auto one = RasterizeText("W", 16);
  const auto three = RasterizeText("WWW", 16);
  const auto large = RasterizeText("W", 48);
  ASSERT_TRUE(one && three && large);
  EXPECT_GT(three->width, 2 * one->width);
  EXPECT_GT(large->height, 2 * one->height);
  EXPECT_GT(Ink(*large), 4 * Ink(*one));
}

TEST(TextRaster, NothingToDrawIsRefusedAndBrokenBytesAreSurvived) {
  std::string error;
  EXPECT_FALSE(RasterizeText("", 16, &error).has_value());
  EXPECT_FALSE(error.empty());
  const auto broken = RasterizeText(std::string("a\xFF\xC0\x80\xE4\xB8", 6), 16);
  ASSERT_TRUE(broken.has_value());
  EXPECT_GT(Ink(*broken), 0);
  // Absurd sizes are clamped, not obeyed.
  const auto huge = RasterizeText("x", 1 << 20);
  ASSERT_TRUE(huge.has_value());
  EXPECT_LE(huge->height, 2 * kLargestPixelSize);
}

}  // namespace
}  // namespace platform::text
