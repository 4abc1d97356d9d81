// The state readout of a virtual keyboard: every table as the keyboard holds it, what it
// received counted per command, and the screen's images named by their SHA-256.

#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "sim/StateReport.h"

namespace sim::testing {
namespace {

base::Json State(SimulatedKeyboard& keyboard) {
  const std::optional<base::Json> parsed =
      base::Json::Parse(RunControlCommand(keyboard.bus, "state"));
  EXPECT_TRUE(parsed.has_value());
  return parsed.value_or(base::Json());
}

const base::Json& Member(const base::Json& object, std::string_view path) {
  static const base::Json kNull;
  const base::Json* at = &object;
  while (!path.empty()) {
    const std::size_t dot = path.find('.');
    at = at->Find(path.substr(0, dot));
    if (at == nullptr) return kNull;
    path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
  }
  return *at;
}

TEST(StateReport, ShowsTheTablesAsTheKeyboardHoldsThem) {
  SimulatedKeyboard keyboard(101);
  const KeyboardState state = keyboard.State();
  const base::Json report = State(keyboard);
  EXPECT_EQ(Member(report, "keyboard").AsString(), "kb1");
  EXPECT_EQ(Member(report, "model").AsInteger(), 101);
  EXPECT_EQ(Member(report, "connection.link").AsString(), "online");
  EXPECT_TRUE(Member(report, "connection.cable").AsBool());
  EXPECT_EQ(Member(report, "settings").AsString(), HexBytes(state.settings));
  ASSERT_EQ(Member(report, "layers").AsArray().size(), 4u);
  EXPECT_EQ(Member(report, "layers").AsArray()[3].AsString(), HexBytes(state.layers[3]));
  EXPECT_EQ(Member(report, "factory_layers").AsArray()[0].AsString(),
            HexBytes(state.factoryLayers[0]));
  EXPECT_EQ(Member(report, "custom_slots").AsArray().size(), 5u);
  EXPECT_EQ(Member(report, "light_indices").AsString().size(), 2 * kKeyCount);
  EXPECT_EQ(Member(report, "macro_memory").AsString().size(), 2 * state.macroMemory.size());
  EXPECT_EQ(Member(report, "live_colours").AsString().size(), 2 * kKeyCount * 3);
  EXPECT_EQ(Member(report, "information").AsString(),
            HexBytes(EncodeInformationBlock(state.info, state.vendorId, state.productId)));
  EXPECT_TRUE(Member(report, "light_modes.matrix").IsObject());
  EXPECT_TRUE(Member(report, "screen.clock").IsNull());
}

TEST(StateReport, CountsWhatTheKeyboardReceivedPerCommandAndShowsTheBytesItWasSent) {
  SimulatedKeyboard keyboard(101);
  Requester host = keyboard.Command();
  const auto settings = host.Read(command::kReadSettings, kSettingsSize);
  ASSERT_TRUE(settings.has_value());
  Bytes changed = *settings;
  const std::size_t gameMode =
      SystemSettingsLayoutFor(keyboard.State().info.protocolRevision).gameMode;
  changed[gameMode] = 1;
  ASSERT_TRUE(host.Transfer(command::kWriteSettings, changed).has_value());

  const base::Json report = State(keyboard);
  // 64 bytes by cable go in two chunks of 56 and 8.
  EXPECT_EQ(Member(report, "frames_received.0x14").AsInteger(), 2);
  EXPECT_EQ(Member(report, "frames_received.0x15").AsInteger(), 2);
  EXPECT_TRUE(Member(report, "frames_received.0x12").IsNull());
  EXPECT_EQ(Member(report, "settings").AsString(), HexBytes(changed));
  EXPECT_EQ(Member(report, "system_settings.game_mode").AsInteger(), 1);
}

TEST(StateReport, NamesEachStoredScreenImageByItsSha256) {
  SimulatedKeyboard keyboard(101);
  const Bytes first(70000, 0x5A);
  const Bytes second = {'a', 'b', 'c'};
  keyboard.bus.ModifyState(keyboard.id, [&](KeyboardState& state) {
    ScreenFlash& flash = state.screen.flash;
    ASSERT_TRUE(flash.Erase(0, 4));
    ASSERT_TRUE(flash.Program(0, first));
    ASSERT_TRUE(flash.Program(2 * ScreenFlash::kBlockSize, second));
    auto& table = state.screen.mediaTable;
    table[1] = 3;  // the third entry points past the flash
    table[3] = 0;
    table[5] = 70000 & 0xFF;
    table[6] = (70000 >> 8) & 0xFF;
    table[7] = 70000 >> 16;
    table[8] = 2;
    table[10] = 3;
    table[13] = 0xFF;
    table[15] = 0xFF;
    table[16] = 0xFF;
    table[17] = 0xFF;
  });
  const base::Json images = Member(State(keyboard), "screen.images");
  ASSERT_EQ(images.AsArray().size(), 3u);
  EXPECT_EQ(Member(images.AsArray()[0], "size").AsInteger(), 70000);
  EXPECT_EQ(Member(images.AsArray()[0], "sha256").AsString(), Sha256Hex(first));
  EXPECT_EQ(Member(images.AsArray()[1], "start_block").AsInteger(), 2);
  EXPECT_EQ(Member(images.AsArray()[1], "sha256").AsString(),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_TRUE(Member(images.AsArray()[2], "sha256").IsNull());
}

TEST(StateReport, AnImpossibleImageCountIsCutToWhatTheTableHolds) {
  SimulatedKeyboard keyboard(101);
  keyboard.bus.ModifyState(keyboard.id,
                           [](KeyboardState& state) { state.screen.mediaTable[1] = 0xFF; });
  EXPECT_EQ(Member(State(keyboard), "screen.images").AsArray().size(), (128u - 3) / 5);
}

TEST(StateReport, AnUnknownKeyboardIsAnError) {
  SimulatedKeyboard keyboard(101);
  EXPECT_EQ(RunControlCommand(keyboard.bus, "state kb9"), "error: no such keyboard");
  EXPECT_EQ(RunControlCommand(keyboard.bus, "state now kb1"), "error: usage: state [kbN]");
}

}  // namespace
}  // namespace sim::testing
