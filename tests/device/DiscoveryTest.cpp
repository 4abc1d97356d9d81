// Finding keyboards and receivers, their records, the catalogue look-ups and the choice of
// the handle that carries the commands.

#include <atomic>
#include <thread>

#include "LinkTestSupport.h"
#include "protocol/Commands.h"

namespace device::testing {
namespace {

using namespace std::chrono_literals;

class Discovery : public LinkTest {};

// --- catalogue look-ups --------------------------------------------------------------------

struct LookupCase {
  const char* name;
  int vendorId;
  int productId;
  const char* productString;
  bool known;
  int model;
  int mode;
};

class CatalogueLookups : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CatalogueLookups, FitOnIdsAndProductName) {
  const LookupCase& test = GetParam();
  sim::VirtualHidBus bus;
  HidDeviceManager link(bus);
  link.AddCatalogueEntry({0x36B0, 0x3001, "", 101, 0});
  link.AddCatalogueEntry({0x36B0, 0x3050, "Tarvo Dongle A", 150, 1});
  link.AddCatalogueEntry({0x36B0, 0x3050, "Tarvo Dongle B", 151, 2});
  link.AddCatalogueEntry({0x36B0, 0x3001, "Never Reached", 199, 2});
  EXPECT_EQ(link.IsKnown(test.vendorId, test.productId, test.productString), test.known);
  EXPECT_EQ(link.ModelOf(test.vendorId, test.productId, test.productString), test.model);
  EXPECT_EQ(link.ModeOf(test.vendorId, test.productId, test.productString), test.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, CatalogueLookups,
    ::testing::Values(LookupCase{"EmptyNameFitsAnyString", 0x36B0, 0x3001, "Whatever", true, 101,
                                 0},
                      LookupCase{"EmptyNameFitsEmptyString", 0x36B0, 0x3001, "", true, 101, 0},
                      LookupCase{"NamedEntryA", 0x36B0, 0x3050, "Tarvo Dongle A", true, 150, 1},
                      LookupCase{"NamedEntryB", 0x36B0, 0x3050, "Tarvo Dongle B", true, 151, 2},
                      LookupCase{"NameMustBeExact", 0x36B0, 0x3050, "tarvo dongle a", false, 0, 0},
                      LookupCase{"NamedEntryNeedsAName", 0x36B0, 0x3050, "", false, 0, 0},
                      LookupCase{"UnknownIds", 0x36B0, 0x3099, "", false, 0, 0},
                      LookupCase{"VendorMatters", 0x36B1, 0x3001, "", false, 0, 0}));

// --- records -------------------------------------------------------------------------------

TEST_F(Discovery, CableKeyboardGetsOneRecordForItsCommandInterface) {
  const auto id = AddKeyboard(101);
  bus.PlugCable(id);
  StartLog();
  link.EnumerateDevice();
  EXPECT_TRUE(link.IsOpened());
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  const DeviceRecordInfo& record = records[0];
  EXPECT_EQ(record.index, 0);
  EXPECT_EQ(record.vendorId, 0x36B0);
  EXPECT_EQ(record.productId, 0x3001);
  EXPECT_EQ(record.modelId, 101);
  EXPECT_EQ(record.mode, kModeCable);
  EXPECT_EQ(record.online, 1);
  EXPECT_EQ(record.battery, 80);  // the battery report was read
  EXPECT_EQ(record.productString, "Tarvo K101");
  EXPECT_NE(record.interfacePath.find("MI_01"), std::string::npos);
  // only the command interface is opened, after the settling pause
  EXPECT_EQ(tampered.opened, std::vector<std::string>{record.path});
  EXPECT_EQ(Sleeps(), std::vector<int>{200});
  // the status queries read plainly: nothing reached the notify handler
  EXPECT_TRUE(Notifications().empty());
}

TEST_F(Discovery, UnknownDevicesAreNotOpened) {
  sim::KeyboardHardware stranger;
  stranger.modelId = 900;
  stranger.vendorId = 0x1234;
  stranger.cableProductId = 0x5678;
  const auto id =
      bus.AddKeyboard(stranger, sim::MakeFactoryState(stranger, sim::FeaturesOfModel(900), {}));
  bus.PlugCable(id);
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  EXPECT_FALSE(link.GetDevices(records));
  EXPECT_TRUE(tampered.opened.empty());
  EXPECT_TRUE(link.IsOpened());
}

TEST_F(Discovery, ADeviceWithoutTheCommandInterfaceIsNeitherOpenedNorPresent) {
  tampered.hide = [](const HidDeviceInfo& info) { return info.usagePage == kCommandUsagePage; };
  Connect(101, true, false);
  std::vector<DeviceRecordInfo> records;
  EXPECT_FALSE(link.GetDevices(records));
  EXPECT_TRUE(tampered.opened.empty());
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3001, "", kModeCable), -1);
  EXPECT_EQ(link.GetCommandDevice(), nullptr);
}

TEST_F(Discovery, AnInterfaceThatCannotBeOpenedIsSkipped) {
  const auto id = AddKeyboard(101);
  bus.PlugCable(id);
  const auto second = AddKeyboard(103);
  bus.PlugCable(second);
  // the 101 disappears between the listing and the open
  tampered.hide = [&](const HidDeviceInfo& info) {
    if (info.productId == 0x3001 && info.usagePage == kCommandUsagePage) bus.UnplugCable(id);
    return false;
  };
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].modelId, 103);
  EXPECT_EQ(records[0].index, 0);
}

TEST_F(Discovery, EnumeratingAgainReplacesTheRecords) {
  const auto id = Connect(101, true, true);
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  EXPECT_EQ(records.size(), 2u);
  bus.UnplugCable(id);
  link.EnumerateDevice();
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].mode, kModeReceiver);
}

TEST_F(Discovery, CloseAllDropsRecordsAndTheCommandHandle) {
  Connect(101, true, false);
  ASSERT_NE(link.GetCommandDevice(), nullptr);
  link.CloseAll();
  EXPECT_FALSE(link.IsOpened());
  EXPECT_EQ(link.GetCommandDevice(), nullptr);
  std::vector<DeviceRecordInfo> records;
  EXPECT_FALSE(link.GetDevices(records));
  link.EnumerateDevice();
  Bytes block(protocol::kSettingsBlockLength, 0);
  EXPECT_TRUE(link.TransferBlock(protocol::command::kReadSettings, block));
}

TEST_F(Discovery, GetDevicesListsTheSelectedModelOnly) {
  const auto first = AddKeyboard(101);
  const auto second = AddKeyboard(102);
  bus.PlugCable(first);
  bus.PlugReceiver(second);
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  EXPECT_EQ(records.size(), 2u);
  link.SetSelectedModel(102);
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].modelId, 102);
  EXPECT_EQ(records[0].index, 1);
  link.SetSelectedModel(103);
  EXPECT_TRUE(link.GetDevices(records));  // records exist, none of this model
  EXPECT_TRUE(records.empty());
}

// --- receivers -----------------------------------------------------------------------------

struct ReceiverCase {
  const char* name;
  std::function<void(sim::VirtualHidBus&, sim::KeyboardId)> prepare;
  int model;
  int online;
};

class Receivers : public LinkTest, public ::testing::WithParamInterface<ReceiverCase> {};

TEST_P(Receivers, NameTheKeyboardBehindThem) {
  const ReceiverCase& test = GetParam();
  const auto id = AddKeyboard(101);
  if (test.prepare) test.prepare(bus, id);
  bus.PlugReceiver(id);
  StartLog();
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].productId, 0x3011);  // the receiver's own ids
  EXPECT_EQ(records[0].mode, kModeReceiver);
  EXPECT_EQ(records[0].modelId, test.model);
  EXPECT_EQ(records[0].online, test.online);
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3011, "", kModeReceiver), test.online);
  EXPECT_TRUE(Notifications().empty());
}

INSTANTIATE_TEST_SUITE_P(
    LinkStates, Receivers,
    ::testing::Values(ReceiverCase{"Awake", nullptr, 101, 1},
                      ReceiverCase{"Asleep",
                                   [](sim::VirtualHidBus& bus, sim::KeyboardId id) {
                                     bus.SetAsleep(id, true);
                                   },
                                   101, 0},
                      ReceiverCase{"ProductIdOnlyOnIdentityRequest",
                                   [](sim::VirtualHidBus& bus, sim::KeyboardId id) {
                                     bus.ModifyState(id, [](sim::KeyboardState& state) {
                                       state.receiver.reportsZeroProductId = true;
                                     });
                                   },
                                   101, 1},
                      ReceiverCase{"NoProductIdAtAll",
                                   [](sim::VirtualHidBus& bus, sim::KeyboardId id) {
                                     bus.ModifyState(id, [](sim::KeyboardState& state) {
                                       state.receiver.reportsZeroProductId = true;
                                       state.productId = 0;
                                     });
                                   },
                                   0, 1},
                      ReceiverCase{"SilentReceiverKeepsItsOwnModel",
                                   [](sim::VirtualHidBus& bus, sim::KeyboardId id) {
                                     sim::FaultRule rule;
                                     rule.kind = sim::FaultKind::kDropReply;
                                     rule.command = protocol::command::kLinkState;
                                     bus.AddFault(id, rule);
                                   },
                                   101, 1}));

TEST_F(Discovery, ReceiverRecordsAskTheLinkStateAfterThePause) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  StartLog();
  link.EnumerateDevice();
  EXPECT_EQ(Sleeps(), (std::vector<int>{200, 10}));
  int battery = 0;
  int charging = -1;
  ASSERT_TRUE(link.ModeBattery(101, kModeReceiver, battery, charging));
  EXPECT_EQ(battery, 80);
  EXPECT_FALSE(link.DirectBattery(101, battery, charging));  // no cable record
}

TEST_F(Discovery, AKeyboardAsleepAtTheSearchHasNoBatteryToShow) {
  const auto id = AddKeyboard(101);
  bus.PlugReceiver(id);
  bus.SetAsleep(id, true);
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  EXPECT_EQ(records[0].online, 0);
  EXPECT_FALSE(records[0].batteryReported);
  int battery = -1;
  int charging = -1;
  EXPECT_FALSE(link.ModeBattery(101, kModeReceiver, battery, charging));
  EXPECT_EQ(battery, -1);  // the default 100 is not passed off as a report
}

// Entries named by their product string are served like the others.
TEST_F(Discovery, NamedReceiversAreFoundByTheirProductString) {
  Connect(102, false, true);
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3012, "Tarvo K102 Dongle", kModeReceiver), 1);
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3012, "Another Dongle", kModeReceiver), -1);
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3012, "", kModeReceiver), 1);
  EXPECT_EQ(link.FindPresence(0x36B0, 0x3012, "Tarvo K102 Dongle", kModeCable), -1);
  std::vector<DeviceRecordInfo> records;
  ASSERT_TRUE(link.GetDevices(records));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].productString, "Tarvo K102 Dongle");
  EXPECT_EQ(records[0].modelId, 102);
}

TEST_F(Discovery, AReceiverWithAnotherProductStringIsNotTheNamedOne) {
  sim::KeyboardHardware hardware;
  hardware.modelId = 102;
  hardware.vendorId = 0x36B0;
  hardware.receiverProductId = 0x3012;
  hardware.receiverProductString = "Another Dongle";
  const auto id =
      bus.AddKeyboard(hardware, sim::MakeFactoryState(hardware, sim::FeaturesOfModel(102), {}));
  bus.PlugReceiver(id);
  link.EnumerateDevice();
  std::vector<DeviceRecordInfo> records;
  EXPECT_FALSE(link.GetDevices(records));
  EXPECT_TRUE(tampered.opened.empty());
}

// --- the command handle --------------------------------------------------------------------

struct ChoiceCase {
  const char* name;
  bool cable;
  bool receiver;
  bool asleep;
  int kind;
  std::optional<sim::Link> carrier;  // empty: no command handle
  int pacingMs;
};

class CommandChoice : public LinkTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(CommandChoice, PrefersTheCableAndNeedsAnOnlineReceiver) {
  const ChoiceCase& test = GetParam();
  const auto id = AddKeyboard(101);
  if (test.asleep) bus.SetAsleep(id, true);
  if (test.cable) bus.PlugCable(id);
  if (test.receiver) bus.PlugReceiver(id);
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  EXPECT_EQ(link.ConnectionKind(), test.kind);
  StartLog();
  Bytes block(protocol::kSettingsBlockLength, 0);
  EXPECT_EQ(link.TransferBlock(protocol::command::kReadSettings, block), test.carrier.has_value());
  if (!test.carrier) {
    EXPECT_EQ(link.GetCommandDevice(), nullptr);
    EXPECT_TRUE(Written().empty());
    return;
  }
  EXPECT_EQ(Written().size(), Written(*test.carrier).size());
  EXPECT_EQ(link.PacingDelayMs(), test.pacingMs);
  EXPECT_EQ(Sleeps(), std::vector<int>{test.pacingMs});
}

INSTANTIATE_TEST_SUITE_P(
    Connections, CommandChoice,
    ::testing::Values(
        ChoiceCase{"CableOnly", true, false, false, 0, sim::Link::kCable, 2},
        ChoiceCase{"ReceiverOnly", false, true, false, 1, sim::Link::kReceiver, 6},
        ChoiceCase{"CableWinsOverReceiver", true, true, false, 0, sim::Link::kCable, 2},
        ChoiceCase{"SleepingKeyboardBehindReceiver", false, true, true, 1, std::nullopt, 6},
        ChoiceCase{"CableOfASleepingWirelessKeyboard", true, true, true, 0, sim::Link::kCable, 2},
        ChoiceCase{"Nothing", false, false, false, -1, std::nullopt, 6}));

TEST_F(Discovery, TwoReceiversOfOneModelUseTheFirstOnline) {
  const auto first = AddKeyboard(101);
  const auto second = AddKeyboard(101);
  bus.PlugReceiver(first);
  bus.PlugReceiver(second);
  bus.SetAsleep(first, true);
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  Bytes colours(protocol::kColorTableLength, 0x21);
  ASSERT_TRUE(link.TransferBlock(protocol::command::kWriteSlot128, colours));
  EXPECT_EQ(State(second).customSlots[0][0], 0x21);
  EXPECT_NE(State(first).customSlots[0][0], 0x21);

  bus.SetAsleep(first, false);
  link.EnumerateDevice();  // both online now: the first in enumeration order
  colours.assign(colours.size(), 0x43);
  ASSERT_TRUE(link.TransferBlock(protocol::command::kWriteSlot128, colours));
  EXPECT_EQ(State(first).customSlots[0][0], 0x43);
  EXPECT_EQ(State(second).customSlots[0][0], 0x21);
}

TEST_F(Discovery, NoModelSelectedMeansNoCommandHandle) {
  Connect(101, true, false);
  link.SetSelectedModel(0);
  EXPECT_EQ(link.GetCommandDevice(), nullptr);
  EXPECT_EQ(link.ConnectionKind(), -1);
}

TEST_F(Discovery, SelectingAnotherModelChoosesAgain) {
  const auto first = AddKeyboard(101);
  const auto second = AddKeyboard(103);
  bus.PlugReceiver(first);
  bus.PlugCable(second);
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  HidDevice* receiver = link.GetCommandDevice();
  ASSERT_NE(receiver, nullptr);
  EXPECT_EQ(link.PacingDelayMs(), 6);
  EXPECT_EQ(link.GetCommandDevice(), receiver);  // cached
  link.SetSelectedModel(103);
  HidDevice* cable = link.GetCommandDevice();
  ASSERT_NE(cable, nullptr);
  EXPECT_NE(cable, receiver);
  EXPECT_EQ(link.PacingDelayMs(), 2);
  link.ClearCommandDevice();
  EXPECT_EQ(link.GetCommandDevice(), cable);
  EXPECT_EQ(link.GetSelectedModel(), 103);
}

// The UI thread changes the selection while the worker talks to the keyboard: once the UI
// has settled, the worker's commands go to the keyboard it chose last.
TEST_F(Discovery, SelectionChangesFromTheUiThreadAreHonoured) {
  const auto first = AddKeyboard(101);
  const auto second = AddKeyboard(103);
  bus.PlugCable(first);
  bus.PlugCable(second);
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  std::atomic<bool> settled{false};
  std::thread ui([&] {
    for (int i = 0; i < 200; ++i) {
      link.SetSelectedModel(i % 2 == 0 ? 101 : 103);
      link.ClearCommandDevice();
    }
    link.SetSelectedModel(103);
    settled = true;
  });
  std::array<std::uint8_t, 65> frame{};
  while (!settled) {
    frame = {0xAA, protocol::command::kBracketOpen};
    link.SendFrame(frame);
  }
  ui.join();
  const int before = State(second).counters.bracketOpens;
  EXPECT_TRUE(link.BracketOpen());
  EXPECT_EQ(State(second).counters.bracketOpens, before + 1);
}

// --- hot-plug ------------------------------------------------------------------------------

// A keyboard's boot interface arrives first; only its command interface qualifies.
TEST_F(Discovery, OnlyTheCommandInterfaceQualifiesOnArrival) {
  const auto id = AddKeyboard(101);
  std::vector<std::string> arrivals;
  bus.SetHotPlugListener([&](HotPlugEvent event, const std::string& path) {
    if (event == HotPlugEvent::kArrival) arrivals.push_back(path);
  });
  bus.PlugCable(id);
  bus.SetHotPlugListener(nullptr);
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_NE(arrivals[0].find("MI_00"), std::string::npos);
  EXPECT_FALSE(link.QualifiesAsCommandInterface(arrivals[0]));
  EXPECT_TRUE(link.QualifiesAsCommandInterface(arrivals[1]));
  EXPECT_FALSE(link.QualifiesAsCommandInterface("HID#VID_36B0&PID_3001&MI_01#GONE"));
}

}  // namespace
}  // namespace device::testing
