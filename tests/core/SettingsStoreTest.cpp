#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "core/SettingsStore.h"
#include "support/TempFolder.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder / "Tarvo/settings.ini";
  SettingsStore store{file};
};

TEST_F(SettingsStoreTest, ReadingCreatesTheFileButWritingNeedsIt) {
  EXPECT_FALSE(store.SetRegString("exit_mode", "1"));  // no file yet: lost
  EXPECT_FALSE(store.Exists());
  EXPECT_EQ(store.GetRegInt("exit_mode"), 0);  // creates the file
  EXPECT_TRUE(store.Exists());
  EXPECT_TRUE(store.SetRegString("exit_mode", "1"));
  EXPECT_EQ(store.GetRegInt("exit_mode"), 1);
  EXPECT_EQ(store.GetRegString("missing"), "");
}

TEST_F(SettingsStoreTest, DeviceTypeIsReadWithoutCreatingTheFile) {
  EXPECT_EQ(store.ReadDeviceType(), 0);
  EXPECT_FALSE(store.Exists());
  store.GetRegString("x");
  store.SetRegString("DeviceType", "abc");
  EXPECT_EQ(store.ReadDeviceType(), 0);
  EXPECT_TRUE(store.WriteDeviceType(102));
  EXPECT_EQ(store.ReadDeviceType(), 102);
}

TEST_F(SettingsStoreTest, LcidIsZeroAfterCreatingAndFallsBackWhenTheFileCannotBeMade) {
  EXPECT_EQ(store.ReadLcid(), 0);
  EXPECT_TRUE(store.Exists());
  EXPECT_TRUE(store.WriteLcid(1028));
  EXPECT_EQ(store.ReadLcid(), 1028);

  // A file where the folder should be: the settings can be neither read nor created.
  std::ofstream(folder / "blocker") << "x";
  SettingsStore blocked(folder / "blocker/settings.ini");
  EXPECT_EQ(blocked.ReadLcid(), SettingsStore::kFallbackLcid);
}

TEST_F(SettingsStoreTest, LongAndAwkwardValuesComeBackWhole) {
  store.GetRegString("create");
  const std::string longPath =
      "/home/user/" + std::string(300, 'p') + "/Bilder/\xE8\x83\x8C\xE6\x99\xAF.png";
  const std::string awkward = "a=b\\c\nsecond line\r[section]; # not a comment";
  ASSERT_TRUE(store.SetRegString("theme_bkg", longPath));
  ASSERT_TRUE(store.SetRegString("odd", awkward));
  SettingsStore reopened(file);
  EXPECT_EQ(reopened.GetRegString("theme_bkg"), longPath);
  EXPECT_EQ(reopened.GetRegString("odd"), awkward);
  EXPECT_EQ(reopened.GetRegString("THEME_BKG"), longPath);  // names ignore case
}

TEST_F(SettingsStoreTest, ValuesAreReplacedInPlaceAndDeleted) {
  store.GetRegString("create");
  store.SetRegString("LCID", "1033");
  store.SetRegString("DeviceType", "101");
  store.SetRegString("lcid", "2052");
  EXPECT_EQ(ReadFile(file), "[settings]\nLCID=2052\nDeviceType=101\n");
  EXPECT_TRUE(store.DeleteValue("LCID"));
  EXPECT_FALSE(store.DeleteValue("LCID"));
  EXPECT_EQ(ReadFile(file), "[settings]\nDeviceType=101\n");
}

TEST_F(SettingsStoreTest, HandWrittenFilesAreRead) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "# comment\r\n[settings]\r\n  LCID = 1031\r\nnoequals\r\nLCID=9\r\n";
  EXPECT_EQ(store.ReadLcid(), 1031);  // the first of two wins, blanks around the name go
}

// Such a line would otherwise be a value that the next save writes without its blanks, after
// which it reads as a comment: the value would be there only until something is stored.
TEST_F(SettingsStoreTest, BlanksBeforeACommentOrSectionMarkKeepItOne) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "  #LCID=1031\n\t;DeviceType=103\n [exit_mode=1\n";
  EXPECT_EQ(store.GetRegString("#LCID"), "");
  EXPECT_EQ(store.GetRegString(";DeviceType"), "");
  EXPECT_EQ(store.GetRegString("[exit_mode"), "");
}

}  // namespace
