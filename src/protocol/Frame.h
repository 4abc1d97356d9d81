#pragma once
// The 64-byte command frame and its replies. A written report is the report id 0 followed by
// the frame; a read report (report id already removed) has the same layout with the status in
// byte 7:
//
//   0  0xAA      1  command   2, 3  offset (little-endian)   4  data length
//   5, 6  0      7  0 (frame) or status (reply)              8.. data (up to 56 bytes)

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace protocol {

inline constexpr std::size_t kFrameLength = 64;
inline constexpr std::size_t kReportLength = kFrameLength + 1;  // with the report id
inline constexpr std::uint8_t kReportId = 0;
inline constexpr std::uint8_t kFrameMarker = 0xAA;

namespace frame_byte {
inline constexpr std::size_t kMarker = 0;
inline constexpr std::size_t kCommand = 1;
inline constexpr std::size_t kOffsetLow = 2;
inline constexpr std::size_t kOffsetHigh = 3;
inline constexpr std::size_t kLength = 4;
inline constexpr std::size_t kStatus = 7;
inline constexpr std::size_t kData = 8;
}  // namespace frame_byte

inline constexpr std::size_t kFrameDataLength = kFrameLength - frame_byte::kData;  // 56

// Reply status byte.
inline constexpr std::uint8_t kStatusAccepted = 0x55;
inline constexpr std::uint8_t kStatusRefused = 0x0F;

// Chunk sizes: interfaces with short reports (33 bytes) carry 24 data bytes, the others
// (65 bytes) 56.
inline constexpr std::size_t kLongChunkSize = 56;
inline constexpr std::size_t kShortChunkSize = 24;
std::size_t ChunkSizeForReportLength(std::size_t outputReportLength);

using Frame = std::array<std::uint8_t, kFrameLength>;
using Report = std::array<std::uint8_t, kReportLength>;

// A frame with the given header; at most kFrameDataLength bytes of data are copied. The length
// byte is written as given (a caller clamps it to the chunk size before sending).
Frame MakeFrame(std::uint8_t command, std::uint16_t offset, std::uint8_t length,
                std::span<const std::uint8_t> data = {});
// The frame with the report id in front, as it is written.
Report ToReport(const Frame& frame);
// Lowers the length byte to the chunk size when it is larger.
void ClampFrameLength(Frame& frame, std::size_t chunkSize);

// Reading a reply as the device delivered it. A reply too short to hold a field has none.
std::optional<std::uint8_t> ReplyStatus(std::span<const std::uint8_t> reply);
bool IsAccepted(std::span<const std::uint8_t> reply);
bool IsRefused(std::span<const std::uint8_t> reply);
// Whether the reply echoes the command and offset of the frame it answers.
bool EchoMatches(std::span<const std::uint8_t> reply, std::uint8_t command, std::uint16_t offset);
// `count` data bytes of the reply; empty when the reply does not hold that many.
std::span<const std::uint8_t> ReplyData(std::span<const std::uint8_t> reply, std::size_t count);

// One piece of a chunked transfer: where it starts in the payload and how many bytes it holds.
struct Chunk {
  std::uint16_t offset = 0;
  std::uint8_t count = 0;
  bool operator==(const Chunk&) const = default;
};
// Acknowledged block transfers: ceil(total / chunkSize) chunks, the last one shorter. Empty for
// 0 bytes, a zero chunk size or a payload whose offsets do not fit in 16 bits.
std::vector<Chunk> BlockChunks(std::size_t total, std::size_t chunkSize);
// The unacknowledged macro download: floor(total / chunkSize) + 1 frames; the last one carries
// the remainder, which may be 0.
std::vector<Chunk> DownloadChunks(std::size_t total, std::size_t chunkSize);

// Receiver link state. A notification (and the reply to the link-state request) starts with
// 0xAA 0xD0 and holds the keyboard's vendor id in bytes 9 and 10, its product id in bytes 11
// and 12 and the link state in byte 13.
namespace link_byte {
inline constexpr std::size_t kVendorLow = 9;
inline constexpr std::size_t kVendorHigh = 10;
inline constexpr std::size_t kProductLow = 11;
inline constexpr std::size_t kProductHigh = 12;
inline constexpr std::size_t kState = 13;
}  // namespace link_byte
inline constexpr std::uint8_t kLinkStateOnline = 4;
// The vendor whose receivers also answer the identity request (a bracket-open frame).
inline constexpr std::uint16_t kKeyboardVendorId = 0x36B0;

struct LinkState {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint8_t state = 0;
  bool online = false;
  bool operator==(const LinkState&) const = default;
};
bool IsLinkNotification(std::span<const std::uint8_t> report);
std::optional<LinkState> ParseLinkNotification(std::span<const std::uint8_t> report);
// The reply to the identity request names the keyboard only when it carries our vendor id;
// the keyboard is then online.
std::optional<LinkState> ParseIdentityReply(std::span<const std::uint8_t> report);

}  // namespace protocol
