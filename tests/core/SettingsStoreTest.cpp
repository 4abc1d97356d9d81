#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>
#include <vector>

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

TEST_F(SettingsStoreTest, SavingKeepsCommentsAndOtherSectionsWhereTheyWere) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "; written by hand\n[settings]\nLCID=1031\n# the model\n\n"
                         "[window]\nLCID=7\nleft=10\n";
  EXPECT_EQ(store.ReadLcid(), 1031);
  EXPECT_EQ(store.GetRegString("left"), "");  // another section's values are not ours
  ASSERT_TRUE(store.WriteLcid(2052));
  ASSERT_TRUE(store.WriteDeviceType(102));
  EXPECT_EQ(ReadFile(file),
            "; written by hand\n[settings]\nLCID=2052\nDeviceType=102\n# the model\n\n"
            "[window]\nLCID=7\nleft=10\n");
  ASSERT_TRUE(store.DeleteValue("LCID"));
  EXPECT_EQ(ReadFile(file),
            "; written by hand\n[settings]\nDeviceType=102\n# the model\n\n"
            "[window]\nLCID=7\nleft=10\n");
  // A file without our section gets one at its end; line ends stay as the file has them.
  std::ofstream(file, std::ios::trunc) << "[window]\r\nleft=10\r\n";
  SettingsStore other(file);
  ASSERT_TRUE(other.SetRegString("exit_mode", "1"));
  EXPECT_EQ(ReadFile(file), "[window]\r\nleft=10\r\n[settings]\r\nexit_mode=1\r\n");
  // Names that would not read back as themselves are not written.
  for (const char* name : {"", "a=b", "[x]", "#c", " pad", "two\nlines"})
    EXPECT_FALSE(other.SetRegString(name, "1")) << name;
}

TEST_F(SettingsStoreTest, FilesTooLargeOrNotRegularAreNeitherReadNorReplaced) {
  std::filesystem::create_directories(file.parent_path());
  const std::string large =
      "[settings]\nLCID=1033\n" + std::string(SettingsStore::kMaxFileBytes, '#');
  std::ofstream(file, std::ios::binary) << large;
  EXPECT_EQ(store.ReadLcid(), SettingsStore::kFallbackLcid);
  EXPECT_FALSE(store.WriteLcid(1028));
  EXPECT_EQ(ReadFile(file), large);

  // A pipe where the file should be: read at all, it would block the reader for good.
  TempFolder pipeFolder;
  ASSERT_EQ(::mkfifo((pipeFolder / "settings.ini").c_str(), 0600), 0);
  SettingsStore piped(pipeFolder / "settings.ini");
  EXPECT_EQ(piped.GetRegString("LCID"), "");
  EXPECT_FALSE(piped.SetRegString("LCID", "1033"));
  EXPECT_TRUE(std::filesystem::is_fifo(pipeFolder / "settings.ini"));
}

TEST_F(SettingsStoreTest, TheFileIsReadOnceAndChangesGoThroughTheStore) {
  EXPECT_EQ(store.ReadLcid(), 0);
  ASSERT_TRUE(store.WriteLcid(1033));
  std::ofstream(file, std::ios::trunc) << "[settings]\nLCID=2052\n";  // behind the store's back
  EXPECT_EQ(store.ReadLcid(), 1033);
  EXPECT_EQ(SettingsStore(file).ReadLcid(), 2052);  // a new reader reads the file
}

TEST_F(SettingsStoreTest, ThreadsMayReadAndWriteAtOnce) {
  store.GetRegString("create");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 10; ++i) {
        const std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
        EXPECT_TRUE(store.SetRegString(name, std::to_string(i)));
        EXPECT_EQ(store.GetRegInt(name), i);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  SettingsStore reopened(file);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(reopened.GetRegInt("t" + std::to_string(t) + "_9"), 9);
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
