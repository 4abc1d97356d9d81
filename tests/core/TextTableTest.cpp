#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/Text.h"
#include "core/TextTable.h"

namespace {

namespace fs = std::filesystem;

// An application folder of its own for each test, removed afterwards.
class TempAppFolder {
 public:
  TempAppFolder() {
    std::string pattern = (fs::temp_directory_path() / "tarvo-texts-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    fs::create_directories(path_ / "language");
  }
  ~TempAppFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempAppFolder(const TempAppFolder&) = delete;
  TempAppFolder& operator=(const TempAppFolder&) = delete;

  const fs::path& path() const { return path_; }

  void WriteTable(int language, const std::string& content) const {
    std::ofstream(path_ / "language" / (std::to_string(language) + ".lan"), std::ios::binary)
        << content;
  }

 private:
  fs::path path_;
};

std::string Repeat(std::string_view piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(TextTable, ReadsTheTableOfTheCurrentLanguage) {
  TempAppFolder folder;
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Exit\n");
  folder.WriteTable(2052, "[KB.DIALOG]\n11=\xE9\x80\x80\xE5\x87\xBA\n");  // 退出
  core::TextTable texts(folder.path(), 1033);
  EXPECT_EQ(texts.TablePath(1033), folder.path() / "language" / "1033.lan");
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit");
  texts.SetLanguage(2052);
  EXPECT_EQ(texts.Language(), 2052);
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "\xE9\x80\x80\xE5\x87\xBA");
}

TEST(TextTable, FollowsThePrivateProfileRules) {
  TempAppFolder folder;
  folder.WriteTable(1033,
                    "\xEF\xBB\xBF"  // a byte-order mark in front of the first section
                    "1=before any section\r\n"
                    "[KB.DIALOG]\r\n"
                    "; a comment line\r\n"
                    "1=first\r\n"
                    "1=second\r\n"
                    "  2 \t=   padded value  \t\r\n"
                    "3=\"  quoted with blanks  \"\r\n"
                    "4=\"opening quote only\r\n"
                    "5=\"\"\r\n"
                    "6=a=b=c\r\n"
                    "7\r\n"
                    "8=\r\n"
                    "Title=mixed case key\r\n"
                    "9=\"inner \"quotes\" kept\"\r\n"
                    "[ Caption ]\n"
                    "2=caption two\n"
                    "[kb.dialog]\n"
                    "1=third\n"
                    "10=from the repeated section\n"
                    "[Other\n"
                    "1=unclosed bracket section\n");
  core::TextTable texts(folder.path(), 1033);
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"KB.DIALOG", "1", "first"},         // first match wins, also over a later section
      {"kb.dialog", "1", "first"},         // section names ignore case
      {"KB.DIALOG", "2", "padded value"},  // blanks around key and value dropped
      {"KB.DIALOG", "3", "  quoted with blanks  "},
      {"KB.DIALOG", "4", "\"opening quote only"},
      {"KB.DIALOG", "5", ""},
      {"KB.DIALOG", "6", "a=b=c"},  // only the first "=" separates
      {"KB.DIALOG", "7", ""},       // a key without "=" has no value
      {"KB.DIALOG", "8", ""},
      {"KB.DIALOG", "TITLE", "mixed case key"},  // keys ignore case
      {"KB.DIALOG", "title", "mixed case key"},
      {"KB.DIALOG", "9", "inner \"quotes\" kept"},
      {"KB.DIALOG", "10", "from the repeated section"},
      {"CAPTION", "2", "caption two"},  // blanks inside the brackets dropped
      {"caption", "2", "caption two"},
      {"CAPTION", "1", ""},  // missing key
      {"MISSING", "1", ""},  // missing section
      {"Other", "1", "unclosed bracket section"},
      {"KB.DIALOG", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(texts.GetValue(c.section, c.key), c.expected) << c.section << " / " << c.key;
  }
  EXPECT_EQ(texts.GetText("KB.DIALOG", 2), "padded value");
  EXPECT_EQ(texts.GetText("KB.DIALOG", -2), "");
}

TEST(TextTable, CutsLongValuesAt259CodePoints) {
  TempAppFolder folder;
  const std::string ascii300 = Repeat("a", 300);
  const std::string chinese300 = Repeat("\xE4\xB8\xAD", 300);    // 中, three bytes each
  const std::string emoji300 = Repeat("\xF0\x9F\x98\x80", 300);  // four bytes each
  const std::string mixed259 = Repeat("x\xC3\xA9", 129) + "y";   // exactly 259 characters
  folder.WriteTable(1033, "[KB.DIALOG]\n1=" + ascii300 + "\n2=" + chinese300 + "\n3=" + emoji300 +
                              "\n4=" + mixed259 + "\n5=\"" + Repeat("q", 258) + "\"\n");
  core::TextTable texts(folder.path(), 1033);
  const struct {
    int id;
    std::string expected;
  } cases[] = {
      {1, Repeat("a", 259)},
      {2, Repeat("\xE4\xB8\xAD", 259)},
      {3, Repeat("\xF0\x9F\x98\x80", 259)},
      {4, mixed259},
      {5, Repeat("q", 258)},  // the quotes do not count
  };
  for (const auto& c : cases) {
    const std::string text = texts.GetText("KB.DIALOG", c.id);
    EXPECT_EQ(text, c.expected) << "id " << c.id;
    EXPECT_LE(base::CodePointCount(text), core::TextTable::kMaxTextLength);
  }
}

TEST(TextTable, MissingFileGivesEmptyTexts) {
  TempAppFolder folder;
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Exit\n");
  core::TextTable texts(folder.path(), 1041);  // a language without a table
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "");
  texts.SetLanguage(1033);
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit");
  core::TextTable nowhere(folder.path() / "does-not-exist", 1033);
  EXPECT_EQ(nowhere.GetText("KB.DIALOG", 11), "");
}

TEST(TextTable, ParsesEachLanguageOnceAndRereadsAfterASwitch) {
  TempAppFolder folder;
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Exit\n");
  folder.WriteTable(2052, "[KB.DIALOG]\n11=Quit\n");
  core::TextTable texts(folder.path(), 1033);
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit");
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Changed\n");
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit");  // still the parsed table
  texts.SetLanguage(1033);                            // same language: nothing to reload
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit");
  texts.SetLanguage(2052);
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Quit");
  texts.SetLanguage(1033);
  EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Changed");
}

TEST(TextTable, LookUpsAndLanguageSwitchesMayComeFromSeveralThreads) {
  TempAppFolder folder;
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Exit\n");
  folder.WriteTable(2052, "[KB.DIALOG]\n11=Quit\n");
  core::TextTable texts(folder.path(), 1033);
  std::atomic<bool> stop = false;
  std::atomic<int> unexpected = 0;
  std::vector<std::thread> readers;
  for (int i = 0; i < 3; ++i) {
    readers.emplace_back([&] {
      while (!stop) {
        const std::string text = texts.GetText("KB.DIALOG", 11);
        if (text != "Exit" && text != "Quit") ++unexpected;
      }
    });
  }
  for (int i = 0; i < 200; ++i) texts.SetLanguage(i % 2 == 0 ? 2052 : 1033);
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(unexpected, 0);
}

}  // namespace
