// tarvoctl's key, knob, light and slot commands in the controller, against a virtual keyboard:
// what the keyboard received, that the answer comes only once it has, and that a refused
// command changes nothing.

#include <gtest/gtest.h>

#include "ConnectedKeyboardFixture.h"
#include "app/ControlServer.h"

namespace {

using cli::Answer;
using cli::Reason;

class KeyAndLightCommandsTest : public ConnectedKeyboardFixture {
 protected:
  void SetUp() override {
    ConnectedKeyboardFixture::SetUp();
    Plug(101);
    StartUp();
    ASSERT_GT(Profile(), 0);
    server = std::make_unique<ControlServer>(*dialog);
    Settle();
  }

  void Start(std::vector<std::string> words) {
    answer.reset();
    server->Execute(cli::Request{std::move(words), {}},
                    [this](Answer reply) { answer = std::move(reply); });
  }
  Answer Run(std::vector<std::string> words) {
    Start(std::move(words));
    Settle();
    EXPECT_TRUE(answer.has_value());
    return answer.value_or(Answer::Failure(Reason::kFailed, "no answer"));
  }

  // The three bytes of a key's entry in a layer table the keyboard keeps.
  std::vector<int> Entry(int layer, int code) {
    const std::optional<int> index = dialog->Layout()->FindKeyIndex(code);
    EXPECT_TRUE(index.has_value()) << code;
    const sim::KeyboardState state = Keyboard();
    const auto& table = state.layers[static_cast<std::size_t>(layer)];
    const std::size_t at = static_cast<std::size_t>(index.value_or(0)) * 3;
    return {table[at], table[at + 1], table[at + 2]};
  }
  std::optional<std::uint32_t> SlotColor(int slot, int code) {
    const std::optional<int> light = dialog->Layout()->FindLightIndex(code);
    if (!light) return std::nullopt;
    const sim::KeyboardState state = Keyboard();
    const auto& table = state.customSlots[static_cast<std::size_t>(slot - 128)];
    const std::size_t at = static_cast<std::size_t>(*light) * 3;
    return table[at] | table[at + 1] << 8 | table[at + 2] << 16;
  }

  std::optional<Answer> answer;
  std::unique_ptr<ControlServer> server;
};

constexpr int kKeyA = 0x04;
constexpr int kKeyB = 0x05;

TEST_F(KeyAndLightCommandsTest, AKeyIsAnsweredOnceItsEntryIsOnTheKeyboardAndResetGivesTheFactory) {
  const sim::KeyboardState before = Keyboard();
  Start({"key", "set", "0", "a", "Ctrl+C"});
  backend.PumpUntilIdle();
  EXPECT_FALSE(answer.has_value()) << "stored and queued, not sent yet";
  Settle();
  ASSERT_TRUE(answer.has_value() && answer->ok) << (answer ? answer->error : "");
  EXPECT_EQ(answer->result.Find("function")->AsString(), "Ctrl+C");
  EXPECT_EQ(Entry(0, kKeyA), (std::vector<int>{0x10, 0x01, 0x06}));
  // Exactly those three bytes of layer 0 changed, and no other layer.
  auto expected = before.layers;
  const std::size_t at = static_cast<std::size_t>(*dialog->Layout()->FindKeyIndex(kKeyA)) * 3;
  expected[0][at] = 0x10;
  expected[0][at + 1] = 0x01;
  expected[0][at + 2] = 0x06;
  EXPECT_EQ(Keyboard().layers, expected);

  // A function by the name the window's picker shows, and a media function on a Fn layer.
  ASSERT_TRUE(Run({"key", "set", "2", "B", "volume-up"}).ok);
  const Answer shown = Run({"key", "show", "2"});
  ASSERT_TRUE(shown.ok);
  const base::Json& layer = shown.result.Find("layers")->AsArray().at(0);
  bool found = false;
  for (const base::Json& key : layer.Find("keys")->AsArray()) {
    if (key.Find("code")->AsInteger() != kKeyB) continue;
    found = true;
    EXPECT_EQ(key.Find("key")->AsString(), "B");
    EXPECT_EQ(key.Find("function")->AsString(), "volume-up");
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(layer.Find("knob")->AsArray().size(), 3u) << "model 101 has a knob";

  ASSERT_TRUE(Run({"key", "reset", "0", "A"}).ok);
  EXPECT_EQ(Keyboard().layers[0], before.factoryLayers[0]);
  ASSERT_TRUE(Run({"key", "reset", "2"}).ok);
  EXPECT_EQ(Keyboard().layers[2], before.factoryLayers[2]);
}

TEST_F(KeyAndLightCommandsTest, AChangeThatJoinsAWaitingTaskIsAnsweredOnlyOnceThatTaskRan) {
  // The window queued a key change; its task waits. The command's change joins that task.
  ASSERT_EQ(dialog->Keys().Service().AssignFunction(
                0, kKeyB, {{protocol::function_type::kKeyboardKey, 0x1D, 0, 0}, {}}),
            keys::ChangeResult::kDone);
  Start({"key", "set", "0", "A", "Esc"});
  backend.PumpUntilIdle();
  EXPECT_FALSE(answer.has_value()) << "nothing has reached the keyboard yet";
  Settle();
  ASSERT_TRUE(answer.has_value() && answer->ok) << (answer ? answer->error : "");
  EXPECT_EQ(Entry(0, kKeyA), (std::vector<int>{0x10, 0x00, 0x29}));
  EXPECT_EQ(Entry(0, kKeyB), (std::vector<int>{0x10, 0x00, 0x1D}));

  // The same for the light: a brightness waiting to be sent, then the command's speed.
  ASSERT_TRUE(dialog->Lighting().Service().SetZoneBrightness(0, 2));
  Start({"light", "speed", "keys", "1"});
  backend.PumpUntilIdle();
  EXPECT_FALSE(answer.has_value());
  Settle();
  ASSERT_TRUE(answer.has_value() && answer->ok) << (answer ? answer->error : "");
  const sim::LightRegion region = sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone0);
  EXPECT_EQ(region.brightness, 2);
  EXPECT_EQ(region.speed, 4 - 1) << "speeds travel as the maximum minus the speed";
}

TEST_F(KeyAndLightCommandsTest, ModesAndSlotsReachTheKeyboard) {
  ASSERT_TRUE(Run({"light", "mode", "keys", "breathing"}).ok);
  EXPECT_EQ(sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone0).mode, 3);
  ASSERT_TRUE(Run({"light", "mode", "side", "flash"}).ok);
  EXPECT_EQ(sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone1).mode, 3);
  const Answer coloured = Run({"light", "colour", "keys", "#FF8000"});
  ASSERT_TRUE(coloured.ok) << coloured.error;
  const sim::LightRegion keys = sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone0);
  EXPECT_EQ(std::vector<int>({keys.red, keys.green, keys.blue, keys.colorful}),
            std::vector<int>({0xFF, 0x80, 0x00, 0}));

  const auto otherSlot = Keyboard().customSlots[129 - 128];
  ASSERT_TRUE(Run({"slot", "fill", "130", "FF0000"}).ok);
  ASSERT_TRUE(Run({"slot", "paint", "130", "A=00FF00", "Esc=0000ff"}).ok);
  EXPECT_EQ(SlotColor(130, kKeyA), 0x00FF00u);
  EXPECT_EQ(SlotColor(130, 0x29), 0xFF0000u) << "blue, kept as 0x00BBGGRR";
  EXPECT_EQ(SlotColor(130, kKeyB), 0x0000FFu) << "red from the fill";
  EXPECT_EQ(Keyboard().customSlots[129 - 128], otherSlot) << "another slot";
  const Answer stored = Run({"slot", "show", "130"});
  ASSERT_TRUE(stored.ok);
  std::vector<std::string> storedA;
  for (const base::Json& key : stored.result.Find("keys")->AsArray()) {
    if (key.Find("code")->AsInteger() == kKeyA) storedA.push_back(key.Find("colour")->AsString());
  }
  EXPECT_EQ(storedA, std::vector<std::string>{"00FF00"});
  const Answer shown = Run({"light", "show"});
  ASSERT_TRUE(shown.ok);
  EXPECT_EQ(shown.result.Find("zones")->AsArray().at(0).Find("slot")->AsInteger(), 130);
}

TEST_F(KeyAndLightCommandsTest, RefusedCommandsSayWhyAndChangeNothing) {
  ASSERT_TRUE(Run({"light", "mode", "keys", "static"}).ok);  // no speed, no direction
  const sim::KeyboardState before = Keyboard();
  const struct {
    std::vector<std::string> words;
    Reason reason;
    const char* error;
  } cases[] = {
      {{"key", "set", "0", "Q1", "A"}, Reason::kNotFound, "no such key: Q1"},
      {{"key", "set", "4", "A", "B"}, Reason::kInvalidValue, "LAYER is 0"},
      {{"key", "set", "0", "A", "volume-upp"}, Reason::kNotFound, "did you mean volume-up?"},
      {{"key", "set", "0", "A", "macro", "99"}, Reason::kNotFound, "no such macro: 99"},
      {{"key", "set", "0", "0x03", "B"}, Reason::kNotFound, "has no key 0x03"},
      {{"knob", "set", "left", "mouse-left"}, Reason::kInvalidValue, "the knob takes"},
      {{"knob", "set", "up", "mute"}, Reason::kInvalidValue, "left, right or press"},
      {{"light", "mode", "keys", "flow"}, Reason::kNotFound, "no such mode of the key lights"},
      {{"light", "mode", "attic", "wave"}, Reason::kNotFound, "no such light zone: attic"},
      {{"light", "speed", "keys", "1"}, Reason::kNotSupported, "has no speed"},
      {{"light", "direction", "keys", "left"}, Reason::kNotSupported, "has no direction"},
      {{"light", "brightness", "keys", "5"}, Reason::kInvalidValue, "goes from 0 to 4, not 5"},
      {{"light", "colour", "keys", "red"}, Reason::kInvalidValue, "not 'red'"},
      {{"slot", "fill", "127", "FF0000"}, Reason::kInvalidValue, "128 to 132"},
      {{"slot", "paint", "130", "A=FF0000", "Nokey=00FF00"}, Reason::kNotFound, "no such key"},
      {{"slot", "paint", "130", "A=FF00"}, Reason::kInvalidValue, "not 'FF00'"},
  };
  for (const auto& c : cases) {
    const Answer refused = Run(c.words);
    EXPECT_FALSE(refused.ok) << c.words[1];
    EXPECT_EQ(refused.reason, c.reason) << c.words[1] << ": " << refused.error;
    EXPECT_NE(refused.error.find(c.error), std::string::npos) << refused.error;
  }
  const sim::KeyboardState after = Keyboard();
  EXPECT_EQ(after.layers, before.layers);
  EXPECT_EQ(after.settings, before.settings);
  EXPECT_EQ(after.customSlots, before.customSlots);

  // With the light off nothing of a mode can change until it is on again.
  ASSERT_TRUE(Run({"light", "off"}).ok);
  EXPECT_EQ(sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone0).mode, 0);
  EXPECT_EQ(Run({"light", "brightness", "keys", "1"}).reason, Reason::kNotSupported);
  ASSERT_TRUE(Run({"light", "on"}).ok);
  EXPECT_EQ(sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kZone0).mode, 4);
}

}  // namespace
