// The words tarvoctl reads for keys, layers, knob actions and key functions, and that what it
// prints reads back as the same thing.

#include <gtest/gtest.h>

#include <set>

#include "cli/KeyWords.h"
#include "cli/Words.h"

namespace {

namespace ft = protocol::function_type;
using protocol::KeyFunction;

TEST(KeyWords, KeysByNameAnyCaseOrByCode) {
  const struct {
    const char* word;
    std::optional<int> code;
  } cases[] = {
      {"A", 0x04},
      {"a", 0x04},
      {"Z", 0x1D},
      {"1", 0x1E},
      {"0", 0x27},
      {"Esc", 0x29},
      {"escape", 0x29},
      {"F1", 0x3A},
      {"f12", 0x45},
      {"F13", 0x68},
      {"F24", 0x73},
      {"KP0", 0x62},
      {"kp7", 0x5F},
      {"KP+", 0x57},
      {"Up", 0x52},
      {"PgDn", 0x4E},
      {"Shift", 0xE1},
      {"LShift", 0xE1},
      {"RShift", 0xE5},
      {"Win", 0xE3},
      {"=", 0x2E},
      {"\\", 0x31},
      {"Fn", 0xF0},
      {"0x04", 0x04},
      {"0XfF", 0xFF},
      {"0x", std::nullopt},
      {"0x123", std::nullopt},
      {"0xG1", std::nullopt},
      {"4", 0x21},
      {"44", std::nullopt},
      {"", std::nullopt},
      {"Ctrl+C", std::nullopt},
      {"Shfit", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::ParseKeyWord(c.word), c.code) << c.word;
}

TEST(KeyWords, EveryPrintedKeyNameReadsBackAsItsCode) {
  std::set<std::string> seen;
  for (int code = 0; code <= 0xFF; ++code) {
    const std::string word = cli::KeyWordOf(code);
    if (word.empty()) continue;
    EXPECT_EQ(cli::ParseKeyWord(word), code) << word;
    EXPECT_TRUE(seen.insert(word).second) << "printed for two codes: " << word;
  }
  EXPECT_EQ(seen.size(), cli::KeyWords().size());
  EXPECT_EQ(cli::KeyWordOf(0xE4), "RCtrl");
  EXPECT_EQ(cli::KeyWordOf(0x03), "");
}

TEST(KeyWords, LayersAndKnobActions) {
  EXPECT_EQ(cli::ParseLayer("0"), 0);
  EXPECT_EQ(cli::ParseLayer("3"), 3);
  EXPECT_EQ(cli::ParseLayer("4"), std::nullopt);
  EXPECT_EQ(cli::ParseLayer("-1"), std::nullopt);
  EXPECT_EQ(cli::ParseLayer("fn1"), std::nullopt);
  EXPECT_EQ(cli::ParseKnobAction("left"), 0);
  EXPECT_EQ(cli::ParseKnobAction("RIGHT"), 1);
  EXPECT_EQ(cli::ParseKnobAction("2"), 2);
  EXPECT_EQ(cli::ParseKnobAction("3"), std::nullopt);
  EXPECT_EQ(cli::ParseKnobAction("up"), std::nullopt);
  EXPECT_EQ(cli::KnobActionWord(2), "press");
  EXPECT_EQ(cli::KnobActionWord(3), "");
}

TEST(KeyWords, FunctionsOfEveryKind) {
  const struct {
    const char* text;
    KeyFunction function;
  } cases[] = {
      {"A", {ft::kKeyboardKey, 0x04, 0, 0}},
      {"esc", {ft::kKeyboardKey, 0x29, 0, 0}},
      {"RShift", {ft::kKeyboardKey, 0xE5, 0, 0}},
      {"Ctrl+C", {ft::kKeyboardKey, 0x06, 0x01, 0}},
      {"ctrl+shift+esc", {ft::kKeyboardKey, 0x29, 0x03, 0}},
      {"RAlt+F4", {ft::kKeyboardKey, 0x3D, 0x40, 0}},
      {"LWin+RWin+Tab", {ft::kKeyboardKey, 0x2B, 0x88, 0}},
      {"Ctrl+Shift", {ft::kKeyboardKey, 0xE1, 0x01, 0}},
      {"Ctrl+KP+", {ft::kKeyboardKey, 0x57, 0x01, 0}},
      {"Shift+=", {ft::kKeyboardKey, 0x2E, 0x02, 0}},
      {"mouse-left", {ft::kMouse, 90, 0, 0}},
      {"Scroll-Down", {ft::kMouse, 97, 0, 0}},
      {"volume-up", {ft::kMedia, 104, 0, 0}},
      {"play-pause", {ft::kMedia, 100, 0, 0}},
      {"copy", {ft::kShortcut, 155, 0, 0}},
      {"lock-screen", {ft::kShortcut, 152, 0, 0}},
      {"Fn", {ft::kKeyboardFunction, 2, 0, 0}},
      {"bl-tog", {ft::kKeyboardFunction, 9, 0, 0}},
      {"KeyTest", {ft::kKeyboardFunction, 74, 0, 0}},
      {"macro 3", {ft::kMacro, 3, 0, 0}},
      {"Macro 12", {ft::kMacro, 12, 0, 0}},
      {"disabled", {ft::kFixed, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const cli::ParsedFunction parsed = cli::ParseKeyFunction(c.text);
    ASSERT_TRUE(parsed.function.has_value()) << c.text << ": " << parsed.problem;
    EXPECT_EQ(*parsed.function, c.function) << c.text;
  }
}

TEST(KeyWords, WhatNamesNoFunctionSaysWhy) {
  const struct {
    const char* text;
    const char* problem;  // a part of it
  } cases[] = {
      {"", "no function"},
      {"volume-upp", "did you mean volume-up?"},
      {"frobnicate", "no such function 'frobnicate'"},
      {"Ctrl+Q1", "no such key 'Q1'"},
      {"Hyper+C", "'Hyper' in 'Hyper+C' is no modifier"},
      {"Ctrl+Fn", "no such key 'Fn'"},  // the Fn key is no key a function can send
      {"Ctrl+", "no such key ''"},
      {"macro", "macro N"},
      {"macro x", "macro N"},
      {"Knob", "no such function"},
  };
  for (const auto& c : cases) {
    const cli::ParsedFunction parsed = cli::ParseKeyFunction(c.text);
    EXPECT_FALSE(parsed.function.has_value()) << c.text;
    EXPECT_NE(parsed.problem.find(c.problem), std::string::npos)
        << c.text << ": " << parsed.problem;
  }
}

TEST(KeyWords, EveryFunctionNameIsOneFunctionAndPrintsBackAsItself) {
  std::set<std::string> lowered;
  for (const std::string& word : cli::KeyFunctionWords()) {
    std::string lower = word;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(lowered.insert(lower).second) << "named twice: " << word;
    if (word == "macro") continue;
    const cli::ParsedFunction parsed = cli::ParseKeyFunction(word);
    ASSERT_TRUE(parsed.function.has_value()) << word;
    EXPECT_TRUE(cli::SameWord(cli::KeyFunctionWordOf(*parsed.function), word)) << word;
  }
  // Printed forms that are no single name read back as the same function too.
  for (const KeyFunction& function :
       {KeyFunction{ft::kKeyboardKey, 0x06, 0x11, 0}, KeyFunction{ft::kMacro, 7, 0, 0}}) {
    EXPECT_EQ(cli::ParseKeyFunction(cli::KeyFunctionWordOf(function)).function, function);
  }
  EXPECT_EQ(cli::KeyFunctionWordOf({ft::kKeyboardKey, 0x06, 0x11, 0}), "Ctrl+RCtrl+C");
  EXPECT_EQ(cli::KeyFunctionWordOf({ft::kDefault, 0, 0, 0}), "default");
}

TEST(Words, SuggestionsAreTheCloseNamesOnly) {
  const std::vector<std::string> names = {"keys", "side", "top"};
  EXPECT_EQ(cli::ClosestWords("sde", names), (std::vector<std::string>{"side"}));
  EXPECT_EQ(cli::ClosestWords("TOP", names), (std::vector<std::string>{"top"}));
  EXPECT_TRUE(cli::ClosestWords("matrix", names).empty());
  EXPECT_EQ(cli::Suggestion("kyes", names), "; did you mean keys?");
  EXPECT_EQ(cli::ChoiceList({"a", "b", "c"}), "a, b or c");
}

}  // namespace
