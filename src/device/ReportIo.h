#pragma once
// Reading and writing single frames on one HID interface, without any policy: the device
// link decides about retries, pacing and notifications.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "device/HidApi.h"
#include "protocol/Frame.h"

namespace device {

// How frames fit the reports of one interface.
struct ReportGeometry {
  std::size_t writeLength = 0;  // bytes written per frame, report id included (33 to 65)
  std::size_t chunkSize = 0;    // data bytes a frame carries (24 or 56)
};

// Empty when the interface's output reports cannot hold a frame header and a chunk.
std::optional<ReportGeometry> GeometryOf(const HidDevice& device);

// Writes report id 0 and the frame, cut to the interface's report length.
bool WriteFrame(HidDevice& device, const protocol::Frame& frame, const ReportGeometry& geometry);

using ReportFilter = std::function<bool(std::span<const std::uint8_t> report)>;

// Reads until a report that `accept` takes arrives or `timeoutMs` has passed; the reports it
// skips are dropped. Returns the length of the accepted report, 0 when none came in time,
// -1 when the device failed. Never more than buffer.size().
int ReadAccepted(HidDevice& device, std::span<std::uint8_t> buffer, int timeoutMs,
                 const ReportFilter& accept);

// One read whose result never exceeds the buffer, whatever the device claims.
int ReadBounded(HidDevice& device, std::span<std::uint8_t> buffer, int timeoutMs);

// A report that starts like a frame of this command (0xAA, command).
bool AnswersCommand(std::span<const std::uint8_t> report, std::uint8_t command);

}  // namespace device
