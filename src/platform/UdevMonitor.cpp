#include "platform/UdevMonitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Log.h"
#include "base/Text.h"

namespace platform {

namespace {

struct HidIds {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

// All of `text` as a number in the given base, at most `maxDigits` digits.
std::optional<unsigned long> StrictNumber(std::string_view text, int base, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  unsigned long value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
  }
  return value;
}

std::optional<std::uint16_t> HexId(std::string_view text) {
  const auto value = StrictNumber(text, 16, 8);
  if (!value || *value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

// "0003:000036B0:00003001" (the HID_ID property) or "0003:36B0:3001" (a device name without
// its instance): bus, vendor and product in hexadecimal.
std::optional<HidIds> ParseBusVendorProduct(std::string_view text) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (!StrictNumber(text.substr(0, first), 16, 8)) return std::nullopt;
  const auto vendor = HexId(text.substr(first + 1, second - first - 1));
  const auto product = HexId(text.substr(second + 1));
  if (!vendor || !product) return std::nullopt;
  return HidIds{*vendor, *product};
}

// The hid device's own name: "0003:36B0:3001.0005".
std::optional<HidIds> ParseHidDeviceName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || !StrictNumber(name.substr(dot + 1), 16, 8)) {
    return std::nullopt;
  }
  return ParseBusVendorProduct(name.substr(0, dot));
}

// A USB interface's name: "<bus>-<ports>:<configuration>.<interface>", numbers in decimal.
std::optional<int> ParseUsbInterfaceName(std::string_view name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos || name.find('-') > colon) return std::nullopt;
  const std::string_view tail = name.substr(colon + 1);
  const std::size_t dot = tail.find('.');
  if (dot == std::string_view::npos || !StrictNumber(tail.substr(0, dot), 10, 3)) {
    return std::nullopt;
  }
  const auto number = StrictNumber(tail.substr(dot + 1), 10, 3);
  if (!number || *number > 0xFF) return std::nullopt;
  return static_cast<int>(*number);
}

std::vector<std::string_view> PathSegments(std::string_view path) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

// What the device path tells: .../<usb interface>/<hid device>/hidraw/<node>.
struct PathFacts {
  std::optional<HidIds> ids;
  std::optional<int> interfaceNumber;
};

PathFacts FactsFromDevPath(std::string_view devPath, std::string_view sysName) {
  PathFacts facts;
  const auto segments = PathSegments(devPath);
  const std::size_t n = segments.size();
  if (n < 3 || segments[n - 1] != sysName || segments[n - 2] != "hidraw") return facts;
  facts.ids = ParseHidDeviceName(segments[n - 3]);
  if (n >= 4) facts.interfaceNumber = ParseUsbInterfaceName(segments[n - 4]);
  return facts;
}

bool IsHidrawName(std::string_view name) {
  constexpr std::string_view kPrefix = "hidraw";
  return name.size() > kPrefix.size() && name.substr(0, kPrefix.size()) == kPrefix &&
         StrictNumber(name.substr(kPrefix.size()), 10, 6).has_value();
}

}  // namespace

std::optional<HotPlugReport> InterpretHidrawUevent(const HidrawUevent& uevent) {
  HotPlugReport report;
  if (uevent.action == "add") {
    report.event = device::HotPlugEvent::kArrival;
  } else if (uevent.action == "remove") {
    report.event = device::HotPlugEvent::kRemoval;
  } else {
    return std::nullopt;
  }
  if (!IsHidrawName(uevent.sysName)) return std::nullopt;
  const PathFacts facts = FactsFromDevPath(uevent.devPath, uevent.sysName);
  std::optional<HidIds> ids = ParseBusVendorProduct(uevent.hidId);
  if (!ids) ids = facts.ids;
  if (!ids) return std::nullopt;
  int interfaceNumber = facts.interfaceNumber.value_or(-1);
  if (const auto attribute = StrictNumber(base::Trim(uevent.interfaceNumber), 16, 2)) {
    interfaceNumber = static_cast<int>(*attribute);
  }
  report.interfacePath =
      device::MakeInterfacePath(ids->vendorId, ids->productId, interfaceNumber, uevent.sysName);
  return report;
}

// --- monitor -------------------------------------------------------------------------------

struct UdevMonitor::Udev {
  struct ContextUnref {
    void operator()(udev* context) const { udev_unref(context); }
  };
  struct MonitorUnref {
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
  };
  std::unique_ptr<udev, ContextUnref> context;
  std::unique_ptr<udev_monitor, MonitorUnref> monitor;
};

namespace {

struct DeviceUnref {
  void operator()(udev_device* device) const { udev_device_unref(device); }
};

std::string Text(const char* value) {
  return value != nullptr ? std::string(value) : std::string();
}

// Parents belong to the child device; they are not unreferenced here.
void ReadParents(udev_device* device, HidrawUevent& uevent) {
  if (udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr)) {
    uevent.hidId = Text(udev_device_get_property_value(hid, "HID_ID"));
  }
  if (udev_device* usb =
          udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface")) {
    uevent.interfaceNumber = Text(udev_device_get_sysattr_value(usb, "bInterfaceNumber"));
  }
}

}  // namespace

UdevMonitor::UdevMonitor(device::HotPlugListener listener)
    : listener_(std::move(listener)), udev_(std::make_unique<Udev>()) {
  udev_->context.reset(udev_new());
  if (!udev_->context) return;
  udev_->monitor.reset(udev_monitor_new_from_netlink(udev_->context.get(), "udev"));
  if (!udev_->monitor) return;
  if (udev_monitor_filter_add_match_subsystem_devtype(udev_->monitor.get(), "hidraw", nullptr) <
          0 ||
      udev_monitor_enable_receiving(udev_->monitor.get()) < 0) {
    return;
  }
  stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!stop_.IsValid()) return;
  running_ = true;
  thread_ = std::thread([this] { Run(); });
}

UdevMonitor::~UdevMonitor() {
  if (!thread_.joinable()) return;
  const std::uint64_t one = 1;
  if (::write(stop_.Get(), &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
    base::DebugLog("UdevMonitor: cannot signal the monitor thread to stop");
  }
  thread_.join();
}

void UdevMonitor::Run() {
  pollfd watched[2] = {{udev_monitor_get_fd(udev_->monitor.get()), POLLIN, 0},
                       {stop_.Get(), POLLIN, 0}};
  for (;;) {
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      base::DebugLog("UdevMonitor: poll failed (%d); hot-plug events stop", errno);
      return;
    }
    if (watched[1].revents != 0) return;
    if ((watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      base::DebugLog("UdevMonitor: the udev socket failed; hot-plug events stop");
      return;
    }
    if ((watched[0].revents & POLLIN) != 0) ReceiveOne();
  }
}

void UdevMonitor::ReceiveOne() {
  const std::unique_ptr<udev_device, DeviceUnref> device(
      udev_monitor_receive_device(udev_->monitor.get()));
  if (!device) return;
  HidrawUevent uevent;
  uevent.action = Text(udev_device_get_action(device.get()));
  uevent.sysName = Text(udev_device_get_sysname(device.get()));
  uevent.devPath = Text(udev_device_get_devpath(device.get()));
  // A removed device's parents may already be gone from sysfs; its path tells enough.
  if (uevent.action == "add") ReadParents(device.get(), uevent);
  const auto report = InterpretHidrawUevent(uevent);
  if (report && listener_) listener_(report->event, report->interfacePath);
}

}  // namespace platform
