// Feeds arbitrary bytes to everything that reads a report from the keyboard or its receiver:
// the reply header (status, echo, data part), link-state notifications and identity replies,
// the battery report and the device information block. Whatever is parsed must be rebuilt to
// the same value, and every field must stay within what its bytes can hold.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/Text.h"
#include "fuzz/FuzzSupport.h"
#include "protocol/Battery.h"
#include "protocol/Commands.h"
#include "protocol/DeviceInfo.h"
#include "protocol/Frame.h"

namespace {

using fuzz::Require;
using Bytes = std::span<const std::uint8_t>;

std::uint16_t Le16(Bytes bytes, std::size_t low) {
  return static_cast<std::uint16_t>(bytes[low] | bytes[low + 1] << 8);
}

void CheckHeader(Bytes reply) {
  namespace at = protocol::frame_byte;
  const auto status = protocol::ReplyStatus(reply);
  Require(status.has_value() == (reply.size() > at::kStatus), "a status needs byte 7");
  if (status) Require(*status == reply[at::kStatus], "the status is byte 7");
  Require(!(protocol::IsAccepted(reply) && protocol::IsRefused(reply)),
          "a reply is not accepted and refused at once");
  if (reply.size() > at::kOffsetHigh) {
    Require(protocol::EchoMatches(reply, reply[at::kCommand], Le16(reply, at::kOffsetLow)),
            "a reply echoes its own command and offset");
  }
  for (const std::size_t count : {std::size_t{0}, std::size_t{2}, protocol::kBatteryReportLength,
                                  protocol::kFrameDataLength, reply.size()}) {
    const Bytes data = protocol::ReplyData(reply, count);
    const bool holds = reply.size() >= at::kData && reply.size() - at::kData >= count;
    Require(data.size() == (holds ? count : 0), "the data part has the asked length or none");
    if (!data.empty()) Require(data.data() == reply.data() + at::kData, "data starts at byte 8");
  }
}

void CheckLinkState(Bytes reply) {
  if (const auto link = protocol::ParseLinkNotification(reply)) {
    Require(protocol::IsLinkNotification(reply), "a parsed notification is one");
    Require(link->online == (link->state == protocol::kLinkStateOnline), "online is state 4");
    protocol::Frame rebuilt = protocol::MakeFrame(protocol::command::kLinkState, 0, 0);
    rebuilt[protocol::link_byte::kVendorLow] = static_cast<std::uint8_t>(link->vendorId);
    rebuilt[protocol::link_byte::kVendorHigh] = static_cast<std::uint8_t>(link->vendorId >> 8);
    rebuilt[protocol::link_byte::kProductLow] = static_cast<std::uint8_t>(link->productId);
    rebuilt[protocol::link_byte::kProductHigh] = static_cast<std::uint8_t>(link->productId >> 8);
    rebuilt[protocol::link_byte::kState] = link->state;
    Require(protocol::ParseLinkNotification(rebuilt) == link, "a notification reads back");
  }
  if (const auto identity = protocol::ParseIdentityReply(reply)) {
    Require(identity->vendorId == protocol::kKeyboardVendorId && identity->online,
            "only our vendor's identity counts, and it is online");
  }
}

void CheckBattery(Bytes reply) {
  const auto battery =
      protocol::ParseBatteryReport(protocol::ReplyData(reply, protocol::kBatteryReportLength));
  if (!battery) return;
  Require(battery->level >= 0 && battery->level <= 0xFF, "battery level is a byte");
  Require(battery->charging >= 0 && battery->charging <= 0xFF, "charging state is a byte");
  Require(battery->HasLevel() == (battery->level != 0), "level 0 means none");
}

// A zone that is absent travels without its maxima.
protocol::LightLimits AsSent(protocol::LightLimits limits) {
  return limits.present ? limits : protocol::LightLimits{};
}

void CheckFirmwareLabel(std::uint16_t version) {
  const std::string text = protocol::FirmwareVersionText(version);
  Require(base::ParseHex(text) == version && text == base::ToLowerAscii(text),
          "the version text is the version in lower-case hexadecimal");
  const std::string label = protocol::FirmwareVersionLabel("F", version);
  Require(label.size() == 8 && label.starts_with("F: v") && label[5] == '.',
          "the label reads <caption>: vX.YY");
}

void CheckDeviceInfo(Bytes block) {
  const auto info = protocol::ParseDeviceInfo(block);
  Require(info.has_value() == (block.size() >= protocol::kDeviceInfoLength),
          "a full block always parses");
  if (!info) return;
  Require(info->zone0.present, "zone 0 is always there");
  Require(info->protocolRevision >= 0 && info->protocolRevision <= 0xFF, "revision is a byte");
  Require(info->MacroMemoryBytes() >= 0 && info->MacroMemoryBytes() <= 0xFF * 256,
          "macro memory fits its byte");
  if (info->protocolRevision < 2) {
    Require(!info->matrix.present && !info->knobPresent, "early revisions have no matrix, knob");
  }
  protocol::DeviceInfo expected = *info;
  expected.zone1 = AsSent(expected.zone1);
  expected.zone2 = AsSent(expected.zone2);
  expected.matrix = AsSent(expected.matrix);
  const auto reread = protocol::ParseDeviceInfo(protocol::BuildDeviceInfoBlock(*info));
  Require(reread == expected, "the information block reads back");
  CheckFirmwareLabel(info->firmwareVersion);
}

void CheckChunks(std::size_t total, std::size_t chunkSize) {
  const auto block = protocol::BlockChunks(total, chunkSize);
  std::size_t next = 0;
  for (const protocol::Chunk& chunk : block) {
    Require(chunk.offset == next && chunk.count > 0 && chunk.count <= chunkSize,
            "block chunks follow each other");
    next += chunk.count;
  }
  Require(block.empty() || next == total, "block chunks cover the payload");
  const auto download = protocol::DownloadChunks(total, chunkSize);
  next = 0;
  for (const protocol::Chunk& chunk : download) {
    Require(chunk.offset == next && chunk.count <= chunkSize, "download frames follow each other");
    next += chunk.count;
  }
  Require(download.empty() || (next == total && download.size() == total / chunkSize + 1),
          "download frames cover the payload");
}

void CheckFrame(Bytes reply) {
  if (reply.size() < 6) return;
  const std::uint8_t command = reply[1];
  const std::uint16_t offset = Le16(reply, 2);
  protocol::Frame frame = protocol::MakeFrame(command, offset, reply[4], reply.subspan(5));
  Require(protocol::EchoMatches(frame, command, offset), "a frame carries its command, offset");
  const std::size_t chunkSize = protocol::ChunkSizeForReportLength(reply[5]);
  protocol::ClampFrameLength(frame, chunkSize);
  Require(frame[protocol::frame_byte::kLength] <= chunkSize, "a clamped length fits a chunk");
  const protocol::Report report = protocol::ToReport(frame);
  Require(report[0] == protocol::kReportId, "a report starts with its id");
  CheckChunks(offset + std::size_t{reply[4]} * 256, reply[5]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes reply(data, size);
  CheckHeader(reply);
  CheckLinkState(reply);
  CheckBattery(reply);
  CheckDeviceInfo(protocol::ReplyData(reply, protocol::kDeviceInfoLength));
  CheckDeviceInfo(reply);
  CheckFrame(reply);
  return 0;
}
