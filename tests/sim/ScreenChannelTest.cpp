// The screen channel: it appears after command 0xE0, takes the upload protocol into its
// flash, and goes away when the session ends.

#include <chrono>
#include <mutex>
#include <thread>

#include "SimTestSupport.h"
#include "sim/ScreenMedia.h"

namespace sim::testing {
namespace {

using namespace std::chrono_literals;

struct Events {
  void Attach(VirtualHidBus& bus) {
    bus.SetHotPlugListener([this](device::HotPlugEvent event, const std::string& path) {
      std::lock_guard lock(mutex);
      seen.emplace_back(event, path);
    });
  }
  std::vector<std::pair<device::HotPlugEvent, std::string>> Seen() {
    std::lock_guard lock(mutex);
    return seen;
  }
  std::mutex mutex;
  std::vector<std::pair<device::HotPlugEvent, std::string>> seen;
};

// Asks the keyboard for its screen channel the way the upload does.
void RequestScreenChannel(SimulatedKeyboard& keyboard) {
  Requester cable = keyboard.Command();
  cable.Exchange(command::kBracketOpen, 0, 56);
  ASSERT_TRUE(cable.Transfer(command::kOpenScreenChannel, Bytes(56, 0)).has_value());
  cable.Exchange(command::kBracketClose, 0, 0);
}

SimulatedKeyboard& Immediate(SimulatedKeyboard& keyboard) {
  keyboard.bus.ModifyState(keyboard.id, [](KeyboardState& state) {
    state.screen.appearDelay = 0ms;
    state.screen.disappearDelay = 0ms;
  });
  return keyboard;
}

class ScreenLink {
 public:
  explicit ScreenLink(Requester requester) : requester_(std::move(requester)) {}
  bool Valid() const { return requester_.Valid(); }

  // One packet: address in bytes 3 to 5, count in byte 6, data from byte 9.
  std::optional<Reply> Packet(std::uint8_t command, std::uint32_t address, std::uint8_t count,
                              std::span<const std::uint8_t> data = {}) {
    Bytes report(65, 0);
    report[1] = 0xAA;
    report[2] = command;
    report[3] = static_cast<std::uint8_t>(address);
    report[4] = static_cast<std::uint8_t>(address >> 8);
    report[5] = static_cast<std::uint8_t>(address >> 16);
    report[6] = count;
    std::copy(data.begin(), data.end(), report.begin() + 9);
    if (requester_.Device().Write(report) != 65) return std::nullopt;
    return requester_.Receive(500);
  }

  bool Accepted(std::uint8_t command, std::uint32_t address, std::uint8_t count,
                std::span<const std::uint8_t> data = {}) {
    const auto reply = Packet(command, address, count, data);
    return reply && reply->bytes[1] == command && reply->Status() == kStatusAccepted;
  }

  Requester& Raw() { return requester_; }

 private:
  Requester requester_;
};

Bytes Image(std::size_t size, std::uint8_t seed) {
  Bytes image(size);
  for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 31 + seed);
  return image;
}

std::uint32_t Blocks(std::size_t size) {
  return static_cast<std::uint32_t>((size + 0xFFFF) / 0x10000);
}

TEST(ScreenChannel, AppearsAfterTheRequestAsItsOwnDevice) {
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  Events events;
  events.Attach(keyboard.bus);
  EXPECT_TRUE(keyboard.bus.Enumerate(0x1919, 0x1919).empty());
  RequestScreenChannel(keyboard);
  const auto channels = keyboard.bus.Enumerate(0x1919, 0x1919);
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0].usagePage, 0x00FF);
  EXPECT_EQ(channels[0].usage, 0x0001);
  EXPECT_EQ(channels[0].interfacePath, "HID#VID_1919&PID_1919&MI_00#SIM&0001&S");
  ASSERT_EQ(events.Seen().size(), 1u);
  EXPECT_EQ(events.Seen()[0].first, device::HotPlugEvent::kArrival);
  EXPECT_EQ(events.Seen()[0].second, channels[0].interfacePath);
  EXPECT_EQ(keyboard.State().counters.screenChannelRequests, 1);
}

TEST(ScreenChannel, TakesItsTimeToAppear) {
  SimulatedKeyboard keyboard(102);
  keyboard.bus.ModifyState(keyboard.id,
                           [](KeyboardState& state) { state.screen.appearDelay = 300ms; });
  RequestScreenChannel(keyboard);
  EXPECT_FALSE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
  const auto deadline = Clock::now() + 5s;
  while (!keyboard.bus.IsPlugged(keyboard.id, Link::kScreen) && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_TRUE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
}

TEST(ScreenChannel, KeyboardsWithoutAScreenRefuseTheRequest) {
  SimulatedKeyboard keyboard(103);
  Requester cable = keyboard.Command();
  EXPECT_EQ(cable.Exchange(command::kOpenScreenChannel, 0, 56, Bytes(56, 0))->Status(),
            kStatusRefused);
  EXPECT_FALSE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
}

// The whole upload of two images, as the host sends it.
TEST(ScreenChannel, UploadLandsInFlashAndTheChannelLeavesAtTheEnd) {
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  Events events;
  events.Attach(keyboard.bus);
  ScreenLink screen(keyboard.Screen());
  ASSERT_TRUE(screen.Valid());

  const std::vector<Bytes> images = {Image(70000, 3), Image(113, 9)};
  const std::size_t total = images[0].size() + images[1].size();
  Bytes table(128, 0);
  table[1] = 2;
  table[2] = static_cast<std::uint8_t>(Blocks(total) + 1);
  std::uint32_t block = 0;
  std::vector<std::uint32_t> starts;
  for (std::size_t k = 0; k < images.size(); ++k) {
    starts.push_back(block);
    table[3 + 5 * k] = static_cast<std::uint8_t>(block);
    for (int b = 0; b < 3; ++b)
      table[5 + 5 * k + b] = static_cast<std::uint8_t>(images[k].size() >> (8 * b));
    block += Blocks(images[k].size());
  }

  ASSERT_TRUE(screen.Accepted(screen_command::kBegin, 0, 0));
  ASSERT_TRUE(screen.Accepted(screen_command::kStartUpload, 0, 0x38));
  ASSERT_TRUE(screen.Accepted(screen_command::kKeepAlive, 0, 0));
  ASSERT_TRUE(screen.Accepted(screen_command::kKeepAlive, 0, 0));
  ASSERT_TRUE(screen.Accepted(screen_command::kPrepareTable, 0, 0x38));
  const std::span<const std::uint8_t> tableBytes(table);
  ASSERT_TRUE(screen.Accepted(screen_command::kTableData, 0x00, 0x38, tableBytes.subspan(0, 56)));
  ASSERT_TRUE(screen.Accepted(screen_command::kTableData, 0x38, 0x38, tableBytes.subspan(56, 56)));
  ASSERT_TRUE(screen.Accepted(screen_command::kTableData, 0x70, 0x10, tableBytes.subspan(112, 16)));
  ASSERT_TRUE(screen.Accepted(screen_command::kCommitTable, 0, 0x38));
  const Bytes erase = {static_cast<std::uint8_t>(Blocks(total) + 2)};
  ASSERT_TRUE(screen.Accepted(screen_command::kErase, 0, 1, erase));
  const Bytes three = {3};
  ASSERT_TRUE(screen.Accepted(screen_command::kWriteMode, 0x010000, 0, three));
  for (std::size_t k = 0; k < images.size(); ++k) {
    const std::span<const std::uint8_t> image(images[k]);
    for (std::size_t at = 0; at < image.size(); at += 56) {
      const std::size_t count = std::min<std::size_t>(56, image.size() - at);
      ASSERT_TRUE(screen.Accepted(screen_command::kWriteData,
                                  starts[k] * 0x10000 + static_cast<std::uint32_t>(at),
                                  static_cast<std::uint8_t>(count), image.subspan(at, count)));
    }
  }
  ASSERT_TRUE(screen.Accepted(screen_command::kFinish, 0, 0));
  ASSERT_TRUE(screen.Accepted(screen_command::kEnd, 0, 0));

  const KeyboardState state = keyboard.State();
  const ScreenFlash& flash = state.screen.flash;
  EXPECT_EQ(flash.Read(0, 70000), images[0]);
  EXPECT_EQ(flash.Read(0x20000, 113), images[1]);
  EXPECT_EQ(flash.Read(0x20000 + 113, 2), (Bytes{0xFF, 0xFF}));  // erased, never written
  EXPECT_EQ(flash.writesOverUnerased, 0u);
  ASSERT_FALSE(flash.operations.empty());
  EXPECT_EQ(flash.operations.front(),
            (FlashOperation{FlashOperation::Kind::kErase, 0, 4 * 0x10000}));
  EXPECT_EQ(flash.operations.size(), 1 + (70000 + 55) / 56 + (113 + 55) / 56);
  EXPECT_EQ(flash.operations.back(),
            (FlashOperation{FlashOperation::Kind::kWrite, 0x20000 + 112, 1}));
  EXPECT_EQ(Bytes(state.screen.mediaTable.begin(), state.screen.mediaTable.end()), table);
  EXPECT_EQ(state.screen.tableCommits, 1);
  EXPECT_FALSE(state.screen.sessionOpen);
  EXPECT_EQ(state.screen.commands.back(), screen_command::kEnd);

  // gone from the bus; the handle reads nothing more
  EXPECT_FALSE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
  EXPECT_TRUE(keyboard.bus.Enumerate(0x1919, 0x1919).empty());
  ASSERT_EQ(events.Seen().size(), 1u);
  EXPECT_EQ(events.Seen()[0].first, device::HotPlugEvent::kRemoval);
  Bytes buffer(64);
  EXPECT_EQ(screen.Raw().Device().Read(buffer, 10), -1);
  EXPECT_EQ(screen.Raw().Device().Write(Bytes(65, 0)), -1);
}

TEST(ScreenChannel, ClockTakesFifteenDigits) {
  SimulatedKeyboard keyboard(102);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  ScreenLink screen(keyboard.Screen());
  const Bytes digits = {2, 0, 2, 4, 0, 3, 2, 0, 5, 0, 9, 0, 7, 4, 5};
  ASSERT_TRUE(screen.Accepted(screen_command::kBegin, 0, 0));
  ASSERT_TRUE(screen.Accepted(screen_command::kSetClock, 0, 0x38, digits));
  ASSERT_TRUE(screen.Accepted(screen_command::kEnd, 0, 0));
  const auto clock = keyboard.State().screen.clockDigits;
  ASSERT_TRUE(clock.has_value());
  EXPECT_EQ(Bytes(clock->begin(), clock->end()), digits);
}

TEST(ScreenChannel, FlashRefusesWritesOverDataThatWasNotErased) {
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  ScreenLink screen(keyboard.Screen());
  const Bytes zeros(8, 0x00);
  const Bytes factory = keyboard.State().screen.flash.Read(0x100, 8);
  ASSERT_NE(factory, Bytes(8, 0xFF));  // a new keyboard holds its factory image
  ASSERT_TRUE(screen.Accepted(screen_command::kBegin, 0, 0));
  EXPECT_FALSE(screen.Accepted(screen_command::kWriteData, 0x100, 8, zeros));
  EXPECT_EQ(keyboard.State().screen.flash.writesOverUnerased, 1u);
  EXPECT_EQ(keyboard.State().screen.flash.Read(0x100, 8), factory);

  const Bytes oneBlock = {1};
  ASSERT_TRUE(screen.Accepted(screen_command::kErase, 0, 1, oneBlock));
  EXPECT_TRUE(screen.Accepted(screen_command::kWriteData, 0x100, 8, zeros));
  EXPECT_FALSE(screen.Accepted(screen_command::kWriteData, 0x104, 8, Bytes(8, 0xFF)));
  EXPECT_EQ(keyboard.State().screen.flash.writesOverUnerased, 2u);
  EXPECT_EQ(keyboard.State().screen.flash.Read(0x100, 8), zeros);
}

TEST(ScreenChannel, OnlyTheBeginCommandIsTakenOutsideASession) {
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  ScreenLink screen(keyboard.Screen());
  const Bytes oneBlock = {1};
  EXPECT_FALSE(screen.Accepted(screen_command::kErase, 0, 1, oneBlock));
  EXPECT_EQ(keyboard.State().screen.refusedOutsideSession, 1);
  EXPECT_TRUE(keyboard.State().screen.flash.operations.empty());
  ASSERT_TRUE(screen.Accepted(screen_command::kBegin, 0, 0));
  EXPECT_TRUE(screen.Accepted(screen_command::kErase, 0, 1, oneBlock));
}

TEST(ScreenChannel, ANewKeyboardShowsItsFactoryImage) {
  SimulatedKeyboard keyboard(102);
  const auto stored = ReadStoredImages(keyboard.State().screen);
  ASSERT_EQ(stored.size(), 1u);
  ASSERT_TRUE(stored[0].image.has_value()) << stored[0].problem;
  EXPECT_EQ(stored[0].image->width, 240);
  EXPECT_EQ(stored[0].image->height, 136);
}

struct BadPacketCase {
  std::string name;
  std::uint8_t command;
  std::uint32_t address;
  std::uint8_t count;
};

class BadScreenPackets : public ::testing::TestWithParam<BadPacketCase> {};

TEST_P(BadScreenPackets, AreRefusedAndChangeNothing) {
  const BadPacketCase& test = GetParam();
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  ScreenLink screen(keyboard.Screen());
  ASSERT_TRUE(screen.Accepted(screen_command::kBegin, 0, 0));
  const auto reply = screen.Packet(test.command, test.address, test.count, Bytes(56, 0x12));
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusRefused);
  EXPECT_TRUE(keyboard.State().screen.flash.operations.empty());
  EXPECT_EQ(keyboard.State().screen.mediaTable[0x7F], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Packets, BadScreenPackets,
    ::testing::Values(BadPacketCase{"WriteBeyondTheFlash", screen_command::kWriteData, 0xFFFFF0,
                                    56},
                      BadPacketCase{"WriteOfNothing", screen_command::kWriteData, 0, 0},
                      BadPacketCase{"WriteLongerThanAPacket", screen_command::kWriteData, 0, 57},
                      BadPacketCase{"TableBeyondItsEnd", screen_command::kTableData, 0x70, 0x38},
                      BadPacketCase{"UnknownCommand", 0x42, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(ScreenChannel, GoesWithTheCable) {
  SimulatedKeyboard keyboard(101);
  Immediate(keyboard);
  RequestScreenChannel(keyboard);
  ASSERT_TRUE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
  Events events;
  events.Attach(keyboard.bus);
  keyboard.bus.UnplugCable(keyboard.id);
  EXPECT_FALSE(keyboard.bus.IsPlugged(keyboard.id, Link::kScreen));
  const auto seen = events.Seen();
  ASSERT_EQ(seen.size(), 3u);  // screen channel, boot interface, command interface
  EXPECT_EQ(seen[0].second, "HID#VID_1919&PID_1919&MI_00#SIM&0001&S");
}

}  // namespace
}  // namespace sim::testing
