#include "protocol/Colors.h"

#include <algorithm>

namespace protocol {
namespace {

void PutRgb565(std::span<std::uint8_t> out, std::size_t at, std::uint32_t color) {
  const std::uint16_t value = ToRgb565(color);
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t Scaled(std::uint8_t channel, int tenths) {
  return static_cast<std::uint8_t>(std::min(channel * tenths / 10, 0xFF));
}

}  // namespace

Rgb RgbOf(std::uint32_t color) {
  return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
          static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

std::uint32_t ColorOf(const Rgb& rgb) {
  return static_cast<std::uint32_t>(rgb.red) | static_cast<std::uint32_t>(rgb.green) << 8 |
         static_cast<std::uint32_t>(rgb.blue) << 16;
}

std::uint16_t ToRgb565(std::uint32_t color) {
  const Rgb rgb = RgbOf(color);
  return static_cast<std::uint16_t>((rgb.red >> 3) << 11 | (rgb.green >> 2) << 5 | (rgb.blue >> 3));
}

bool StoreTableColor(std::span<std::uint8_t> table, int lightIndex, std::uint32_t color) {
  if (lightIndex < 0) return false;
  const std::size_t at = static_cast<std::size_t>(lightIndex) * 3;
  if (at + 3 > table.size()) return false;
  const Rgb rgb = RgbOf(color);
  table[at] = rgb.red;
  table[at + 1] = rgb.green;
  table[at + 2] = rgb.blue;
  return true;
}

std::optional<std::uint32_t> TableColor(std::span<const std::uint8_t> table, int lightIndex) {
  if (lightIndex < 0) return std::nullopt;
  const std::size_t at = static_cast<std::size_t>(lightIndex) * 3;
  if (at + 3 > table.size()) return std::nullopt;
  return ColorOf({table[at], table[at + 1], table[at + 2]});
}

std::uint32_t LivePreviewColor(const Rgb& reported) {
  return ColorOf({Scaled(reported.red, 15), Scaled(reported.green, 13), Scaled(reported.blue, 12)});
}

MatrixPicture BuildMatrixPicture(const MatrixColors& cells) {
  MatrixPicture picture{};
  for (std::size_t cell = 0; cell < cells.size(); ++cell) {
    StoreTableColor(picture, static_cast<int>(cell), cells[cell]);
  }
  return picture;
}

MatrixColors ParseMatrixPicture(std::span<const std::uint8_t> picture) {
  MatrixColors cells{};
  for (std::size_t cell = 0; cell < cells.size(); ++cell) {
    cells[cell] = TableColor(picture, static_cast<int>(cell)).value_or(0);
  }
  return cells;
}

MatrixStream BuildMatrixStream(const MatrixColors& cells) {
  MatrixStream stream{};
  for (std::size_t cell = 0; cell < cells.size(); ++cell) PutRgb565(stream, cell * 2, cells[cell]);
  return stream;
}

std::vector<std::uint8_t> BuildScreenSyncStream(std::span<const LitKey> keys,
                                                std::size_t itemCount) {
  std::vector<std::uint8_t> buffer(kScreenSyncBufferLength, 0);
  for (const LitKey& key : keys) {
    if (key.lightIndex < 0) continue;
    const std::size_t at = static_cast<std::size_t>(key.lightIndex) * 2;
    if (at + 2 <= buffer.size()) PutRgb565(buffer, at, key.color);
  }
  buffer.resize(std::min(itemCount, kScreenSyncBufferLength / 2) * 2);
  return buffer;
}

}  // namespace protocol
