// The virtual bus behind the HID seam: enumeration, hot-plug, handles, threads.

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "SimTestSupport.h"

namespace sim::testing {
namespace {

using namespace std::chrono_literals;

struct InterfaceCase {
  std::string name;
  std::size_t position;  // in enumeration order
  std::uint16_t productId;
  int interfaceNumber;
  std::uint16_t usagePage;
  std::uint16_t usage;
  int inputLength;
  int outputLength;
  std::string interfacePath;
  std::string productString;
};

class Interfaces : public ::testing::TestWithParam<InterfaceCase> {};

TEST_P(Interfaces, AreListedWithEverythingAHostMatchesOn) {
  const InterfaceCase& test = GetParam();
  SimulatedKeyboard keyboard(102, true, true);
  const auto all = keyboard.bus.Enumerate();
  ASSERT_EQ(all.size(), 4u);
  const device::HidDeviceInfo& info = all[test.position];
  EXPECT_EQ(info.vendorId, 0x36B0);
  EXPECT_EQ(info.productId, test.productId);
  EXPECT_EQ(info.interfaceNumber, test.interfaceNumber);
  EXPECT_EQ(info.usagePage, test.usagePage);
  EXPECT_EQ(info.usage, test.usage);
  EXPECT_EQ(info.interfacePath, test.interfacePath);
  EXPECT_EQ(info.productString, test.productString);
  EXPECT_EQ(info.releaseNumber, 0x0116);
  const auto device = keyboard.bus.Open(info.path);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->InputReportLength(), test.inputLength);
  EXPECT_EQ(device->OutputReportLength(), test.outputLength);
  const auto capabilities = keyboard.bus.QueryCapabilities(info.interfacePath);
  ASSERT_TRUE(capabilities.has_value());
  EXPECT_EQ(capabilities->usagePage, test.usagePage);
  EXPECT_EQ(capabilities->usage, test.usage);
  EXPECT_EQ(capabilities->productId, test.productId);
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard102, Interfaces,
    ::testing::Values(InterfaceCase{"CableBoot", 0, 0x3002, 0, 0x01, 0x06, 9, 2,
                                    "HID#VID_36B0&PID_3002&MI_00#SIM&0001&C", "Tarvo K102"},
                      InterfaceCase{"CableCommand", 1, 0x3002, 1, 0xFF60, 0x61, 65, 65,
                                    "HID#VID_36B0&PID_3002&MI_01#SIM&0001&C", "Tarvo K102"},
                      InterfaceCase{"ReceiverBoot", 2, 0x3012, 0, 0x01, 0x06, 9, 2,
                                    "HID#VID_36B0&PID_3012&MI_00#SIM&0001&R", "Tarvo K102 Dongle"},
                      InterfaceCase{"ReceiverCommand", 3, 0x3012, 1, 0xFF60, 0x61, 33, 33,
                                    "HID#VID_36B0&PID_3012&MI_01#SIM&0001&R", "Tarvo K102 Dongle"}),
    [](const auto& info) { return info.param.name; });

TEST(Bus, EnumerationFiltersByIds) {
  VirtualHidBus bus;
  const KeyboardId first = AddCatalogueKeyboard(bus, FixtureFolder(), 101).value();
  const KeyboardId second = AddCatalogueKeyboard(bus, FixtureFolder(), 103).value();
  bus.PlugCable(first);
  bus.PlugCable(second);
  EXPECT_EQ(bus.Enumerate().size(), 4u);
  EXPECT_EQ(bus.Enumerate(0x36B0).size(), 4u);
  EXPECT_EQ(bus.Enumerate(0, 0x3003).size(), 2u);
  EXPECT_EQ(bus.Enumerate(0x36B0, 0x3011).size(), 0u);
  EXPECT_EQ(bus.Enumerate(0x1234).size(), 0u);
  EXPECT_NE(bus.Enumerate(0, 0x3003)[1].interfacePath.find("SIM&0002&C"), std::string::npos);
}

struct Recorder {
  void Attach(VirtualHidBus& bus) {
    bus.SetHotPlugListener([this](device::HotPlugEvent event, const std::string& path) {
      std::lock_guard lock(mutex);
      seen.push_back((event == device::HotPlugEvent::kArrival ? "+" : "-") + path);
    });
  }
  std::vector<std::string> Seen() {
    std::lock_guard lock(mutex);
    return seen;
  }
  std::mutex mutex;
  std::vector<std::string> seen;
};

TEST(Bus, HotPlugReportsEachInterfaceInOrder) {
  VirtualHidBus bus;
  Recorder recorder;
  recorder.Attach(bus);
  const KeyboardId id = AddCatalogueKeyboard(bus, FixtureFolder(), 101).value();
  EXPECT_TRUE(bus.ReportsHotPlug());
  EXPECT_TRUE(bus.PlugReceiver(id));
  EXPECT_FALSE(bus.PlugReceiver(id));  // already there: nothing reported
  EXPECT_TRUE(bus.UnplugReceiver(id));
  EXPECT_FALSE(bus.UnplugCable(id));
  EXPECT_EQ(recorder.Seen(), (std::vector<std::string>{"+HID#VID_36B0&PID_3011&MI_00#SIM&0001&R",
                                                       "+HID#VID_36B0&PID_3011&MI_01#SIM&0001&R",
                                                       "-HID#VID_36B0&PID_3011&MI_00#SIM&0001&R",
                                                       "-HID#VID_36B0&PID_3011&MI_01#SIM&0001&R"}));
  bus.SetHotPlugListener({});
  bus.PlugCable(id);
  EXPECT_EQ(recorder.Seen().size(), 4u);
}

TEST(Bus, ModelsWithoutAReceiverCannotPlugOne) {
  SimulatedKeyboard keyboard(103, false);
  EXPECT_FALSE(keyboard.bus.PlugReceiver(keyboard.id));
  EXPECT_TRUE(keyboard.bus.Enumerate().empty());
  EXPECT_FALSE(keyboard.bus.PlugCable(99));
}

TEST(Bus, OpenAndCapabilitiesNeedAPresentInterface) {
  SimulatedKeyboard keyboard(101);
  const std::string path = "HID#VID_36B0&PID_3001&MI_01#SIM&0001&C";
  EXPECT_NE(keyboard.bus.Open(path), nullptr);
  EXPECT_TRUE(keyboard.bus.QueryCapabilities("hid#vid_36b0&pid_3001&mi_01#sim&0001&c").has_value());
  EXPECT_EQ(keyboard.bus.Open("HID#VID_36B0&PID_3001&MI_02#SIM&0001&C"), nullptr);
  keyboard.bus.UnplugCable(keyboard.id);
  EXPECT_EQ(keyboard.bus.Open(path), nullptr);
  EXPECT_FALSE(keyboard.bus.QueryCapabilities(path).has_value());
}

struct WriteCase {
  std::string name;
  Bytes report;
  int result;
};

class Writes : public ::testing::TestWithParam<WriteCase> {};

TEST_P(Writes, AreCheckedLikeAHidStackDoes) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  EXPECT_EQ(requester.Device().Write(GetParam().report), GetParam().result);
}

Bytes ShortSettingsRead() {
  return {0x00, 0xAA, 0x14, 0x00, 0x00, 0x38};
}

INSTANTIATE_TEST_SUITE_P(Reports, Writes,
                         ::testing::Values(WriteCase{"Empty", {}, -1},
                                           WriteCase{"ReportIdNotZero", Bytes(65, 1), -1},
                                           WriteCase{"LongerThanTheReport", Bytes(66, 0), -1},
                                           WriteCase{"Full", Bytes(65, 0), 65}),
                         [](const auto& info) { return info.param.name; });

TEST(Bus, ShortWritesArePaddedWithZeros) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  ASSERT_EQ(requester.Device().Write(ShortSettingsRead()), 6);
  const auto reply = requester.Receive();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusAccepted);
  EXPECT_EQ(reply->bytes.size(), 64u);
}

TEST(Bus, BootInterfaceTakesLedReportsAndSaysNothing) {
  SimulatedKeyboard keyboard(101);
  const auto boot = FindInterface(keyboard.bus, 0x36B0, 0x3001, 0x01);
  ASSERT_TRUE(boot.has_value());
  const auto device = keyboard.bus.Open(boot->path);
  EXPECT_EQ(device->Write(Bytes{0x00, 0x02}), 2);
  Bytes buffer(64);
  EXPECT_EQ(device->Read(buffer, 10), 0);
}

TEST(Bus, EveryOpenHandleReceivesEachReport) {
  SimulatedKeyboard keyboard(101);
  Requester first = keyboard.Command();
  Requester second = keyboard.Command();
  ASSERT_TRUE(first.Exchange(command::kReadSettings, 0, 56).has_value());
  const auto copy = second.Receive(50);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->bytes[1], command::kReadSettings);
}

TEST(Bus, UnreadReportsBeyondSixtyFourDropTheOldest) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  for (std::size_t offset = 0; offset < 70; ++offset)
    requester.Send(command::kReadLayer0, offset, 1);
  const auto first = requester.Receive(10);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->bytes[2], 6);
  int more = 0;
  while (requester.Receive(5)) ++more;
  EXPECT_EQ(more, 63);
}

TEST(Bus, ReportsReadBeforeARemovalStayReadable) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  ASSERT_EQ(requester.Send(command::kReadSettings, 0, 56), 65);
  keyboard.bus.UnplugCable(keyboard.id);
  EXPECT_TRUE(requester.Receive(10).has_value());
  Bytes buffer(64);
  EXPECT_EQ(requester.Device().Read(buffer, 10), -1);
}

TEST(Bus, CancelAndRemovalEndABlockedRead) {
  SimulatedKeyboard keyboard(101, true, true);
  Requester cable = keyboard.Command(Link::kCable);
  Requester receiver = keyboard.Command(Link::kReceiver);
  std::atomic<int> cancelled{1};
  std::atomic<int> removed{1};
  std::thread first([&] {
    Bytes buffer(64);
    cancelled = cable.Device().Read(buffer, -1);
  });
  std::thread second([&] {
    Bytes buffer(64);
    removed = receiver.Device().Read(buffer, 10000);
  });
  std::this_thread::sleep_for(20ms);
  cable.Device().Cancel();
  keyboard.bus.UnplugReceiver(keyboard.id);
  first.join();
  second.join();
  EXPECT_EQ(cancelled, -1);
  EXPECT_EQ(removed, -1);
  Bytes buffer(64);
  EXPECT_EQ(cable.Device().Read(buffer, 0), -1);  // a cancelled handle stays cancelled
}

TEST(Bus, HandlesOutlivingTheBusFindTheirDeviceGone) {
  auto bus = std::make_unique<VirtualHidBus>();
  const KeyboardId id = AddCatalogueKeyboard(*bus, FixtureFolder(), 101).value();
  bus->PlugCable(id);
  auto device = bus->Open("HID#VID_36B0&PID_3001&MI_01#SIM&0001&C");
  ASSERT_NE(device, nullptr);
  bus.reset();
  EXPECT_EQ(device->Write(Bytes(65, 0)), -1);
  Bytes buffer(64);
  EXPECT_EQ(device->Read(buffer, 10), -1);
}

// A worker keeps exchanging frames while another thread plugs, unplugs and changes state.
TEST(Bus, WorkerAndControllerThreadsShareTheBus) {
  SimulatedKeyboard keyboard(101, true, true);
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  std::thread worker([&] {
    while (!stop) {
      for (const auto& info : keyboard.bus.Enumerate(0x36B0)) {
        if (info.usagePage != 0xFF60) continue;
        Requester requester(keyboard.bus.Open(info.path));
        if (!requester.Valid()) continue;
        for (int i = 0; i < 20 && !stop; ++i) {
          if (requester.Exchange(command::kReadLiveColours, 0, requester.ChunkSize(), {}, 5))
            ++answered;
        }
      }
    }
  });
  for (int round = 0; round < 40; ++round) {
    keyboard.bus.UnplugCable(keyboard.id);
    keyboard.bus.SetAsleep(keyboard.id, round % 2 == 0);
    keyboard.bus.ModifyState(keyboard.id,
                             [&](KeyboardState& state) { state.settings[2] = round % 21; });
    keyboard.bus.PlugCable(keyboard.id);
    std::this_thread::sleep_for(1ms);
  }
  stop = true;
  worker.join();
  EXPECT_GT(answered.load(), 0);
}

TEST(FrameLog, RecordsBothDirectionsOnRequest) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  requester.Exchange(command::kReadInformation, 0, 56);
  EXPECT_TRUE(keyboard.bus.FrameLog().empty());
  keyboard.bus.SetFrameLogging(true);
  requester.Exchange(command::kReadInformation, 0, 56);
  const auto log = keyboard.bus.FrameLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].direction, Direction::kToDevice);
  EXPECT_EQ(log[0].bytes.size(), 65u);
  EXPECT_EQ(log[1].direction, Direction::kFromDevice);
  EXPECT_EQ(log[1].bytes.size(), 64u);
  EXPECT_EQ(log[1].keyboard, keyboard.id);
  const std::string text = keyboard.bus.FrameLogText();
  EXPECT_NE(text.find("kb1 cable    -> 00 AA 12 00 00 38 +59x00"), std::string::npos) << text;
  EXPECT_NE(text.find("kb1 cable    <- AA 12 00 00 38 00 00 55 00 00 B0 36 01 30 22 01 02"),
            std::string::npos)
      << text;
  keyboard.bus.ClearFrameLog();
  EXPECT_TRUE(keyboard.bus.FrameLog().empty());
}

}  // namespace
}  // namespace sim::testing
