#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/HidapiBackend.h"
#include "platform/HidrawNode.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kCommandDescriptor = {
    0x06, 0x60, 0xFF, 0x09, 0x61, 0xA1, 0x01, 0x09, 0x62, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x95, 0x40, 0x75, 0x08, 0x81, 0x02, 0x09, 0x63, 0x15, 0x00,
    0x26, 0xFF, 0x00, 0x95, 0x40, 0x75, 0x08, 0x91, 0x02, 0xC0};

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// A sysfs and /dev stand-in: hidraw3 is interface 1 of a USB keyboard (the interface number
// comes from the USB interface folder), hidraw5 a device known only by its HID_PHYS.
class FakeSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("tarvo-hidraw-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    const fs::path usbInterface = root_ / "sys/devices/pci0000:00/usb1/1-2/1-2:1.1";
    const fs::path hidDevice = usbInterface / "0003:36B0:3001.0004";
    WriteFile(usbInterface / "bInterfaceNumber", "01\n");
    WriteFile(hidDevice / "uevent",
              "DRIVER=hid-generic\nHID_ID=0003:000036B0:00003001\nHID_NAME=Tarvo K101\n"
              "HID_PHYS=usb-0000:00:14.0-2/input1\n");
    WriteFile(hidDevice / "report_descriptor",
              std::string(kCommandDescriptor.begin(), kCommandDescriptor.end()));
    fs::create_directories(root_ / "sys/class/hidraw/hidraw3");
    fs::create_directory_symlink(hidDevice, root_ / "sys/class/hidraw/hidraw3/device");

    const fs::path plain = root_ / "sys/class/hidraw/hidraw5/device";
    WriteFile(plain / "uevent", "HID_ID=0003:00001919:00001919\nHID_PHYS=usb-1/input0\n");
    WriteFile(plain / "report_descriptor",
              std::string(kCommandDescriptor.begin(), kCommandDescriptor.end()));

    WriteFile(root_ / "dev/hidraw3", "");
    WriteFile(root_ / "dev/hidraw5", "");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Sys() const { return root_ / "sys"; }
  fs::path Dev() const { return root_ / "dev"; }

  fs::path root_;
};

TEST_F(FakeSystem, SysfsGivesIdsInterfaceNumberAndDescriptor) {
  const auto node = ReadHidrawNodeFromSysfs(Sys(), "hidraw3");
  ASSERT_TRUE(node.has_value());
  EXPECT_EQ(node->vendorId, 0x36B0);
  EXPECT_EQ(node->productId, 0x3001);
  EXPECT_EQ(node->interfaceNumber, 1);
  EXPECT_EQ(node->reportDescriptor, kCommandDescriptor);
}

TEST_F(FakeSystem, InterfaceNumberFallsBackToThePhysicalPath) {
  const auto node = ReadHidrawNodeFromSysfs(Sys(), "hidraw5");
  ASSERT_TRUE(node.has_value());
  EXPECT_EQ(node->interfaceNumber, 0);
  EXPECT_EQ(node->vendorId, 0x1919);
}

TEST_F(FakeSystem, MissingNodeOrUnsafeNameGivesNothing) {
  EXPECT_FALSE(ReadHidrawNodeFromSysfs(Sys(), "hidraw9").has_value());
  EXPECT_FALSE(ReadHidrawNodeFromSysfs(Sys(), "../hidraw3").has_value());
  EXPECT_FALSE(ReadHidrawNodeFromSysfs(Sys(), "hidraw").has_value());
}

TEST_F(FakeSystem, CapabilityCheckByInterfacePath) {
  HidapiBackend backend({Sys(), Dev()});
  const auto capabilities = backend.QueryCapabilities("HID#VID_36B0&PID_3001&MI_01#HIDRAW3");
  ASSERT_TRUE(capabilities.has_value());
  EXPECT_EQ(capabilities->vendorId, 0x36B0);
  EXPECT_EQ(capabilities->productId, 0x3001);
  EXPECT_EQ(capabilities->usagePage, 0xFF60);
  EXPECT_EQ(capabilities->usage, 0x61);
}

TEST_F(FakeSystem, CapabilityCheckByDevicePath) {
  HidapiBackend backend({Sys(), Dev()});
  const auto capabilities = backend.QueryCapabilities((Dev() / "hidraw5").string());
  ASSERT_TRUE(capabilities.has_value());
  EXPECT_EQ(capabilities->productId, 0x1919);
}

TEST_F(FakeSystem, CapabilityCheckRefusesWhatItCannotConfirm) {
  HidapiBackend backend({Sys(), Dev()});
  // the node now belongs to other ids: the path is stale
  EXPECT_FALSE(backend.QueryCapabilities("HID#VID_36B0&PID_3002&MI_01#HIDRAW3").has_value());
  // the node cannot be opened
  fs::remove(Dev() / "hidraw3");
  EXPECT_FALSE(backend.QueryCapabilities("HID#VID_36B0&PID_3001&MI_01#HIDRAW3").has_value());
  // not a hidraw node at all
  EXPECT_FALSE(backend.QueryCapabilities("HID#VID_36B0&PID_3001&MI_01#7&1A2B&0&0000").has_value());
  EXPECT_FALSE(backend.QueryCapabilities("").has_value());
}

TEST(HidrawNodeName, FromDeviceAndInterfacePaths) {
  EXPECT_EQ(HidrawNodeName("/dev/hidraw3"), "hidraw3");
  EXPECT_EQ(HidrawNodeName("HID#VID_36B0&PID_3001&MI_01#HIDRAW12"), "hidraw12");
  EXPECT_EQ(HidrawNodeName("hidraw0"), "hidraw0");
  EXPECT_FALSE(HidrawNodeName("/dev/hidraw").has_value());
  EXPECT_FALSE(HidrawNodeName("/dev/hidraw3x").has_value());
  EXPECT_FALSE(HidrawNodeName("/dev/input/event3").has_value());
}

TEST(HidapiBackend, OpeningWhatIsNotThereGivesNoHandle) {
  HidapiBackend backend;
  EXPECT_EQ(backend.Open(""), nullptr);
  EXPECT_EQ(backend.Open("/nonexistent/hidraw77"), nullptr);
  EXPECT_FALSE(backend.ReportsHotPlug());
}

}  // namespace
}  // namespace platform
