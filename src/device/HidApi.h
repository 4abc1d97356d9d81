#pragma once
// The HID seam: everything the device link needs from a HID stack, so that the real
// hidraw backend and the in-process keyboard simulator are interchangeable.
//
// Reports are byte vectors that start with the report id byte (0 for devices without
// report ids), as hidapi writes them; reads strip report id 0, as hidapi does. Report
// lengths count the report id byte (65 for 64 data bytes, 33 for 32).

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace device {

struct HidDeviceInfo {
  std::string path;           // what HidApi::Open takes
  std::string interfacePath;  // "HID#VID_36B0&PID_3001&MI_01#<instance>", upper case
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t releaseNumber = 0;
  std::string productString;  // UTF-8
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
  int interfaceNumber = -1;  // -1 when the bus has no interface numbers
};

// What a hot-plug handler checks before it accepts an arriving interface.
struct HidCapabilities {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
};

// One open HID interface. Closing happens in the destructor. Write and Read may be called
// from different threads; Cancel from any thread.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Sends one output report (report id byte first). Returns the bytes written or -1.
  virtual int Write(std::span<const std::uint8_t> report) = 0;

  // Waits up to timeoutMs (negative: without limit) for one input report. Returns the bytes
  // stored (at most buffer.size()), 0 on time-out, -1 on error, after Cancel or once the
  // device is gone and its buffered reports are consumed.
  virtual int Read(std::span<std::uint8_t> buffer, int timeoutMs) = 0;

  // Report lengths including the report id byte, as the HID stack reports them.
  virtual int InputReportLength() const = 0;
  virtual int OutputReportLength() const = 0;

  // Ends the read in progress, and every later read, with -1. Used before a handle that
  // another thread may be reading from is closed.
  virtual void Cancel() = 0;

 protected:
  HidDevice() = default;
};

// Values chosen to equal the device-change event codes the controller dispatches on.
enum class HotPlugEvent : std::uint32_t { kArrival = 0x8000, kRemoval = 0x8004 };

using HotPlugListener = std::function<void(HotPlugEvent event, const std::string& interfacePath)>;

class HidApi {
 public:
  HidApi() = default;
  virtual ~HidApi() = default;
  HidApi(const HidApi&) = delete;
  HidApi& operator=(const HidApi&) = delete;

  // Every HID interface present, or those with the given ids (0 = any).
  virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId = 0,
                                               std::uint16_t productId = 0) = 0;

  // Opens an interface by its path; empty when that fails.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;

  // Opens the interface named by an interface path (or a device path), reads its ids and
  // top-level usage, closes it. Empty when it cannot be opened or described.
  virtual std::optional<HidCapabilities> QueryCapabilities(const std::string& interfacePath) = 0;

  // Whether this bus reports arrivals and removals itself. When it does not (real
  // hardware), the desktop's device monitor produces the same events.
  virtual bool ReportsHotPlug() const { return false; }

  // Installs (or, with an empty function, removes) the hot-plug listener. The listener runs
  // on the thread that changed the bus, never with the bus's own locks held; after this
  // call returns no call of the previous listener is still running (unless this call was
  // made from inside the listener).
  void SetHotPlugListener(HotPlugListener listener);

 protected:
  void NotifyHotPlug(HotPlugEvent event, const std::string& interfacePath);

 private:
  std::recursive_mutex listenerMutex_;
  HotPlugListener listener_;
};

// The interface path the catalogue's "hid_interface" patterns are matched against:
// "HID#VID_%04X&PID_%04X&MI_%02X#<instance>" in upper case; the "&MI_" part is left out
// when the interface number is negative.
std::string MakeInterfacePath(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              std::string_view instance);

struct InterfacePathParts {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int interfaceNumber = -1;
  std::string instance;  // as written in the path (upper case)
};

// Reads a path made by MakeInterfacePath (case-insensitive); empty when it is not one.
std::optional<InterfacePathParts> ParseInterfacePath(std::string_view path);

}  // namespace device
