#pragma once
// What the current keyboard is and how it is set: its information block (firmware, protocol
// revision, light zones, matrix light, knob), its settings block (lighting regions and system
// settings), its battery; and the read of the whole keyboard when it becomes current.
//
// The values are replaced by every read and live until the next one; they are not dropped when
// the keyboard goes away. The worker writes them, any thread may take a copy.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

#include "core/ControllerContext.h"
#include "protocol/Battery.h"
#include "protocol/DeviceInfo.h"
#include "protocol/LightRegions.h"
#include "protocol/SystemSettings.h"

class KeyMapReader;
namespace device {
class HidDeviceManager;
}

// The six system settings: the configuration key each is stored under, its field, and where
// the settings block keeps it (`width` bytes from the revision's position).
struct SystemSettingKey {
  std::string_view key;
  int protocol::SystemSettings::*field;
  std::size_t protocol::SystemSettingsLayout::*position;
  std::size_t width;
};
std::span<const SystemSettingKey> SystemSettingKeys();

// A command frame without data whose length byte says a full frame (0x2F, 0x31); false when
// no reply came.
bool SendCommandFrame(device::HidDeviceManager& link, std::uint8_t command);

class KeyboardInfo {
 public:
  struct Snapshot {
    int modelId = 0;  // the model the information was read from; 0 before the first read
    protocol::DeviceInfo device;
    bool settingsRead = false;
    protocol::SettingsBlock settings{};  // lighting regions and system settings as read
    protocol::ActiveLightModes lightModes;
    protocol::BatteryReport battery;
  };

  KeyboardInfo(ControllerContext& context, KeyMapReader& keyMaps);

  // Worker: reads everything from the current keyboard inside one command bracket: the
  // information and settings, the factory key codes, the light index table and the key
  // assignments. The first step that fails ends it (the bracket then stays open; the next
  // task opens it again). True when every step succeeded.
  bool ReadKeyboardState();
  // Worker: commands 0x12, 0x14 and 0x30. False when 0x12 or 0x14 failed; nothing is stored then.
  bool ReadDeviceInfo();
  // Worker, task 23: the screen-sync page's once-only command (0x2F). The page sets the flag
  // before it queues the task, so the command only goes out when the task is queued with the
  // flag clear.
  void SendPageSwitch();

  // Any thread: the page's texts that depend on the language and on what was read.
  void ApplyTexts();
  // Any thread: the firmware label as the keyboard reported it, or the placeholder while no
  // keyboard has been read since the last ShowPlaceholderVersion (also after a language change).
  void ShowVersionLabels();
  // Any thread: back to the placeholder label until a keyboard has been read.
  void ShowPlaceholderVersion();

  Snapshot Get() const;
  // The protocol revision of the current model's keyboard; empty when it has not been read.
  std::optional<int> KnownRevision() const;

 private:
  void ApplyDeviceInfo(const protocol::DeviceInfo& info);
  void StoreSettings(const protocol::SettingsBlock& block, int protocolRevision);
  void ReadBattery();
  void ShowBattery(const protocol::BatteryReport& battery);

  ControllerContext& context_;
  KeyMapReader& keyMaps_;

  mutable std::mutex mutex_;
  Snapshot snapshot_;
  std::optional<std::uint16_t> shownFirmware_;
};
