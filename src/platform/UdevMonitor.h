#pragma once
// Hot-plug on real hardware: the hidraw backend reports no arrivals or removals, so a udev
// monitor on subsystem "hidraw" produces them, with the interface path the device link and
// the catalogue's "hid_interface" patterns work with ("HID#VID_36B0&PID_3001&MI_01#HIDRAW3").

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "device/HidApi.h"
#include "platform/UniqueFd.h"

namespace platform {

// What a hidraw event says; each text is empty when udev did not give it.
struct HidrawUevent {
  std::string action;           // "add", "remove", "change", ...
  std::string sysName;          // "hidraw3"
  std::string devPath;          // "/devices/.../1-4:1.1/0003:36B0:3001.0005/hidraw/hidraw3"
  std::string hidId;            // HID_ID of the hid parent: "0003:000036B0:00003001"
  std::string interfaceNumber;  // bInterfaceNumber of the usb_interface parent: "01" (hex)
};

struct HotPlugReport {
  device::HotPlugEvent event = device::HotPlugEvent::kArrival;
  std::string interfacePath;
  bool operator==(const HotPlugReport&) const = default;
};

// The arrival or removal the event stands for; empty for other actions and for events whose
// node or ids cannot be read. Ids and interface number come from the parents' properties
// when they are given, else from the device path (a removed device has no parents left to
// ask).
std::optional<HotPlugReport> InterpretHidrawUevent(const HidrawUevent& uevent);

// Watches udev from its own thread and calls the listener there for every hidraw arrival and
// removal. Stops and joins in the destructor.
class UdevMonitor {
 public:
  explicit UdevMonitor(device::HotPlugListener listener);
  ~UdevMonitor();
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;

  // False when udev could not be set up; no event will be reported then.
  bool Running() const { return running_; }

 private:
  struct Udev;

  void Run();
  void ReceiveOne();

  device::HotPlugListener listener_;
  std::unique_ptr<Udev> udev_;
  UniqueFd stop_;
  bool running_ = false;
  std::thread thread_;  // last: it stops before anything it uses goes
};

}  // namespace platform
