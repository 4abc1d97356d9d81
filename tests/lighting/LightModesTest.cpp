// The light modes' data: the rows a profile starts with, the number fields' reading, the
// brightness ratio and the pictures of the mode list.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "lighting/LightModes.h"
#include "ui/pages/ColorFields.h"

namespace lighting {
namespace {

TEST(LightModesTest, SeedRowsCoverEveryZoneWithTheirOffers) {
  const std::vector<storage::LightSettingRecord> rows = SeedRows(7, {});
  ASSERT_EQ(rows.size(), 41u);
  std::map<std::pair<int, int>, const storage::LightSettingRecord*> byZoneAndMode;
  for (const auto& row : rows) {
    EXPECT_EQ(row.profile, 7);
    EXPECT_EQ(row.brightness, 200);
    EXPECT_EQ(row.speed, 3);
    EXPECT_EQ(row.colorful, 1);
    EXPECT_EQ(row.color_value, 255);
    EXPECT_EQ(row.status, 0) << "activation is separate";
    EXPECT_TRUE(byZoneAndMode.emplace(std::pair{row.type, row.mode}, &row).second)
        << "twice: " << row.type << "/" << row.mode;
  }
  const struct {
    int zone, mode;
    const char* name;
    int offers;
  } expected[] = {
      {0, 0, "120", 0x00},    {0, 1, "121", 0x33},  {0, 2, "122", 0x03},  {0, 4, "124", 0x31},
      {0, 6, "126", 0x03},    {0, 12, "132", 0x03}, {0, 20, "140", 0x33}, {0, 128, "141", 0x111},
      {0, 132, "141", 0x111}, {1, 0, "150", 0x33},  {1, 2, "152", 0x03},  {1, 4, "154", 0x31},
      {2, 3, "163", 0x33},    {2, 4, "164", 0x31},  {10, 4, "164", 0x31},
  };
  for (const auto& e : expected) {
    const auto found = byZoneAndMode.find({e.zone, e.mode});
    ASSERT_NE(found, byZoneAndMode.end()) << e.zone << "/" << e.mode;
    EXPECT_EQ(found->second->name, e.name);
    EXPECT_EQ(found->second->config_func, e.offers) << e.zone << "/" << e.mode;
  }
  EXPECT_EQ(byZoneAndMode.count({0, 21}), 0u);
  EXPECT_EQ(byZoneAndMode.count({0, 133}), 0u);
  // Only zone 2 of a model without the single colour on its static mode changes.
  const std::vector<storage::LightSettingRecord> plain = SeedRows(7, {.topStaticPickerOnly = true});
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool topStatic = rows[i].type == 2 && rows[i].mode == 4;
    EXPECT_EQ(plain[i].config_func, topStatic ? 0x11 : rows[i].config_func) << i;
  }
}

TEST(LightModesTest, ColourFieldsReadLeadingDigitsAndClamp) {
  const std::pair<const char*, int> cases[] = {
      {"300", 255}, {"-5", 0},    {"abc", 0},           {"", 0},   {"  42", 42},
      {"12ab", 12}, {"255", 255}, {"99999999999", 255}, {"+7", 7}, {"0x10", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(pages::ParseColorChannel(text), value) << text;
}

TEST(LightModesTest, BrightnessRatioNeverDividesByZero) {
  EXPECT_DOUBLE_EQ(BrightnessRatio(2, 4), 0.5);
  EXPECT_DOUBLE_EQ(BrightnessRatio(9, 4), 1.0);
  EXPECT_DOUBLE_EQ(BrightnessRatio(-3, 4), 0.0);
  EXPECT_DOUBLE_EQ(BrightnessRatio(3, 0), 1.0) << "nothing reported yet";
  EXPECT_DOUBLE_EQ(BrightnessRatio(0, -1), 1.0);
}

TEST(LightModesTest, ModePicturesAreNamedAfterZoneAndMode) {
  EXPECT_EQ(ModeIconPath(0, 7), "icon\\light_icon_7.png");
  EXPECT_EQ(ModeIconPath(0, 128), "icon\\light_icon_128.png");
  // The side and top lights have pictures of their own: their mode 0 is a flow, not "off".
  EXPECT_EQ(ModeIconPath(1, 0), "icon\\light_zone_icon_0.png");
  EXPECT_EQ(ModeIconPath(2, 4), "icon\\light_zone_icon_4.png");
  std::set<std::string> paths;
  for (int mode = 0; mode <= 20; ++mode) paths.insert(ModeIconPath(0, mode));
  EXPECT_EQ(paths.size(), 21u);
}

}  // namespace
}  // namespace lighting
