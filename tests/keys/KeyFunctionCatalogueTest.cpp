#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "KeysTestSupport.h"
#include "core/TextTable.h"
#include "keys/KeyFunctionCatalogue.h"

namespace {

using keys::KeyFunctionCatalogue;

std::vector<int> CodesOf(const KeyFunctionCatalogue::Entries& entries) {
  std::vector<int> codes;
  for (const auto& e : entries) codes.push_back(e.code);
  return codes;
}

TEST(KeyFunctionCatalogue, HoldsTheEntriesOfEachTypeInPickerOrder) {
  TestLanguages languages;
  core::TextTable texts(languages.AppFolder(), 1033);
  KeyFunctionCatalogue catalogue;
  EXPECT_EQ(catalogue.Size(), 0u);
  catalogue.Build(texts);
  ASSERT_EQ(catalogue.Size(), keys::kCatalogueSize);

  std::map<int, int> perType;
  for (const auto& e : *catalogue.Snapshot()) ++perType[e.type];
  EXPECT_EQ(perType, (std::map<int, int>{{2, 103}, {5, 7}, {6, 18}, {7, 11}, {12, 74}}));

  // Types follow each other in this order.
  std::vector<int> typeOrder;
  for (const auto& e : *catalogue.Snapshot()) {
    if (typeOrder.empty() || typeOrder.back() != e.type) typeOrder.push_back(e.type);
  }
  EXPECT_EQ(typeOrder, (std::vector<int>{2, 5, 6, 7, 12}));

  EXPECT_EQ(CodesOf(catalogue.OfType(5)), (std::vector<int>{90, 91, 92, 96, 97, 94, 95}));
  EXPECT_EQ(CodesOf(catalogue.OfType(6)),
            (std::vector<int>{113, 114, 115, 110, 100, 101, 102, 103, 104, 105, 106, 116, 117, 118,
                              119, 120, 121, 122}));
  EXPECT_EQ(CodesOf(catalogue.OfType(7)),
            (std::vector<int>{155, 156, 157, 158, 159, 160, 150, 151, 152, 153, 154}));
  const auto functions = catalogue.OfType(12);
  for (int i = 0; i < 74; ++i) EXPECT_EQ(functions[i].code, i + 1);
  const auto keyEntries = catalogue.OfType(2);
  const std::vector<int> keyCodes = CodesOf(keyEntries);
  EXPECT_EQ(std::vector<int>(keyCodes.begin(), keyCodes.begin() + 28),
            (std::vector<int>{4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                              18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 39, 30}));
  EXPECT_EQ(keyEntries.back().code, 56);
  EXPECT_EQ(keyEntries.back().name, "/?");
  for (const auto& e : *catalogue.Snapshot()) EXPECT_TRUE(e.note.empty());
}

TEST(KeyFunctionCatalogue, NamesAreLiteralOrComeFromTheLanguage) {
  TestLanguages languages;
  core::TextTable texts(languages.AppFolder(), 1033);
  KeyFunctionCatalogue catalogue;
  catalogue.Build(texts);
  const struct {
    int type, code;
    std::string name;
  } cases[] = {
      {2, 4, "A"},
      {2, 42, "Backsapce"},
      {2, 40, "Enter"},
      {2, 88, "Enter"},
      {2, 45, "-"},
      {2, 86, "-"},
      {2, 30, "1"},
      {2, 89, "1"},
      {2, 49, "||"},
      {2, 82, "\xE2\x86\x91"},
      {2, 79, "\xE2\x86\x92"},
      {2, 231, "R-Win"},
      {2, 83, "NumLock"},
      {2, 71, "Scroll Lock"},
      {5, 90, "en220"},
      {5, 91, "en222"},
      {5, 92, "en223"},
      {5, 96, "en225"},
      {5, 97, "en226"},
      {5, 94, "en227"},
      {5, 95, "en228"},
      {6, 113, "en260"},
      {6, 110, "en263"},
      {6, 100, "en264"},
      {6, 106, "en270"},
      {6, 122, "en277"},
      {7, 155, "en31"},
      {7, 156, "en32"},
      {7, 157, "en36"},
      {7, 158, "en38"},
      {7, 159, "en39"},
      {7, 160, "en35"},
      {7, 150, "en251"},
      {7, 154, "en255"},
      {12, 1, "Fn0"},
      {12, 2, "Fn"},
      {12, 18, "COLOUR"},
      {12, 55, "2.4G"},
      {12, 59, "Mac/Win"},
      {12, 74, "KeyTest"},
  };
  for (const auto& c : cases) {
    const auto entry = catalogue.Find(c.type, c.code);
    ASSERT_TRUE(entry) << c.type << "/" << c.code;
    EXPECT_EQ(entry->name, c.name) << c.type << "/" << c.code;
  }
  for (const auto& [type, code] : std::vector<std::pair<int, int>>{
           {6, 111}, {6, 112}, {7, 161}, {7, 163}, {12, 75}, {12, 0}, {2, 50}, {3, 1}, {1, 0}}) {
    EXPECT_FALSE(catalogue.Find(type, code)) << type << "/" << code;
  }
}

TEST(KeyFunctionCatalogue, RebuildingFollowsTheLanguageAndKeepsTheSize) {
  TestLanguages languages;
  core::TextTable texts(languages.AppFolder(), 1033);
  KeyFunctionCatalogue catalogue;
  catalogue.Build(texts);
  const auto english = catalogue.Snapshot();
  texts.SetLanguage(2052);
  catalogue.Build(texts);
  catalogue.Build(texts);
  ASSERT_EQ(catalogue.Size(), keys::kCatalogueSize);
  EXPECT_EQ(catalogue.Find(5, 90)->name, "zh220");
  EXPECT_EQ(catalogue.Find(7, 155)->name, "zh31");
  EXPECT_EQ(catalogue.Find(2, 42)->name, "Backsapce");
  EXPECT_EQ(catalogue.Find(12, 63)->name, "F-Change");
  // A list taken before the rebuild stays as it was.
  EXPECT_EQ(english->size(), keys::kCatalogueSize);
  EXPECT_EQ((*english)[103].name, "en220");
}

TEST(KeyFunctionCatalogue, ReadersOnOtherThreadsSeeWholeLists) {
  TestLanguages languages;
  core::TextTable texts(languages.AppFolder(), 1033);
  KeyFunctionCatalogue catalogue;
  catalogue.Build(texts);
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      const auto entries = catalogue.Snapshot();
      ASSERT_EQ(entries->size(), keys::kCatalogueSize);
      const std::string name = catalogue.Find(6, 100)->name;
      ASSERT_TRUE(name == "en264" || name == "zh264") << name;
    }
  });
  for (int i = 0; i < 20; ++i) {
    texts.SetLanguage(i % 2 == 0 ? 2052 : 1033);
    catalogue.Build(texts);
  }
  done = true;
  reader.join();
}

TEST(KeyFunctionCatalogue, KeyboardFunctionNamesByCode) {
  EXPECT_EQ(keys::KeyboardFunctionName(1), "Fn0");
  EXPECT_EQ(keys::KeyboardFunctionName(18), "COLOUR");
  EXPECT_EQ(keys::KeyboardFunctionName(70), "LCDUSBMode");
  EXPECT_EQ(keys::KeyboardFunctionName(74), "KeyTest");
  EXPECT_EQ(keys::KeyboardFunctionName(0), "");
  EXPECT_EQ(keys::KeyboardFunctionName(75), "");
}

}  // namespace
