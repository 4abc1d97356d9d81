// The receiver: link status, identity, notifications when its keyboard sleeps and wakes,
// and what it does with commands while the keyboard is away.

#include "SimTestSupport.h"

namespace sim::testing {
namespace {

Bytes LinkFields(const Reply& reply) {
  return Slice(reply.bytes, 9, 5);
}

TEST(Receiver, StatusRequestReportsTheKeyboardAndItsLink) {
  SimulatedKeyboard keyboard(101, false, true);
  Requester receiver = keyboard.Command(Link::kReceiver);
  ASSERT_TRUE(receiver.Valid());
  auto reply = receiver.Exchange(command::kLinkStatus, 0, 24);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->bytes.size(), 32u);
  EXPECT_EQ(Slice(reply->bytes, 0, 2), (Bytes{0xAA, 0xD0}));
  // the keyboard's own ids (product 0x3001), not the receiver's 0x3011; link state 4
  EXPECT_EQ(LinkFields(*reply), (Bytes{0xB0, 0x36, 0x01, 0x30, 4}));

  keyboard.bus.SetAsleep(keyboard.id, true);
  receiver.Receive(50);  // the notification
  reply = receiver.Exchange(command::kLinkStatus, 0, 24);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(LinkFields(*reply), (Bytes{0xB0, 0x36, 0x01, 0x30, kLinkAsleep}));
}

TEST(Receiver, AnnouncesSleepAndWakeUnasked) {
  SimulatedKeyboard keyboard(102, false, true);
  Requester receiver = keyboard.Command(Link::kReceiver);
  EXPECT_FALSE(receiver.Receive(20).has_value());

  ASSERT_TRUE(keyboard.bus.SetAsleep(keyboard.id, true));
  auto note = receiver.Receive(100);
  ASSERT_TRUE(note.has_value());
  EXPECT_EQ(Slice(note->bytes, 0, 2), (Bytes{0xAA, 0xD0}));
  EXPECT_EQ(LinkFields(*note), (Bytes{0xB0, 0x36, 0x02, 0x30, kLinkAsleep}));
  EXPECT_NE(note->Status(), kStatusAccepted);  // a notification is not an answer

  EXPECT_FALSE(keyboard.bus.SetAsleep(keyboard.id, true));  // no change, no notification
  ASSERT_TRUE(keyboard.bus.SetAsleep(keyboard.id, false));
  note = receiver.Receive(100);
  ASSERT_TRUE(note.has_value());
  EXPECT_EQ(note->bytes[13], kLinkOnline);
  EXPECT_FALSE(receiver.Receive(20).has_value());
}

TEST(Receiver, IdentityRequestNamesAnAwakeKeyboardOnly) {
  SimulatedKeyboard keyboard(101, false, true);
  Requester receiver = keyboard.Command(Link::kReceiver);
  auto reply = receiver.Exchange(command::kBracketOpen, 0, 24);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(Slice(reply->bytes, 9, 4), (Bytes{0xB0, 0x36, 0x01, 0x30}));

  keyboard.bus.SetAsleep(keyboard.id, true);
  receiver.Receive(50);
  reply = receiver.Exchange(command::kBracketOpen, 0, 24);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusAccepted);
  EXPECT_EQ(Slice(reply->bytes, 9, 4), Bytes(4, 0));
  EXPECT_EQ(receiver.Exchange(command::kReadSettings, 0, 24)->Status(), kStatusRefused);
  EXPECT_EQ(receiver.Exchange(command::kBracketClose, 0, 0)->Status(), kStatusAccepted);
}

TEST(Receiver, ForwardsCommandsWhileTheKeyboardIsAwake) {
  SimulatedKeyboard keyboard(101, false, true);
  Requester receiver = keyboard.Command(Link::kReceiver);
  Bytes colours(384, 0x42);
  ASSERT_TRUE(receiver.Transfer(0x25, colours).has_value());  // slot 1
  EXPECT_EQ(receiver.Exchanges(), 16);                        // 384 bytes in 24-byte chunks
  EXPECT_EQ(keyboard.State().customSlots[1][383], 0x42);
}

TEST(Receiver, SomeReceiversDoNotKnowTheProductIdUntilAsked) {
  SimulatedKeyboard keyboard(101, false, true);
  keyboard.bus.ModifyState(
      keyboard.id, [](KeyboardState& state) { state.receiver.reportsZeroProductId = true; });
  Requester receiver = keyboard.Command(Link::kReceiver);
  auto reply = receiver.Exchange(command::kLinkStatus, 0, 24);
  EXPECT_EQ(LinkFields(*reply), (Bytes{0xB0, 0x36, 0x00, 0x00, 4}));
  reply = receiver.Exchange(command::kBracketOpen, 0, 24);
  EXPECT_EQ(Slice(reply->bytes, 9, 4), (Bytes{0xB0, 0x36, 0x01, 0x30}));
}

TEST(Receiver, CableAndReceiverReachTheSameKeyboard) {
  SimulatedKeyboard keyboard(101, true, true);
  Requester cable = keyboard.Command(Link::kCable);
  Requester receiver = keyboard.Command(Link::kReceiver);
  auto block = cable.Read(command::kReadSettings, 64).value();
  block[38] = 1;
  ASSERT_TRUE(cable.Transfer(command::kWriteSettings, block).has_value());
  EXPECT_EQ(receiver.Read(command::kReadSettings, 64), block);
  // by cable the keyboard answers the status request itself, always online
  const auto status = cable.Exchange(command::kLinkStatus, 0, 56);
  EXPECT_EQ(LinkFields(*status), (Bytes{0xB0, 0x36, 0x01, 0x30, 4}));
}

TEST(Receiver, ScreenChannelIsOnlyOpenedByCable) {
  SimulatedKeyboard keyboard(101, false, true);
  Requester receiver = keyboard.Command(Link::kReceiver);
  const Bytes zeros(24, 0);
  EXPECT_EQ(receiver.Exchange(command::kOpenScreenChannel, 0, 24, zeros)->Status(), kStatusRefused);
}

}  // namespace
}  // namespace sim::testing
