// Receiver notifications: read in a command exchange they go to the notify handler; polled
// when the worker is idle they update the receiver's record. Status queries read plainly.

#include "LinkTestSupport.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace device::testing {
namespace {

using namespace std::chrono_literals;

class ReceiverNews : public LinkTest {};

Bytes LinkReport(std::size_t size, std::uint8_t state, std::uint16_t productId = 0x3001) {
  Bytes report(size, 0);
  if (size > 0) report[0] = 0xAA;
  if (size > 1) report[1] = protocol::command::kLinkState;
  if (size > 12) {
    report[9] = 0xB0;
    report[10] = 0x36;
    report[11] = static_cast<std::uint8_t>(productId & 0xFF);
    report[12] = static_cast<std::uint8_t>(productId >> 8);
  }
  if (size > 13) report[13] = state;
  return report;
}

struct ReadCase {
  const char* name;
  Bytes report;
  std::vector<bool> reported;
};

class ReadsInAnExchange : public LinkTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadsInAnExchange, PassLinkStateNotificationsToTheHandler) {
  const ReadCase& test = GetParam();
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  StartLog();
  tampered.tampering->injected.push_back(test.report);
  const auto receiver = tampered.Open(bus.Enumerate(0x36B0, 0x3011)[1].path);
  std::array<std::uint8_t, 64> buffer{};
  EXPECT_EQ(link.HIDReadTimeout(receiver.get(), buffer, 5), static_cast<int>(test.report.size()));
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + test.report.size()), test.report);
  EXPECT_EQ(Notifications(), test.reported);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReadsInAnExchange,
    ::testing::Values(ReadCase{"Online", LinkReport(32, 4), {true}},
                      ReadCase{"Asleep", LinkReport(32, 2), {false}},
                      ReadCase{"AnyOtherStateIsOffline", LinkReport(32, 5), {false}},
                      // too short to hold the state: offline, and nothing read beyond it
                      ReadCase{"TooShortForTheState", LinkReport(13, 4), {false}},
                      ReadCase{"JustTheMarker", LinkReport(2, 4), {false}},
                      ReadCase{"AReply", Bytes{0xAA, 0x14, 0, 0, 56, 0, 0, 0x55}, {}},
                      ReadCase{"NoFrame", Bytes{0x01, 0xD0, 0, 0}, {}}));

TEST_F(ReceiverNews, ReadingWithoutADeviceFails) {
  std::array<std::uint8_t, 64> buffer{};
  EXPECT_EQ(link.HIDReadTimeout(nullptr, buffer, 1), -1);
}

// A notification waiting when a status query runs is consumed without a word to the handler:
// the handler would only queue a re-enumeration that asks again.
TEST_F(ReceiverNews, StatusQueriesReadPlainly) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  const auto receiver = tampered.Open(bus.Enumerate(0x36B0, 0x3011)[1].path);
  StartLog();
  tampered.tampering->injected.push_back(LinkReport(32, 2));
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int online = -1;
  ASSERT_TRUE(link.QueryLinkState(receiver.get(), false, vendorId, productId, online));
  EXPECT_EQ(vendorId, 0x36B0);
  EXPECT_EQ(productId, 0x3001);
  EXPECT_EQ(online, 1);
  tampered.tampering->injected.push_back(LinkReport(32, 4));
  int level = 0;
  int charging = -1;
  ASSERT_TRUE(link.QueryBattery(receiver.get(), level, charging));
  EXPECT_EQ(level, 80);
  EXPECT_TRUE(Notifications().empty());
  EXPECT_EQ(Sleeps(), std::vector<int>{10});
}

TEST_F(ReceiverNews, QueriesWithoutAnAnswerFailAndKeepTheirOutputs) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  const auto receiver = tampered.Open(bus.Enumerate(0x36B0, 0x3011)[1].path);
  bus.AddFault(id, sim::DropRepliesFromNowOn());
  std::uint16_t vendorId = 7;
  std::uint16_t productId = 7;
  int online = 1;
  EXPECT_FALSE(link.QueryLinkState(receiver.get(), true, vendorId, productId, online));
  EXPECT_EQ(online, 1);
  EXPECT_EQ(vendorId, 0);
  int level = 55;
  int charging = 1;
  EXPECT_FALSE(link.QueryBattery(receiver.get(), level, charging));
  EXPECT_EQ(level, 55);
  EXPECT_EQ(charging, 1);
  EXPECT_FALSE(link.QueryLinkState(nullptr, false, vendorId, productId, online));
  EXPECT_FALSE(link.QueryBattery(nullptr, level, charging));
}

TEST_F(ReceiverNews, ARefusedBatteryReadIsNoReport) {
  const auto id = Connect(101, true, false);
  bus.AddFault(id, sim::RefuseNext(protocol::command::kReadBattery, 1));
  int level = 55;
  int charging = 1;
  EXPECT_FALSE(link.QueryBattery(link.GetCommandDevice(), level, charging));
  EXPECT_EQ(level, 55);
}

// --- the idle poll -------------------------------------------------------------------------

TEST_F(ReceiverNews, WakeAndSleepUpdateTheReceiversRecord) {
  const auto id = AddKeyboard(102);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  std::array<std::uint8_t, 65> frame{};
  int model = -1;
  EXPECT_FALSE(link.GetDeviceNotify(frame, model));

  bus.SetAsleep(id, true);
  ASSERT_TRUE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(frame[0], 0xAA);
  EXPECT_EQ(frame[1], protocol::command::kLinkState);
  EXPECT_NE(frame[13], protocol::kLinkStateOnline);
  EXPECT_EQ(model, 102);
  EXPECT_EQ(link.OnlineState(102, kModeReceiver), 0);

  StartLog();
  bus.SetAsleep(id, false);
  ASSERT_TRUE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(frame[13], protocol::kLinkStateOnline);
  EXPECT_EQ(model, 102);
  EXPECT_EQ(link.OnlineState(102, kModeReceiver), 1);
  // an ordinary wake sends nothing: a colour stream may be running
  EXPECT_TRUE(Written().empty());
  EXPECT_TRUE(Notifications().empty());
  EXPECT_FALSE(link.GetDeviceNotify(frame, model));
}

TEST_F(ReceiverNews, AWakingKeyboardWithoutProductIdIsAsked) {
  const auto id = AddKeyboard(101);
  bus.ModifyState(id,
                  [](sim::KeyboardState& state) { state.receiver.reportsZeroProductId = true; });
  bus.SetAsleep(id, true);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  bus.ModifyState(id, [](sim::KeyboardState& state) {
    state.batteryLevel = 47;
    state.batteryCharging = 1;
  });
  bus.SetAsleep(id, false);
  std::array<std::uint8_t, 65> frame{};
  int model = -1;
  ASSERT_TRUE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(frame[11], 0);  // the notification as it came
  EXPECT_EQ(model, 101);    // the keyboard as the identity request named it
  EXPECT_EQ(link.OnlineState(101, kModeReceiver), 1);
  int battery = 0;
  int charging = 0;
  ASSERT_TRUE(link.ModeBattery(101, kModeReceiver, battery, charging));
  EXPECT_EQ(battery, 47);
  EXPECT_EQ(charging, 1);
  EXPECT_TRUE(Notifications().empty());
}

TEST_F(ReceiverNews, OnlyReceiversArePolled) {
  const auto cable = AddKeyboard(103);
  bus.PlugCable(cable);
  link.EnumerateDevice();
  Bytes stray = LinkReport(64, 4);
  tampered.tampering->injected.push_back(stray);
  std::array<std::uint8_t, 65> frame{};
  int model = -1;
  EXPECT_FALSE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(model, -1);
}

TEST_F(ReceiverNews, AnyReportEndsThePollButOnlyNotificationsChangeRecords) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  tampered.tampering->injected.push_back(Bytes{0xAA, 0x14, 0, 0, 24, 0, 0, 0x55});
  std::array<std::uint8_t, 65> frame{};
  frame.fill(0xEE);
  int model = -1;
  ASSERT_TRUE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(frame[1], 0x14);
  EXPECT_EQ(frame[8], 0);  // the rest of the frame is cleared
  EXPECT_EQ(link.OnlineState(101, kModeReceiver), 1);
}

TEST_F(ReceiverNews, AShortNotificationReadsAsOffline) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  tampered.tampering->injected.push_back(LinkReport(12, 4));
  std::array<std::uint8_t, 65> frame{};
  int model = -1;
  ASSERT_TRUE(link.GetDeviceNotify(frame, model));
  EXPECT_EQ(link.OnlineState(0, kModeReceiver), 0);  // no ids: no model either
  EXPECT_EQ(model, 0);
}

}  // namespace
}  // namespace device::testing
