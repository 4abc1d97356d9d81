#pragma once
// A picture reduced to a small grid of colours, as the keyboard's lights take it: one
// 0x00BBGGRR colour (red in the low byte) per cell, row by row from the top left.

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The largest grid a picture is reduced to: the keyboard's key grid is at most 8 x 32 (the
// matrix light's 7 x 19 fits inside).
inline constexpr int kMaxGridRows = 8;
inline constexpr int kMaxGridColumns = 32;

struct ColorGrid {
  int rows = 0;
  int columns = 0;
  std::vector<std::uint32_t> cells;  // rows x columns

  bool Empty() const { return rows == 0 || columns == 0; }
  // Black outside the grid.
  std::uint32_t At(int row, int column) const;
  friend bool operator==(const ColorGrid&, const ColorGrid&) = default;
};

// Whether a grid of this size can be made (1 to kMaxGridRows by 1 to kMaxGridColumns).
bool IsValidGridSize(int rows, int columns);

// Pixels in memory, 32 bits per pixel, each channel 8 bits at the given shift of the
// pixel's value as read in the machine's byte order (an X image of depth 24 on this machine
// is red 16, green 8, blue 0; a 0x00BBGGRR picture is red 0, green 8, blue 16).
struct PixelView {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next
  int redShift = 16;
  int greenShift = 8;
  int blueShift = 0;
};

// Whether the view is usable: data present, sizes positive, each row within the stride,
// shifts that address whole bytes of the pixel.
bool IsValidPixelView(const PixelView& image);

// Each cell takes the mean of the pixels of its box; the boxes split the picture as evenly
// as whole pixels allow (a picture smaller than the grid repeats its pixels). Empty for an
// invalid view or grid size.
std::optional<ColorGrid> ReduceToGrid(const PixelView& image, int rows, int columns);

// A picture in memory, 0x00BBGGRR per pixel.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width x height, row by row

  PixelView View() const;
};

}  // namespace platform
