#include "device/ReportIo.h"

#include <algorithm>
#include <chrono>

namespace device {

std::optional<ReportGeometry> GeometryOf(const HidDevice& device) {
  const int length = device.OutputReportLength();
  if (length <= 0) return std::nullopt;
  ReportGeometry geometry;
  geometry.chunkSize = protocol::ChunkSizeForReportLength(static_cast<std::size_t>(length));
  geometry.writeLength = std::min(static_cast<std::size_t>(length), protocol::kReportLength);
  if (geometry.writeLength < 1 + protocol::frame_byte::kData + geometry.chunkSize) {
    return std::nullopt;
  }
  return geometry;
}

bool WriteFrame(HidDevice& device, const protocol::Frame& frame, const ReportGeometry& geometry) {
  const protocol::Report report = protocol::ToReport(frame);
  const std::size_t length = std::min(geometry.writeLength, report.size());
  return device.Write(std::span<const std::uint8_t>(report.data(), length)) > 0;
}

int ReadBounded(HidDevice& device, std::span<std::uint8_t> buffer, int timeoutMs) {
  const int count = device.Read(buffer, timeoutMs);
  return std::min(count, static_cast<int>(buffer.size()));
}

int ReadAccepted(HidDevice& device, std::span<std::uint8_t> buffer, int timeoutMs,
                 const ReportFilter& accept) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int count = ReadBounded(device, buffer, static_cast<int>(std::max<long long>(left, 0)));
    if (count < 0) return -1;
    if (count > 0 && accept(buffer.first(static_cast<std::size_t>(count)))) return count;
    if (count == 0 || Clock::now() >= deadline) return 0;
  }
}

bool AnswersCommand(std::span<const std::uint8_t> report, std::uint8_t command) {
  return report.size() > protocol::frame_byte::kCommand &&
         report[protocol::frame_byte::kMarker] == protocol::kFrameMarker &&
         report[protocol::frame_byte::kCommand] == command;
}

}  // namespace device
