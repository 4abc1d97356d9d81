#pragma once
// What the kernel tells about one hidraw node: its ids, its interface number and its report
// descriptor, read through the node's ioctls or, without access to the node, from sysfs.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct HidrawNodeInfo {
  std::string nodeName;  // "hidraw3"
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int interfaceNumber = -1;  // -1 when the node is not a USB interface
  std::vector<std::uint8_t> reportDescriptor;
};

// "hidraw3" from a device path ("/dev/hidraw3") or from an interface path whose instance is
// the node ("HID#VID_36B0&PID_3001&MI_01#HIDRAW3"); empty for anything else.
std::optional<std::string> HidrawNodeName(std::string_view path);

// Reads uevent, report_descriptor and the USB interface number below
// <sysRoot>/class/hidraw/<node>/device. Empty when the ids or the descriptor are missing.
std::optional<HidrawNodeInfo> ReadHidrawNodeFromSysfs(const std::filesystem::path& sysRoot,
                                                      const std::string& nodeName);

// Opens <devRoot>/<node> read-write (as the device link will) and asks it for its ids and
// descriptor (HIDIOCGRAWINFO, HIDIOCGRDESC); where the node does not answer these (it is
// not a hidraw character device) the ids and descriptor come from sysfs. Empty when the
// node cannot be opened or described.
std::optional<HidrawNodeInfo> ProbeHidrawNode(const std::filesystem::path& devRoot,
                                              const std::filesystem::path& sysRoot,
                                              const std::string& nodeName);

}  // namespace platform
