#include "protocol/Frame.h"

#include <algorithm>

#include "protocol/Commands.h"

namespace protocol {
namespace {

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t low) {
  return static_cast<std::uint16_t>(bytes[low] | (bytes[low + 1] << 8));
}

}  // namespace

std::size_t ChunkSizeForReportLength(std::size_t outputReportLength) {
  return outputReportLength < 64 ? kShortChunkSize : kLongChunkSize;
}

Frame MakeFrame(std::uint8_t command, std::uint16_t offset, std::uint8_t length,
                std::span<const std::uint8_t> data) {
  Frame frame{};
  frame[frame_byte::kMarker] = kFrameMarker;
  frame[frame_byte::kCommand] = command;
  frame[frame_byte::kOffsetLow] = static_cast<std::uint8_t>(offset & 0xFF);
  frame[frame_byte::kOffsetHigh] = static_cast<std::uint8_t>(offset >> 8);
  frame[frame_byte::kLength] = length;
  const std::size_t count = std::min(data.size(), kFrameDataLength);
  std::copy_n(data.begin(), count, frame.begin() + frame_byte::kData);
  return frame;
}

Report ToReport(const Frame& frame) {
  Report report{};
  report[0] = kReportId;
  std::copy(frame.begin(), frame.end(), report.begin() + 1);
  return report;
}

void ClampFrameLength(Frame& frame, std::size_t chunkSize) {
  if (frame[frame_byte::kLength] > chunkSize) {
    frame[frame_byte::kLength] = static_cast<std::uint8_t>(std::min<std::size_t>(chunkSize, 0xFF));
  }
}

std::optional<std::uint8_t> ReplyStatus(std::span<const std::uint8_t> reply) {
  if (reply.size() <= frame_byte::kStatus) return std::nullopt;
  return reply[frame_byte::kStatus];
}

bool IsAccepted(std::span<const std::uint8_t> reply) {
  return ReplyStatus(reply) == kStatusAccepted;
}

bool IsRefused(std::span<const std::uint8_t> reply) {
  return ReplyStatus(reply) == kStatusRefused;
}

bool EchoMatches(std::span<const std::uint8_t> reply, std::uint8_t command, std::uint16_t offset) {
  if (reply.size() <= frame_byte::kOffsetHigh) return false;
  return reply[frame_byte::kCommand] == command && Le16(reply, frame_byte::kOffsetLow) == offset;
}

std::span<const std::uint8_t> ReplyData(std::span<const std::uint8_t> reply, std::size_t count) {
  if (reply.size() < frame_byte::kData || reply.size() - frame_byte::kData < count) return {};
  return reply.subspan(frame_byte::kData, count);
}

std::vector<Chunk> BlockChunks(std::size_t total, std::size_t chunkSize) {
  std::vector<Chunk> chunks;
  if (total == 0 || chunkSize == 0 || chunkSize > 0xFF || total > 0x10000) return chunks;
  for (std::size_t offset = 0; offset < total; offset += chunkSize) {
    chunks.push_back({static_cast<std::uint16_t>(offset),
                      static_cast<std::uint8_t>(std::min(chunkSize, total - offset))});
  }
  return chunks;
}

std::vector<Chunk> DownloadChunks(std::size_t total, std::size_t chunkSize) {
  std::vector<Chunk> chunks;
  if (chunkSize == 0 || chunkSize > 0xFF || total > 0xFFFF) return chunks;
  for (std::size_t k = 0; k <= total / chunkSize; ++k) {
    const std::size_t offset = k * chunkSize;
    chunks.push_back({static_cast<std::uint16_t>(offset),
                      static_cast<std::uint8_t>(std::min(chunkSize, total - offset))});
  }
  return chunks;
}

bool IsLinkNotification(std::span<const std::uint8_t> report) {
  return report.size() > frame_byte::kCommand && report[frame_byte::kMarker] == kFrameMarker &&
         report[frame_byte::kCommand] == command::kLinkState;
}

std::optional<LinkState> ParseLinkNotification(std::span<const std::uint8_t> report) {
  if (!IsLinkNotification(report) || report.size() <= link_byte::kState) return std::nullopt;
  LinkState state;
  state.vendorId = Le16(report, link_byte::kVendorLow);
  state.productId = Le16(report, link_byte::kProductLow);
  state.state = report[link_byte::kState];
  state.online = state.state == kLinkStateOnline;
  return state;
}

std::optional<LinkState> ParseIdentityReply(std::span<const std::uint8_t> report) {
  if (report.size() <= link_byte::kProductHigh) return std::nullopt;
  if (Le16(report, link_byte::kVendorLow) != kKeyboardVendorId) return std::nullopt;
  LinkState state;
  state.vendorId = kKeyboardVendorId;
  state.productId = Le16(report, link_byte::kProductLow);
  state.state = kLinkStateOnline;
  state.online = true;
  return state;
}

}  // namespace protocol
