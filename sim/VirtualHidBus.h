#pragma once
// An in-process USB bus of simulated keyboards behind the HID seam. Keyboards are added
// unplugged and then connected by cable or through their receiver; each brings a boot
// keyboard interface (0) and its command interface (1), and a keyboard with a screen adds
// the screen channel on request. Every method is thread-safe: the application's worker
// reads and writes while tests or the UI plug, unplug and inspect.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/HidApi.h"
#include "sim/Faults.h"
#include "sim/Firmware.h"
#include "sim/KeyboardModels.h"
#include "sim/KeyboardState.h"

namespace sim {

using KeyboardId = int;

enum class Direction { kToDevice, kFromDevice };

struct LoggedFrame {
  Clock::time_point time;
  KeyboardId keyboard = 0;
  Link link = Link::kCable;
  Direction direction = Direction::kToDevice;
  std::vector<std::uint8_t> bytes;  // written reports include the report id byte
};

// One line: time since `origin`, keyboard, link, direction and the bytes in hexadecimal
// (trailing zero bytes summarised).
std::string FormatLoggedFrame(const LoggedFrame& frame, Clock::time_point origin);

// The ids used on the bus.
inline constexpr std::uint16_t kScreenChannelId = 0x1919;  // vendor and product id
inline constexpr std::uint16_t kScreenUsagePage = 0x00FF;
inline constexpr std::uint16_t kScreenUsage = 0x0001;
inline constexpr std::uint16_t kCommandUsagePage = 0xFF60;
inline constexpr std::uint16_t kCommandUsage = 0x61;

class VirtualHidBus final : public device::HidApi {
 public:
  VirtualHidBus();
  ~VirtualHidBus() override;

  std::vector<device::HidDeviceInfo> Enumerate(std::uint16_t vendorId = 0,
                                               std::uint16_t productId = 0) override;
  std::unique_ptr<device::HidDevice> Open(const std::string& path) override;
  std::optional<device::HidCapabilities> QueryCapabilities(
      const std::string& interfacePath) override;
  bool ReportsHotPlug() const override { return true; }

  // A keyboard, not yet connected. Its id names it in every call below.
  KeyboardId AddKeyboard(const KeyboardHardware& hardware, KeyboardState state);
  std::vector<KeyboardId> Keyboards() const;
  std::optional<KeyboardHardware> Hardware(KeyboardId keyboard) const;

  // Connections. Each returns false when the keyboard is unknown, has no such connection
  // or is already in the requested state. Arrivals and removals reach the hot-plug listener.
  bool PlugCable(KeyboardId keyboard);
  bool UnplugCable(KeyboardId keyboard);  // also removes an open screen channel
  bool PlugReceiver(KeyboardId keyboard);
  bool UnplugReceiver(KeyboardId keyboard);
  bool IsPlugged(KeyboardId keyboard, Link link) const;

  // The wireless keyboard falls asleep or wakes; a plugged receiver announces it.
  bool SetAsleep(KeyboardId keyboard, bool asleep);
  bool IsAsleep(KeyboardId keyboard) const;

  std::optional<KeyboardState> State(KeyboardId keyboard) const;
  bool SetState(KeyboardId keyboard, KeyboardState state);
  bool ModifyState(KeyboardId keyboard, const std::function<void(KeyboardState&)>& change);

  bool AddFault(KeyboardId keyboard, const FaultRule& rule);
  void ClearFaults(KeyboardId keyboard);
  std::size_t PendingFaults(KeyboardId keyboard) const;

  // The frame log (off initially). With TARVO_DEBUG set, logged frames also go to the
  // debug output.
  void SetFrameLogging(bool enabled);
  std::vector<LoggedFrame> FrameLog() const;
  std::string FrameLogText() const;
  void ClearFrameLog();

  struct Core;  // shared with open handles, which may outlive the bus

 private:
  std::shared_ptr<Core> core_;
};

}  // namespace sim
