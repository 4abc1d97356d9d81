#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/KeyboardAccess.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string kCommandDescriptor = {'\x06', '\x60', '\xFF', '\x09', '\x61', '\xA1', '\x01',
                                        '\x09', '\x62', '\x15', '\x00', '\x26', '\xFF', '\x00',
                                        '\x95', '\x20', '\x75', '\x08', '\x81', '\x02', '\xC0'};
const std::string kBootKeyboardDescriptor = {
    '\x05', '\x01', '\x09', '\x06', '\xA1', '\x01', '\x05', '\x07', '\x19', '\xE0', '\x29', '\xE7',
    '\x15', '\x00', '\x25', '\x01', '\x75', '\x01', '\x95', '\x08', '\x81', '\x02', '\xC0'};

void WriteFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

class KeyboardAccessTest : public ::testing::Test {
 protected:
  // A hidraw node as sysfs shows it; `withDeviceNode` adds its /dev entry.
  void AddNode(const std::string& name, const std::string& hidId, const std::string& descriptor,
               bool withDeviceNode) {
    const fs::path device = roots.sysRoot / "class/hidraw" / name / "device";
    WriteFile(device / "uevent", "HID_ID=" + hidId + "\n");
    WriteFile(device / "report_descriptor", descriptor);
    if (withDeviceNode) WriteFile(roots.devRoot / name, "");
  }

  TempFolder folder;
  platform::KeyboardAccessRoots roots{
      folder / "sys", folder / "dev", {folder / "etc", folder / "lib"}};
};

TEST_F(KeyboardAccessTest, FindsTheCommandNodesOfOurKeyboardsAndWhetherTheyOpen) {
  AddNode("hidraw1", "0003:000036B0:00003001", kCommandDescriptor, true);
  AddNode("hidraw2", "0003:000036B0:00003001", kBootKeyboardDescriptor, true);
  AddNode("hidraw3", "0003:000036B0:00003011", kCommandDescriptor, false);
  AddNode("hidraw4", "0003:0000046D:0000C52B", kCommandDescriptor, true);
  const auto ours = [](std::uint16_t vendor, std::uint16_t) { return vendor == 0x36B0; };

  std::vector<platform::KeyboardNode> nodes = platform::FindKeyboardNodes(roots, 0xFF60, ours);
  std::sort(nodes.begin(), nodes.end(),
            [](const auto& a, const auto& b) { return a.nodeName < b.nodeName; });
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_EQ(nodes[0].nodeName, "hidraw1");
  EXPECT_TRUE(nodes[0].openable);
  EXPECT_EQ(nodes[1].nodeName, "hidraw3");
  EXPECT_EQ(nodes[1].productId, 0x3011);
  EXPECT_FALSE(nodes[1].openable);

  EXPECT_TRUE(
      platform::FindKeyboardNodes({folder / "none", folder / "dev", {}}, 0xFF60, ours).empty());
}

TEST_F(KeyboardAccessTest, AnInstalledRuleIsFoundInAnyRuleFolder) {
  EXPECT_FALSE(platform::IsUdevRuleInstalled(roots, "70-tarvo.rules"));
  WriteFile(folder / "lib/70-tarvo.rules", "");
  EXPECT_TRUE(platform::IsUdevRuleInstalled(roots, "70-tarvo.rules"));
}

}  // namespace
