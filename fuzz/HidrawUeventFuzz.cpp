// Feeds arbitrary bytes to the reading of a hidraw node from sysfs: the input up to its first
// NUL byte is the node's "uevent" file, what follows it the USB interface's "bInterfaceNumber"
// file (none without a NUL). The input is also taken as a device path and as a node name,
// which must never reach outside the class folder.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/HidrawNode.h"

namespace {

using fuzz::Require;
namespace fs = std::filesystem;

constexpr std::size_t kMaxInput = 64 * 1024;

const std::vector<std::uint8_t> kDescriptor = {0x06, 0x60, 0xFF, 0x09, 0x61, 0xA1, 0x01, 0x09, 0x62,
                                               0x15, 0x00, 0x26, 0xFF, 0x00, 0x95, 0x40, 0x75, 0x08,
                                               0x81, 0x02, 0x09, 0x63, 0x15, 0x00, 0x26, 0xFF, 0x00,
                                               0x95, 0x40, 0x75, 0x08, 0x91, 0x02, 0xC0};

// <root>/sys/class/hidraw/hidraw0/device holds the node's files; the folder above it plays
// the USB interface.
fs::path PrepareNode(std::string_view uevent, const std::string_view* interfaceNumber) {
  const fs::path sysRoot = fuzz::ScratchFolder() / "sys";
  const fs::path node = sysRoot / "class" / "hidraw" / "hidraw0";
  fuzz::WriteFile(node / "device" / "uevent", uevent);
  fuzz::WriteFile(node / "device" / "report_descriptor",
                  fuzz::AsText({kDescriptor.data(), kDescriptor.size()}));
  std::error_code ignored;
  fs::remove(node / "bInterfaceNumber", ignored);
  if (interfaceNumber != nullptr) fuzz::WriteFile(node / "bInterfaceNumber", *interfaceNumber);
  return sysRoot;
}

void CheckNodeName(std::string_view path) {
  const auto name = platform::HidrawNodeName(path);
  if (!name) return;
  Require(name->starts_with("hidraw") && name->size() > 6 && name->size() <= 12,
          "a node name is hidraw and a number");
  Require(name->find_first_not_of("0123456789", 6) == std::string::npos, "a node number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view input = fuzz::AsText({data, size});
  const std::size_t nul = input.find('\0');
  const std::string_view uevent = input.substr(0, nul);
  const std::string_view interfaceNumber =
      nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  const fs::path sysRoot =
      PrepareNode(uevent, nul == std::string_view::npos ? nullptr : &interfaceNumber);

  const auto node = platform::ReadHidrawNodeFromSysfs(sysRoot, "hidraw0");
  if (node) {
    Require(uevent.find("HID_ID=") != std::string_view::npos, "ids come from HID_ID");
    Require(node->nodeName == "hidraw0", "the node keeps its name");
    Require(node->interfaceNumber >= -1 && node->interfaceNumber <= 999,
            "an interface number is a small number or none");
    Require(node->reportDescriptor == kDescriptor, "the descriptor is read whole");
  }

  CheckNodeName(input);
  const std::string asName(uevent.substr(0, uevent.find('\n')));
  if (asName != "hidraw0") {
    Require(!platform::ReadHidrawNodeFromSysfs(sysRoot, asName), "no other node is reached");
  }
  return 0;
}
