// Frames, acknowledged transfers, status queries and the screen channel of the device link.

#include <algorithm>

#include "base/Log.h"
#include "device/HidDeviceManager.h"
#include "device/ReportIo.h"
#include "protocol/Battery.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"
#include "protocol/ScreenPackets.h"

namespace device {

namespace {

constexpr int kReplyTimeoutMs = 200;
constexpr int kEchoReplyTimeoutMs = 36;
constexpr int kRawReplyTimeoutMs = 2;
// A drain waits this long for a reply still on its way when one may be: before the first
// write of an exchange and after a failed try. Between accepted chunks nothing is owed, and
// the drain only empties what is already there.
constexpr int kDrainTimeoutMs = 1;
// Enough to empty what piled up during a few missed replies, without letting a chattering
// device hold the worker.
constexpr int kDrainReportLimit = 8;
constexpr int kTriesPerChunk = 6;
constexpr std::chrono::milliseconds kLinkQueryDelay{10};

constexpr std::chrono::milliseconds kScreenPacing{2};
constexpr int kScreenReplyTimeoutMs = 6000;
// The pause before each write of a screen report: the first try and two retries.
constexpr std::array<std::chrono::milliseconds, 3> kScreenWriteDelays{
    std::chrono::milliseconds{0}, std::chrono::milliseconds{10}, std::chrono::milliseconds{60}};

using ReplyBuffer = std::array<std::uint8_t, protocol::kFrameLength>;

std::uint8_t ByteAt(std::span<const std::uint8_t> report, std::size_t index) {
  return index < report.size() ? report[index] : 0;
}

protocol::Frame RequestFrame(std::uint8_t command, const ReportGeometry& geometry) {
  return protocol::MakeFrame(command, 0, static_cast<std::uint8_t>(geometry.chunkSize));
}

// Writes a request and waits for the answer to its command; other reports are dropped.
int Exchange(HidDevice& device, const protocol::Frame& frame, const ReportGeometry& geometry,
             ReplyBuffer& reply) {
  reply.fill(0);
  if (!WriteFrame(device, frame, geometry)) return -1;
  const std::uint8_t command = frame[protocol::frame_byte::kCommand];
  return ReadAccepted(
      device, reply, kReplyTimeoutMs,
      [command](std::span<const std::uint8_t> report) { return AnswersCommand(report, command); });
}

}  // namespace

// --- reads ---------------------------------------------------------------------------------

int HidDeviceManager::HIDReadTimeout(HidDevice* device, std::span<std::uint8_t> buffer,
                                     int timeoutMs) {
  if (device == nullptr) return -1;
  const int count = ReadBounded(*device, buffer, timeoutMs);
  if (count <= 0) return count;
  const auto report = std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(count));
  if (!protocol::IsLinkNotification(report)) return count;
  const bool online = ByteAt(report, protocol::link_byte::kState) == protocol::kLinkStateOnline;
  base::DebugLog("HIDReadTimeout: %02X %02X %02X %02X %02X %02X \n", protocol::kFrameMarker,
                 protocol::command::kLinkState, ByteAt(report, 8), ByteAt(report, 9),
                 ByteAt(report, 10), ByteAt(report, protocol::link_byte::kState));
  if (notifyHandler_) notifyHandler_(online);
  return count;
}

void HidDeviceManager::Drain(HidDevice& device, Notifications notifications, int timeoutMs) {
  ReplyBuffer scratch{};
  for (int i = 0; i < kDrainReportLimit; ++i) {
    const int count = notifications == Notifications::kReport
                          ? HIDReadTimeout(&device, scratch, timeoutMs)
                          : ReadBounded(device, scratch, timeoutMs);
    if (count <= 0) return;
  }
}

// --- frames --------------------------------------------------------------------------------

bool HidDeviceManager::SendFrame(std::array<std::uint8_t, 65>& frame) {
  HidDevice* device = GetCommandDevice();
  if (device == nullptr) return false;
  const auto geometry = GeometryOf(*device);
  if (!geometry) return false;
  Sleep(std::chrono::milliseconds(PacingDelayMs()));
  Drain(*device, Notifications::kReport, kDrainTimeoutMs);
  protocol::Frame request{};
  std::copy_n(frame.begin(), request.size(), request.begin());
  protocol::ClampFrameLength(request, geometry->chunkSize);
  if (!WriteFrame(*device, request, *geometry)) return false;
  ReplyBuffer reply{};
  const int count = HIDReadTimeout(device, reply, kReplyTimeoutMs);
  std::copy(reply.begin(), reply.end(), frame.begin());
  return count > 0;
}

bool HidDeviceManager::BracketOpen() {
  return SendBracket(protocol::command::kBracketOpen);
}

bool HidDeviceManager::BracketClose() {
  return SendBracket(protocol::command::kBracketClose);
}

bool HidDeviceManager::SendBracket(std::uint8_t command) {
  std::array<std::uint8_t, 65> frame{};
  const protocol::Frame bracket = protocol::MakeFrame(command, 0, 0);
  std::copy(bracket.begin(), bracket.end(), frame.begin());
  return SendFrame(frame);
}

bool HidDeviceManager::SendRawFrame(std::span<std::uint8_t, 64> frame) {
  HidDevice* device = GetCommandDevice();
  if (device == nullptr) return false;
  const auto geometry = GeometryOf(*device);
  if (!geometry) return false;
  Drain(*device, Notifications::kReport, kDrainTimeoutMs);
  protocol::Frame request{};
  std::copy(frame.begin(), frame.end(), request.begin());
  if (!WriteFrame(*device, request, *geometry)) return false;
  // Unacknowledged: a reply that does not come within the short wait is no failure.
  ReplyBuffer reply{};
  HIDReadTimeout(device, reply, kRawReplyTimeoutMs);
  std::copy(reply.begin(), reply.end(), frame.begin());
  return true;
}

std::size_t HidDeviceManager::CommandChunkSize() {
  HidDevice* device = GetCommandDevice();
  if (device == nullptr) return 0;
  const auto geometry = GeometryOf(*device);
  return geometry ? geometry->chunkSize : 0;
}

// --- transfers -----------------------------------------------------------------------------

bool HidDeviceManager::TransferBlock(std::uint8_t command, std::span<std::uint8_t> buffer) {
  return Transfer(command, buffer, Replies::kAny);
}

bool HidDeviceManager::TransferBlockEcho(std::uint8_t command, std::span<std::uint8_t> buffer) {
  return Transfer(command, buffer, Replies::kEchoed);
}

// Every chunk must be accepted; otherwise the caller's buffer keeps what it held.
bool HidDeviceManager::Transfer(std::uint8_t command, std::span<std::uint8_t> buffer,
                                Replies replies) {
  HidDevice* device = GetCommandDevice();
  if (device == nullptr) return false;
  const auto geometry = GeometryOf(*device);
  if (!geometry) return false;
  const auto chunks = protocol::BlockChunks(buffer.size(), geometry->chunkSize);
  if (chunks.empty()) return false;
  // Streams go without pacing.
  if (replies == Replies::kAny) Sleep(std::chrono::milliseconds(PacingDelayMs()));
  transferResult_.assign(buffer.size(), 0);
  bool replyMayBeOwed = true;
  for (const protocol::Chunk& chunk : chunks) {
    if (!TransferChunk(*device, *geometry, command, chunk, buffer, replies, replyMayBeOwed)) {
      return false;
    }
  }
  std::copy(transferResult_.begin(), transferResult_.end(), buffer.begin());
  return true;
}

bool HidDeviceManager::TransferChunk(HidDevice& device, const ReportGeometry& geometry,
                                     std::uint8_t command, const protocol::Chunk& chunk,
                                     std::span<const std::uint8_t> payload, Replies replies,
                                     bool& replyMayBeOwed) {
  const protocol::Frame frame = protocol::MakeFrame(command, chunk.offset, chunk.count,
                                                    payload.subspan(chunk.offset, chunk.count));
  const int timeoutMs = replies == Replies::kEchoed ? kEchoReplyTimeoutMs : kReplyTimeoutMs;
  ReplyBuffer reply{};
  for (int attempt = 0; attempt < kTriesPerChunk; ++attempt) {
    // A late reply to an earlier try must not be taken for this one's.
    Drain(device, Notifications::kReport, replyMayBeOwed ? kDrainTimeoutMs : 0);
    replyMayBeOwed = true;
    if (!WriteFrame(device, frame, geometry)) continue;
    reply.fill(0);
    const int count = HIDReadTimeout(&device, reply, timeoutMs);
    if (count <= 0) continue;
    const auto received =
        std::span<const std::uint8_t>(reply).first(static_cast<std::size_t>(count));
    if (replies == Replies::kEchoed && !protocol::EchoMatches(received, command, chunk.offset)) {
      continue;
    }
    if (!protocol::IsAccepted(received)) continue;
    const auto data = protocol::ReplyData(received, chunk.count);
    if (data.size() != chunk.count) continue;  // too short to hold the chunk
    std::copy(data.begin(), data.end(), transferResult_.begin() + chunk.offset);
    replyMayBeOwed = false;
    return true;
  }
  return false;
}

// --- status queries ------------------------------------------------------------------------

bool HidDeviceManager::QueryLinkState(HidDevice* device, bool identity, std::uint16_t& vendorId,
                                      std::uint16_t& productId, int& online) {
  Sleep(kLinkQueryDelay);
  vendorId = 0;
  productId = 0;
  if (device == nullptr) return false;
  const auto geometry = GeometryOf(*device);
  if (!geometry) return false;
  ReplyBuffer reply{};
  if (identity) {
    const int count = Exchange(*device, RequestFrame(protocol::command::kBracketOpen, *geometry),
                               *geometry, reply);
    const auto named =
        count > 0 ? protocol::ParseIdentityReply(
                        std::span<const std::uint8_t>(reply).first(static_cast<std::size_t>(count)))
                  : std::nullopt;
    if (named) {
      vendorId = named->vendorId;
      productId = named->productId;
      online = 1;
      return true;
    }
  }
  Drain(*device, Notifications::kKeep, kDrainTimeoutMs);
  const int count =
      Exchange(*device, RequestFrame(protocol::command::kLinkState, *geometry), *geometry, reply);
  if (count <= 0) return false;
  // Parsed from the zero-padded buffer: missing fields of a short answer read as 0.
  const auto state = protocol::ParseLinkNotification(reply);
  if (!state) return false;
  vendorId = state->vendorId;
  productId = state->productId;
  online = state->online ? 1 : 0;
  return true;
}

bool HidDeviceManager::QueryBattery(HidDevice* device, int& level, int& charging) {
  if (device == nullptr) return false;
  const auto geometry = GeometryOf(*device);
  if (!geometry) return false;
  ReplyBuffer reply{};
  Exchange(*device, RequestFrame(protocol::command::kBracketOpen, *geometry), *geometry, reply);
  std::optional<protocol::BatteryReport> report;
  const int count =
      Exchange(*device, RequestFrame(protocol::command::kReadBattery, *geometry), *geometry, reply);
  if (count > 0) {
    const auto received =
        std::span<const std::uint8_t>(reply).first(static_cast<std::size_t>(count));
    if (protocol::IsAccepted(received)) {
      report = protocol::ParseBatteryReport(protocol::ReplyData(received, 2));
    }
  }
  Exchange(*device, protocol::MakeFrame(protocol::command::kBracketClose, 0, 0), *geometry, reply);
  if (!report) return false;
  level = report->level;
  charging = report->charging;
  return true;
}

// --- screen channel ------------------------------------------------------------------------

bool HidDeviceManager::OpenScreenDevice() {
  CloseScreenDevice();
  for (const HidDeviceInfo& info :
       hid_.Enumerate(protocol::kScreenVendorId, protocol::kScreenProductId)) {
    if (info.vendorId != protocol::kScreenVendorId ||
        info.productId != protocol::kScreenProductId ||
        info.usagePage != protocol::kScreenUsagePage || info.usage != protocol::kScreenUsage) {
      continue;
    }
    if (auto opened = hid_.Open(info.path)) screenDevice_ = std::move(opened);
  }
  return screenDevice_ != nullptr;
}

void HidDeviceManager::CloseScreenDevice() {
  if (!screenDevice_) return;
  screenDevice_->Cancel();
  screenDevice_.reset();
}

bool HidDeviceManager::IsScreenDeviceOpen() const {
  return screenDevice_ != nullptr;
}

bool HidDeviceManager::SendScreenFrame(std::span<std::uint8_t, 65> report) {
  if (!screenDevice_) return true;
  Sleep(kScreenPacing);
  if (!WriteScreenReport(report)) return false;
  Sleep(kScreenPacing);
  ReplyBuffer reply{};
  if (ReadBounded(*screenDevice_, reply, kScreenReplyTimeoutMs) <= 0) return false;
  std::copy(reply.begin(), reply.end(), report.begin());
  return true;
}

bool HidDeviceManager::WriteScreenReport(std::span<const std::uint8_t, 65> report) {
  for (const auto delay : kScreenWriteDelays) {
    if (delay.count() > 0) Sleep(delay);
    if (screenDevice_->Write(report) > 0) return true;
  }
  return false;
}

}  // namespace device
