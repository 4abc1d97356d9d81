#include "device/LightingCommands.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "device/HidDeviceManager.h"
#include "device/KeyboardCommands.h"
#include "protocol/Frame.h"

namespace device {

namespace command = protocol::command;

LightingCommands::LightingCommands(HidDeviceManager& link, KeyboardCommands& keyboard)
    : link_(link), keyboard_(keyboard) {}

bool LightingCommands::ReadSlotColors(int slot, protocol::ColorTable& table) {
  const std::optional<std::uint8_t> read = protocol::SlotReadCommand(slot);
  if (!read) return false;
  // The caller's table stays as it was unless every chunk came back.
  protocol::ColorTable received = table;
  if (!link_.TransferBlock(*read, received)) return false;
  table = received;
  return true;
}

bool LightingCommands::WriteSlotColors(int slot, const protocol::ColorTable& table) {
  const std::optional<std::uint8_t> write = protocol::SlotWriteCommand(slot);
  if (!write) return false;
  protocol::ColorTable payload = table;
  return link_.TransferBlock(*write, payload);
}

bool LightingCommands::ReadLiveColors(int protocolRevision, protocol::ColorTable& table) {
  if (!OpenStreamBracket()) return false;
  protocol::ColorTable received{};
  if (!link_.TransferBlockEcho(protocol::LiveColorReadCommand(protocolRevision), received)) {
    return false;
  }
  table = received;
  return true;
}

bool LightingCommands::SendMatrixLightStart() {
  const protocol::Frame request =
      protocol::MakeFrame(command::kMatrixLightStart, 0, protocol::kFrameDataLength);
  std::array<std::uint8_t, protocol::kReportLength> frame{};
  std::copy(request.begin(), request.end(), frame.begin());
  return link_.SendFrame(frame);
}

bool LightingCommands::ReadMatrixPicture(protocol::MatrixPicture& picture) {
  protocol::MatrixPicture received{};
  if (!link_.TransferBlockEcho(command::kReadMatrixPicture, received)) return false;
  picture = received;
  return true;
}

bool LightingCommands::WriteMatrixPicture(const protocol::MatrixPicture& picture) {
  protocol::MatrixPicture payload = picture;
  return link_.TransferBlockEcho(command::kWriteMatrixPicture, payload);
}

bool LightingCommands::StreamScreenSync(std::span<const protocol::LitKey> keys,
                                        std::size_t itemCount) {
  std::vector<std::uint8_t> frame = protocol::BuildScreenSyncStream(keys, itemCount);
  return SendStreamFrame(command::kScreenSyncStream, frame);
}

bool LightingCommands::StreamMatrix(const protocol::MatrixColors& cells) {
  protocol::MatrixStream frame = protocol::BuildMatrixStream(cells);
  return SendStreamFrame(command::kMatrixStream, frame);
}

bool LightingCommands::OpenStreamBracket() {
  if (!keyboard_.BracketClosed()) return true;
  if (!keyboard_.OpenBracket()) return false;
  keyboard_.MarkBracketOpen();
  return true;
}

bool LightingCommands::SendStreamFrame(std::uint8_t commandByte, std::span<std::uint8_t> payload) {
  if (OpenStreamBracket() && link_.TransferBlockEcho(commandByte, payload)) return true;
  keyboard_.MarkBracketClosed();
  return false;
}

}  // namespace device
