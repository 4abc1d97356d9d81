// Fault injection: every kind of misbehaviour, and the rules that say when it strikes.

#include <chrono>
#include <mutex>
#include <thread>

#include "SimTestSupport.h"

namespace sim::testing {
namespace {

using namespace std::chrono_literals;

enum class Shape { kNone, kRefused, kGarbage, kWrongEcho, kNotification, kLate, kWriteFails };

struct FaultCase {
  std::string name;
  FaultKind kind;
  Shape shape;
  bool executed;
};

class FaultKinds : public ::testing::TestWithParam<FaultCase> {};

// One single-entry layer write meets the fault; the next frame is served normally.
TEST_P(FaultKinds, ShapeTheReplyAndDecideWhetherTheCommandRuns) {
  const FaultCase& test = GetParam();
  SimulatedKeyboard keyboard(101);
  FaultRule rule;
  rule.kind = test.kind;
  rule.command = 0x1B;
  rule.delay = 150ms;
  keyboard.bus.AddFault(keyboard.id, rule);
  Requester requester = keyboard.Command();
  const Bytes entry = {0x50, 0x4A, 0x00};
  const int written = requester.Send(0x1B, 30, 3, entry);
  const auto reply = requester.Receive(15);
  switch (test.shape) {
    case Shape::kWriteFails:
      EXPECT_EQ(written, -1);
      EXPECT_FALSE(reply.has_value());
      break;
    case Shape::kNone:
      EXPECT_FALSE(reply.has_value());
      break;
    case Shape::kLate:
      EXPECT_FALSE(reply.has_value());
      ASSERT_TRUE(requester.Receive(2000).has_value());
      break;
    case Shape::kRefused:
      ASSERT_TRUE(reply.has_value());
      EXPECT_EQ(reply->Status(), kStatusRefused);
      break;
    case Shape::kGarbage:
      ASSERT_TRUE(reply.has_value());
      EXPECT_NE(reply->bytes[0], 0xAA);
      EXPECT_NE(reply->Status(), kStatusAccepted);
      EXPECT_NE(reply->Status(), kStatusRefused);
      break;
    case Shape::kWrongEcho:
      ASSERT_TRUE(reply.has_value());
      EXPECT_EQ(reply->Status(), kStatusAccepted);
      EXPECT_EQ(reply->bytes[1], 0x1B);
      EXPECT_NE(reply->bytes[2], 30);
      break;
    case Shape::kNotification:
      ASSERT_TRUE(reply.has_value());
      EXPECT_EQ(Slice(reply->bytes, 0, 2), (Bytes{0xAA, 0xD0}));
      EXPECT_EQ(reply->bytes[13], kLinkOnline);
      break;
  }
  EXPECT_EQ(Slice(keyboard.State().layers[0], 30, 3) == entry, test.executed);
  EXPECT_EQ(keyboard.bus.PendingFaults(keyboard.id), 0u);
  const auto next = requester.Exchange(0x1B, 33, 3, entry);
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(next->Status(), kStatusAccepted);
  EXPECT_EQ(next->bytes[2], 33);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultKinds,
    ::testing::Values(FaultCase{"Silence", FaultKind::kSilence, Shape::kNone, false},
                      FaultCase{"DropReply", FaultKind::kDropReply, Shape::kNone, true},
                      FaultCase{"Refuse", FaultKind::kRefuse, Shape::kRefused, false},
                      FaultCase{"Garbage", FaultKind::kGarbage, Shape::kGarbage, true},
                      FaultCase{"WrongEcho", FaultKind::kWrongEcho, Shape::kWrongEcho, true},
                      FaultCase{"Notification", FaultKind::kNotification, Shape::kNotification,
                                true},
                      FaultCase{"Delay", FaultKind::kDelay, Shape::kLate, true},
                      FaultCase{"WriteError", FaultKind::kWriteError, Shape::kWriteFails, false}),
    [](const auto& info) { return info.param.name; });

TEST(FaultRules, RefuseTheNextFramesOfOneCommandOnly) {
  SimulatedKeyboard keyboard(101);
  keyboard.bus.AddFault(keyboard.id, RefuseNext(command::kReadSettings, 3));
  Requester requester = keyboard.Command();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(requester.Exchange(command::kReadSettings, 0, 56)->Status(), kStatusRefused);
    EXPECT_EQ(requester.Exchange(command::kReadInformation, 0, 56)->Status(), kStatusAccepted);
  }
  EXPECT_EQ(requester.Exchange(command::kReadSettings, 0, 56)->Status(), kStatusAccepted);
}

TEST(FaultRules, SkipLetsFramesThroughBeforeStriking) {
  SimulatedKeyboard keyboard(101);
  FaultRule rule = SilenceNext(command::kReadFactoryLayer0, 1);
  rule.skip = 2;
  keyboard.bus.AddFault(keyboard.id, rule);
  Requester requester = keyboard.Command();
  EXPECT_TRUE(requester.Exchange(0x16, 0, 56).has_value());
  EXPECT_TRUE(requester.Exchange(0x16, 56, 56).has_value());
  EXPECT_FALSE(requester.Exchange(0x16, 112, 56, {}, 30).has_value());
  EXPECT_TRUE(requester.Exchange(0x16, 112, 56).has_value());
}

TEST(FaultRules, DropRepliesFromNowOnUntilCleared) {
  SimulatedKeyboard keyboard(101);
  keyboard.bus.AddFault(keyboard.id, DropRepliesFromNowOn());
  Requester requester = keyboard.Command();
  for (const std::uint8_t command : {0x10, 0x12, 0x14, 0x30, 0x11}) {
    EXPECT_FALSE(requester.Exchange(command, 0, 56, {}, 10).has_value()) << int{command};
  }
  EXPECT_EQ(keyboard.bus.PendingFaults(keyboard.id), 1u);
  keyboard.bus.ClearFaults(keyboard.id);
  EXPECT_TRUE(requester.Exchange(command::kReadSettings, 0, 56).has_value());
}

TEST(FaultRules, ALinkFilterSparesTheOtherLink) {
  SimulatedKeyboard keyboard(101, true, true);
  FaultRule rule = SilenceNext(command::kReadSettings, -1);
  rule.link = Link::kReceiver;
  keyboard.bus.AddFault(keyboard.id, rule);
  Requester cable = keyboard.Command(Link::kCable);
  Requester receiver = keyboard.Command(Link::kReceiver);
  EXPECT_TRUE(cable.Exchange(command::kReadSettings, 0, 56).has_value());
  EXPECT_FALSE(receiver.Exchange(command::kReadSettings, 0, 24, {}, 20).has_value());
}

TEST(FaultRules, ALateReplyArrivesBeforeTheNextOne) {
  SimulatedKeyboard keyboard(101);
  keyboard.bus.AddFault(keyboard.id, DelayReplies(command::kReadSettings, 1, 150ms));
  Requester requester = keyboard.Command();
  EXPECT_FALSE(requester.Exchange(command::kReadSettings, 0, 56, {}, 20).has_value());
  std::this_thread::sleep_for(200ms);
  const auto first = requester.Exchange(command::kReadInformation, 0, 56);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->bytes[1], command::kReadSettings);  // the stale one
  const auto second = requester.Receive();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->bytes[1], command::kReadInformation);
}

struct PlugEvents {
  void Attach(VirtualHidBus& bus) {
    bus.SetHotPlugListener([this](device::HotPlugEvent event, const std::string& path) {
      std::lock_guard lock(mutex);
      seen.emplace_back(event, path);
    });
  }
  std::size_t Count() {
    std::lock_guard lock(mutex);
    return seen.size();
  }
  std::mutex mutex;
  std::vector<std::pair<device::HotPlugEvent, std::string>> seen;
};

TEST(FaultRules, UnplugInTheMiddleOfATransfer) {
  SimulatedKeyboard keyboard(101);
  FaultRule rule;
  rule.kind = FaultKind::kUnplug;
  rule.command = command::kReadLayer0;
  rule.skip = 3;
  keyboard.bus.AddFault(keyboard.id, rule);
  PlugEvents events;
  events.Attach(keyboard.bus);
  Requester requester = keyboard.Command();
  EXPECT_FALSE(requester.Read(command::kReadLayer0, 384).has_value());
  EXPECT_EQ(requester.Exchanges(), 3);
  EXPECT_FALSE(keyboard.bus.IsPlugged(keyboard.id, Link::kCable));
  EXPECT_EQ(requester.Send(command::kReadLayer0, 0, 56), -1);
  Bytes buffer(64);
  EXPECT_EQ(requester.Device().Read(buffer, 10), -1);
  ASSERT_EQ(events.Count(), 2u);
  EXPECT_EQ(events.seen[0].first, device::HotPlugEvent::kRemoval);
  EXPECT_EQ(events.seen[1].second, "HID#VID_36B0&PID_3001&MI_01#SIM&0001&C");
}

TEST(FaultRules, UnplugAndReplugComesBackOnItsOwn) {
  SimulatedKeyboard keyboard(101);
  FaultRule rule;
  rule.kind = FaultKind::kUnplugReplug;
  rule.command = command::kReadSettings;
  rule.delay = 30ms;
  keyboard.bus.AddFault(keyboard.id, rule);
  PlugEvents events;
  events.Attach(keyboard.bus);
  Requester requester = keyboard.Command();
  EXPECT_FALSE(requester.Exchange(command::kReadSettings, 0, 56, {}, 10).has_value());
  const auto deadline = Clock::now() + 5s;
  while (events.Count() < 4 && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
  ASSERT_EQ(events.Count(), 4u);
  EXPECT_EQ(events.seen[1].first, device::HotPlugEvent::kRemoval);
  EXPECT_EQ(events.seen[2].first, device::HotPlugEvent::kArrival);
  Requester again = keyboard.Command();
  ASSERT_TRUE(again.Valid());
  EXPECT_TRUE(again.Read(command::kReadSettings, 64).has_value());
}

}  // namespace
}  // namespace sim::testing
