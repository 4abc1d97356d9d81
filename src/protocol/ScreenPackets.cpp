#include "protocol/ScreenPackets.h"

#include <algorithm>

#include "protocol/Frame.h"

namespace protocol {
namespace {

constexpr std::size_t kTableEntryStart = 3;
constexpr std::size_t kTableEntryLength = 5;

// The digit of a value at a power of ten; negative values count by their magnitude.
std::uint8_t Digit(int value, int power) {
  const long magnitude = value < 0 ? -static_cast<long>(value) : value;
  return static_cast<std::uint8_t>((magnitude / power) % 10);
}

}  // namespace

ScreenPacket MakeScreenPacket(std::uint8_t command, std::uint32_t address, std::uint8_t lengthByte,
                              std::span<const std::uint8_t> data) {
  ScreenPacket packet{};
  packet[screen_byte::kReportId] = kReportId;
  packet[screen_byte::kMarker] = kFrameMarker;
  packet[screen_byte::kCommand] = command;
  packet[screen_byte::kAddress] = static_cast<std::uint8_t>(address & 0xFF);
  packet[screen_byte::kAddress + 1] = static_cast<std::uint8_t>((address >> 8) & 0xFF);
  packet[screen_byte::kAddress + 2] = static_cast<std::uint8_t>((address >> 16) & 0xFF);
  packet[screen_byte::kLength] = lengthByte;
  std::copy_n(data.begin(), std::min(data.size(), kScreenDataLength),
              packet.begin() + screen_byte::kData);
  return packet;
}

std::size_t FlashBlocks(std::size_t bytes) {
  return (bytes + kFlashBlockSize - 1) / kFlashBlockSize;
}

std::vector<std::size_t> ImageStartBlocks(std::span<const std::size_t> imageSizes) {
  std::vector<std::size_t> starts;
  std::size_t next = 0;
  for (const std::size_t size : imageSizes) {
    starts.push_back(next);
    next += FlashBlocks(size);
  }
  return starts;
}

MediaTable BuildMediaTable(std::span<const std::size_t> imageSizes) {
  MediaTable table{};
  const std::size_t count = std::min(imageSizes.size(), kMaxScreenImages);
  const auto entered = imageSizes.first(count);
  std::size_t total = 0;
  for (const std::size_t size : entered) total += size;
  table[1] = static_cast<std::uint8_t>(count);
  table[2] = static_cast<std::uint8_t>(FlashBlocks(total) + 1);
  const std::vector<std::size_t> starts = ImageStartBlocks(entered);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = kTableEntryStart + kTableEntryLength * k;
    table[at] = static_cast<std::uint8_t>(starts[k] & 0xFF);
    table[at + 2] = static_cast<std::uint8_t>(entered[k] & 0xFF);
    table[at + 3] = static_cast<std::uint8_t>((entered[k] >> 8) & 0xFF);
    table[at + 4] = static_cast<std::uint8_t>((entered[k] >> 16) & 0xFF);
  }
  return table;
}

std::array<ScreenPacket, 3> MediaTablePackets(const MediaTable& table) {
  const std::span<const std::uint8_t> bytes(table);
  return {
      MakeScreenPacket(screen_command::kMediaTable, 0x00, kScreenFullLength, bytes.subspan(0, 56)),
      MakeScreenPacket(screen_command::kMediaTable, 0x38, kScreenFullLength, bytes.subspan(56, 56)),
      MakeScreenPacket(screen_command::kMediaTable, 0x70, 0x10, bytes.subspan(112, 16)),
  };
}

std::optional<FlashPlan> PlanFlash(std::span<const std::size_t> imageSizes) {
  if (imageSizes.empty() || imageSizes.size() > kMaxScreenImages) return std::nullopt;
  FlashPlan plan;
  std::size_t total = 0;
  for (const std::size_t size : imageSizes) {
    if (size == 0 || size > kMaxFlashAddress + 1) return std::nullopt;
    const std::size_t start = plan.usedBlocks;
    if (start * kFlashBlockSize + size - 1 > kMaxFlashAddress) return std::nullopt;
    plan.startBlocks.push_back(start);
    plan.usedBlocks += FlashBlocks(size);
    total += size;
  }
  // The keyboard is told the blocks of the total plus two; with more than three small images
  // their rounding could reach past that, so the count never stays below the blocks used.
  plan.eraseBlocks = std::max(EraseBlockCount(total), plan.usedBlocks);
  if (plan.eraseBlocks > kMaxEraseBlocks) return std::nullopt;
  return plan;
}

std::size_t EraseBlockCount(std::size_t totalBytes) {
  return FlashBlocks(totalBytes) + 2;
}

ScreenPacket MakeErasePacket(std::size_t totalBytes) {
  return MakeEraseBlocksPacket(static_cast<std::uint8_t>(EraseBlockCount(totalBytes) & 0xFF));
}

ScreenPacket MakeEraseBlocksPacket(std::uint8_t blocks) {
  const std::uint8_t data[] = {blocks};
  return MakeScreenPacket(screen_command::kErase, 0, 1, data);
}

std::vector<ImageChunk> ImageChunks(std::size_t imageSize) {
  std::vector<ImageChunk> chunks;
  for (std::size_t offset = 0; offset < imageSize; offset += kScreenDataLength) {
    chunks.push_back({offset, std::min(kScreenDataLength, imageSize - offset)});
  }
  return chunks;
}

ScreenPacket MakeWriteDataPacket(std::uint32_t flashAddress, std::span<const std::uint8_t> chunk) {
  const auto count = static_cast<std::uint8_t>(std::min(chunk.size(), kScreenDataLength));
  return MakeScreenPacket(screen_command::kWriteData, flashAddress, count, chunk);
}

ScreenPacket MakeWriteStartPacket() {
  const std::uint8_t data[] = {3};
  return MakeScreenPacket(screen_command::kWriteStart, 0x010000, 0, data);
}

std::array<std::uint8_t, kClockDigitCount> ClockDigits(const ClockTime& time) {
  const int dayOfWeek = ((time.dayOfWeek % 7) + 7) % 7;
  return {Digit(time.year, 1000),
          Digit(time.year, 100),
          Digit(time.year, 10),
          Digit(time.year, 1),
          Digit(time.month, 10),
          Digit(time.month, 1),
          static_cast<std::uint8_t>(dayOfWeek),
          Digit(time.day, 10),
          Digit(time.day, 1),
          Digit(time.hour, 10),
          Digit(time.hour, 1),
          Digit(time.minute, 10),
          Digit(time.minute, 1),
          Digit(time.second, 10),
          Digit(time.second, 1)};
}

ScreenPacket MakeClockPacket(const ClockTime& time) {
  const auto digits = ClockDigits(time);
  return MakeScreenPacket(screen_command::kSetClock, 0, kScreenFullLength, digits);
}

}  // namespace protocol
