#include "ui/tessel/AuroraColorMap.h"

#include <algorithm>
#include <cmath>

namespace Tessel {

bool ColorMap::Resize(int rows, int columns) {
  const bool none = rows == 0 && columns == 0;
  const bool valid =
      rows >= 1 && rows <= kColorMapMaxRows && columns >= 1 && columns <= kColorMapMaxColumns;
  if (!none && !valid) return false;
  rows_ = rows;
  columns_ = columns;
  cells_.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), 0);
  return true;
}

bool ColorMap::Set(int column, int row, Color color) {
  if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return false;
  cells_[static_cast<std::size_t>(row) * columns_ + column] = color;
  return true;
}

Color ColorMap::Get(int column, int row) const {
  if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return 0;
  return cells_[static_cast<std::size_t>(row) * columns_ + column];
}

void ColorMap::Fill(Color color) {
  std::fill(cells_.begin(), cells_.end(), color);
}

int MusicPictureRow(int mapRow, int mapRows) {
  if (mapRows <= 0) return 0;
  const int step = 62 / mapRows;
  const int row = static_cast<int>(step * mapRow + 2 + step * 0.5);
  return std::clamp(row, 0, kMusicPictureHeight - 1);
}

int MusicPictureColumn(int mapColumn, int mapColumns) {
  if (mapColumns <= 0) return 0;
  return std::clamp((255 / mapColumns) * mapColumn, 0, kMusicPictureWidth - 1);
}

bool FillFromMusicPicture(ColorMap& map, std::span<const Color> picture) {
  if (picture.size() != static_cast<std::size_t>(kMusicPictureWidth) * kMusicPictureHeight) {
    return false;
  }
  for (int row = 0; row < map.Rows(); ++row) {
    const int y = MusicPictureRow(row, map.Rows());
    for (int column = 0; column < map.Columns(); ++column) {
      const int x = MusicPictureColumn(column, map.Columns());
      map.Set(column, row, picture[static_cast<std::size_t>(y) * kMusicPictureWidth + x]);
    }
  }
  return true;
}

void ApplyMatrixLights(ColorMap& map, std::span<const Color> grid, int gridRows, int gridColumns) {
  if (gridRows <= 0 || gridColumns <= 0) return;
  const std::size_t needed = static_cast<std::size_t>(gridRows) * gridColumns;
  if (grid.size() < needed) return;
  // The grid is clipped to the map: a keyboard with fewer rows or columns than the matrix
  // takes the part that fits.
  const int rows = std::min(gridRows, map.Rows());
  const int columns = std::min(gridColumns, map.Columns());
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const Color color = grid[static_cast<std::size_t>(row) * gridColumns + column];
      if (color > 1) map.Set(column, row, color);
    }
  }
}

void FillFromGrid(ColorMap& map, std::span<const Color> grid, int gridRows, int gridColumns) {
  if (gridRows <= 0 || gridColumns <= 0 ||
      grid.size() < static_cast<std::size_t>(gridRows) * gridColumns) {
    return;
  }
  for (int row = 0; row < map.Rows(); ++row) {
    const int y = row * gridRows / map.Rows();
    for (int column = 0; column < map.Columns(); ++column) {
      const int x = column * gridColumns / map.Columns();
      map.Set(column, row, grid[static_cast<std::size_t>(y) * gridColumns + x]);
    }
  }
}

Color MeanColor(std::span<const Color> cells) {
  if (cells.empty()) return 0;
  std::uint64_t red = 0, green = 0, blue = 0;
  for (const Color c : cells) {
    red += RedOf(c);
    green += GreenOf(c);
    blue += BlueOf(c);
  }
  const std::uint64_t n = cells.size();
  return Rgb(static_cast<unsigned>(red / n), static_cast<unsigned>(green / n),
             static_cast<unsigned>(blue / n));
}

std::vector<Color> SideLightColors(const ColorMap& map, int perSide) {
  if (perSide <= 0) return {};
  std::vector<Color> colors;
  colors.reserve(static_cast<std::size_t>(perSide) * 2);
  for (const int column : {0, map.Columns() - 1}) {
    for (int i = 0; i < perSide; ++i) {
      colors.push_back(map.Get(column, i * map.Rows() / perSide));
    }
  }
  return colors;
}

std::vector<Color> TopLightColors(const ColorMap& map, int count) {
  std::vector<Color> colors;
  for (int i = 0; i < count; ++i) colors.push_back(map.Get(i * map.Columns() / count, 0));
  return colors;
}

Color ScaleBrightness(Color color, float factor) {
  const float f = std::isfinite(factor) ? std::clamp(factor, 0.0f, 1.0f) : 0.0f;
  return Rgb(static_cast<unsigned>(static_cast<float>(RedOf(color)) * f),
             static_cast<unsigned>(static_cast<float>(GreenOf(color)) * f),
             static_cast<unsigned>(static_cast<float>(BlueOf(color)) * f));
}

Color HueToColor(float hue) {
  float h = std::isfinite(hue) ? std::fmod(hue, 360.0f) : 0.0f;
  if (h < 0) h += 360.0f;
  const float x = 1.0f - std::fabs(std::fmod(h / 60.0f, 2.0f) - 1.0f);
  const auto c = [](float v) { return static_cast<unsigned>(std::lround(v * 255.0f)); };
  switch (static_cast<int>(h / 60.0f)) {
    case 0:
      return Rgb(255, c(x), 0);
    case 1:
      return Rgb(c(x), 255, 0);
    case 2:
      return Rgb(0, 255, c(x));
    case 3:
      return Rgb(0, c(x), 255);
    case 4:
      return Rgb(c(x), 0, 255);
    default:
      return Rgb(255, 0, c(x));
  }
}

}  // namespace Tessel
