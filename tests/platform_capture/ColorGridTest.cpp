#include <gtest/gtest.h>

#include "platform/capture/ColorGrid.h"

namespace {

using platform::ColorGrid;
using platform::PixelView;
using platform::ReduceToGrid;
using platform::RgbPicture;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

RgbPicture Picture(int width, int height, std::vector<std::uint32_t> pixels) {
  return RgbPicture{width, height, std::move(pixels)};
}

TEST(ColorGrid, QuartersOfAPictureBecomeTheirCells) {
  // clang-format off
  const RgbPicture picture = Picture(4, 2, {kRed, kRed, kGreen, kGreen,
                                            kBlue, kBlue, kWhite, kWhite});
  // clang-format on
  const auto grid = ReduceToGrid(picture.View(), 2, 2);
  ASSERT_TRUE(grid);
  EXPECT_EQ((std::vector<std::uint32_t>{kRed, kGreen, kBlue, kWhite}), grid->cells);
}

TEST(ColorGrid, EachCellIsTheMeanOfItsBox) {
  // Five pixels into two cells: the boxes are pixels 0..1 and 2..4.
  const RgbPicture picture = Picture(5, 1, {0x000010, 0x000030, 0x000000, 0x000000, 0x0000F0});
  const auto grid = ReduceToGrid(picture.View(), 1, 2);
  ASSERT_TRUE(grid);
  EXPECT_EQ((std::vector<std::uint32_t>{0x000020, 0x000050}), grid->cells);
}

TEST(ColorGrid, APictureSmallerThanTheGridRepeatsItsPixels) {
  const RgbPicture picture = Picture(2, 1, {kRed, kBlue});
  const auto grid = ReduceToGrid(picture.View(), 3, 4);
  ASSERT_TRUE(grid);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(kRed, grid->At(row, 0));
    EXPECT_EQ(kRed, grid->At(row, 1));
    EXPECT_EQ(kBlue, grid->At(row, 2));
    EXPECT_EQ(kBlue, grid->At(row, 3));
  }
}

TEST(ColorGrid, RowPaddingAndChannelOrderOfTheSource) {
  // An X image: blue in the low byte, each row padded to 12 bytes with bytes that must not
  // be read as pixels.
  const std::vector<std::uint32_t> memory = {0x00FF0000, 0x00FF0000, 0xDEADBEEF,
                                             0x000000FF, 0x000000FF, 0xDEADBEEF};
  const PixelView view{reinterpret_cast<const std::uint8_t*>(memory.data()), 2, 2, 12, 16, 8, 0};
  const auto grid = ReduceToGrid(view, 2, 1);
  ASSERT_TRUE(grid);
  EXPECT_EQ(kRed, grid->At(0, 0));
  EXPECT_EQ(kBlue, grid->At(1, 0));
}

TEST(ColorGrid, RefusesSizesAndViewsItCannotServe) {
  const RgbPicture picture = Picture(4, 4, std::vector<std::uint32_t>(16, kRed));
  struct Case {
    int rows;
    int columns;
  };
  for (const Case c : {Case{0, 4}, Case{4, 0}, Case{9, 4}, Case{4, 33}, Case{-1, -1}}) {
    EXPECT_FALSE(ReduceToGrid(picture.View(), c.rows, c.columns)) << c.rows << "x" << c.columns;
  }
  EXPECT_TRUE(ReduceToGrid(picture.View(), 8, 32));
  EXPECT_TRUE(ReduceToGrid(picture.View(), 7, 19));
  PixelView narrowStride = picture.View();
  narrowStride.stride = 8;
  EXPECT_FALSE(ReduceToGrid(narrowStride, 1, 1));
  PixelView oddShift = picture.View();
  oddShift.greenShift = 4;
  EXPECT_FALSE(ReduceToGrid(oddShift, 1, 1));
  // A picture whose pixel list is shorter than its size gives no view at all.
  EXPECT_FALSE(ReduceToGrid(Picture(4, 4, {kRed}).View(), 1, 1));
}

TEST(ColorGrid, AtIsBlackOutsideTheGrid) {
  const ColorGrid grid{1, 2, {kRed, kBlue}};
  EXPECT_EQ(kBlue, grid.At(0, 1));
  EXPECT_EQ(0u, grid.At(1, 0));
  EXPECT_EQ(0u, grid.At(0, -1));
  const ColorGrid shortGrid{2, 2, {kRed}};
  EXPECT_EQ(0u, shortGrid.At(1, 1));
}

}  // namespace
