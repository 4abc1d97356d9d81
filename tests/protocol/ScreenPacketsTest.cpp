#include <gtest/gtest.h>

#include <vector>

#include "protocol/ScreenPackets.h"

namespace {

using protocol::ImageChunk;

TEST(ProtocolScreenPackets, HeaderAddressAndData) {
  const std::vector<std::uint8_t> data(60, 0x11);
  const protocol::ScreenPacket packet = protocol::MakeScreenPacket(0x19, 0x12345678, 56, data);
  const std::vector<std::uint8_t> head(packet.begin(), packet.begin() + 10);
  EXPECT_EQ(head, (std::vector<std::uint8_t>{0, 0xAA, 0x19, 0x78, 0x56, 0x34, 56, 0, 0, 0x11}));
  EXPECT_EQ(packet[64], 0x11);
  const protocol::ScreenPacket start = protocol::MakeWriteStartPacket();
  EXPECT_EQ(start[2], 0xE3);
  EXPECT_EQ(start[5], 1);
  EXPECT_EQ(start[9], 3);
}

TEST(ProtocolScreenPackets, ImagesStartOnTheirOwnBlocks) {
  const std::vector<std::size_t> sizes = {70000, 1, 65536, 10};
  EXPECT_EQ(protocol::ImageStartBlocks(sizes), (std::vector<std::size_t>{0, 2, 3, 4}));
  const std::vector<std::size_t> two = {1, 1};
  const protocol::MediaTable table = protocol::BuildMediaTable(two);
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1], 2);
  EXPECT_EQ(table[2], 2);  // ceil(2 / 65536) + 1
  EXPECT_EQ(std::vector<std::uint8_t>(table.begin() + 3, table.begin() + 13),
            (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 1, 0, 1, 0, 0}));
}

TEST(ProtocolScreenPackets, MediaTableHoldsSizesAndAtMostTenImages) {
  const std::vector<std::size_t> sizes = {0x123456, 5};
  const protocol::MediaTable table = protocol::BuildMediaTable(sizes);
  EXPECT_EQ(table[2], 0x12 + 1 + 1);  // 19 blocks for 0x12345B bytes, plus one
  EXPECT_EQ(table[5], 0x56);
  EXPECT_EQ(table[6], 0x34);
  EXPECT_EQ(table[7], 0x12);
  EXPECT_EQ(table[8], 0x13);  // second image after the first's 19 blocks
  const std::vector<std::size_t> many(12, 1);
  const protocol::MediaTable full = protocol::BuildMediaTable(many);
  EXPECT_EQ(full[1], 10);
  EXPECT_EQ(full[3 + 5 * 9], 9);
  EXPECT_EQ(full[3 + 5 * 10], 0);

  const auto packets = protocol::MediaTablePackets(full);
  EXPECT_EQ(packets[0][3], 0x00);
  EXPECT_EQ(packets[0][6], 0x38);
  EXPECT_EQ(packets[0][9], full[0]);
  EXPECT_EQ(packets[1][3], 0x38);
  EXPECT_EQ(packets[1][9], full[56]);
  EXPECT_EQ(packets[2][3], 0x70);
  EXPECT_EQ(packets[2][6], 0x10);
  EXPECT_EQ(packets[2][9 + 15], full[127]);
  EXPECT_EQ(packets[2][9 + 16], 0);
}

TEST(ProtocolScreenPackets, EraseNamesBlocksInUsePlusTwo) {
  EXPECT_EQ(protocol::EraseBlockCount(70000), 4u);
  EXPECT_EQ(protocol::EraseBlockCount(0), 2u);
  const protocol::ScreenPacket erase = protocol::MakeErasePacket(70000);
  EXPECT_EQ(erase[2], 0x18);
  EXPECT_EQ(erase[6], 1);
  EXPECT_EQ(erase[9], 4);
}

TEST(ProtocolScreenPackets, ImagesAreWrittenIn56ByteChunks) {
  EXPECT_EQ(protocol::ImageChunks(112), (std::vector<ImageChunk>{{0, 56}, {56, 56}}));
  EXPECT_EQ(protocol::ImageChunks(113), (std::vector<ImageChunk>{{0, 56}, {56, 56}, {112, 1}}));
  EXPECT_TRUE(protocol::ImageChunks(0).empty());
  const std::vector<std::uint8_t> chunk = {1, 2, 3};
  const protocol::ScreenPacket packet = protocol::MakeWriteDataPacket(0x020038, chunk);
  EXPECT_EQ(packet[3], 0x38);
  EXPECT_EQ(packet[5], 0x02);
  EXPECT_EQ(packet[6], 3);
  EXPECT_EQ(packet[11], 3);
}

TEST(ProtocolScreenPackets, ClockDigits) {
  const protocol::ClockTime tuesday{2024, 3, 5, 2, 9, 7, 45};
  const auto digits = protocol::ClockDigits(tuesday);
  EXPECT_EQ(std::vector<std::uint8_t>(digits.begin(), digits.end()),
            (std::vector<std::uint8_t>{2, 0, 2, 4, 0, 3, 2, 0, 5, 0, 9, 0, 7, 4, 5}));
  EXPECT_EQ(protocol::ClockDigits({2024, 3, 5, 9, 0, 0, 0})[6], 2);  // day of week modulo 7
  const protocol::ScreenPacket packet = protocol::MakeClockPacket(tuesday);
  EXPECT_EQ(packet[2], 0x17);
  EXPECT_EQ(packet[6], 0x38);
  EXPECT_EQ(packet[9], 2);
  EXPECT_EQ(packet[23], 5);
  EXPECT_EQ(packet[24], 0);
}

}  // namespace
