#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/DeviceCatalogue.h"
#include "support/TempFolder.h"

namespace {

class DeviceCatalogueTest : public ::testing::Test {
 protected:
  void Write(const std::string& body) {
    std::ofstream(folder / "config.xml") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" << body;
  }
  TempFolder folder;
};

TEST_F(DeviceCatalogueTest, ReadsModelsModesAndSoftware) {
  Write(R"(<config>
  <device.info>
    <keyboard name="K" device_type="101" device_info="k" img_connected="sub\k_on.png" img_disconnected="k_off.png">
      <mode value="0" desc="cable" vid="36b0" pid="3001" product_name="" hid_interface="VID_36B0&amp;PID_3001"/>
      <mode value="1" vid="36B0" pid="0x3011"/>
      <mode value="2" vid="zz" pid="12g4" product_name="Pad"/>
    </keyboard>
    <keyboard name="Bare" device_type="abc"/>
  </device.info>
  <language.info default_lan="1033"/>
  <software name="Tarvo" version="1.0.2.0"><website url="https://w.example/"/><upgrade url="u/"/></software>
</config>)");
  const DeviceCatalogue catalogue = ReadDeviceCatalogue(folder.Path());
  ASSERT_TRUE(catalogue.loaded);
  ASSERT_EQ(catalogue.models.size(), 2u);
  EXPECT_EQ(catalogue.models[0].name, "K");
  EXPECT_EQ(catalogue.models[0].connectedPicture, (folder / "device/sub/k_on.png").string());
  EXPECT_EQ(catalogue.models[1].modelId, 0);  // non-numeric id
  ASSERT_EQ(catalogue.modes.size(), 3u);      // a model without modes adds none
  const struct {
    int mode, vendor, product;
    const char* pattern;
  } expected[] = {{0, 0x36B0, 0x3001, "VID_36B0&PID_3001"}, {1, 0x36B0, 0, ""}, {2, 0, 0x12, ""}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(catalogue.modes[i].modelId, 101);
    EXPECT_EQ(catalogue.modes[i].layoutName, "k");
    EXPECT_EQ(catalogue.modes[i].mode, expected[i].mode);
    EXPECT_EQ(catalogue.modes[i].vendorId, expected[i].vendor) << i;
    EXPECT_EQ(catalogue.modes[i].productId, expected[i].product) << i;  // "0x3011" stops at the x
    EXPECT_EQ(catalogue.modes[i].interfacePattern, expected[i].pattern);
  }
  EXPECT_EQ(catalogue.modes[2].productName, "Pad");
  EXPECT_EQ(catalogue.defaultLanguage, "1033");
  EXPECT_EQ(catalogue.software.version, "1.0.2.0");
  EXPECT_EQ(catalogue.software.website, "https://w.example/");
  EXPECT_EQ(catalogue.software.feedback, "");
  EXPECT_EQ(catalogue.software.upgrade, "u/");
  EXPECT_EQ(catalogue.FindModel(101), &catalogue.models[0]);
  EXPECT_EQ(catalogue.FindModel(55), nullptr);
}

TEST_F(DeviceCatalogueTest, MissingBrokenOrRootlessFilesGiveAnEmptyCatalogue) {
  EXPECT_FALSE(ReadDeviceCatalogue(folder.Path()).loaded);
  Write("<config><device.info>");
  EXPECT_FALSE(ReadDeviceCatalogue(folder.Path()).loaded);
  Write("<settings><device.info/></settings>");
  EXPECT_FALSE(ReadDeviceCatalogue(folder.Path()).loaded);
  Write("<config/>");
  const DeviceCatalogue empty = ReadDeviceCatalogue(folder.Path());
  EXPECT_TRUE(empty.loaded);
  EXPECT_TRUE(empty.models.empty());
  EXPECT_FALSE(empty.hasSoftware);
}

TEST(DevicePicturePath, AValueStartingWithASeparatorStaysInTheDeviceFolder) {
  const struct {
    const char* value;
    const char* picture;
  } cases[] = {{"/etc/shadow", "/opt/tarvo/device/etc/shadow"},
               {"\\\\server\\x.png", "/opt/tarvo/device/server/x.png"},
               {"sub\\k.png", "/opt/tarvo/device/sub/k.png"}};
  for (const auto& c : cases) {
    EXPECT_EQ(std::filesystem::path(DevicePicturePath("/opt/tarvo", c.value)).lexically_normal(),
              c.picture)
        << c.value;
  }
}

TEST(ShippedCatalogue, ListsTheFourModelsWithTheirModes) {
  const DeviceCatalogue catalogue =
      ReadDeviceCatalogue(std::filesystem::path(TARVO_SOURCE_DIR) / "data");
  ASSERT_EQ(catalogue.models.size(), 4u);
  std::vector<std::tuple<int, int, int>> modes;
  for (const auto& mode : catalogue.modes)
    modes.emplace_back(mode.modelId, mode.mode, mode.productId);
  EXPECT_EQ(modes, (std::vector<std::tuple<int, int, int>>{{101, 0, 0x3001},
                                                           {101, 1, 0x3011},
                                                           {102, 0, 0x3002},
                                                           {102, 1, 0x3012},
                                                           {103, 0, 0x3003},
                                                           {160, 0, 0x3060}}));
  EXPECT_EQ(catalogue.software.version, "1.0.2.0");
}

}  // namespace
