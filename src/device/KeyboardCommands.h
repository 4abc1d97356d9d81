#pragma once
// The keyboard's commands as typed calls: what the features send and read, named after what it
// is, in one place above the device link. Worker thread only, like the link.

#include <array>
#include <cstdint>
#include <optional>

#include "protocol/Battery.h"
#include "protocol/Commands.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyTables.h"
#include "protocol/LightRegions.h"

namespace device {

class HidDeviceManager;

class KeyboardCommands {
 public:
  explicit KeyboardCommands(HidDeviceManager& link);
  KeyboardCommands(const KeyboardCommands&) = delete;
  KeyboardCommands& operator=(const KeyboardCommands&) = delete;

  // The bracket every task puts around its commands; see CommandBracket.
  bool OpenBracket();
  bool CloseBracket();

  // What the keyboard is (0x12); empty when it did not answer or the block is unusable.
  std::optional<protocol::DeviceInfo> ReadDeviceInfo();
  // The settings block: lighting regions and system settings (0x14, 0x15).
  bool ReadSettings(protocol::SettingsBlock& block);
  bool WriteSettings(protocol::SettingsBlock block);
  // The battery (0x30); empty when no report came.
  std::optional<protocol::BatteryReport> ReadBattery();

  // The key tables of an Fn layer (0 to 3): as the factory set them, and as they are now.
  bool ReadFactoryLayer(int layer, protocol::LayerTable& table);
  bool ReadLayer(int layer, protocol::LayerTable& table);
  // Which light each key index has (0x32).
  bool ReadLightIndexTable(protocol::LightIndexTable& table);
  // The reads the keyboard expects after the light index table: zone 2's and the matrix
  // light's (what they return is not used).
  bool ReadZone2Extra();
  bool ReadMatrixPictureDiscarded();
  // The key indices of the knob's actions (0x3E).
  bool ReadKnobIndices(std::array<std::uint8_t, protocol::kKnobIndexTableLength>& table);

  // Commands without data: the factory reset (0x31) and the screen-sync start (0x2F); true
  // when the keyboard accepted them.
  bool FactoryReset();
  bool StartScreenSync();

  // Streamed frames run between tasks without a bracket of their own: the first one after a
  // task opens it again.
  void MarkBracketClosed() { bracketClosed_ = true; }
  void MarkBracketOpen() { bracketClosed_ = false; }
  bool BracketClosed() const { return bracketClosed_; }

 private:
  bool SendCommandFrame(std::uint8_t command);

  HidDeviceManager& link_;
  bool bracketClosed_ = true;
};

// Opens the command bracket and closes it when it goes out of scope, whatever happened in
// between: a task that fails half-way never leaves the keyboard waiting in an open bracket.
class CommandBracket {
 public:
  explicit CommandBracket(KeyboardCommands& keyboard) : keyboard_(keyboard) {
    opened_ = keyboard_.OpenBracket();
  }
  ~CommandBracket() { keyboard_.CloseBracket(); }
  CommandBracket(const CommandBracket&) = delete;
  CommandBracket& operator=(const CommandBracket&) = delete;

  bool Opened() const { return opened_; }

 private:
  KeyboardCommands& keyboard_;
  bool opened_ = false;
};

}  // namespace device
