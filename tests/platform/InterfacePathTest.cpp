#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "device/HidApi.h"

namespace device {
namespace {

template <class Case>
requires requires(const Case& test) {
  test.name;
}
void PrintTo(const Case& test, std::ostream* out) {
  *out << test.name;
}

TEST(InterfacePath, IsBuiltInUpperCase) {
  EXPECT_EQ(MakeInterfacePath(0x36B0, 0x3001, 1, "hidraw3"), "HID#VID_36B0&PID_3001&MI_01#HIDRAW3");
  EXPECT_EQ(MakeInterfacePath(0x1919, 0x1919, 0, "sim&0001&s"),
            "HID#VID_1919&PID_1919&MI_00#SIM&0001&S");
  EXPECT_EQ(MakeInterfacePath(0x00ab, 0x0cde, -1, "x"), "HID#VID_00AB&PID_0CDE#X");
}

struct ParseCase {
  const char* name;
  const char* path;
  bool valid;
  std::uint16_t vendorId;
  std::uint16_t productId;
  int interfaceNumber;
  const char* instance;
};

class InterfacePathParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(InterfacePathParsing, ReadsIdsInterfaceAndInstance) {
  const ParseCase& test = GetParam();
  const auto parts = ParseInterfacePath(test.path);
  ASSERT_EQ(parts.has_value(), test.valid);
  if (!test.valid) return;
  EXPECT_EQ(parts->vendorId, test.vendorId);
  EXPECT_EQ(parts->productId, test.productId);
  EXPECT_EQ(parts->interfaceNumber, test.interfaceNumber);
  EXPECT_EQ(parts->instance, test.instance);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, InterfacePathParsing,
    ::testing::Values(
        ParseCase{"Plain", "HID#VID_36B0&PID_3001&MI_01#HIDRAW3", true, 0x36B0, 0x3001, 1,
                  "HIDRAW3"},
        ParseCase{"LowerCase", "hid#vid_36b0&pid_3011&mi_00#sim&0002&r", true, 0x36B0, 0x3011, 0,
                  "SIM&0002&R"},
        ParseCase{"WindowsPrefixCollectionAndGuid",
                  "\\\\?\\HID#VID_046D&PID_C52B&MI_02&COL01#7&2A&0&0000#{4d1e55b2}", true, 0x046D,
                  0xC52B, 2, "7&2A&0&0000#{4D1E55B2}"},
        ParseCase{"NoInterfaceNumber", "HID#VID_1919&PID_1919#X", true, 0x1919, 0x1919, -1, "X"},
        ParseCase{"ShortVendor", "HID#VID_36B&PID_3001#X", false, 0, 0, 0, ""},
        ParseCase{"BadHexDigit", "HID#VID_36B0&PID_30G1#X", false, 0, 0, 0, ""},
        ParseCase{"ShortInterfaceNumber", "HID#VID_36B0&PID_3001&MI_1#X", false, 0, 0, 0, ""},
        ParseCase{"NoInstance", "HID#VID_36B0&PID_3001", false, 0, 0, 0, ""},
        ParseCase{"DevicePath", "/dev/hidraw3", false, 0, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace device
