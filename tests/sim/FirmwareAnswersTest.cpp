// The keyboard's answers to every command of its command interface, checked against the
// documented payload layouts through the HID seam.

#include <map>

#include "SimTestSupport.h"

namespace sim::testing {
namespace {

// --- information block -------------------------------------------------------------------

struct InformationCase {
  std::string name;
  int modelId;
  std::optional<std::uint8_t> forcedRevision;
  std::map<std::size_t, std::uint8_t> expected;  // byte position -> value
};

class InformationBlock : public ::testing::TestWithParam<InformationCase> {};

TEST_P(InformationBlock, PlacesEachValueWhereItsRevisionKeepsIt) {
  const InformationCase& test = GetParam();
  SimulatedKeyboard keyboard(test.modelId);
  if (test.forcedRevision) {
    keyboard.bus.ModifyState(keyboard.id, [&](KeyboardState& state) {
      state.info.protocolRevision = *test.forcedRevision;
      state.info.zone1.maxBrightness = 7;
      state.info.zone1.maxSpeed = 6;
    });
  }
  Requester requester = keyboard.Command();
  const auto block = requester.Read(command::kReadInformation, 56);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(requester.Exchanges(), 1);  // 56 bytes fit one chunk of a 65-byte interface
  for (const auto& [position, value] : test.expected) {
    EXPECT_EQ((*block)[position], value) << "byte " << position;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, InformationBlock,
    ::testing::Values(
        // 101: firmware 0x0122, revision 2, 16 x 256 bytes of macros, zones 1 and 2, knob
        InformationCase{"FullSizeRevision2",
                        101,
                        std::nullopt,
                        {{6, 0x22},
                         {7, 0x01},
                         {8, 2},
                         {13, 16},
                         {16, 4},
                         {17, 4},
                         {19, 1},
                         {21, 0},
                         {22, 4},
                         {23, 4},
                         {25, 1},
                         {27, 0},
                         {28, 4},
                         {29, 4},
                         {31, 0},
                         {35, 4},
                         {36, 4},
                         {37, 1}}},
        // 102: zone 2 and the matrix light, no knob
        InformationCase{"MatrixRevision2",
                        102,
                        std::nullopt,
                        {{8, 2}, {19, 1}, {25, 0}, {31, 1}, {35, 4}, {36, 4}, {37, 0}}},
        // 160: revision 1, 4 x 256 bytes, nothing beyond zone 0; matrix and knob absent
        InformationCase{"KeypadRevision1",
                        160,
                        std::nullopt,
                        {{6, 0x04},
                         {7, 0x01},
                         {8, 1},
                         {13, 4},
                         {16, 4},
                         {17, 4},
                         {19, 0},
                         {25, 0},
                         {31, 0},
                         {35, 0},
                         {37, 0}}},
        // the same full-size keyboard speaking revision 1: zone maxima one byte lower, no
        // matrix or knob bytes
        InformationCase{"FullSizeRevision1",
                        101,
                        std::uint8_t{1},
                        {{8, 1},
                         {19, 1},
                         {21, 4},
                         {22, 4},
                         {23, 0},
                         {25, 1},
                         {27, 7},
                         {28, 6},
                         {29, 0},
                         {35, 0},
                         {36, 0},
                         {37, 0}}}),
    [](const auto& info) { return info.param.name; });

// --- settings block ----------------------------------------------------------------------

struct SettingsCase {
  std::string name;
  int modelId;
  std::size_t gameMode;
  std::size_t keyResponse;
  std::size_t sleepTime;
};

class SettingsBlockTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsBlockTest, KeepsSystemSettingsAtTheRevisionsPositions) {
  const SettingsCase& test = GetParam();
  SimulatedKeyboard keyboard(test.modelId);
  Requester requester = keyboard.Command();
  auto block = requester.Read(command::kReadSettings, 64);
  ASSERT_TRUE(block.has_value());
  const KeyboardState factory = keyboard.State();
  EXPECT_EQ(*block, Bytes(factory.settings.begin(), factory.settings.end()));
  // factory sleep time of 120 seconds where the revision keeps it
  EXPECT_EQ(Slice(*block, test.sleepTime, 3), (Bytes{120, 0, 0}));

  (*block)[test.gameMode] = 1;
  (*block)[test.keyResponse] = 8;
  (*block)[test.sleepTime] = 0x58;  // 600 seconds
  (*block)[test.sleepTime + 1] = 0x02;
  (*block)[test.sleepTime + 2] = 0x00;
  (*block)[60] = 0x77;  // a byte of no meaning is kept as written
  const auto echoed = requester.Transfer(command::kWriteSettings, *block);
  ASSERT_TRUE(echoed.has_value());
  EXPECT_EQ(*echoed, *block);

  const KeyboardState state = keyboard.State();
  const SystemSettings settings = ReadSystemSettings(state.settings, state.info.protocolRevision);
  EXPECT_EQ(settings.gameMode, 1);
  EXPECT_EQ(settings.keyResponse, 8);
  EXPECT_EQ(settings.sleepSeconds, 600u);
  EXPECT_EQ(state.settings[60], 0x77);
  EXPECT_EQ(requester.Read(command::kReadSettings, 64), *block);
}

INSTANTIATE_TEST_SUITE_P(Revisions, SettingsBlockTest,
                         ::testing::Values(SettingsCase{"Revision2", 101, 38, 42, 46},
                                           SettingsCase{"Revision1", 160, 29, 33, 35}),
                         [](const auto& info) { return info.param.name; });

TEST(SettingsBlock, LightRegionsSitAtTheirZonesBytes) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  auto block = requester.Read(command::kReadSettings, 64).value();
  // zone 0: mode 3, brightness 4, speed byte 3, colorful 0, colour index 2, red
  const Bytes zone0 = {0x00, 0x03, 0x04, 0x03, 0x00, 0x02, 0xFF, 0x00, 0x00};
  std::copy(zone0.begin(), zone0.end(), block.begin() + 1);
  block[12] = 5;  // zone 2 mode
  block[21] = 2;  // zone 1 mode
  ASSERT_TRUE(requester.Transfer(command::kWriteSettings, block).has_value());
  const KeyboardState state = keyboard.State();
  const LightRegion region = ReadLightRegion(state.settings, LightZone::kZone0);
  EXPECT_EQ(region, (LightRegion{3, 4, 3, 0, 2, 0xFF, 0, 0}));
  EXPECT_EQ(ReadLightRegion(state.settings, LightZone::kZone2).mode, 5);
  EXPECT_EQ(ReadLightRegion(state.settings, LightZone::kZone1).mode, 2);
}

// --- key tables --------------------------------------------------------------------------

std::optional<std::size_t> KeyIndexOf(int code) {
  const auto layout = LoadLayout(FixtureFolder(), "k101");
  for (const LayoutKey& key : layout.value().keys) {
    if (key.code == code) return static_cast<std::size_t>(key.keyIndex);
  }
  return std::nullopt;
}

struct FactoryEntryCase {
  std::string name;
  std::uint8_t command;
  int code;  // the key, by its code in the layout
  Bytes entry;
};

class FactoryLayers : public ::testing::TestWithParam<FactoryEntryCase> {};

TEST_P(FactoryLayers, HoldTheLayoutsKeysAsEntries) {
  const FactoryEntryCase& test = GetParam();
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const auto table = requester.Read(test.command, 384);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(requester.Exchanges(), 7);  // 384 bytes in 56-byte chunks
  const auto index = KeyIndexOf(test.code);
  ASSERT_TRUE(index.has_value());
  EXPECT_EQ(Slice(*table, *index * 3, 3), test.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, FactoryLayers,
    ::testing::Values(FactoryEntryCase{"LetterA", 0x16, 0x04, {0x10, 0x00, 0x04}},
                      FactoryEntryCase{"LeftShift", 0x16, 0xE1, {0x10, 0x02, 0x00}},
                      FactoryEntryCase{"RightAlt", 0x16, 0xE6, {0x10, 0x40, 0x00}},
                      FactoryEntryCase{"Fn", 0x16, 0xF0, {0x50, 0x02, 0x00}},
                      FactoryEntryCase{"KnobKeyOfTheView", 0x16, 0xFF, {0x00, 0x00, 0x00}},
                      FactoryEntryCase{"F1OnFnLayer1", 0x17, 0x3A, {0x30, 0x83, 0x01}},
                      FactoryEntryCase{"F1OnLayer2", 0x18, 0x3A, {0x10, 0x00, 0x3A}},
                      FactoryEntryCase{"FnOnLayer3", 0x19, 0xF0, {0x50, 0x02, 0x00}}),
    [](const auto& info) { return info.param.name; });

TEST(KeyLayers, KnobActionsAndCalculatorLiveAtTheKeyboardsOwnPositions) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const auto knob = requester.Read(command::kReadKnobIndices, 56).value();
  EXPECT_EQ(Slice(knob, 0, 4), (Bytes{86, 84, 83, 0}));  // turn left, turn right, press
  for (const std::uint8_t layerCommand : {0x16, 0x1A, 0x1E}) {
    const auto layer = requester.Read(layerCommand, 384).value();
    EXPECT_EQ(Slice(layer, 86 * 3, 3), (Bytes{0x30, 0xEA, 0x00}));  // volume down
    EXPECT_EQ(Slice(layer, 84 * 3, 3), (Bytes{0x30, 0xE9, 0x00}));  // volume up
    EXPECT_EQ(Slice(layer, 83 * 3, 3), (Bytes{0x30, 0xE2, 0x00}));  // mute
    EXPECT_EQ(Slice(layer, 88 * 3, 3), (Bytes{0x30, 0x92, 0x01}));  // calculator
  }
}

TEST(KeyLayers, KeyboardsWithoutAKnobKeepThosePositionsEmpty) {
  SimulatedKeyboard keyboard(102);
  Requester requester = keyboard.Command();
  const auto layer = requester.Read(command::kReadFactoryLayer0, 384).value();
  for (const std::size_t index : {83, 84, 86, 88}) {
    EXPECT_EQ(Slice(layer, index * 3, 3), Bytes(3, 0)) << index;
  }
}

TEST(KeyLayers, SingleEntryWriteChangesOnlyThatKeyOfThatLayer) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const std::size_t index = KeyIndexOf(0x04).value();
  const Bytes ctrlC = {0x10, 0x01, 0x06};
  const auto reply = requester.Exchange(0x1D, index * 3, 3, ctrlC);  // layer 1
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusAccepted);
  EXPECT_EQ(Slice(reply->Data(), 0, 3), ctrlC);  // the stored entry is echoed

  const KeyboardState state = keyboard.State();
  EXPECT_EQ(Slice(state.layers[1], index * 3, 3), ctrlC);
  EXPECT_EQ(state.layers[0], state.factoryLayers[0]);
  EXPECT_EQ(state.layers[2], state.factoryLayers[2]);
  EXPECT_EQ(state.factoryLayers[1][index * 3], 0x10);
  EXPECT_EQ(Slice(requester.Read(0x1C, 384).value(), index * 3, 3), ctrlC);
}

struct LayerCommandCase {
  std::string name;
  std::uint8_t read;
  std::uint8_t write;
  std::size_t layer;
};

class LayerCommands : public ::testing::TestWithParam<LayerCommandCase> {};

TEST_P(LayerCommands, WriteAndReadTheirOwnLayer) {
  const LayerCommandCase& test = GetParam();
  SimulatedKeyboard keyboard(103);
  Requester requester = keyboard.Command();
  Bytes table(384);
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = static_cast<std::uint8_t>(i * 7 + test.layer);
  ASSERT_TRUE(requester.Transfer(test.write, table).has_value());
  EXPECT_EQ(requester.Read(test.read, 384), table);
  const KeyboardState state = keyboard.State();
  for (std::size_t layer = 0; layer < kLayerCount; ++layer) {
    EXPECT_EQ(state.layers[layer] == state.factoryLayers[layer], layer != test.layer) << layer;
  }
}

INSTANTIATE_TEST_SUITE_P(Layers, LayerCommands,
                         ::testing::Values(LayerCommandCase{"Layer0", 0x1A, 0x1B, 0},
                                           LayerCommandCase{"Layer1", 0x1C, 0x1D, 1},
                                           LayerCommandCase{"Layer2", 0x1E, 0x1F, 2},
                                           LayerCommandCase{"Layer3", 0x20, 0x21, 3}),
                         [](const auto& info) { return info.param.name; });

TEST(KeyLayers, LightIndexTableFollowsTheLayout) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const auto table = requester.Read(command::kReadLightIndices, 128).value();
  EXPECT_EQ(requester.Exchanges(), 3);
  EXPECT_EQ(table[KeyIndexOf(0x04).value()], KeyIndexOf(0x04).value());  // lit like its index
  EXPECT_EQ(table[83], 0xFF);   // the mute key has no light
  EXPECT_EQ(table[127], 0xFF);  // knob actions have none either
}

// --- custom slots, matrix, macros ----------------------------------------------------------

class CustomSlots : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CustomSlots, EachSlotHasItsOwnReadAndWriteCommand) {
  const std::size_t slot = GetParam();
  const auto read = static_cast<std::uint8_t>(0x22 + 2 * slot);
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const KeyboardState factory = keyboard.State();
  EXPECT_EQ(requester.Read(read, 384), Bytes(factory.factoryCustomSlots[slot].begin(),
                                             factory.factoryCustomSlots[slot].end()));
  Bytes colours(384);
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<std::uint8_t>(i + slot);
  ASSERT_TRUE(requester.Transfer(static_cast<std::uint8_t>(read + 1), colours).has_value());
  EXPECT_EQ(requester.Read(read, 384), colours);
  const KeyboardState state = keyboard.State();
  for (std::size_t other = 0; other < kCustomSlotCount; ++other) {
    EXPECT_EQ(state.customSlots[other] == state.factoryCustomSlots[other], other != slot);
  }
}

INSTANTIATE_TEST_SUITE_P(Slots, CustomSlots, ::testing::Range<std::size_t>(0, 5));

TEST(Matrix, PictureStreamAndStartCommand) {
  SimulatedKeyboard keyboard(102);
  Requester requester = keyboard.Command();
  const KeyboardState factory = keyboard.State();
  const Bytes picture(factory.matrixPicture.begin(), factory.matrixPicture.end());
  EXPECT_EQ(requester.Read(command::kReadMatrixPicture, 147), picture);
  EXPECT_EQ(requester.Read(command::kReadMatrixPicture, 24), Slice(picture, 0, 24));

  Bytes drawn(147);
  for (std::size_t i = 0; i < drawn.size(); ++i) drawn[i] = static_cast<std::uint8_t>(255 - i);
  ASSERT_TRUE(requester.Transfer(command::kWriteMatrixPicture, drawn).has_value());
  const Bytes stream(98, 0xE0);
  ASSERT_TRUE(requester.Transfer(command::kMatrixStream, stream).has_value());
  const auto start = requester.Exchange(command::kMatrixStart, 0, 56);
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(start->Status(), kStatusAccepted);

  const KeyboardState state = keyboard.State();
  EXPECT_EQ(Bytes(state.matrixPicture.begin(), state.matrixPicture.end()), drawn);
  EXPECT_EQ(Bytes(state.matrixStream.begin(), state.matrixStream.end()), stream);
  EXPECT_EQ(state.counters.matrixStarts, 1);
}

TEST(Matrix, KeyboardsWithoutOneRefuseItsCommands) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  for (const std::uint8_t command : {0x3A, 0x3B, 0x3C, 0x3D}) {
    const auto reply = requester.Exchange(command, 0, 24);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->Status(), kStatusRefused) << int{command};
  }
}

struct MacroCase {
  std::string name;
  bool receiver;
  std::size_t imageSize;
};

class MacroMemory : public ::testing::TestWithParam<MacroCase> {};

TEST_P(MacroMemory, RawFramesFillTheMemoryAtTheirOffsets) {
  const MacroCase& test = GetParam();
  SimulatedKeyboard keyboard(101, !test.receiver, test.receiver);
  Requester requester = keyboard.Command(test.receiver ? Link::kReceiver : Link::kCable);
  Bytes image(test.imageSize);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13 + 1);
  image[0] = 0xAA;
  image[1] = 0x55;
  const std::size_t chunk = requester.ChunkSize();
  for (std::size_t k = 0; k <= image.size() / chunk; ++k) {  // the last frame may carry 0 bytes
    const std::size_t offset = k * chunk;
    const std::size_t count = std::min(chunk, image.size() - offset);
    const auto reply =
        requester.Exchange(command::kWriteMacroMemory, offset, count,
                           std::span<const std::uint8_t>(image).subspan(offset, count), 20);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->Status(), kStatusAccepted);
  }
  const KeyboardState state = keyboard.State();
  EXPECT_EQ(Slice(state.macroMemory, 0, image.size()), image);
  EXPECT_EQ(state.macroMemory[image.size()], 0);
}

INSTANTIATE_TEST_SUITE_P(Images, MacroMemory,
                         ::testing::Values(MacroCase{"CableWhole", false, 112},
                                           MacroCase{"ReceiverRemainder", true, 112},
                                           MacroCase{"CableOdd", false, 1000}),
                         [](const auto& info) { return info.param.name; });

TEST(MacroMemory, FramesBeyondTheMemoryAreRefused) {
  SimulatedKeyboard keyboard(160);  // 4 x 256 bytes
  Requester requester = keyboard.Command();
  const Bytes data(56, 0x11);
  EXPECT_EQ(requester.Exchange(command::kWriteMacroMemory, 1008, 16, data)->Status(),
            kStatusAccepted);
  EXPECT_EQ(requester.Exchange(command::kWriteMacroMemory, 1024, 56, data)->Status(),
            kStatusRefused);
  EXPECT_EQ(keyboard.State().macroMemory.size(), 1024u);
  EXPECT_EQ(keyboard.State().macroMemory[1023], 0x11);
}

// --- battery, reset, brackets, framing ---------------------------------------------------

struct BatteryCase {
  std::string name;
  int modelId;
  std::optional<std::pair<std::uint8_t, std::uint8_t>> set;
  Bytes expected;
};

class Battery : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(Battery, ReportsLevelAndChargingInTheFirstDataBytes) {
  const BatteryCase& test = GetParam();
  SimulatedKeyboard keyboard(test.modelId);
  if (test.set) {
    keyboard.bus.ModifyState(keyboard.id, [&](KeyboardState& state) {
      state.batteryLevel = test.set->first;
      state.batteryCharging = test.set->second;
    });
  }
  Requester requester = keyboard.Command();
  const auto report = requester.Read(command::kReadBattery, 24);
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(Slice(*report, 0, 2), test.expected);
}

INSTANTIATE_TEST_SUITE_P(Models, Battery,
                         ::testing::Values(BatteryCase{"Factory", 101, std::nullopt, {80, 0}},
                                           BatteryCase{"Charging", 102, std::pair{35, 1}, {35, 1}},
                                           BatteryCase{
                                               "WiredOnlyHasNone", 103, std::pair{50, 1}, {0, 0}}),
                         [](const auto& info) { return info.param.name; });

TEST(FactoryReset, RestoresLayersSettingsSlotsPictureAndMacros) {
  SimulatedKeyboard keyboard(102);
  keyboard.bus.ModifyState(keyboard.id, [](KeyboardState& state) {
    state.layers[2][30] = 0x61;
    state.settings[2] = 9;
    state.customSlots[4][0] = 1;
    state.matrixPicture[5] = 2;
    state.macroMemory[7] = 3;
  });
  Requester requester = keyboard.Command();
  const auto reply = requester.Exchange(command::kFactoryReset, 0, 56);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusAccepted);
  const KeyboardState state = keyboard.State();
  EXPECT_EQ(state.layers, state.factoryLayers);
  EXPECT_EQ(state.settings, state.factorySettings);
  EXPECT_EQ(state.customSlots, state.factoryCustomSlots);
  EXPECT_EQ(state.matrixPicture, state.factoryMatrixPicture);
  EXPECT_EQ(state.macroMemory[7], 0);
  EXPECT_EQ(state.counters.factoryResets, 1);
}

TEST(Brackets, OpenAnswersWithTheKeyboardsIdentity) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const auto reply = requester.Exchange(command::kBracketOpen, 0, 56);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->Status(), kStatusAccepted);
  EXPECT_EQ(Slice(reply->bytes, 9, 4), (Bytes{0xB0, 0x36, 0x01, 0x30}));
  EXPECT_TRUE(keyboard.State().bracketOpen);
  requester.Exchange(command::kBracketClose, 0, 0);
  EXPECT_FALSE(keyboard.State().bracketOpen);
  EXPECT_EQ(keyboard.State().counters.bracketCloses, 1);
}

TEST(Brackets, AStrictKeyboardRefusesCommandsOutsideThem) {
  SimulatedKeyboard keyboard(101);
  keyboard.bus.ModifyState(keyboard.id, [](KeyboardState& state) { state.requireBracket = true; });
  Requester requester = keyboard.Command();
  EXPECT_EQ(requester.Exchange(command::kReadSettings, 0, 56)->Status(), kStatusRefused);
  requester.Exchange(command::kBracketOpen, 0, 0);
  EXPECT_EQ(requester.Exchange(command::kReadSettings, 0, 56)->Status(), kStatusAccepted);
}

TEST(Framing, RepliesEchoCommandOffsetAndLength) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  const auto reply = requester.Exchange(command::kReadLayer0, 0x150, 0x30);
  ASSERT_TRUE(reply.has_value());
  ASSERT_EQ(reply->bytes.size(), 64u);
  EXPECT_EQ(Slice(reply->bytes, 0, 8), (Bytes{0xAA, 0x1A, 0x50, 0x01, 0x30, 0, 0, 0x55}));
  EXPECT_EQ(Slice(reply->Data(), 0, 0x30), Slice(keyboard.State().layers[0], 0x150, 0x30));
}

struct RefusalCase {
  std::string name;
  std::uint8_t command;
  std::size_t offset;
  std::size_t length;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, AreAnsweredWithStatus0F) {
  const RefusalCase& test = GetParam();
  SimulatedKeyboard keyboard(160);
  Requester requester = keyboard.Command();
  const auto reply = requester.Exchange(test.command, test.offset, test.length);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->bytes[1], test.command);
  EXPECT_EQ(reply->Status(), kStatusRefused);
}

INSTANTIATE_TEST_SUITE_P(Frames, Refusals,
                         ::testing::Values(RefusalCase{"UnknownCommand", 0x77, 0, 0},
                                           RefusalCase{"LengthBeyondTheDataPart", 0x14, 0, 57},
                                           RefusalCase{"OffsetBeyondTheTable", 0x14, 64, 8},
                                           RefusalCase{"NewLiveColoursOnRevision1", 0x34, 0, 56},
                                           RefusalCase{"KnobOnAKeypad", 0x3E, 0, 56},
                                           RefusalCase{"ScreenOnAKeypad", 0xE0, 0, 56}),
                         [](const auto& info) { return info.param.name; });

TEST(Framing, ReportsThatAreNoFramesAreIgnored) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  Bytes report(65, 0);
  report[1] = 0x55;  // no 0xAA
  report[2] = command::kReadSettings;
  EXPECT_EQ(requester.Device().Write(report), 65);
  EXPECT_FALSE(requester.Receive(30).has_value());
}

TEST(Framing, ReceiverFramesCarry24DataBytes) {
  SimulatedKeyboard keyboard(101, false, true);
  Requester requester = keyboard.Command(Link::kReceiver);
  ASSERT_TRUE(requester.Valid());
  EXPECT_EQ(requester.Device().OutputReportLength(), 33);
  const auto block = requester.Read(command::kReadSettings, 64);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(requester.Exchanges(), 3);  // offsets 0, 24, 48
  const KeyboardState state = keyboard.State();
  EXPECT_EQ(*block, Bytes(state.settings.begin(), state.settings.end()));
}

// --- live colours ------------------------------------------------------------------------

// Zone-0 region, frozen animation time, then the live colours as a host reads them.
Bytes LiveColours(SimulatedKeyboard& keyboard, const LightRegion& region, double seconds,
                  std::uint8_t command = command::kReadLiveColours, std::uint8_t slot = 0) {
  keyboard.bus.ModifyState(keyboard.id, [&](KeyboardState& state) {
    WriteLightRegion(state.settings, LightZone::kZone0, region);
    state.settings[kCustomSlotByte] = slot;
    state.frozenAnimationSeconds = seconds;
  });
  Requester requester = keyboard.Command();
  return requester.Read(command, 384).value_or(Bytes{});
}

TEST(LiveColours, StaticColourLightsEveryLitKeyAndNothingElse) {
  SimulatedKeyboard keyboard(101);
  const Bytes colours = LiveColours(keyboard, {1, 4, 1, 0, 0, 0xFF, 0x20, 0x00}, 0);
  ASSERT_EQ(colours.size(), 384u);
  EXPECT_EQ(Slice(colours, 0, 3), (Bytes{0xFF, 0x20, 0x00}));        // Esc, light 0
  EXPECT_EQ(Slice(colours, 103 * 3, 3), (Bytes{0xFF, 0x20, 0x00}));  // a numeric key
  EXPECT_EQ(Slice(colours, 120 * 3, 3), (Bytes{0, 0, 0}));           // no key there
}

TEST(LiveColours, BrightnessScalesAndModeZeroIsDark) {
  SimulatedKeyboard keyboard(101);
  EXPECT_EQ(Slice(LiveColours(keyboard, {1, 2, 1, 0, 0, 200, 100, 0}, 0), 0, 3),
            (Bytes{100, 50, 0}));
  const Bytes dark = LiveColours(keyboard, {0, 4, 1, 0, 0, 200, 100, 0}, 0);
  EXPECT_EQ(dark, Bytes(384, 0));
}

TEST(LiveColours, CustomSlotModeShowsTheSlot) {
  SimulatedKeyboard keyboard(101);
  const Bytes colours = LiveColours(keyboard, {kCustomSlotMode, 4, 1, 0, 0, 0, 0, 0}, 0,
                                    command::kReadLiveColours, 2);
  EXPECT_EQ(Slice(colours, 5 * 3, 3), (Bytes{0, 0, 0xFF}));  // slot 2 ships blue
}

TEST(LiveColours, BreathingChangesOverTime) {
  SimulatedKeyboard keyboard(101);
  const LightRegion breathing{2, 4, 2, 0, 0, 0, 0xFF, 0};
  const Bytes dark = LiveColours(keyboard, breathing, 0.0);
  const Bytes bright = LiveColours(keyboard, breathing, 0.5 / 0.6);  // half a period at speed 2
  EXPECT_EQ(Slice(dark, 0, 3), (Bytes{0, 0, 0}));
  EXPECT_EQ(Slice(bright, 0, 3), (Bytes{0, 0xFF, 0}));
}

TEST(LiveColours, OlderRevisionsServeThemWith0x36) {
  SimulatedKeyboard keyboard(160);
  const Bytes colours = LiveColours(keyboard, {1, 4, 1, 0, 0, 0, 0, 0xFF}, 0, 0x36);
  ASSERT_EQ(colours.size(), 384u);
  EXPECT_EQ(Slice(colours, 0, 3), (Bytes{0, 0, 0xFF}));
}

TEST(LiveColours, ScreenSyncStreamShowsWhileItFlowsAndStopsWithANewMode) {
  SimulatedKeyboard keyboard(101);
  Requester requester = keyboard.Command();
  Bytes stream(2 * 104, 0);
  stream[0] = 0x00;  // light 0 pure red in RGB 5-6-5
  stream[1] = 0xF8;
  stream[2] = 0xE0;  // light 1 pure green
  stream[3] = 0x07;
  ASSERT_TRUE(requester.Transfer(command::kScreenSyncStream, stream).has_value());
  auto colours = requester.Read(command::kReadLiveColours, 384).value();
  EXPECT_EQ(Slice(colours, 0, 6), (Bytes{0xFF, 0, 0, 0, 0xFF, 0}));

  auto block = requester.Read(command::kReadSettings, 64).value();
  block[2] = 0;  // light off
  ASSERT_TRUE(requester.Transfer(command::kWriteSettings, block).has_value());
  colours = requester.Read(command::kReadLiveColours, 384).value();
  EXPECT_EQ(Slice(colours, 0, 6), Bytes(6, 0));
}

}  // namespace
}  // namespace sim::testing
