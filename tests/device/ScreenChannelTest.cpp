// The screen channel: it appears after command 0xE0 on the cable, is opened by its ids and
// usage, and carries one report per exchange with up to three writes.

#include "LinkTestSupport.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"
#include "protocol/ScreenPackets.h"

namespace device::testing {
namespace {

using namespace std::chrono_literals;

class ScreenChannel : public LinkTest {
 protected:
  // A cable keyboard whose channel comes at once, opened.
  sim::KeyboardId OpenChannel() {
    const auto id = AddKeyboard(101);
    bus.ModifyState(id, [](sim::KeyboardState& state) { state.screen.appearDelay = 0ms; });
    bus.PlugCable(id);
    link.EnumerateDevice();
    link.SetSelectedModel(101);
    EXPECT_FALSE(link.OpenScreenDevice());
    Bytes request(protocol::kFrameDataLength, 0);
    EXPECT_TRUE(link.TransferBlock(protocol::command::kOpenScreenChannel, request));
    EXPECT_TRUE(link.OpenScreenDevice());
    StartLog();
    return id;
  }

  static std::array<std::uint8_t, 65> BeginPacket() {
    return {0, 0xAA, protocol::screen_command::kBegin};
  }
};

TEST_F(ScreenChannel, OpensAfterTheKeyboardIsAskedForIt) {
  const auto id = OpenChannel();
  EXPECT_TRUE(link.IsScreenDeviceOpen());
  auto report = BeginPacket();
  ASSERT_TRUE(link.SendScreenFrame(report));
  EXPECT_EQ(report[7], protocol::kStatusAccepted);  // the reply's first 64 bytes
  EXPECT_EQ(report[1], protocol::screen_command::kBegin);
  EXPECT_TRUE(State(id).screen.sessionOpen);
  EXPECT_EQ(Sleeps(), (std::vector<int>{2, 2}));
  const auto written = Written(sim::Link::kScreen);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].size(), 65u);
}

struct RetryCase {
  const char* name;
  int failedWrites;
  bool succeeds;
  std::vector<int> sleeps;
};

class ScreenWrites : public ScreenChannel, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(ScreenWrites, AreTriedThreeTimes) {
  const RetryCase& test = GetParam();
  const auto id = OpenChannel();
  sim::FaultRule rule;
  rule.kind = sim::FaultKind::kWriteError;
  rule.link = sim::Link::kScreen;
  rule.count = test.failedWrites;
  if (test.failedWrites > 0) bus.AddFault(id, rule);
  auto report = BeginPacket();
  EXPECT_EQ(link.SendScreenFrame(report), test.succeeds);
  EXPECT_EQ(Sleeps(), test.sleeps);
}

INSTANTIATE_TEST_SUITE_P(Failures, ScreenWrites,
                         ::testing::Values(RetryCase{"FirstWrite", 0, true, {2, 2}},
                                           RetryCase{"SecondWrite", 1, true, {2, 10, 2}},
                                           RetryCase{"ThirdWrite", 2, true, {2, 10, 60, 2}},
                                           RetryCase{"NeverWritten", 3, false, {2, 10, 60}}));

TEST_F(ScreenChannel, WithoutAChannelNothingIsSentAndAllIsWell) {
  Connect(101, true, false);
  StartLog();
  auto report = BeginPacket();
  const auto before = report;
  EXPECT_FALSE(link.IsScreenDeviceOpen());
  EXPECT_TRUE(link.SendScreenFrame(report));
  EXPECT_EQ(report, before);
  EXPECT_TRUE(Written().empty());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_F(ScreenChannel, ReopeningClosesTheOldHandleFirst) {
  const auto id = OpenChannel();
  ASSERT_TRUE(link.OpenScreenDevice());
  auto report = BeginPacket();
  EXPECT_TRUE(link.SendScreenFrame(report));
  // the channel goes with the cable; the next open finds nothing
  bus.UnplugCable(id);
  EXPECT_FALSE(link.OpenScreenDevice());
  EXPECT_FALSE(link.IsScreenDeviceOpen());
}

// Closing every record leaves the screen channel alone.
TEST_F(ScreenChannel, SurvivesClosingTheRecords) {
  const auto id = OpenChannel();
  link.CloseAll();
  auto report = BeginPacket();
  ASSERT_TRUE(link.SendScreenFrame(report));
  EXPECT_TRUE(State(id).screen.sessionOpen);
}

}  // namespace
}  // namespace device::testing
