#include <gtest/gtest.h>

#include <climits>

#include "base/Text.h"

namespace {

TEST(TextToInt, FollowsTheLeadingDigitsRule) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"42", 42},
      {"  17x", 17},
      {"-5", -5},
      {"+8", 8},
      {"3.9", 3},
      {"0012", 12},
      {"- 4", 0},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"\t\n7", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(base::ToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextParseHex, AcceptsPrefixAndStopsAtTheFirstNonDigit) {
  const struct {
    const char* text;
    long value;
  } cases[] = {
      {"", 0},       {"E0", 0xE0}, {"0x29", 0x29}, {"0X1f", 0x1F}, {"36B0", 0x36B0},
      {"ffg", 0xFF}, {"0x", 0},    {"0xz", 0},     {"zz", 0},      {" -10", -16},
  };
  for (const auto& c : cases) EXPECT_EQ(base::ParseHex(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextCodePoints, CountsAndCutsWholeCharacters) {
  const std::string mixed = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80Z";  // A é 中 😀 Z
  EXPECT_EQ(base::CodePointCount(mixed), 5u);
  EXPECT_EQ(base::CodePointPrefix(mixed, 3), "A\xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(base::DropCodePoints(mixed, 3), "\xF0\x9F\x98\x80Z");
  EXPECT_EQ(base::CodePointPrefix(mixed, 50), mixed);
  EXPECT_EQ(base::DropCodePoints(mixed, 50), "");
  // A stray continuation byte counts as one character and is never split.
  EXPECT_EQ(base::CodePointCount("\x80\x80"), 2u);
  EXPECT_EQ(base::CodePointPrefix("\xE4\xB8", 1), "\xE4");
}

TEST(TextUtf8, ValidatesAndEncodes) {
  EXPECT_TRUE(base::IsValidUtf8("plain"));
  EXPECT_TRUE(base::IsValidUtf8("\xE4\xB8\xAD"));
  EXPECT_FALSE(base::IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(base::IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(base::IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(base::IsValidUtf8("\xE4\xB8"));          // cut short
  std::string out;
  for (char32_t cp : {U'A', U'\u00E9', U'\u4E2D', U'\U0001F600', char32_t{0xD800}})
    base::AppendUtf8(out, cp);
  EXPECT_EQ(out, "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

}  // namespace

TEST(FormatTest, FillsPlaceholdersInTurnAndNeverReadsMoreValuesThanGiven) {
  struct Case {
    const char* pattern;
    std::vector<std::string> values;
    const char* expected;
  };
  const Case cases[] = {
      {"%s is not connected. %s is", {"K9", "M7"}, "K9 is not connected. M7 is"},
      {"%d entries", {"12"}, "12 entries"},
      {"100%% sure, %s", {"yes"}, "100% sure, yes"},
      {"%s and %s and %n", {"one"}, "one and %s and %n"},  // a hostile table gains nothing
      {"trailing %", {}, "trailing %"},
  };
  for (const Case& c : cases) {
    std::string result;
    if (c.values.size() == 2) result = base::Format(c.pattern, c.values[0], c.values[1]);
    if (c.values.size() == 1) result = base::Format(c.pattern, c.values[0]);
    if (c.values.empty()) result = base::Format(c.pattern, {});
    EXPECT_EQ(result, c.expected) << c.pattern;
  }
}
