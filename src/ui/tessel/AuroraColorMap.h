#pragma once
// The colour map of the effect view: a grid of up to 8 rows by 32 columns, one colour per
// cell of the keyboard's key grid, and the pure rules that fill it and read it out.

#include <cstdint>
#include <span>
#include <vector>

#include "ui/tessel/Types.h"

namespace Tessel {

inline constexpr int kColorMapMaxRows = 8;
inline constexpr int kColorMapMaxColumns = 32;
// The matrix lights the music view draws in its matrix pattern.
inline constexpr int kMatrixLightRows = 7;
inline constexpr int kMatrixLightColumns = 19;
// The music picture the map is sampled from.
inline constexpr int kMusicPictureWidth = 256;
inline constexpr int kMusicPictureHeight = 64;

class ColorMap {
 public:
  ColorMap() = default;

  // 0 x 0 (no map) up to 8 x 32; any other size is refused and changes nothing. The cells
  // start black.
  bool Resize(int rows, int columns);
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  bool Empty() const { return rows_ == 0 || columns_ == 0; }

  // False (and nothing changes) outside the map.
  bool Set(int column, int row, Color color);
  // Black outside the map.
  Color Get(int column, int row) const;
  void Fill(Color color);
  const std::vector<Color>& Cells() const { return cells_; }

  friend bool operator==(const ColorMap&, const ColorMap&) = default;

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::vector<Color> cells_;
};

// The music picture's row for map row k of R rows: int((62 div R) x k + 2 + (62 div R) x 0.5),
// and its column for map column k of C columns: (255 div C) x k. Both kept inside the picture.
int MusicPictureRow(int mapRow, int mapRows);
int MusicPictureColumn(int mapColumn, int mapColumns);

// Every cell of the map from the music picture (256 x 64, row 0 at the top). A picture of
// another size changes nothing (false).
bool FillFromMusicPicture(ColorMap& map, std::span<const Color> picture);

// Writes the lit cells of a matrix grid (cells whose colour is above 1) into the map, cell
// (column, row) to map cell (column, row). Cells the map does not have are left out.
void ApplyMatrixLights(ColorMap& map, std::span<const Color> grid, int gridRows, int gridColumns);

// A grid of `rows` x `columns` cells sampled from the map (nearest cell); used for sources
// of another size.
void FillFromGrid(ColorMap& map, std::span<const Color> grid, int gridRows, int gridColumns);

// The mean colour of a grid.
Color MeanColor(std::span<const Color> cells);

// Side lights: `perSide` lights down the left edge, then down the right edge, each taking the
// map's first (last) column at the row its height falls on. Top lights: `count` lights
// across the top edge taking the map's first row. Black when the map is empty.
std::vector<Color> SideLightColors(const ColorMap& map, int perSide);
std::vector<Color> TopLightColors(const ColorMap& map, int count);

// A colour's channels times a factor of 0 to 1.
Color ScaleBrightness(Color color, float factor);
// Full saturation and value at a hue in degrees (wrapped).
Color HueToColor(float hue);

}  // namespace Tessel
