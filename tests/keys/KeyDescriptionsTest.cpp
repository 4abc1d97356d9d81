#include <gtest/gtest.h>

#include <vector>

#include "KeysTestSupport.h"
#include "core/TextTable.h"
#include "keys/KeyDescriptions.h"
#include "keys/KeyFunctionCatalogue.h"

namespace {

using keys::DecodedKey;
using protocol::KeyEntry;
using protocol::KeyFunction;

class KeyDescriptionsTest : public ::testing::Test {
 protected:
  KeyDescriptionsTest() : texts_(languages_.AppFolder(), 1033) { catalogue_.Build(texts_); }

  DecodedKey Decode(KeyEntry entry) const {
    return keys::DecodeKey(entry, {texts_, catalogue_, macros_});
  }

  TestLanguages languages_;
  core::TextTable texts_;
  keys::KeyFunctionCatalogue catalogue_;
  std::vector<keys::MacroName> macros_ = {{5, "New Macro 3"},
                                          {8, "Boss key"},
                                          {9,
                                           "\xE6\x96\xB0\xE5\xBB\xBA\xE5\xAE\x8F"
                                           "7"}};
};

TEST_F(KeyDescriptionsTest, DecodedEntriesAreNamedByTheirFunction) {
  const struct {
    KeyEntry entry;
    KeyFunction function;
    std::optional<std::string> description;
  } cases[] = {
      {{0x10, 0x00, 0x04}, {2, 4, 0, 0}, "A"},
      {{0x10, 0x01, 0x06}, {2, 6, 1, 0}, "C"},
      {{0x10, 0x02, 0x00}, {2, 0xE1, 0, 0}, "Shift"},
      {{0x10, 0x80, 0x00}, {2, 0xE7, 0, 0}, ""},  // right Win has no short name
      {{0x10, 0x00, 0x31}, {2, 0x31, 0, 0}, "\\"},
      {{0x10, 0x03, 0x00}, {2, 0, 3, 0}, "LCtrl+ LShift"},
      {{0x02, 0x02, 0x00}, {7, 161, 0, 0}, "en257"},
      {{0x02, 0x01, 0x00}, {7, 162, 0, 0}, "en258"},
      {{0x02, 0x03, 0x00}, {7, 163, 0, 0}, "en259"},
      {{0x30, 0x83, 0x01}, {6, 110, 0, 0}, "en263"},
      {{0x30, 0xE9, 0x00}, {6, 104, 0, 0}, "en268"},
      {{0x30, 0xEA, 0x00}, {6, 105, 0, 0}, "en269"},
      {{0x30, 0xE2, 0x00}, {6, 106, 0, 0}, "en270"},
      {{0x30, 0xCD, 0x00}, {6, 100, 0, 0}, "en264"},
      {{0x30, 0xB7, 0x00}, {6, 101, 0, 0}, "en265"},
      {{0x30, 0xB6, 0x00}, {6, 102, 0, 0}, "en266"},
      {{0x30, 0xB5, 0x00}, {6, 103, 0, 0}, "en267"},
      {{0x30, 0x6F, 0x00}, {6, 111, 0, 0}, "en278"},
      {{0x30, 0x70, 0x00}, {6, 112, 0, 0}, "en279"},
      {{0x30, 0x23, 0x02}, {6, 116, 0, 0}, "en271"},
      {{0x30, 0x27, 0x02}, {6, 117, 0, 0}, "en272"},
      {{0x30, 0x26, 0x02}, {6, 118, 0, 0}, "en273"},
      {{0x30, 0x24, 0x02}, {6, 119, 0, 0}, "en274"},
      {{0x30, 0x25, 0x02}, {6, 120, 0, 0}, "en275"},
      {{0x30, 0x2A, 0x02}, {6, 121, 0, 0}, "en276"},
      {{0x30, 0x21, 0x02}, {6, 122, 0, 0}, "en277"},
      {{0x30, 0x94, 0x01}, {6, 113, 0, 0}, "en280"},
      {{0x30, 0x92, 0x01}, {6, 114, 0, 0}, "en281"},
      {{0x30, 0x8A, 0x01}, {6, 115, 0, 0}, "en282"},
      {{0x40, 0x00, 0x01}, {5, 90, 0, 0}, "en220"},
      {{0x40, 0x05, 0x01}, {5, 96, 0, 0}, "en225"},
      {{0x40, 0x06, 0x01}, {5, 97, 0, 0}, "en226"},
      {{0x40, 0x00, 0x02}, {5, 92, 0, 0}, "en223"},
      {{0x40, 0x00, 0x04}, {5, 91, 0, 0}, "en222"},
      {{0x40, 0x00, 0x10}, {5, 94, 0, 0}, "en227"},
      {{0x40, 0x00, 0x08}, {5, 95, 0, 0}, "en228"},
      {{0x50, 0x4A, 0x00}, {12, 74, 0, 0}, "KeyTest"},
      {{0x50, 0x01, 0x00}, {12, 1, 0, 0}, "Fn0"},
      {{0x50, 0x12, 0x00}, {12, 18, 0, 0}, "Color"},
      {{0x50, 0x4B, 0x00}, {12, 75, 0, 0}, std::nullopt},
      {{0x50, 0x00, 0x00}, {12, 0, 0, 0}, std::nullopt},
      {{0x50, 0x02, 0x01}, {12, 2, 0, 0}, std::nullopt},  // byte 2 set: keeps its label
      {{0x05, 0x03, 0x00}, {1, 0, 0, 0}, "en213"},
      {{0x05, 0x02, 0x07}, {8, 7, 0, 0}, "Special"},
      {{0x60, 0x00, 0x02}, {3, 5, 2, 0}, "en351 3"},
      {{0x61, 0x01, 0x04}, {3, 8, 0, 4}, "Boss key"},
      {{0x60, 0x02, 0x00}, {3, 9, 0, 0}, "en3517"},
      {{0x60, 0x06, 0x00}, {3, 7, 0, 0}, std::nullopt},  // no such macro
  };
  for (const auto& c : cases) {
    const DecodedKey decoded = Decode(c.entry);
    EXPECT_EQ(decoded.function, c.function)
        << int(c.entry.type) << " " << int(c.entry.first) << " " << int(c.entry.second);
    EXPECT_EQ(decoded.description, c.description)
        << int(c.entry.type) << " " << int(c.entry.first) << " " << int(c.entry.second);
  }
}

TEST_F(KeyDescriptionsTest, EntriesThatNameNothingLeaveTheDefaultAndTheLabel) {
  for (const KeyEntry& entry : {KeyEntry{0, 0, 0}, KeyEntry{0x30, 0x01, 0x00}, KeyEntry{0x10, 0, 0},
                                KeyEntry{0x77, 1, 2}}) {
    EXPECT_EQ(Decode(entry), DecodedKey{}) << int(entry.type);
  }
}

TEST_F(KeyDescriptionsTest, LabelsFollowTheLanguage) {
  texts_.SetLanguage(2052);
  EXPECT_EQ(Decode({0x05, 0x03, 0x00}).description, "zh213");
  EXPECT_EQ(Decode({0x60, 0x00, 0x00}).description, "zh351 3");
  EXPECT_EQ(Decode({0x50, 0x4A, 0x00}).description, "KeyTest");
}

TEST_F(KeyDescriptionsTest, MacroDisplayNamesReplaceTheDefaultPrefixes) {
  const struct {
    std::string stored;
    std::string shown;
  } cases[] = {
      {"New Macro", "en351"},
      {"New Macro 12", "en351 12"},
      {"New Macros", "en351s"},
      {"\xE6\x96\xB0\xE5\xBB\xBA\xE5\xB7\xA8\xE9\x9B\x86"
       "2",
       "en3512"},
      {"\xE6\x96\xB0\xE5\xBB\xBA\xE5\xAE\x8F", "en351"},
      {"new macro 1", "new macro 1"},
      {"My New Macro", "My New Macro"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(keys::MacroDisplayName(c.stored, texts_), c.shown) << c.stored;
}

TEST(KeyCombinationText, ModifiersAndKeyNames) {
  const struct {
    int mask;
    const char* key;
    const char* text;
  } cases[] = {
      {0x03, "A", "LCtrl+ LShift + A"},
      {0x01, "", "LCtrl"},
      {0x00, "A", "A"},
      {0x00, "", ""},
      {0xFF, "", "LCtrl+ LShift+ LAlt+ LWin+ RCtrl+ RShift+ Alt+ RWin"},
      {0x40, "Tab", "Alt + Tab"},
      {0x100, "X", "X"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keys::CombinationDescription(c.mask, c.key), c.text) << c.mask;
  }
}

}  // namespace
