#include <gtest/gtest.h>

#include <vector>

#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace {

using protocol::Chunk;

TEST(ProtocolCommands, LayerAndSlotCommandsFollowTheirTables) {
  const struct {
    int layer;
    int factory, read, write;
  } layers[] = {
      {0, 0x16, 0x1A, 0x1B}, {1, 0x17, 0x1C, 0x1D}, {2, 0x18, 0x1E, 0x1F}, {3, 0x19, 0x20, 0x21}};
  for (const auto& c : layers) {
    EXPECT_EQ(protocol::FactoryLayerReadCommand(c.layer), c.factory) << c.layer;
    EXPECT_EQ(protocol::LayerReadCommand(c.layer), c.read) << c.layer;
    EXPECT_EQ(protocol::LayerWriteCommand(c.layer), c.write) << c.layer;
  }
  for (int bad : {-1, 4, 255}) {
    EXPECT_FALSE(protocol::FactoryLayerReadCommand(bad));
    EXPECT_FALSE(protocol::LayerReadCommand(bad));
    EXPECT_FALSE(protocol::LayerWriteCommand(bad));
  }
  const struct {
    int slot, read, write;
  } slots[] = {{128, 0x22, 0x23},
               {129, 0x24, 0x25},
               {130, 0x26, 0x27},
               {131, 0x28, 0x29},
               {132, 0x2A, 0x2B}};
  for (const auto& c : slots) {
    EXPECT_EQ(protocol::SlotReadCommand(c.slot), c.read) << c.slot;
    EXPECT_EQ(protocol::SlotWriteCommand(c.slot), c.write) << c.slot;
  }
  for (int bad : {127, 133, 0}) {
    EXPECT_FALSE(protocol::SlotReadCommand(bad));
    EXPECT_FALSE(protocol::SlotWriteCommand(bad));
  }
  EXPECT_EQ(protocol::LiveColorReadCommand(0), 0x36);
  EXPECT_EQ(protocol::LiveColorReadCommand(1), 0x36);
  EXPECT_EQ(protocol::LiveColorReadCommand(2), 0x34);
  EXPECT_EQ(protocol::LiveColorReadCommand(7), 0x34);
}

TEST(ProtocolFrame, HeaderAndDataSitWhereTheKeyboardReadsThem) {
  const std::vector<std::uint8_t> data = {1, 2, 3};
  const protocol::Frame frame = protocol::MakeFrame(0x1B, 0x0123, 3, data);
  const std::vector<std::uint8_t> head(frame.begin(), frame.begin() + 11);
  EXPECT_EQ(head, (std::vector<std::uint8_t>{0xAA, 0x1B, 0x23, 0x01, 3, 0, 0, 0, 1, 2, 3}));
  const protocol::Report report = protocol::ToReport(frame);
  EXPECT_EQ(report[0], 0);
  EXPECT_EQ(report[1], 0xAA);
  EXPECT_EQ(report[9], 1);
  EXPECT_EQ(report[64], frame[63]);
}

TEST(ProtocolFrame, DataBeyondTheFrameIsCutAndTheLengthClamped) {
  const std::vector<std::uint8_t> data(80, 0x5A);
  protocol::Frame frame = protocol::MakeFrame(0x31, 0, 200, data);
  EXPECT_EQ(frame[63], 0x5A);
  protocol::ClampFrameLength(frame, 56);
  EXPECT_EQ(frame[4], 56);
  protocol::ClampFrameLength(frame, 24);
  EXPECT_EQ(frame[4], 24);
  protocol::Frame small = protocol::MakeFrame(0x10, 0, 8);
  protocol::ClampFrameLength(small, 24);
  EXPECT_EQ(small[4], 8);
}

TEST(ProtocolFrame, ChunkSizeFollowsTheReportLength) {
  EXPECT_EQ(protocol::ChunkSizeForReportLength(65), 56u);
  EXPECT_EQ(protocol::ChunkSizeForReportLength(64), 56u);
  EXPECT_EQ(protocol::ChunkSizeForReportLength(63), 24u);
  EXPECT_EQ(protocol::ChunkSizeForReportLength(33), 24u);
}

TEST(ProtocolFrame, BlockTransfersAreCutIntoChunks) {
  const struct {
    std::size_t total, chunk;
    std::vector<Chunk> chunks;
  } cases[] = {
      {64, 56, {{0, 56}, {56, 8}}},
      {64, 24, {{0, 24}, {24, 24}, {48, 16}}},
      {56, 56, {{0, 56}}},
      {0, 56, {}},
      {10, 0, {}},
      {0x10001, 56, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(protocol::BlockChunks(c.total, c.chunk), c.chunks) << c.total << "/" << c.chunk;
  }
  EXPECT_EQ(protocol::BlockChunks(384, 56).size(), 7u);
  EXPECT_EQ(protocol::BlockChunks(384, 24).size(), 16u);
}

TEST(ProtocolFrame, DownloadsEndWithTheRemainderFrame) {
  const struct {
    std::size_t total, chunk;
    std::vector<Chunk> chunks;
  } cases[] = {
      {112, 56, {{0, 56}, {56, 56}, {112, 0}}},
      {112, 24, {{0, 24}, {24, 24}, {48, 24}, {72, 24}, {96, 16}}},
      {0, 56, {{0, 0}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(protocol::DownloadChunks(c.total, c.chunk), c.chunks) << c.total << "/" << c.chunk;
  }
}

TEST(ProtocolFrame, RepliesAreReadOnlyWhereTheyHoldTheField) {
  std::vector<std::uint8_t> reply(64, 0);
  reply[0] = 0xAA, reply[1] = 0x14, reply[2] = 0x38, reply[3] = 0x00, reply[7] = 0x55;
  reply[8] = 9, reply[9] = 8;
  EXPECT_TRUE(protocol::IsAccepted(reply));
  EXPECT_FALSE(protocol::IsRefused(reply));
  EXPECT_TRUE(protocol::EchoMatches(reply, 0x14, 56));
  EXPECT_FALSE(protocol::EchoMatches(reply, 0x14, 0));
  EXPECT_FALSE(protocol::EchoMatches(reply, 0x15, 56));
  EXPECT_EQ(protocol::ReplyData(reply, 2)[1], 8);
  EXPECT_EQ(protocol::ReplyData(reply, 56).size(), 56u);
  EXPECT_TRUE(protocol::ReplyData(reply, 57).empty());
  reply[7] = 0x0F;
  EXPECT_TRUE(protocol::IsRefused(reply));
  reply[7] = 0x00;
  EXPECT_FALSE(protocol::IsAccepted(reply));
  EXPECT_FALSE(protocol::IsRefused(reply));
  const std::vector<std::uint8_t> shortReply = {0xAA, 0x14, 0x38};
  EXPECT_FALSE(protocol::ReplyStatus(shortReply));
  EXPECT_FALSE(protocol::EchoMatches(shortReply, 0x14, 56));
  EXPECT_TRUE(protocol::ReplyData(shortReply, 0).empty());
}

std::vector<std::uint8_t> LinkReport(std::uint8_t command, std::uint16_t vid, std::uint16_t pid,
                                     std::uint8_t state) {
  std::vector<std::uint8_t> report(64, 0);
  report[0] = 0xAA, report[1] = command;
  report[9] = vid & 0xFF, report[10] = vid >> 8, report[11] = pid & 0xFF, report[12] = pid >> 8;
  report[13] = state;
  return report;
}

TEST(ProtocolFrame, LinkNotificationsNameTheKeyboardAndItsState) {
  const auto online = protocol::ParseLinkNotification(LinkReport(0xD0, 0x36B0, 0x1234, 4));
  ASSERT_TRUE(online);
  EXPECT_EQ(*online, (protocol::LinkState{0x36B0, 0x1234, 4, true}));
  const auto offline = protocol::ParseLinkNotification(LinkReport(0xD0, 0x36B0, 0x1234, 3));
  ASSERT_TRUE(offline);
  EXPECT_FALSE(offline->online);
  EXPECT_FALSE(protocol::ParseLinkNotification(LinkReport(0x30, 0x36B0, 0x1234, 4)));
  std::vector<std::uint8_t> cut = LinkReport(0xD0, 0x36B0, 0x1234, 4);
  cut.resize(13);
  EXPECT_TRUE(protocol::IsLinkNotification(cut));
  EXPECT_FALSE(protocol::ParseLinkNotification(cut));
}

TEST(ProtocolFrame, IdentityRepliesCountOnlyForOurVendor) {
  const auto ours = protocol::ParseIdentityReply(LinkReport(0x10, 0x36B0, 0x4321, 0));
  ASSERT_TRUE(ours);
  EXPECT_EQ(*ours, (protocol::LinkState{0x36B0, 0x4321, 4, true}));
  EXPECT_FALSE(protocol::ParseIdentityReply(LinkReport(0x10, 0x1234, 0x4321, 4)));
  EXPECT_FALSE(protocol::ParseIdentityReply(std::vector<std::uint8_t>(12, 0)));
}

}  // namespace
