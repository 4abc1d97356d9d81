#include <gtest/gtest.h>

#include <fstream>

#include "app/StartupConfig.h"
#include "support/TempFolder.h"

namespace {

TEST(ProductName, OnlyOnePlainPathComponentMayNameFolders) {
  const std::pair<std::string, bool> cases[] = {
      {"Tarvo", true},
      {"Tarvo Studio 2", true},
      {"T\xC3\xA4rvo", true},
      {std::string(64, 'x'), true},
      {"", false},
      {".", false},
      {"..", false},
      {".hidden", false},
      {"-rf", false},
      {" Tarvo", false},
      {"Tarvo ", false},
      {"../Tarvo", false},
      {"a/b", false},
      {"a\\b", false},
      {"line\nbreak", false},
      {std::string("nul\0byte", 8), false},
      {"esc\x1b[2J", false},
      {"bad\xFFutf8", false},
      {std::string(65, 'x'), false},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(IsPlainPathComponent(name), plain) << name;
}

class StartupConfigTest : public ::testing::Test {
 protected:
  StartupConfig Read(const std::string& text) {
    std::ofstream(folder / "config.xml") << text;
    return ReadStartupConfig(folder.Path());
  }
  TempFolder folder;
};

TEST_F(StartupConfigTest, AFileThatCannotBeUsedIsAnError) {
  EXPECT_NE(ReadStartupConfig(folder.Path()).error.find("cannot read"), std::string::npos);
  EXPECT_NE(Read("<config><software name=\"Tarvo\"").error, "");
  EXPECT_NE(Read("<other/>").error, "");
  const StartupConfig hostile = Read("<config><software name=\"../../etc\"/></config>");
  EXPECT_NE(hostile.error.find("product name"), std::string::npos);
  EXPECT_FALSE(hostile.productName);
}

TEST_F(StartupConfigTest, NameAndLanguagesAreRead) {
  const StartupConfig config = Read(
      "<config><language.info><lan value=\"2052\"/><lan value=\"1033\"/></language.info>"
      "<software name=\"Tarvo\" version=\"1\"/></config>");
  EXPECT_EQ(config.error, "");
  EXPECT_EQ(config.productName, "Tarvo");
  EXPECT_EQ(config.languages, (std::set<int>{1033, 2052}));
  // Without a name the toolkit's default stays; that is no error.
  const StartupConfig unnamed = Read("<config><software version=\"1\"/></config>");
  EXPECT_EQ(unnamed.error, "");
  EXPECT_FALSE(unnamed.productName);
}

TEST(ShippedStartupConfig, NamesTheProductPlainly) {
  const StartupConfig config = ReadStartupConfig(std::filesystem::path(TARVO_SOURCE_DIR) / "data");
  EXPECT_EQ(config.error, "");
  EXPECT_EQ(config.productName, "Tarvo");
}

}  // namespace
