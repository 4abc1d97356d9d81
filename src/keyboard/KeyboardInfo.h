#pragma once
// What the current keyboard is and how it is set: its information block (firmware, protocol
// revision, light zones, matrix light, knob), its settings block (lighting regions and system
// settings) and its battery, read when a keyboard becomes current.
//
// The values are replaced by every read and live until the next one; they are not dropped when
// the keyboard goes away. The worker writes them, any thread may take a copy. Whoever shows
// them registers as an observer and hears of every read on the worker.

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "protocol/Battery.h"
#include "protocol/DeviceInfo.h"
#include "protocol/LightRegions.h"
#include "protocol/SystemSettings.h"

namespace device {
class KeyboardCommands;
}
namespace storage {
class SettingsDatabase;
}

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

  class Observer {
   public:
    virtual ~Observer() = default;
    // The keyboard's information was read; `otherKeyboard` when it is not the one read before.
    virtual void OnDeviceInfo(const Snapshot& /*keyboard*/, bool /*otherKeyboard*/) {}
    // The keyboard reported its battery level.
    virtual void OnBattery(int /*modelId*/, const protocol::BatteryReport& /*battery*/) {}
    // A new read begins: what was shown of the last one is out of date.
    virtual void OnReadStarted() {}
  };

  KeyboardInfo(SharedState& state, device::KeyboardCommands& keyboard,
               storage::SettingsDatabase& database, CurrentModel& model);

  // Before the worker starts.
  void AddObserver(Observer& observer);

  // Worker: a read of the keyboard begins (the firmware label goes back to its placeholder).
  void BeginRead();
  // Worker, inside an open command bracket: commands 0x12, 0x14 and 0x30. The settings are
  // stored for the current profile. Empty when 0x12 or 0x14 failed; nothing is stored then.
  std::optional<protocol::DeviceInfo> ReadDeviceInfo();

  Snapshot Get() const;
  // The protocol revision of the current model's keyboard; empty when it has not been read.
  std::optional<int> KnownRevision() const;

 private:
  bool ApplyDeviceInfo(const protocol::DeviceInfo& info);
  void StoreSettings(const protocol::SettingsBlock& block, int protocolRevision);
  void ReadBattery();

  SharedState& state_;
  device::KeyboardCommands& keyboard_;
  storage::SettingsDatabase& database_;
  CurrentModel& model_;
  std::vector<Observer*> observers_;

  mutable std::mutex mutex_;
  Snapshot snapshot_;
};
