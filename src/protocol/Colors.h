#pragma once
// Colours on the wire. In memory a colour is 0x00BBGGRR (red in the low byte). The settings
// block, the per-key colour tables and the matrix picture carry three bytes red, green, blue;
// the colour streams carry RGB 5-6-5, two bytes little-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/Commands.h"

namespace protocol {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

Rgb RgbOf(std::uint32_t color);
std::uint32_t ColorOf(const Rgb& rgb);

// (red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3).
std::uint16_t ToRgb565(std::uint32_t color);

// A per-key colour table (a custom slot's or the live colours): three bytes per light index.
using ColorTable = std::array<std::uint8_t, kColorTableLength>;
// Stores a colour at a light index; false when the index is outside the table.
bool StoreTableColor(std::span<std::uint8_t> table, int lightIndex, std::uint32_t color);
// The colour at a light index; empty when the index is outside the table.
std::optional<std::uint32_t> TableColor(std::span<const std::uint8_t> table, int lightIndex);

// The live preview brightens what the keyboard reports: red x 1.5, green x 1.3, blue x 1.2,
// each cut to an integer and capped at 255.
std::uint32_t LivePreviewColor(const Rgb& reported);

// Matrix picture: kMatrixCellCount cells of red, green, blue in cell order.
using MatrixColors = std::array<std::uint32_t, kMatrixCellCount>;
using MatrixPicture = std::array<std::uint8_t, kMatrixPictureLength>;
MatrixPicture BuildMatrixPicture(const MatrixColors& cells);
// Cells beyond a short buffer stay black.
MatrixColors ParseMatrixPicture(std::span<const std::uint8_t> picture);

// The matrix colour stream: RGB 5-6-5 per cell.
using MatrixStream = std::array<std::uint8_t, kMatrixStreamLength>;
MatrixStream BuildMatrixStream(const MatrixColors& cells);

// The screen-sync stream: RGB 5-6-5 at each lit key's light index, in a buffer of
// kScreenSyncBufferLength bytes of which the first 2 x `itemCount` are sent (at most the whole
// buffer). Lights at or beyond the sent length are not sent.
inline constexpr std::size_t kScreenSyncBufferLength = 800;
struct LitKey {
  int lightIndex = 0;
  std::uint32_t color = 0;
};
std::vector<std::uint8_t> BuildScreenSyncStream(std::span<const LitKey> keys,
                                                std::size_t itemCount);

}  // namespace protocol
