#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "protocol/Colors.h"
#include "protocol/LightRegions.h"

namespace {

using protocol::LightRegionValues;
using protocol::SettingsBlock;

std::vector<std::uint8_t> Bytes(const SettingsBlock& block, std::size_t from, std::size_t to) {
  return {block.begin() + from, block.begin() + to + 1};
}

SettingsBlock Patterned() {
  SettingsBlock block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0x80 + i);
  return block;
}

TEST(ProtocolLightRegions, EachZoneFillsItsOwnRegion) {
  const LightRegionValues values{3, 4, 1, 0, 2, 0x0000FF};
  const struct {
    int zone;
    int revision;
    std::size_t first;
  } cases[] = {{0, 1, 1}, {2, 1, 11}, {1, 2, 20}, {16, 2, 29}};
  for (const auto& c : cases) {
    const SettingsBlock before = Patterned();
    SettingsBlock block = before;
    ASSERT_TRUE(protocol::PatchLightRegion(block, c.zone, c.revision, values, 4)) << c.zone;
    EXPECT_EQ(Bytes(block, c.first, c.first + 8),
              (std::vector<std::uint8_t>{0x00, 0x03, 0x04, 0x03, 0x00, 0x02, 0xFF, 0x00, 0x00}))
        << c.zone;
    for (std::size_t i = 0; i < block.size(); ++i) {
      if (i < c.first || i > c.first + 8) {
        EXPECT_EQ(block[i], before[i]) << c.zone << " " << i;
      }
    }
    EXPECT_EQ(protocol::ReadLightRegion(block, c.zone, c.revision, 4), values) << c.zone;
  }
}

TEST(ProtocolLightRegions, ZonesTheBlockDoesNotHoldChangeNothing) {
  const SettingsBlock before = Patterned();
  SettingsBlock block = before;
  EXPECT_FALSE(protocol::PatchLightRegion(block, 16, 1, {}, 4));  // matrix needs revision 2
  EXPECT_FALSE(protocol::PatchLightRegion(block, 3, 2, {}, 4));
  EXPECT_FALSE(protocol::PatchLightRegion(block, -1, 2, {}, 4));
  EXPECT_EQ(block, before);
  EXPECT_FALSE(protocol::ReadLightRegion(block, 16, 1, 4));
}

TEST(ProtocolLightRegions, CustomSlotsShowInZoneZero) {
  SettingsBlock block = Patterned();
  ASSERT_TRUE(protocol::PatchCustomSlot(block, 130, {130, 5, 2, 1, 0, 0x00FF00}, 4));
  EXPECT_EQ(Bytes(block, 1, 10),
            (std::vector<std::uint8_t>{0x00, 0xFD, 5, 2, 1, 0, 0, 0xFF, 0, 2}));
  EXPECT_EQ(block[11], 0x80 + 11);
  EXPECT_FALSE(protocol::PatchCustomSlot(block, 133, {}, 4));
  EXPECT_FALSE(protocol::PatchCustomSlot(block, 127, {}, 4));

  SettingsBlock fromMode = Patterned();
  ASSERT_TRUE(protocol::PatchLightRegion(fromMode, 0, 2, {132, 5, 0, 0, 0, 0}, 4));
  EXPECT_EQ(fromMode[2], 0xFD);
  EXPECT_EQ(fromMode[10], 4);
  EXPECT_EQ(protocol::ReadLightRegion(fromMode, 0, 2, 4)->mode, 132);
  // Modes from 128 on in other zones are written as they are.
  SettingsBlock zone1 = Patterned();
  ASSERT_TRUE(protocol::PatchLightRegion(zone1, 1, 2, {129, 0, 0, 0, 0, 0}, 4));
  EXPECT_EQ(zone1[21], 129);
  EXPECT_EQ(zone1[10], 0x80 + 10);
}

TEST(ProtocolLightRegions, ValuesAreClampedToTheirByte) {
  SettingsBlock block{};
  ASSERT_TRUE(protocol::PatchLightRegion(block, 0, 2, {7, 300, 9, -2, 256, 0x123456}, 4));
  EXPECT_EQ(Bytes(block, 2, 9), (std::vector<std::uint8_t>{7, 255, 0, 0, 255, 0x56, 0x34, 0x12}));
  // A stored speed far below zero is the slowest, not a wrapped-around number.
  ASSERT_TRUE(protocol::PatchLightRegion(block, 0, 2, {1, 1, INT_MIN, 0, 0, 0}, 4));
  EXPECT_EQ(block[4], 255);
  ASSERT_TRUE(protocol::PatchLightRegion(block, 0, 2, {1, 1, INT_MAX, 0, 0, 0}, 4));
  EXPECT_EQ(block[4], 0);
}

TEST(ProtocolLightRegions, ActiveModesTreatHighZoneZeroModesAsCustom) {
  const struct {
    int byte2, byte12, byte21;
    protocol::ActiveLightModes modes;
  } cases[] = {
      {31, 4, 5, {128, 5, 4}},
      {29, 0, 0, {29, 0, 0}},
      {30, 0, 0, {128, 0, 0}},
      {0xFD, 1, 2, {128, 2, 1}},
  };
  for (const auto& c : cases) {
    SettingsBlock block{};
    block[2] = static_cast<std::uint8_t>(c.byte2);
    block[12] = static_cast<std::uint8_t>(c.byte12);
    block[21] = static_cast<std::uint8_t>(c.byte21);
    EXPECT_EQ(protocol::ReadActiveLightModes(block), c.modes) << c.byte2;
  }
}

TEST(ProtocolColors, Rgb565PacksRedHighAndBlueLow) {
  const struct {
    std::uint32_t color;
    std::uint16_t value;
  } cases[] = {
      {0x0000FF, 0xF800}, {0x00FF00, 0x07E0}, {0xFF0000, 0x001F}, {0xFFFFFF, 0xFFFF},
      {0x000000, 0x0000}, {0x040201, 0x0000}, {0x080408, 0x0821},
  };
  for (const auto& c : cases) EXPECT_EQ(protocol::ToRgb565(c.color), c.value) << c.color;
}

TEST(ProtocolColors, ColorTablesKeepRedGreenBluePerLight) {
  protocol::ColorTable table{};
  ASSERT_TRUE(protocol::StoreTableColor(table, 1, 0x332211));
  EXPECT_EQ(table[3], 0x11);
  EXPECT_EQ(table[4], 0x22);
  EXPECT_EQ(table[5], 0x33);
  ASSERT_TRUE(protocol::StoreTableColor(table, 127, 0x0000FF));
  EXPECT_EQ(table[381], 0xFF);
  EXPECT_EQ(protocol::TableColor(table, 1), 0x332211u);
  EXPECT_FALSE(protocol::StoreTableColor(table, 128, 1));
  EXPECT_FALSE(protocol::StoreTableColor(table, -1, 1));
  EXPECT_FALSE(protocol::TableColor(table, 128));
  EXPECT_FALSE(protocol::TableColor(table, -1));
}

TEST(ProtocolColors, LivePreviewBrightensAndCaps) {
  EXPECT_EQ(protocol::LivePreviewColor({200, 200, 200}), protocol::ColorOf({255, 255, 240}));
  EXPECT_EQ(protocol::LivePreviewColor({100, 100, 100}), protocol::ColorOf({150, 130, 120}));
  EXPECT_EQ(protocol::LivePreviewColor({1, 1, 1}), protocol::ColorOf({1, 1, 1}));
  EXPECT_EQ(protocol::LivePreviewColor({0, 0, 0}), 0u);
}

TEST(ProtocolColors, MatrixPictureAndStream) {
  protocol::MatrixColors cells{};
  cells[0] = 0x0000FF;
  cells[48] = 0xFF0000;
  cells[10] = 0x00FF00;
  const protocol::MatrixPicture picture = protocol::BuildMatrixPicture(cells);
  EXPECT_EQ(picture[0], 0xFF);
  EXPECT_EQ(picture[31], 0xFF);  // green of cell 10
  EXPECT_EQ(picture[146], 0xFF);
  EXPECT_EQ(protocol::ParseMatrixPicture(picture), cells);
  const std::vector<std::uint8_t> cut(picture.begin(), picture.begin() + 30);
  const protocol::MatrixColors partial = protocol::ParseMatrixPicture(cut);
  EXPECT_EQ(partial[0], 0x0000FFu);
  EXPECT_EQ(partial[10], 0u);

  const protocol::MatrixStream stream = protocol::BuildMatrixStream(cells);
  EXPECT_EQ(stream[0], 0x00);
  EXPECT_EQ(stream[1], 0xF8);
  EXPECT_EQ(stream[20], 0xE0);
  EXPECT_EQ(stream[21], 0x07);
  EXPECT_EQ(stream[96], 0x1F);
  EXPECT_EQ(stream[97], 0x00);
}

TEST(ProtocolColors, ScreenSyncStreamPutsEachLightAtItsIndex) {
  const std::vector<protocol::LitKey> keys = {
      {0, 0x0000FF}, {3, 0x00FF00}, {5, 0xFF0000}, {-1, 0xFFFFFF}, {400, 0xFFFFFF}};
  const auto stream = protocol::BuildScreenSyncStream(keys, 5);
  EXPECT_EQ(stream, (std::vector<std::uint8_t>{0x00, 0xF8, 0, 0, 0, 0, 0xE0, 0x07, 0, 0}));
  EXPECT_EQ(protocol::BuildScreenSyncStream(keys, 1000).size(), 800u);
  EXPECT_TRUE(protocol::BuildScreenSyncStream(keys, 0).empty());
}

}  // namespace
