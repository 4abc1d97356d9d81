#include <gtest/gtest.h>

#include <vector>

#include "protocol/Battery.h"
#include "protocol/DeviceInfo.h"

namespace {

using protocol::DeviceInfo;
using protocol::LightLimits;

std::vector<std::uint8_t> Block(std::initializer_list<std::pair<int, int>> bytes) {
  std::vector<std::uint8_t> block(56, 0);
  for (const auto& [at, value] : bytes) block[at] = static_cast<std::uint8_t>(value);
  return block;
}

TEST(ProtocolDeviceInfo, Revision2ReadsZonesMatrixAndKnob) {
  const auto info = protocol::ParseDeviceInfo(Block({{6, 0x05},
                                                     {7, 0x01},
                                                     {8, 2},
                                                     {13, 16},
                                                     {16, 5},
                                                     {17, 4},
                                                     {19, 1},
                                                     {21, 99},
                                                     {22, 6},
                                                     {23, 3},
                                                     {25, 1},
                                                     {27, 99},
                                                     {28, 7},
                                                     {29, 2},
                                                     {31, 1},
                                                     {35, 9},
                                                     {36, 8},
                                                     {37, 1}}));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->firmwareVersion, 0x105);
  EXPECT_EQ(info->protocolRevision, 2);
  EXPECT_EQ(info->macroMemoryUnits, 16);
  EXPECT_EQ(info->MacroMemoryBytes(), 4096);
  EXPECT_EQ(info->zone0, (LightLimits{true, 5, 4}));
  EXPECT_EQ(info->zone2, (LightLimits{true, 6, 3}));
  EXPECT_EQ(info->zone1, (LightLimits{true, 7, 2}));
  EXPECT_EQ(info->matrix, (LightLimits{true, 9, 8}));
  EXPECT_TRUE(info->knobPresent);
}

TEST(ProtocolDeviceInfo, EarlyRevisionsReadZonesOneByteSoonerAndHaveNoMatrixOrKnob) {
  const auto info = protocol::ParseDeviceInfo(Block({{6, 0x1A},
                                                     {8, 1},
                                                     {13, 4},
                                                     {16, 5},
                                                     {17, 4},
                                                     {19, 1},
                                                     {21, 6},
                                                     {22, 3},
                                                     {23, 99},
                                                     {25, 1},
                                                     {27, 7},
                                                     {28, 2},
                                                     {29, 99},
                                                     {31, 1},
                                                     {35, 9},
                                                     {36, 8},
                                                     {37, 1}}));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->firmwareVersion, 0x1A);
  EXPECT_EQ(info->protocolRevision, 1);
  EXPECT_EQ(info->MacroMemoryBytes(), 1024);
  EXPECT_EQ(info->zone2, (LightLimits{true, 6, 3}));
  EXPECT_EQ(info->zone1, (LightLimits{true, 7, 2}));
  EXPECT_EQ(info->matrix, LightLimits{});
  EXPECT_FALSE(info->knobPresent);
}

TEST(ProtocolDeviceInfo, AbsentZonesAndShortBlocks) {
  const auto info = protocol::ParseDeviceInfo(Block({{8, 2}, {19, 0}, {25, 2}, {31, 0}}));
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->zone1.present);  // only 1 means present
  EXPECT_FALSE(info->zone2.present);
  EXPECT_FALSE(info->matrix.present);
  EXPECT_FALSE(info->knobPresent);
  EXPECT_FALSE(protocol::ParseDeviceInfo(std::vector<std::uint8_t>(55, 0xFF)));
  EXPECT_FALSE(protocol::ParseDeviceInfo({}));
}

TEST(ProtocolDeviceInfo, BuiltBlocksReadBackTheSame) {
  DeviceInfo full;
  full.firmwareVersion = 0x0114;
  full.protocolRevision = 2;
  full.macroMemoryUnits = 16;
  full.zone0 = {true, 5, 4};
  full.zone1 = {true, 4, 3};
  full.zone2 = {true, 3, 2};
  full.matrix = {true, 5, 5};
  full.knobPresent = true;
  DeviceInfo early = full;
  early.protocolRevision = 1;
  early.matrix = {};
  early.knobPresent = false;
  DeviceInfo plain;
  plain.protocolRevision = 0;
  plain.zone0 = {true, 5, 4};
  for (const DeviceInfo& info : {full, early, plain}) {
    const auto block = protocol::BuildDeviceInfoBlock(info);
    EXPECT_EQ(protocol::ParseDeviceInfo(block), info) << info.protocolRevision;
  }
}

TEST(ProtocolFirmwareLabel, ShowsFirstCharacterAndLastTwo) {
  const struct {
    std::uint16_t version;
    const char* text;
    const char* label;
  } cases[] = {
      {0x105, "105", "Firmware: v1.05"},   {0x1A, "1a", "Firmware: v1.1a"},
      {0x5, "5", "Firmware: v0.05"},       {0x0, "0", "Firmware: v0.00"},
      {0x115, "115", "Firmware: v1.15"},   {0x1234, "1234", "Firmware: v1.34"},
      {0xABCD, "abcd", "Firmware: va.cd"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(protocol::FirmwareVersionText(c.version), c.text);
    EXPECT_EQ(protocol::FirmwareVersionLabel("Firmware", c.version), c.label);
  }
  EXPECT_EQ(protocol::PlaceholderFirmwareLabel("Firmware"), "Firmware: v1.00");
}

TEST(ProtocolBattery, LevelAndChargingComeAsSent) {
  const std::vector<std::uint8_t> data = {87, 1, 0, 0};
  EXPECT_EQ(protocol::ParseBatteryReport(data), (protocol::BatteryReport{87, 1}));
  const auto none = protocol::ParseBatteryReport(std::vector<std::uint8_t>{0, 1});
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->HasLevel());
  EXPECT_FALSE(protocol::ParseBatteryReport(std::vector<std::uint8_t>{50}));
}

}  // namespace
