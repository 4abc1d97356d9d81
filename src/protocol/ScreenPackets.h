#pragma once
// Packets of the screen channel: the second HID interface through which the keyboard's screen
// flash is written. Every packet is a 65-byte report:
//
//   0  report id 0   1  0xAA   2  command   3..5  flash address (least significant first)
//   6  data byte count (1 to 56) or a fixed value   7, 8  0   9..64  data
//
// The flash is used in 64 KB blocks; each image starts on a block of its own and the media
// table tells the keyboard where the images are.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace protocol {

inline constexpr std::uint16_t kScreenVendorId = 0x1919;
inline constexpr std::uint16_t kScreenProductId = 0x1919;
inline constexpr std::uint16_t kScreenUsagePage = 0x00FF;
inline constexpr std::uint16_t kScreenUsage = 0x0001;

namespace screen_command {
inline constexpr std::uint8_t kBegin = 0x10;
inline constexpr std::uint8_t kEnd = 0x11;
inline constexpr std::uint8_t kSizesReady = 0x14;
inline constexpr std::uint8_t kMediaTable = 0x15;
inline constexpr std::uint8_t kMediaTableDone = 0x16;
inline constexpr std::uint8_t kSetClock = 0x17;
inline constexpr std::uint8_t kErase = 0x18;
inline constexpr std::uint8_t kWriteData = 0x19;
inline constexpr std::uint8_t kWriteDone = 0x1A;
inline constexpr std::uint8_t kUploadStart = 0x1B;
inline constexpr std::uint8_t kConversionMark = 0x1C;
inline constexpr std::uint8_t kWriteStart = 0xE3;
}  // namespace screen_command

namespace screen_byte {
inline constexpr std::size_t kReportId = 0;
inline constexpr std::size_t kMarker = 1;
inline constexpr std::size_t kCommand = 2;
inline constexpr std::size_t kAddress = 3;
inline constexpr std::size_t kLength = 6;
inline constexpr std::size_t kData = 9;
}  // namespace screen_byte

inline constexpr std::size_t kScreenPacketLength = 65;
inline constexpr std::size_t kScreenDataLength = kScreenPacketLength - screen_byte::kData;  // 56
// The fixed count byte of the status packets (0x14, 0x16, 0x17, 0x1B).
inline constexpr std::uint8_t kScreenFullLength = 0x38;
inline constexpr std::size_t kFlashBlockSize = 0x10000;
inline constexpr std::size_t kMediaTableLength = 128;
inline constexpr std::size_t kMaxScreenImages = 10;

using ScreenPacket = std::array<std::uint8_t, kScreenPacketLength>;

// A packet; the address is cut to 24 bits, at most kScreenDataLength data bytes are copied.
ScreenPacket MakeScreenPacket(std::uint8_t command, std::uint32_t address, std::uint8_t lengthByte,
                              std::span<const std::uint8_t> data = {});

// Number of 64 KB flash blocks a size takes (rounded up).
std::size_t FlashBlocks(std::size_t bytes);
// The start block of every image, packed one after the other.
std::vector<std::size_t> ImageStartBlocks(std::span<const std::size_t> imageSizes);

// The media table of the images: their count, the blocks in use plus one, and per image its
// start block and 24-bit size. Only the first kMaxScreenImages images are entered.
using MediaTable = std::array<std::uint8_t, kMediaTableLength>;
MediaTable BuildMediaTable(std::span<const std::size_t> imageSizes);
// The table in its three packets: bytes 0..55, 56..111 and 112..127.
std::array<ScreenPacket, 3> MediaTablePackets(const MediaTable& table);

// Where a set of images goes in the flash. The media table and the erase command carry block
// numbers and counts in one byte and flash addresses in three, so a set only fits when the
// erase count (the blocks of the total size plus two, and at least the blocks in use) is at
// most 255, every image ends below 16 MiB and there
// are at most kMaxScreenImages images, none of them empty. A set that does not fit must be
// refused as a whole: cut to its low bytes, its numbers would point back over image 0.
struct FlashPlan {
  std::vector<std::size_t> startBlocks;
  std::size_t usedBlocks = 0;
  std::size_t eraseBlocks = 0;
  bool operator==(const FlashPlan&) const = default;
};
inline constexpr std::size_t kMaxFlashAddress = 0xFFFFFF;
inline constexpr std::size_t kMaxEraseBlocks = 0xFF;
std::optional<FlashPlan> PlanFlash(std::span<const std::size_t> imageSizes);

// The erase command and the number of blocks it names (blocks in use plus two).
std::size_t EraseBlockCount(std::size_t totalBytes);
ScreenPacket MakeErasePacket(std::size_t totalBytes);
ScreenPacket MakeEraseBlocksPacket(std::uint8_t blocks);

// The pieces one image is written in: 56 bytes each, the last one the remainder.
struct ImageChunk {
  std::size_t offset = 0;
  std::size_t count = 0;
  bool operator==(const ImageChunk&) const = default;
};
std::vector<ImageChunk> ImageChunks(std::size_t imageSize);
ScreenPacket MakeWriteDataPacket(std::uint32_t flashAddress, std::span<const std::uint8_t> chunk);
// Opens the writing of the images (address byte 5 = 1, data 3).
ScreenPacket MakeWriteStartPacket();

// The screen clock is set from single decimal digits: year (four), month (two), day of week
// (0 = Sunday), day (two), hour, minute and second (two each).
struct ClockTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int dayOfWeek = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
inline constexpr std::size_t kClockDigitCount = 15;
std::array<std::uint8_t, kClockDigitCount> ClockDigits(const ClockTime& time);
ScreenPacket MakeClockPacket(const ClockTime& time);

}  // namespace protocol
