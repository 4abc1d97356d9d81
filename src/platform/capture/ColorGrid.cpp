#include "platform/capture/ColorGrid.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform {
namespace {

bool IsByteShift(int shift) {
  return shift >= 0 && shift <= 24 && shift % 8 == 0;
}

// The boxes of `count` cells along a line of `length` pixels: cell i covers the pixels from
// begin[i] up to end[i]. A line shorter than the number of cells gives each cell the pixel it
// falls on.
struct Boxes {
  std::array<int, kMaxGridColumns> begin{};
  std::array<int, kMaxGridColumns> end{};
};

Boxes BoxesAlong(int length, int count) {
  Boxes boxes;
  for (int i = 0; i < count; ++i) {
    boxes.begin[i] = static_cast<int>(static_cast<long long>(length) * i / count);
    boxes.end[i] = std::max(boxes.begin[i] + 1,
                            static_cast<int>(static_cast<long long>(length) * (i + 1) / count));
  }
  return boxes;
}

struct Sums {
  std::uint64_t red = 0;
  std::uint64_t green = 0;
  std::uint64_t blue = 0;
  std::uint64_t count = 0;
};

}  // namespace

std::uint32_t ColorGrid::At(int row, int column) const {
  if (row < 0 || row >= rows || column < 0 || column >= columns) return 0;
  const std::size_t index = static_cast<std::size_t>(row) * columns + column;
  return index < cells.size() ? cells[index] : 0;
}

bool IsValidGridSize(int rows, int columns) {
  return rows >= 1 && rows <= kMaxGridRows && columns >= 1 && columns <= kMaxGridColumns;
}

bool IsValidPixelView(const PixelView& image) {
  return image.data != nullptr && image.width > 0 && image.height > 0 &&
         image.stride >= image.width * 4 && IsByteShift(image.redShift) &&
         IsByteShift(image.greenShift) && IsByteShift(image.blueShift);
}

std::optional<ColorGrid> ReduceToGrid(const PixelView& image, int rows, int columns) {
  if (!IsValidPixelView(image) || !IsValidGridSize(rows, columns)) return std::nullopt;
  const Boxes xBoxes = BoxesAlong(image.width, columns);
  const Boxes yBoxes = BoxesAlong(image.height, rows);
  ColorGrid grid{rows, columns, std::vector<std::uint32_t>(rows * columns, 0)};
  for (int r = 0; r < rows; ++r) {
    std::array<Sums, kMaxGridColumns> sums{};
    for (int y = yBoxes.begin[r]; y < yBoxes.end[r]; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(
          image.data + static_cast<std::ptrdiff_t>(y) * image.stride);
      for (int c = 0; c < columns; ++c) {
        std::uint32_t red = 0, green = 0, blue = 0;
        for (int x = xBoxes.begin[c]; x < xBoxes.end[c]; ++x) {
          const std::uint32_t pixel = row[x];
          red += (pixel >> image.redShift) & 0xFF;
          green += (pixel >> image.greenShift) & 0xFF;
          blue += (pixel >> image.blueShift) & 0xFF;
        }
        sums[c].red += red;
        sums[c].green += green;
        sums[c].blue += blue;
        sums[c].count += static_cast<std::uint64_t>(xBoxes.end[c] - xBoxes.begin[c]);
      }
    }
    for (int c = 0; c < columns; ++c) {
      const Sums& s = sums[c];
      if (s.count == 0) continue;
      grid.cells[r * columns + c] = static_cast<std::uint32_t>(s.red / s.count) |
                                    static_cast<std::uint32_t>(s.green / s.count) << 8 |
                                    static_cast<std::uint32_t>(s.blue / s.count) << 16;
    }
  }
  return grid;
}

PixelView RgbPicture::View() const {
  if (width <= 0 || height <= 0 ||
      pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return {};
  }
  return PixelView{
      reinterpret_cast<const std::uint8_t*>(pixels.data()), width, height, width * 4, 0, 8, 16};
}

}  // namespace platform
