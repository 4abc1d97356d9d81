#include "device/KeyCommands.h"

#include <algorithm>
#include <array>
#include <span>

#include "device/HidDeviceManager.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace device {

const char* WriteResultName(WriteResult result) {
  switch (result) {
    case WriteResult::kAccepted:
      return "accepted";
    case WriteResult::kUnanswered:
      return "unanswered";
    case WriteResult::kRefused:
      return "refused";
    case WriteResult::kFailed:
      break;
  }
  return "write failed";
}

KeyCommands::KeyCommands(HidDeviceManager& link) : link_(link) {}

WriteResult KeyCommands::WriteKeyEntry(int layer, int keyIndex, const protocol::KeyEntry& entry) {
  const std::optional<std::uint8_t> command = protocol::LayerWriteCommand(layer);
  const std::optional<std::uint16_t> offset = protocol::EntryOffset(keyIndex);
  if (!command || !offset) return WriteResult::kFailed;
  const std::array<std::uint8_t, protocol::kKeyEntryLength> data{entry.type, entry.first,
                                                                 entry.second};
  const protocol::Frame request = protocol::MakeFrame(
      *command, *offset, static_cast<std::uint8_t>(protocol::kKeyEntryLength), data);
  std::array<std::uint8_t, protocol::kReportLength> frame{};
  std::copy(request.begin(), request.end(), frame.begin());
  const bool answered = link_.SendFrame(frame);
  if (!answered) {
    // The link leaves the request in place when it wrote nothing and zeros when no answer came.
    return frame[protocol::frame_byte::kMarker] == 0 ? WriteResult::kUnanswered
                                                     : WriteResult::kFailed;
  }
  const auto reply = std::span<const std::uint8_t>(frame).first(protocol::kFrameLength);
  // Another report read in the reply's place (a receiver's notification) answers nothing.
  if (reply[protocol::frame_byte::kMarker] != protocol::kFrameMarker ||
      reply[protocol::frame_byte::kCommand] != *command) {
    return WriteResult::kUnanswered;
  }
  return protocol::IsAccepted(reply) ? WriteResult::kAccepted : WriteResult::kRefused;
}

WriteResult KeyCommands::WriteLayerTable(int layer, const protocol::LayerTable& table) {
  const std::optional<std::uint8_t> command = protocol::LayerWriteCommand(layer);
  if (!command) return WriteResult::kFailed;
  protocol::LayerTable copy = table;  // the link returns the keyboard's answer in the buffer
  return link_.TransferBlock(*command, copy) ? WriteResult::kAccepted : WriteResult::kFailed;
}

}  // namespace device
