// The words tarvoctl reads for light zones, modes, directions, colours and custom slots.

#include <gtest/gtest.h>

#include "cli/LightWords.h"

namespace {

TEST(LightWords, ZonesByNameOrNumber) {
  const struct {
    const char* word;
    std::optional<int> zone;
  } cases[] = {
      {"keys", 0},
      {"KEYS", 0},
      {"0", 0},
      {"side", 1},
      {"1", 1},
      {"top", 2},
      {"logo", 2},
      {"2", 2},
      {"3", std::nullopt},
      {"matrix", std::nullopt},
      {"", std::nullopt},
      {"key", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::ParseZone(c.word), c.zone) << c.word;
  EXPECT_EQ(cli::ZoneWord(1), "side");
}

TEST(LightWords, ModesBelongToTheirZone) {
  const struct {
    int zone;
    const char* word;
    std::optional<int> mode;
  } cases[] = {
      {0, "off", 0},
      {0, "wave", 1},
      {0, "Breathing", 3},
      {0, "sine-wave", 20},
      {0, "custom", 128},
      {0, "20", 20},
      {0, "21", std::nullopt},
      {0, "128", 128},
      {0, "130", std::nullopt},
      {0, "flow", std::nullopt},
      {1, "flow", 0},
      {1, "static", 4},
      {2, "breathing", 1},
      {2, "wave", std::nullopt},
      {1, "custom", std::nullopt},
      {1, "5", std::nullopt},
      {3, "flow", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(cli::ParseLightMode(c.zone, c.word), c.mode) << c.zone << " " << c.word;
  // What is printed reads back.
  for (int zone = 0; zone < 3; ++zone) {
    for (const std::string& word : cli::LightModeWords(zone)) {
      const std::optional<int> mode = cli::ParseLightMode(zone, word);
      ASSERT_TRUE(mode.has_value()) << word;
      EXPECT_EQ(cli::LightModeWord(zone, *mode), word);
    }
  }
  EXPECT_EQ(cli::LightModeWords(0).size(), 22u);
  EXPECT_EQ(cli::LightModeWord(0, 77), "77");
}

TEST(LightWords, ColoursAreRedGreenBlueInHexAndKeptBlueFirst) {
  const struct {
    const char* word;
    std::optional<std::uint32_t> color;  // 0x00BBGGRR
  } cases[] = {
      {"FF0000", 0x0000FF},       {"00ff00", 0x00FF00},      {"#0000FF", 0xFF0000},
      {"FF8000", 0x0080FF},       {"123456", 0x563412},      {"000000", 0x000000},
      {"FFF", std::nullopt},      {"FF00000", std::nullopt}, {"GG0000", std::nullopt},
      {"##FF0000", std::nullopt}, {"", std::nullopt},        {"-F0000", std::nullopt},
      {"0xFF00", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::ParseColour(c.word), c.color) << c.word;
  EXPECT_EQ(cli::ColourWord(0x0080FF), "FF8000");
  EXPECT_EQ(cli::ColourWord(0xFF563412), "123456") << "the unused top byte is no colour";
}

TEST(LightWords, DirectionsSlotsAndKeyColourPairs) {
  EXPECT_EQ(cli::ParseDirection("right"), 0);
  EXPECT_EQ(cli::ParseDirection("Left"), 1);
  EXPECT_EQ(cli::ParseDirection("down"), 3);
  EXPECT_EQ(cli::ParseDirection("0"), std::nullopt);
  EXPECT_EQ(cli::DirectionWord(2), "up");

  EXPECT_EQ(cli::ParseSlot("128"), 128);
  EXPECT_EQ(cli::ParseSlot("132"), 132);
  EXPECT_EQ(cli::ParseSlot("127"), std::nullopt);
  EXPECT_EQ(cli::ParseSlot("133"), std::nullopt);
  EXPECT_EQ(cli::ParseSlot("1"), std::nullopt);

  const struct {
    const char* word;
    bool pair;
    const char* key;
    std::optional<std::uint32_t> color;
  } pairs[] = {
      {"A=FF0000", true, "A", 0x0000FF},
      {"==00FF00", true, "=", 0x00FF00},  // the key "=" itself
      {"Esc=nope", true, "Esc", std::nullopt},
      {"A=", true, "A", std::nullopt},
      {"A", false, "", std::nullopt},
      {"=FF0000", false, "", std::nullopt},
  };
  for (const auto& c : pairs) {
    const std::optional<cli::KeyColourWord> split = cli::SplitKeyColour(c.word);
    ASSERT_EQ(split.has_value(), c.pair) << c.word;
    if (!split) continue;
    EXPECT_EQ(split->key, c.key) << c.word;
    EXPECT_EQ(split->color, c.color) << c.word;
  }
}

}  // namespace
