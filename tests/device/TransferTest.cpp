// Frames and acknowledged transfers on the command handle: chunking, retries, refusals,
// time-outs, echoes, draining, and the caller's buffer after a failure.

#include <algorithm>

#include "LinkTestSupport.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace device::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kReadSettings = protocol::command::kReadSettings;

Bytes SettingsOf(const sim::KeyboardState& state) {
  return Bytes(state.settings.begin(), state.settings.end());
}

struct ChunkingCase {
  const char* name;
  bool cable;
  std::size_t count;
  std::vector<WrittenChunk> chunks;
};

class Transfers : public LinkTest {};
class FrameLink : public LinkTest {};

class Chunking : public LinkTest, public ::testing::WithParamInterface<ChunkingCase> {};

TEST_P(Chunking, SplitsThePayloadByTheInterfacesReportLength) {
  const ChunkingCase& test = GetParam();
  const auto id = Connect(101, test.cable, !test.cable);
  StartLog();
  Bytes buffer(test.count, 0);
  ASSERT_TRUE(link.TransferBlock(protocol::command::kReadLayer0, buffer));
  EXPECT_EQ(ChunksOf(Written(), protocol::command::kReadLayer0), test.chunks);
  const auto state = State(id);
  const auto& layer = state.layers[0];
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), layer.begin()));
}

std::vector<WrittenChunk> EvenChunks(int size, int total) {
  std::vector<WrittenChunk> chunks;
  for (int offset = 0; offset < total; offset += size) {
    chunks.push_back({offset, std::min(size, total - offset)});
  }
  return chunks;
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, Chunking,
    ::testing::Values(ChunkingCase{"Cable64", true, 64, {{0, 56}, {56, 8}}},
                      ChunkingCase{"Receiver64", false, 64, {{0, 24}, {24, 24}, {48, 16}}},
                      ChunkingCase{"Cable384", true, 384, EvenChunks(56, 384)},
                      ChunkingCase{"Receiver384", false, 384, EvenChunks(24, 384)},
                      ChunkingCase{"CableOneByte", true, 1, {{0, 1}}}));

TEST_F(Transfers, WritesCarryTheCallersBytesAndLeaveThemOnTheKeyboard) {
  const auto id = Connect(101, false, true);
  Bytes colours(protocol::kColorTableLength);
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<std::uint8_t>(i * 7);
  Bytes sent = colours;
  ASSERT_TRUE(link.TransferBlock(protocol::command::kWriteSlot130, sent));
  EXPECT_EQ(sent, colours);  // the keyboard answers with what it now holds
  const auto state = State(id);
  const auto& slot = state.customSlots[2];
  EXPECT_TRUE(std::equal(colours.begin(), colours.end(), slot.begin()));
}

// --- outcomes ------------------------------------------------------------------------------

struct OutcomeCase {
  const char* name;
  std::vector<sim::FaultRule> faults;
  bool echo;
  bool succeeds;
  std::size_t writes;  // of the 64-byte read over the cable: two chunks
  std::vector<bool> notifications;
};

sim::FaultRule Rule(sim::FaultKind kind, int skip, int count) {
  sim::FaultRule rule;
  rule.kind = kind;
  rule.command = kReadSettings;
  rule.skip = skip;
  rule.count = count;
  return rule;
}

class TransferOutcomes : public LinkTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(TransferOutcomes, SucceedOnlyWhenEveryChunkIsAccepted) {
  const OutcomeCase& test = GetParam();
  const auto id = Connect(101, true, false);
  for (const auto& rule : test.faults) bus.AddFault(id, rule);
  StartLog();
  const Bytes before(protocol::kSettingsBlockLength, 0x5A);
  Bytes buffer = before;
  const bool done = test.echo ? link.TransferBlockEcho(kReadSettings, buffer)
                              : link.TransferBlock(kReadSettings, buffer);
  EXPECT_EQ(done, test.succeeds);
  EXPECT_EQ(buffer, test.succeeds ? SettingsOf(State(id)) : before);
  EXPECT_EQ(ChunksOf(Written(), kReadSettings).size(), test.writes);
  EXPECT_EQ(Notifications(), test.notifications);
}

using sim::FaultKind;

INSTANTIATE_TEST_SUITE_P(
    Faults, TransferOutcomes,
    ::testing::Values(
        OutcomeCase{"Accepted", {}, false, true, 2, {}},
        OutcomeCase{
            "FirstChunkRefusedSixTimes", {Rule(FaultKind::kRefuse, 0, 6)}, false, false, 6, {}},
        OutcomeCase{
            "FirstChunkRefusedFiveTimes", {Rule(FaultKind::kRefuse, 0, 5)}, false, true, 7, {}},
        OutcomeCase{
            "FirstChunkSilentSixTimes", {Rule(FaultKind::kSilence, 0, 6)}, false, false, 6, {}},
        // a chunk that never gets through fails the transfer: no hole of zeros
        OutcomeCase{
            "SecondChunkSilentSixTimes", {Rule(FaultKind::kSilence, 1, 6)}, false, false, 7, {}},
        OutcomeCase{
            "SecondChunkRefusedSixTimes", {Rule(FaultKind::kRefuse, 1, 6)}, false, false, 7, {}},
        OutcomeCase{"RefusedThenSilent",
                    {Rule(FaultKind::kRefuse, 0, 1), Rule(FaultKind::kSilence, 0, 1)},
                    false,
                    true,
                    4,
                    {}},
        OutcomeCase{
            "WriteFailsSixTimes", {Rule(FaultKind::kWriteError, 0, 6)}, false, false, 6, {}},
        OutcomeCase{"GarbageOnce", {Rule(FaultKind::kGarbage, 0, 1)}, false, true, 3, {}},
        OutcomeCase{"NotificationInsteadOfAReply",
                    {Rule(FaultKind::kNotification, 1, 1)},
                    false,
                    true,
                    3,
                    {true}},
        OutcomeCase{"WrongEchoIsTakenWithoutTheEchoCheck",
                    {Rule(FaultKind::kWrongEcho, 0, 1)},
                    false,
                    true,
                    2,
                    {}},
        OutcomeCase{"WrongEchoIsRetriedWithTheEchoCheck",
                    {Rule(FaultKind::kWrongEcho, 0, 1)},
                    true,
                    true,
                    3,
                    {}},
        OutcomeCase{"WrongEchoSixTimes", {Rule(FaultKind::kWrongEcho, 1, 6)}, true, false, 7, {}}));

TEST_F(Transfers, ZeroBytesSendNothingAndFail) {
  Connect(101, true, false);
  StartLog();
  Bytes empty;
  EXPECT_FALSE(link.TransferBlock(kReadSettings, empty));
  EXPECT_FALSE(link.TransferBlockEcho(kReadSettings, empty));
  EXPECT_TRUE(Written().empty());
}

TEST_F(Transfers, PayloadsBeyondSixteenBitOffsetsAreRefusedUnsent) {
  Connect(101, true, false);
  StartLog();
  Bytes huge(0x10001, 0);
  EXPECT_FALSE(link.TransferBlock(kReadSettings, huge));
  EXPECT_TRUE(Written().empty());
}

TEST_F(Transfers, NoKeyboardMeansNothingIsSent) {
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  Bytes buffer(64, 1);
  std::array<std::uint8_t, 65> frame{0xAA, protocol::command::kBracketOpen};
  std::array<std::uint8_t, 64> raw{0xAA};
  EXPECT_FALSE(link.TransferBlock(kReadSettings, buffer));
  EXPECT_FALSE(link.TransferBlockEcho(kReadSettings, buffer));
  EXPECT_FALSE(link.SendFrame(frame));
  EXPECT_FALSE(link.SendRawFrame(raw));
  EXPECT_EQ(buffer, Bytes(64, 1));
}

// A reply that cannot hold the chunk it acknowledges does not count.
TEST_F(Transfers, ShortRepliesAreFailedTries) {
  const auto id = Connect(101, true, false);
  int shortened = 0;
  tampered.tampering->onDeviceReport = [&](std::span<std::uint8_t>, int count, std::deque<Bytes>&) {
    return shortened++ < 2 ? 8 + 55 : count;  // one byte short of the first chunk
  };
  StartLog();
  Bytes buffer(protocol::kSettingsBlockLength, 0);
  ASSERT_TRUE(link.TransferBlock(kReadSettings, buffer));
  EXPECT_EQ(buffer, SettingsOf(State(id)));
  EXPECT_EQ(ChunksOf(Written(), kReadSettings).size(), 4u);
}

TEST_F(Transfers, ReadsAfterTheDeviceIsGoneFail) {
  const auto id = Connect(101, true, false);
  sim::FaultRule unplug = Rule(FaultKind::kUnplug, 1, 1);
  bus.AddFault(id, unplug);
  Bytes buffer(protocol::kSettingsBlockLength, 0x33);
  EXPECT_FALSE(link.TransferBlock(kReadSettings, buffer));
  EXPECT_EQ(buffer, Bytes(protocol::kSettingsBlockLength, 0x33));
}

// A second reply to an accepted chunk waits in the queue; the drain before the next write
// throws it away instead of taking it for the next chunk's answer.
TEST_F(Transfers, DrainsBeforeEveryTry) {
  const auto id = Connect(101, true, false);
  bool duplicated = false;
  tampered.tampering->onDeviceReport = [&](std::span<std::uint8_t> report, int count,
                                           std::deque<Bytes>& injected) {
    if (!duplicated && report[1] == kReadSettings && report[2] == 0) {
      duplicated = true;
      injected.emplace_back(report.begin(), report.begin() + count);
    }
    return count;
  };
  Bytes buffer(protocol::kSettingsBlockLength, 0);
  ASSERT_TRUE(link.TransferBlock(kReadSettings, buffer));
  EXPECT_TRUE(duplicated);
  EXPECT_EQ(buffer, SettingsOf(State(id)));
}

// Reports drained before a write are still looked at: a receiver's news is passed on.
TEST_F(Transfers, DrainedReportsPassNotificationsOn) {
  Connect(101, true, false);
  Bytes notification(32, 0);
  notification[0] = 0xAA;
  notification[1] = protocol::command::kLinkState;
  notification[13] = 4;
  tampered.tampering->injected.push_back(notification);
  notification[13] = 2;
  tampered.tampering->injected.push_back(notification);
  StartLog();
  Bytes buffer(protocol::kSettingsBlockLength, 0);
  ASSERT_TRUE(link.TransferBlock(kReadSettings, buffer));
  EXPECT_EQ(Notifications(), (std::vector<bool>{true, false}));
}

// --- single frames -------------------------------------------------------------------------

struct FrameCase {
  const char* name;
  std::optional<sim::FaultKind> fault;
  bool succeeds;
  bool replyShown;  // the frame now holds the reply (or zeros when none came)
  std::uint8_t status;
};

class Frames : public LinkTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(Frames, ReturnWhetherAReplyCame) {
  const FrameCase& test = GetParam();
  const auto id = Connect(101, true, false);
  if (test.fault) {
    sim::FaultRule rule;
    rule.kind = *test.fault;
    bus.AddFault(id, rule);
  }
  std::array<std::uint8_t, 65> frame{0xAA, protocol::command::kFactoryReset, 0, 0, 56};
  const auto before = frame;
  EXPECT_EQ(link.SendFrame(frame), test.succeeds);
  if (!test.replyShown) {
    EXPECT_EQ(frame, before);
    return;
  }
  if (test.status == 0) {
    EXPECT_TRUE(std::all_of(frame.begin(), frame.begin() + 64, [](auto b) { return b == 0; }));
    return;
  }
  EXPECT_EQ(frame[7], test.status);
  EXPECT_EQ(frame[1], protocol::command::kFactoryReset);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Frames,
    ::testing::Values(FrameCase{"Answered", std::nullopt, true, true, protocol::kStatusAccepted},
                      // callers read a refusal from the reply
                      FrameCase{"Refused", FaultKind::kRefuse, true, true,
                                protocol::kStatusRefused},
                      FrameCase{"Silent", FaultKind::kSilence, false, true, 0},
                      FrameCase{"WriteFails", FaultKind::kWriteError, false, false, 0}));

TEST_F(FrameLink, LengthByteIsClampedToTheChunkSize) {
  Connect(101, true, true);
  StartLog();
  std::array<std::uint8_t, 65> frame{0xAA, protocol::command::kFactoryReset, 0, 0, 200};
  ASSERT_TRUE(link.SendFrame(frame));
  // the cable carries the commands
  const auto written = Written();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].size(), 65u);
  EXPECT_EQ(written[0][5], 56);
}

TEST_F(FrameLink, LengthByteThroughTheReceiverBecomes24) {
  Connect(101, false, true);
  StartLog();
  std::array<std::uint8_t, 65> frame{0xAA, protocol::command::kFactoryReset, 0, 0, 200};
  ASSERT_TRUE(link.SendFrame(frame));
  const auto written = Written();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].size(), 33u);
  EXPECT_EQ(written[0][5], 24);
}

TEST_F(FrameLink, BracketsOpenAndCloseTheKeyboardsSession) {
  const auto id = Connect(103, true, false);
  const int opens = State(id).counters.bracketOpens;
  const int closes = State(id).counters.bracketCloses;
  EXPECT_TRUE(link.BracketOpen());
  EXPECT_TRUE(State(id).bracketOpen);
  EXPECT_TRUE(link.BracketClose());
  EXPECT_FALSE(State(id).bracketOpen);
  EXPECT_EQ(State(id).counters.bracketOpens, opens + 1);
  EXPECT_EQ(State(id).counters.bracketCloses, closes + 1);
}

TEST_F(FrameLink, RawFramesAreUnpacedAndFitTheReport) {
  const auto id = Connect(103, true, false);
  StartLog();
  std::array<std::uint8_t, 64> frame{
      0xAA, protocol::command::kWriteMacroImage, 0, 0, 3, 0, 0, 0, 0x11, 0x22, 0x33};
  ASSERT_TRUE(link.SendRawFrame(frame));
  EXPECT_TRUE(Sleeps().empty());
  EXPECT_EQ(frame[7], protocol::kStatusAccepted);
  const auto memory = State(id).macroMemory;
  ASSERT_GE(memory.size(), 3u);
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 3), (Bytes{0x11, 0x22, 0x33}));

  sim::FaultRule rule;
  rule.kind = FaultKind::kWriteError;
  bus.AddFault(id, rule);
  EXPECT_FALSE(link.SendRawFrame(frame));
}

TEST_F(FrameLink, RawFramesThroughTheReceiverAreCutToItsReports) {
  Connect(101, false, true);
  StartLog();
  std::array<std::uint8_t, 64> frame{0xAA, protocol::command::kWriteMacroImage, 0, 0, 24};
  ASSERT_TRUE(link.SendRawFrame(frame));
  const auto written = Written();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].size(), 33u);
}

}  // namespace
}  // namespace device::testing
