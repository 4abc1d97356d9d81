#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/UdevMonitor.h"

namespace platform {
namespace {

template <class Case>
requires requires(const Case& test) {
  test.name;
}
void PrintTo(const Case& test, std::ostream* out) {
  *out << test.name;
}

constexpr const char* kUsbPath =
    "/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.1/0003:36B0:3001.0005/hidraw/hidraw3";

struct UeventCase {
  const char* name;
  HidrawUevent uevent;
  std::optional<HotPlugReport> expected;
};

class HidrawUevents : public ::testing::TestWithParam<UeventCase> {};

TEST_P(HidrawUevents, BecomeArrivalsAndRemovalsOfInterfacePaths) {
  const UeventCase& test = GetParam();
  EXPECT_EQ(InterpretHidrawUevent(test.uevent), test.expected);
}

HotPlugReport Arrival(const char* path) {
  return {device::HotPlugEvent::kArrival, path};
}
HotPlugReport Removal(const char* path) {
  return {device::HotPlugEvent::kRemoval, path};
}

INSTANTIATE_TEST_SUITE_P(
    Events, HidrawUevents,
    ::testing::Values(
        UeventCase{"ArrivalFromParentProperties",
                   {"add", "hidraw3", kUsbPath, "0003:000036B0:00003001", "01"},
                   Arrival("HID#VID_36B0&PID_3001&MI_01#HIDRAW3")},
        // the properties win over the path: they are what the kernel says of the device now
        UeventCase{"PropertiesBeforePath",
                   {"add", "hidraw3", kUsbPath, "0003:000036B0:00003011", "00"},
                   Arrival("HID#VID_36B0&PID_3011&MI_00#HIDRAW3")},
        UeventCase{"RemovalFromThePathAlone",
                   {"remove", "hidraw3", kUsbPath, "", ""},
                   Removal("HID#VID_36B0&PID_3001&MI_01#HIDRAW3")},
        // bInterfaceNumber is hexadecimal, the interface's name decimal
        UeventCase{"InterfaceTenByAttribute",
                   {"add", "hidraw12",
                    "/devices/usb2/2-1.3/2-1.3:1.10/0003:1A2C:4094.000B/hidraw/hidraw12",
                    "0003:00001A2C:00004094", "0a"},
                   Arrival("HID#VID_1A2C&PID_4094&MI_0A#HIDRAW12")},
        UeventCase{"InterfaceTenByPath",
                   {"remove", "hidraw12",
                    "/devices/usb2/2-1.3/2-1.3:1.10/0003:1A2C:4094.000B/hidraw/hidraw12", "", ""},
                   Removal("HID#VID_1A2C&PID_4094&MI_0A#HIDRAW12")},
        UeventCase{"BluetoothHasNoInterfaceNumber",
                   {"add", "hidraw6",
                    "/devices/pci0000:00/usb1/1-9/1-9:1.0/bluetooth/hci0/hci0:256/"
                    "0005:046D:B342.0009/hidraw/hidraw6",
                    "0005:0000046D:0000B342", ""},
                   Arrival("HID#VID_046D&PID_B342#HIDRAW6")},
        UeventCase{"VirtualDeviceHasNoInterfaceNumber",
                   {"remove", "hidraw7",
                    "/devices/virtual/misc/uhid/0003:36B0:3001.000A/hidraw/hidraw7", "", ""},
                   Removal("HID#VID_36B0&PID_3001#HIDRAW7")},
        UeventCase{"OtherActionsAreIgnored",
                   {"change", "hidraw3", kUsbPath, "0003:000036B0:00003001", "01"},
                   std::nullopt},
        UeventCase{"BindIsIgnored", {"bind", "hidraw3", kUsbPath, "", ""}, std::nullopt},
        UeventCase{"NotAHidrawNode", {"add", "event5", kUsbPath, "", ""}, std::nullopt},
        UeventCase{"PathOfAnotherNode", {"remove", "hidraw4", kUsbPath, "", ""}, std::nullopt},
        UeventCase{"VendorTooLarge",
                   {"add", "hidraw3", "/devices/x/hidraw/hidraw3", "0003:00136B0:00003001", ""},
                   std::nullopt},
        UeventCase{"IdsThatAreNoNumbers",
                   {"remove", "hidraw3",
                    "/devices/usb1/1-4/1-4:1.1/0003:36G0:3001.0005/hidraw/hidraw3", "", ""},
                   std::nullopt},
        UeventCase{"BadPropertyFallsBackToPath",
                   {"add", "hidraw3", kUsbPath, "garbage", "zz"},
                   Arrival("HID#VID_36B0&PID_3001&MI_01#HIDRAW3")},
        UeventCase{"InterfaceNumberAboveAByte",
                   {"remove", "hidraw3",
                    "/devices/usb1/1-4/1-4:1.300/0003:36B0:3001.0005/hidraw/hidraw3", "", ""},
                   Removal("HID#VID_36B0&PID_3001#HIDRAW3")},
        UeventCase{"EmptyEvent", {}, std::nullopt}));

// The monitor needs a udev netlink socket; where the machine has one it must start, report
// only well-formed paths and stop promptly when destroyed.
TEST(UdevMonitor, StartsAndStopsCleanly) {
  std::mutex mutex;
  std::vector<std::string> paths;
  for (int round = 0; round < 3; ++round) {
    UdevMonitor monitor([&](device::HotPlugEvent, const std::string& path) {
      std::lock_guard lock(mutex);
      paths.push_back(path);
    });
    if (!monitor.Running()) GTEST_SKIP() << "udev is not available here";
  }
  std::lock_guard lock(mutex);
  for (const std::string& path : paths) EXPECT_TRUE(device::ParseInterfacePath(path)) << path;
}

}  // namespace
}  // namespace platform
