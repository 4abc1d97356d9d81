#include "platform/HidrawNode.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>

#include "base/Text.h"
#include "platform/UniqueFd.h"

namespace platform {

namespace {

// Descriptors are at most 4096 bytes (HID_MAX_DESCRIPTOR_SIZE); anything longer is not one.
constexpr std::size_t kMaxDescriptorSize = 4096;

bool IsNodeName(std::string_view name) {
  constexpr std::string_view kPrefix = "hidraw";
  if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 6) return false;
  if (!base::EqualsIgnoreCaseAscii(name.substr(0, kPrefix.size()), kPrefix)) return false;
  for (char c : name.substr(kPrefix.size())) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string content;
  char buffer[1024];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    content.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (content.size() > kMaxDescriptorSize * 4) return std::nullopt;
  }
  return content;
}

std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key) {
  std::size_t start = 0;
  while (start < uevent.size()) {
    std::size_t end = uevent.find('\n', start);
    if (end == std::string_view::npos) end = uevent.size();
    const std::string_view line = uevent.substr(start, end - start);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=') {
      return line.substr(key.size() + 1);
    }
    start = end + 1;
  }
  return std::nullopt;
}

// HID_ID=0003:000036B0:00003001 (bus, vendor, product in hexadecimal).
bool ParseHidId(std::string_view text, HidrawNodeInfo& info) {
  const std::size_t first = text.find(':');
  const std::size_t second = text.find(':', first == std::string_view::npos ? 0 : first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return false;
  const long vendor = base::ParseHex(text.substr(first + 1, second - first - 1));
  const long product = base::ParseHex(text.substr(second + 1));
  if (vendor < 0 || vendor > 0xFFFF || product < 0 || product > 0xFFFF) return false;
  info.vendorId = static_cast<std::uint16_t>(vendor);
  info.productId = static_cast<std::uint16_t>(product);
  return true;
}

// The USB interface is the parent of the HID device; HID_PHYS ends in "/input<n>" as well.
int InterfaceNumber(const std::filesystem::path& deviceDir, std::string_view uevent) {
  std::error_code error;
  const auto hidDevice = std::filesystem::canonical(deviceDir, error);
  if (!error) {
    if (auto number = ReadSmallFile(hidDevice.parent_path() / "bInterfaceNumber")) {
      const long value = base::ParseHex(base::Trim(*number));
      if (!base::Trim(*number).empty() && value >= 0 && value <= 0xFF)
        return static_cast<int>(value);
    }
  }
  if (auto phys = UeventValue(uevent, "HID_PHYS")) {
    const std::size_t input = phys->rfind("/input");
    if (input != std::string_view::npos && input + 6 < phys->size()) {
      const std::string_view digits = phys->substr(input + 6);
      if (digits.find_first_not_of("0123456789") == std::string_view::npos && digits.size() <= 3) {
        return base::ToInt(digits);
      }
    }
  }
  return -1;
}

bool ReadIdsByIoctl(int fd, HidrawNodeInfo& info) {
  hidraw_devinfo devinfo{};
  if (::ioctl(fd, HIDIOCGRAWINFO, &devinfo) < 0) return false;
  info.vendorId = static_cast<std::uint16_t>(devinfo.vendor);
  info.productId = static_cast<std::uint16_t>(devinfo.product);
  return true;
}

bool ReadDescriptorByIoctl(int fd, HidrawNodeInfo& info) {
  int size = 0;
  if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0) return false;
  if (size <= 0 || static_cast<std::size_t>(size) > kMaxDescriptorSize) return false;
  hidraw_report_descriptor descriptor{};
  descriptor.size = static_cast<__u32>(size);
  if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return false;
  info.reportDescriptor.assign(descriptor.value, descriptor.value + size);
  return true;
}

}  // namespace

std::optional<std::string> HidrawNodeName(std::string_view path) {
  std::string_view name = path;
  const std::size_t cut = path.find_last_of("/#");
  if (cut != std::string_view::npos) name = path.substr(cut + 1);
  if (!IsNodeName(name)) return std::nullopt;
  return base::ToLowerAscii(name);
}

std::optional<HidrawNodeInfo> ReadHidrawNodeFromSysfs(const std::filesystem::path& sysRoot,
                                                      const std::string& nodeName) {
  if (!IsNodeName(nodeName)) return std::nullopt;
  const auto deviceDir = sysRoot / "class" / "hidraw" / nodeName / "device";
  const auto uevent = ReadSmallFile(deviceDir / "uevent");
  const auto descriptor = ReadSmallFile(deviceDir / "report_descriptor");
  if (!uevent || !descriptor || descriptor->size() > kMaxDescriptorSize) return std::nullopt;
  HidrawNodeInfo info;
  info.nodeName = nodeName;
  const auto hidId = UeventValue(*uevent, "HID_ID");
  if (!hidId || !ParseHidId(*hidId, info)) return std::nullopt;
  info.interfaceNumber = InterfaceNumber(deviceDir, *uevent);
  info.reportDescriptor.assign(descriptor->begin(), descriptor->end());
  return info;
}

std::optional<HidrawNodeInfo> ProbeHidrawNode(const std::filesystem::path& devRoot,
                                              const std::filesystem::path& sysRoot,
                                              const std::string& nodeName) {
  if (!IsNodeName(nodeName)) return std::nullopt;
  const UniqueFd fd(::open((devRoot / nodeName).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) return std::nullopt;
  HidrawNodeInfo byIoctl;
  byIoctl.nodeName = nodeName;
  auto fromSysfs = ReadHidrawNodeFromSysfs(sysRoot, nodeName);
  if (ReadIdsByIoctl(fd.Get(), byIoctl) && ReadDescriptorByIoctl(fd.Get(), byIoctl)) {
    if (fromSysfs) byIoctl.interfaceNumber = fromSysfs->interfaceNumber;
    return byIoctl;
  }
  return fromSysfs;
}

}  // namespace platform
