#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/Text.h"
#include "core/TextIds.h"
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

TEST(TextTable, ATableThatCannotBeReadGivesTheEnglishTexts) {
  TempAppFolder folder;
  folder.WriteTable(1033, "[KB.DIALOG]\n11=Exit\n");
  fs::create_directory(folder.path() / "language/1028.lan");  // a folder, not a table
  for (int language : {1041, 1028}) {  // no table at all; one that cannot be read
    core::TextTable texts(folder.path(), language);
    testing::internal::CaptureStderr();
    EXPECT_EQ(texts.GetText("KB.DIALOG", 11), "Exit") << language;
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(std::to_string(language) + ".lan"), std::string::npos) << log;
    EXPECT_EQ(texts.Language(), language);  // the choice itself stays
  }
  core::TextTable nowhere(folder.path() / "does-not-exist", 2052);
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

// ---- The shipped tables and the id list ----------------------------------------------------

const fs::path kShippedData = fs::path(TARVO_SOURCE_DIR) / "data";
constexpr int kShippedLanguages[] = {1033, 2052, 1028};

// printf conversions in order ("%s", "%d", "%%", ...).
std::vector<std::string> Placeholders(const std::string& text) {
  static const std::regex conversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->str());
  }
  return found;
}

TEST(ShippedTexts, EveryIdIsPresentInEveryLanguage) {
  for (const int language : kShippedLanguages) {
    core::TextTable texts(kShippedData, language);
    for (const int id : text::kDialogIds) {
      EXPECT_FALSE(texts.GetText(text::kDialogSection, id).empty())
          << "language " << language << ", KB.DIALOG " << id;
    }
    for (const int id : text::kCaptionIds) {
      EXPECT_FALSE(texts.GetText(text::kCaptionSection, id).empty())
          << "language " << language << ", CAPTION " << id;
    }
  }
}

TEST(ShippedTexts, PlaceholdersAgreeAcrossLanguages) {
  std::vector<std::unique_ptr<core::TextTable>> tables;
  for (const int language : kShippedLanguages) {
    tables.push_back(std::make_unique<core::TextTable>(kShippedData, language));
  }
  const auto check = [&](std::string_view section, int id) {
    const std::vector<std::string> reference = Placeholders(tables[0]->GetText(section, id));
    for (std::size_t i = 1; i < tables.size(); ++i) {
      EXPECT_EQ(Placeholders(tables[i]->GetText(section, id)), reference)
          << section << " " << id << " in language " << kShippedLanguages[i];
    }
  };
  for (const int id : text::kDialogIds) check(text::kDialogSection, id);
  for (const int id : text::kCaptionIds) check(text::kCaptionSection, id);
}

TEST(ShippedTexts, PlaceholderScannerSeesConversions) {
  EXPECT_EQ(Placeholders("%s: v%s.%s"), (std::vector<std::string>{"%s", "%s", "%s"}));
  EXPECT_EQ(Placeholders("%d%% at 0x%06X"), (std::vector<std::string>{"%d", "%%", "%06X"}));
  EXPECT_TRUE(Placeholders("no conversions, 100 percent").empty());
}

// The named constants of TextIds.h, read from its source: name -> value.
std::map<std::string, int> NamedIds() {
  std::ifstream header(fs::path(TARVO_SOURCE_DIR) / "src" / "core" / "TextIds.h");
  std::stringstream content;
  content << header.rdbuf();
  const std::string source = content.str();
  static const std::regex constant("constexpr int (k[A-Za-z0-9]+)\\s*=\\s*([0-9]+);");
  std::map<std::string, int> ids;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), constant);
       it != std::sregex_iterator(); ++it) {
    ids[(*it)[1]] = std::stoi((*it)[2]);
  }
  return ids;
}

TEST(TextIds, ListsEveryNamedIdAndNothingUnnamed) {
  const std::map<std::string, int> named = NamedIds();
  ASSERT_GT(named.size(), 300u);
  const std::set<int> dialog(text::kDialogIds.begin(), text::kDialogIds.end());
  const std::set<int> caption(text::kCaptionIds.begin(), text::kCaptionIds.end());
  EXPECT_TRUE(std::is_sorted(text::kDialogIds.begin(), text::kDialogIds.end()));
  EXPECT_EQ(dialog.size(), text::kDialogIds.size()) << "a range of the list overlaps another";

  // Runs used by arithmetic: every name ending in First has a partner ending in Last.
  std::vector<text::IdRange> arithmetic;
  for (const auto& [name, value] : named) {
    if (!name.ends_with("First")) continue;
    const auto last = named.find(name.substr(0, name.size() - 5) + "Last");
    ASSERT_NE(last, named.end()) << name << " has no Last partner";
    arithmetic.push_back({value, last->second});
  }
  std::set<int> covered;
  for (const auto& [name, value] : named) {
    const bool isCaption = name.starts_with("kCaption");
    EXPECT_TRUE((isCaption ? caption : dialog).contains(value)) << name << " = " << value;
    if (!isCaption) covered.insert(value);
  }
  for (const int id : dialog) {
    const bool inRun = std::any_of(arithmetic.begin(), arithmetic.end(),
                                   [id](text::IdRange r) { return id >= r.first && id <= r.last; });
    EXPECT_TRUE(covered.contains(id) || inRun) << "KB.DIALOG " << id << " has no name";
  }
}

}  // namespace
