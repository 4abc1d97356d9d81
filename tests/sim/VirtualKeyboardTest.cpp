// The catalogue and layout reading, the --virtual-keyboard option and the control lines.

#include <cstdlib>
#include <fstream>

#include "SimTestSupport.h"

namespace sim::testing {
namespace {

namespace fs = std::filesystem;

TEST(CatalogueReader, ReadsModelsModesAndIds) {
  std::string error;
  const auto catalogue = Catalogue::Load(FixtureFolder(), &error);
  ASSERT_TRUE(catalogue.has_value()) << error;
  ASSERT_EQ(catalogue->Models().size(), 4u);
  const CatalogueModel* model = catalogue->Find(101);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->name, "Tarvo K101");
  EXPECT_EQ(model->layoutName, "k101");
  ASSERT_EQ(model->modes.size(), 2u);
  EXPECT_EQ(model->Mode(1)->vendorId, 0x36B0);  // written in lower case
  EXPECT_EQ(model->Mode(1)->productId, 0x3011);
  EXPECT_EQ(catalogue->Find(160)->Mode(0)->productId, 0x3060);
  EXPECT_EQ(catalogue->Find(160)->Mode(1), nullptr);
  EXPECT_EQ(catalogue->Find(150), nullptr);

  const KeyboardHardware hardware = HardwareOf(*catalogue->Find(102));
  EXPECT_EQ(hardware.cableProductId, 0x3002);
  EXPECT_EQ(hardware.receiverProductId, 0x3012);
  EXPECT_EQ(hardware.receiverProductString, "Tarvo K102 Dongle");  // required by the catalogue
  EXPECT_EQ(hardware.cableProductString, "Tarvo K102");
}

TEST(CatalogueReader, LayoutKeysKeepTheirIndicesOrNone) {
  const auto layout = LoadLayout(FixtureFolder(), "k101");
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->keys.size(), 105u);
  EXPECT_EQ(layout->keys.front().code, 0x29);
  EXPECT_EQ(layout->keys.front().name, "Esc");
  const LayoutKey& knob = layout->keys.back();
  EXPECT_EQ(knob.code, 0xFF);
  EXPECT_EQ(knob.keyIndex, 108);
  EXPECT_EQ(knob.lightIndex, -1);
}

// The shipped application folder (TARVO_APP_DIR, else the build tree's), once it exists:
// every model of its catalogue becomes a keyboard whose factory layer 0 holds each layout
// key's entry.
TEST(ShippedData, EveryCatalogueModelBecomesAKeyboard) {
  const char* overridden = std::getenv("TARVO_APP_DIR");
  const fs::path appFolder = overridden != nullptr ? overridden : TARVO_APP_BUILD_DIR;
  if (!fs::exists(appFolder / "config.xml")) GTEST_SKIP() << "no shipped data in " << appFolder;
  const auto catalogue = Catalogue::Load(appFolder);
  ASSERT_TRUE(catalogue.has_value());
  ASSERT_FALSE(catalogue->Models().empty());
  for (const CatalogueModel& model : catalogue->Models()) {
    SCOPED_TRACE(model.modelId);
    VirtualHidBus bus;
    std::string error;
    const auto id = AddCatalogueKeyboard(bus, appFolder, model.modelId, &error);
    ASSERT_TRUE(id.has_value()) << error;
    const auto layout = LoadLayout(appFolder, model.layoutName);
    const KeyboardState state = bus.State(*id).value();
    for (const LayoutKey& key : layout->keys) {
      if (key.keyIndex < 0 || key.code == 0xFF) continue;
      const auto entry = FactoryEntryForCode(key.code);
      EXPECT_EQ(Slice(state.factoryLayers[0], static_cast<std::size_t>(key.keyIndex) * 3, 3),
                Bytes(entry.begin(), entry.end()))
          << key.name;
    }
    EXPECT_EQ(bus.PlugCable(*id), HardwareOf(model).cableProductId != 0);
  }
}

TEST(CatalogueReader, RefusesWhatItCannotUse) {
  std::string error;
  EXPECT_FALSE(Catalogue::Load(FixtureFolder() / "missing", &error).has_value());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(LoadLayout(FixtureFolder(), "../fixtures/layouts/k101").has_value());
  EXPECT_FALSE(LoadLayout(FixtureFolder(), "").has_value());

  const fs::path folder = fs::temp_directory_path() / "tarvo-sim-bad-catalogue";
  fs::create_directories(folder);
  std::ofstream(folder / "config.xml") << "<settings/>";
  EXPECT_FALSE(Catalogue::Load(folder, &error).has_value());
  EXPECT_NE(error.find("config"), std::string::npos);
  fs::remove_all(folder);
}

struct OptionCase {
  std::string name;
  std::string text;
  bool valid;
  int modelId;
  bool receiver;
  bool asleep = false;
};

class Options : public ::testing::TestWithParam<OptionCase> {};

TEST_P(Options, NameAModelAndAConnection) {
  const OptionCase& test = GetParam();
  const auto option = ParseVirtualKeyboardOption(test.text);
  ASSERT_EQ(option.has_value(), test.valid) << test.text;
  if (!option) return;
  EXPECT_EQ(option->modelId, test.modelId);
  EXPECT_EQ(option->receiver, test.receiver);
  EXPECT_EQ(option->asleep, test.asleep);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Options,
    ::testing::Values(OptionCase{"Empty", "", true, 101, false},
                      OptionCase{"ModelOnly", "102", true, 102, false},
                      OptionCase{"Receiver", "101,receiver", true, 101, true},
                      OptionCase{"CableWithBlanks", " 103 , cable ", true, 103, false},
                      OptionCase{"ReceiverAlone", "receiver", true, 101, true},
                      OptionCase{"Word", "abc", false, 0, false},
                      OptionCase{"UnknownConnection", "101,bluetooth", false, 0, false},
                      OptionCase{"TrailingComma", "101,", true, 101, false},
                      OptionCase{"WordAndReceiver", "x,receiver", false, 0, false},
                      OptionCase{"HugeNumber", "12345678", false, 0, false},
                      OptionCase{"Asleep", "101,asleep", true, 101, true, true},
                      OptionCase{"AsleepBehindTheReceiver", "102,receiver,asleep", true, 102, true,
                                 true},
                      OptionCase{"CableAndReceiver", "101,cable,receiver", false, 0, false}),
    [](const auto& info) { return info.param.name; });

TEST(VirtualKeyboardBus, DefaultIsModel101ByCable) {
  std::string error;
  const auto bus = MakeVirtualKeyboardBus(FixtureFolder(), "", &error);
  ASSERT_NE(bus, nullptr) << error;
  const auto command = FindInterface(*bus, 0x36B0, 0x3001, 0xFF60);
  ASSERT_TRUE(command.has_value());
  Requester requester(bus->Open(command->path));
  const auto information = requester.Read(command::kReadInformation, 56);
  ASSERT_TRUE(information.has_value());
  EXPECT_EQ((*information)[8], 2);
  EXPECT_EQ((*information)[37], 1);  // the knob
}

TEST(VirtualKeyboardBus, ReceiverOption) {
  const auto bus = MakeVirtualKeyboardBus(FixtureFolder(), "102,receiver");
  ASSERT_NE(bus, nullptr);
  EXPECT_TRUE(FindInterface(*bus, 0x36B0, 0x3012, 0xFF60).has_value());
  EXPECT_FALSE(FindInterface(*bus, 0x36B0, 0x3002, 0xFF60).has_value());
}

TEST(VirtualKeyboardBus, ExplainsWhatItCannotBuild) {
  for (const char* option : {"160,receiver", "999", "nonsense"}) {
    std::string error;
    EXPECT_EQ(MakeVirtualKeyboardBus(FixtureFolder(), option, &error), nullptr) << option;
    EXPECT_FALSE(error.empty()) << option;
  }
  std::string error;
  EXPECT_EQ(MakeVirtualKeyboardBus(FixtureFolder() / "nowhere", "", &error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(ControlCommands, PlugUnplugSleepWakeAndBattery) {
  const auto bus = MakeVirtualKeyboardBus(FixtureFolder(), "101");
  ASSERT_NE(bus, nullptr);
  const KeyboardId id = bus->Keyboards().front();
  EXPECT_EQ(RunControlCommand(*bus, "plug receiver"), "ok");
  EXPECT_TRUE(bus->IsPlugged(id, Link::kReceiver));
  EXPECT_EQ(RunControlCommand(*bus, "unplug cable kb1"), "ok");
  EXPECT_FALSE(bus->IsPlugged(id, Link::kCable));
  EXPECT_EQ(RunControlCommand(*bus, "unplug cable"), "error: nothing to unplug");
  EXPECT_EQ(RunControlCommand(*bus, "sleep"), "ok");
  EXPECT_TRUE(bus->IsAsleep(id));
  EXPECT_EQ(RunControlCommand(*bus, "wake"), "ok");
  EXPECT_EQ(RunControlCommand(*bus, "battery 40 1"), "ok");
  EXPECT_EQ(bus->State(id)->batteryLevel, 40);
  EXPECT_EQ(bus->State(id)->batteryCharging, 1);
  EXPECT_EQ(RunControlCommand(*bus, "list"),
            "kb1 model 101 cable=unplugged receiver=plugged screen=closed asleep=no battery=40\n");
  EXPECT_EQ(RunControlCommand(*bus, "log on"), "ok");
  EXPECT_EQ(RunControlCommand(*bus, "faults clear"), "ok");
}

TEST(ControlCommands, RefuseWhatTheyDoNotKnow) {
  const auto bus = MakeVirtualKeyboardBus(FixtureFolder(), "101");
  ASSERT_NE(bus, nullptr);
  for (const char* line : {"", "fly", "plug", "plug usb", "sleep kb7", "battery", "battery 101",
                           "battery x", "log maybe"}) {
    EXPECT_EQ(RunControlCommand(*bus, line).rfind("error:", 0), 0u) << line;
  }
  EXPECT_EQ(bus->State(1)->batteryLevel, 80);
}

}  // namespace
}  // namespace sim::testing
