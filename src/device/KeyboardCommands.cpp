#include "device/KeyboardCommands.h"

#include <algorithm>

#include "device/HidDeviceManager.h"
#include "protocol/Frame.h"

namespace device {

namespace command = protocol::command;

KeyboardCommands::KeyboardCommands(HidDeviceManager& link) : link_(link) {}

bool KeyboardCommands::OpenBracket() {
  return link_.BracketOpen();
}

bool KeyboardCommands::CloseBracket() {
  return link_.BracketClose();
}

std::optional<protocol::DeviceInfo> KeyboardCommands::ReadDeviceInfo() {
  protocol::DeviceInfoBlock block{};
  if (!link_.TransferBlock(command::kReadDeviceInfo, block)) return std::nullopt;
  return protocol::ParseDeviceInfo(block);
}

bool KeyboardCommands::ReadSettings(protocol::SettingsBlock& block) {
  return link_.TransferBlock(command::kReadSettings, block);
}

bool KeyboardCommands::WriteSettings(protocol::SettingsBlock block) {
  return link_.TransferBlock(command::kWriteSettings, block);
}

std::optional<protocol::BatteryReport> KeyboardCommands::ReadBattery() {
  std::array<std::uint8_t, protocol::kBatteryReportLength> report{};
  if (!link_.TransferBlock(command::kReadBattery, report)) return std::nullopt;
  return protocol::ParseBatteryReport(report);
}

bool KeyboardCommands::ReadFactoryLayer(int layer, protocol::LayerTable& table) {
  const std::optional<std::uint8_t> read = protocol::FactoryLayerReadCommand(layer);
  return read && link_.TransferBlock(*read, table);
}

bool KeyboardCommands::ReadLayer(int layer, protocol::LayerTable& table) {
  const std::optional<std::uint8_t> read = protocol::LayerReadCommand(layer);
  return read && link_.TransferBlock(*read, table);
}

bool KeyboardCommands::ReadLightIndexTable(protocol::LightIndexTable& table) {
  return link_.TransferBlock(command::kReadLightIndexTable, table);
}

bool KeyboardCommands::ReadZone2Extra() {
  std::array<std::uint8_t, protocol::kDiscardedReadLength> ignored{};
  return link_.TransferBlock(command::kReadZone2Extra, ignored);
}

bool KeyboardCommands::ReadMatrixPictureDiscarded() {
  std::array<std::uint8_t, protocol::kDiscardedReadLength> ignored{};
  return link_.TransferBlock(command::kReadMatrixPicture, ignored);
}

bool KeyboardCommands::ReadKnobIndices(
    std::array<std::uint8_t, protocol::kKnobIndexTableLength>& table) {
  return link_.TransferBlock(command::kReadKnobIndices, table);
}

bool KeyboardCommands::FactoryReset() {
  return SendCommandFrame(command::kFactoryReset);
}

bool KeyboardCommands::StartScreenSync() {
  return SendCommandFrame(command::kScreenSyncStart);
}

bool KeyboardCommands::SendCommandFrame(std::uint8_t commandByte) {
  // A frame without data whose length byte says a full frame.
  const protocol::Frame request = protocol::MakeFrame(commandByte, 0, protocol::kFrameDataLength);
  std::array<std::uint8_t, protocol::kReportLength> frame{};
  std::copy(request.begin(), request.end(), frame.begin());
  // A refusal is a reply too: only the keyboard's acceptance counts.
  return link_.SendFrame(frame) &&
         protocol::IsAccepted(std::span<const std::uint8_t>(frame).first(protocol::kFrameLength));
}

}  // namespace device
