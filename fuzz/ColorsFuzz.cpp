// Feeds arbitrary bytes to the colour tables and pictures the keyboard sends and receives and
// to the builders of the screen channel's packets. Tables and pictures read back byte for
// byte; streams and packets keep every index inside their buffers.
//
// Input: a selector byte; 0 reads the rest as a colour table or matrix picture, 1 as lit keys
// of the screen-sync stream, 2 as image sizes and a clock for the screen channel.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "protocol/Colors.h"
#include "protocol/ScreenPackets.h"

namespace {

using fuzz::Require;
using Bytes = std::span<const std::uint8_t>;

std::uint16_t Le16(Bytes bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void CheckChannels(const protocol::Rgb& rgb) {
  Require(protocol::RgbOf(protocol::ColorOf(rgb)) == rgb, "a colour keeps its channels");
  const protocol::Rgb live = protocol::RgbOf(protocol::LivePreviewColor(rgb));
  Require(live.red == std::min(rgb.red * 15 / 10, 255) &&
              live.green == std::min(rgb.green * 13 / 10, 255) &&
              live.blue == std::min(rgb.blue * 12 / 10, 255),
          "the live preview brightens each channel, capped at 255");
}

void CheckTables(Bytes bytes) {
  protocol::ColorTable copy{};
  for (int light = -1; light <= static_cast<int>(protocol::kLightIndexCount); ++light) {
    const auto color = protocol::TableColor(bytes, light);
    const bool inside = light >= 0 && static_cast<std::size_t>(light + 1) * 3 <= bytes.size();
    Require(color.has_value() == inside, "a colour is there when the table holds it");
    if (!color) continue;
    Require(*color <= 0xFFFFFF, "a colour has three channels");
    CheckChannels(protocol::RgbOf(*color));
    const bool stored = protocol::StoreTableColor(copy, light, *color);
    Require(stored == (static_cast<std::size_t>(light) < protocol::kLightIndexCount),
            "a colour is stored inside the table only");
    if (stored) Require(protocol::TableColor(copy, light) == color, "a colour reads back");
  }
  const protocol::MatrixColors cells = protocol::ParseMatrixPicture(bytes);
  const protocol::MatrixPicture picture = protocol::BuildMatrixPicture(cells);
  // A cell the buffer holds only in part stays black.
  const std::size_t whole = bytes.size() / 3 * 3;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    Require(picture[i] == (i < whole ? bytes[i] : 0), "a matrix picture reads back");
  }
  const protocol::MatrixStream stream = protocol::BuildMatrixStream(cells);
  for (std::size_t cell = 0; cell < cells.size(); ++cell) {
    Require(Le16(stream, cell * 2) == protocol::ToRgb565(cells[cell]), "a cell streams as 5-6-5");
  }
}

void CheckScreenSync(fuzz::InputReader& input) {
  const std::size_t itemCount = input.Word32();
  std::vector<protocol::LitKey> keys;
  while (!input.Empty()) keys.push_back({input.Int() % 1024, input.Word32()});
  const auto stream = protocol::BuildScreenSyncStream(keys, itemCount);
  Require(stream.size() == std::min(itemCount, protocol::kScreenSyncBufferLength / 2) * 2,
          "the stream sends the asked lights and never more than the buffer");
  std::vector<std::uint16_t> expected(stream.size() / 2, 0);
  for (const protocol::LitKey& key : keys) {
    if (key.lightIndex >= 0 && static_cast<std::size_t>(key.lightIndex) < expected.size())
      expected[static_cast<std::size_t>(key.lightIndex)] = protocol::ToRgb565(key.color);
  }
  for (std::size_t light = 0; light < expected.size(); ++light) {
    Require(Le16(stream, light * 2) == expected[light], "each lit key sits at its light index");
  }
}

void CheckMediaTable(std::span<const std::size_t> sizes) {
  const protocol::MediaTable table = protocol::BuildMediaTable(sizes);
  const std::size_t count = std::min(sizes.size(), protocol::kMaxScreenImages);
  Require(table[1] == count, "the table counts the images it enters");
  const auto starts = protocol::ImageStartBlocks(sizes.first(count));
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = 3 + 5 * k;
    Require(at + 4 < table.size(), "an entry lies inside the table");
    Require(table[at] == (starts[k] & 0xFF), "an entry names its start block");
    const std::size_t size = table[at + 2] | table[at + 3] << 8 | table[at + 4] << 16;
    Require(size == (sizes[k] & 0xFFFFFF), "an entry names its size");
    if (k > 0) Require(starts[k] >= starts[k - 1], "images follow each other");
  }
  const auto packets = protocol::MediaTablePackets(table);
  std::vector<std::uint8_t> carried;
  for (const protocol::ScreenPacket& packet : packets) {
    const std::size_t length = packet[protocol::screen_byte::kLength];
    const std::size_t used = std::min(length, protocol::kScreenDataLength);
    carried.insert(carried.end(), packet.begin() + protocol::screen_byte::kData,
                   packet.begin() + protocol::screen_byte::kData + used);
  }
  Require(std::equal(carried.begin(), carried.end(), table.begin(), table.end()),
          "the packets carry the table");
}

void CheckImage(std::size_t imageSize, std::uint32_t address, Bytes chunk) {
  std::size_t next = 0;
  for (const protocol::ImageChunk& piece : protocol::ImageChunks(imageSize)) {
    Require(piece.offset == next && piece.count > 0 && piece.count <= protocol::kScreenDataLength,
            "image pieces follow each other");
    next += piece.count;
  }
  Require(next == imageSize, "image pieces cover the image");
  const protocol::ScreenPacket packet = protocol::MakeWriteDataPacket(address, chunk);
  const std::size_t count = std::min(chunk.size(), protocol::kScreenDataLength);
  Require(packet[protocol::screen_byte::kLength] == count, "a data packet counts its bytes");
  Require(std::equal(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count),
                     packet.begin() + protocol::screen_byte::kData),
          "a data packet carries its bytes");
  const std::uint32_t carried = packet[3] | packet[4] << 8 | packet[5] << 16;
  Require(carried == (address & 0xFFFFFF), "a packet carries a 24-bit address");
  const protocol::ScreenPacket erase = protocol::MakeErasePacket(imageSize);
  Require(erase[protocol::screen_byte::kData] == (protocol::FlashBlocks(imageSize) + 2) % 256,
          "erasing names the blocks in use plus two");
}

void CheckClock(fuzz::InputReader& input) {
  protocol::ClockTime time;
  time.year = input.Int();
  time.month = input.Int();
  time.day = input.Int();
  time.dayOfWeek = input.Int();
  time.hour = input.Int();
  time.minute = input.Int();
  time.second = input.Int();
  const auto digits = protocol::ClockDigits(time);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    Require(digits[i] <= (i == 6 ? 6 : 9), "the clock is sent as single digits");
  }
}

void CheckScreen(fuzz::InputReader& input) {
  std::vector<std::size_t> sizes(input.Byte() % 16);
  for (std::size_t& size : sizes) size = input.Word32() % (1u << 26);
  CheckMediaTable(sizes);
  const std::size_t imageSize = input.Word32() % (1u << 16);
  const std::uint32_t address = input.Word32();
  CheckClock(input);
  CheckImage(imageSize, address, input.Rest());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  switch (input.Byte() % 3) {
    case 0:
      CheckTables(input.Rest());
      break;
    case 1:
      CheckScreenSync(input);
      break;
    default:
      CheckScreen(input);
      break;
  }
  return 0;
}
