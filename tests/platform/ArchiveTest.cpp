#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "platform/Archive.h"
#include "support/TempFolder.h"
#include "update/TestZip.h"

namespace {

namespace fs = std::filesystem;
using platform::ArchiveStatus;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    names.push_back(fs::relative(entry.path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ArchiveTest : public ::testing::Test {
 protected:
  platform::ArchiveResult Extract(const std::vector<testzip::Entry>& entries,
                                  const platform::ArchiveLimits& limits = {}) {
    testzip::Write(zip_, entries);
    return platform::ExtractArchive(zip_, target_, limits);
  }

  TempFolder folder_;
  fs::path zip_ = folder_ / "package.zip";
  fs::path target_ = [this] {
    fs::create_directories(folder_ / "target");
    return folder_ / "target";
  }();
};

TEST_F(ArchiveTest, WritesFilesAndFoldersUnderTheirNamesKeepingTheExecuteBit) {
  const platform::ArchiveResult result =
      Extract({testzip::File("bin/tool", "#!/bin/sh\n", 0755),
               {"docs/", "", S_IFDIR | 0755, false},
               testzip::File("readme.txt", std::string(100'000, 'r'))});
  ASSERT_EQ(result.status, ArchiveStatus::Ok) << result.entry;
  EXPECT_EQ(result.extracted, (std::vector<std::string>{"bin/tool", "readme.txt"}));
  EXPECT_EQ(Listing(target_), (std::vector<std::string>{"bin", "bin/tool", "docs", "readme.txt"}));
  EXPECT_EQ(ReadFile(target_ / "bin/tool"), "#!/bin/sh\n");
  EXPECT_EQ(ReadFile(target_ / "readme.txt"), std::string(100'000, 'r'));
  EXPECT_NE(fs::status(target_ / "bin/tool").permissions() & fs::perms::owner_exec,
            fs::perms::none);
  EXPECT_EQ(fs::status(target_ / "readme.txt").permissions() & fs::perms::owner_exec,
            fs::perms::none);
}

TEST_F(ArchiveTest, AnUnsafeEntryRefusesTheWholeArchiveBeforeAnythingIsWritten) {
  const testzip::Entry unsafe[] = {
      testzip::File("/etc/evil", "x"),
      testzip::File("../evil", "x"),
      testzip::File("a/../../evil", "x"),
      testzip::File("a/./b", "x"),
      testzip::File("a//b", "x"),
      testzip::File("..\\evil", "x"),
      testzip::File("a\nb", "x"),
      {"link", "/etc/passwd", S_IFLNK | 0777, false},
      {"device", "", S_IFCHR | 0600, false},
      {"pipe", "", S_IFIFO | 0600, false},
  };
  for (const testzip::Entry& entry : unsafe) {
    const platform::ArchiveResult result = Extract({testzip::File("good.txt", "fine"), entry});
    EXPECT_EQ(result.status, ArchiveStatus::UnsafeEntry) << entry.name;
    EXPECT_EQ(result.entry, entry.name);
    EXPECT_TRUE(Listing(target_).empty()) << entry.name;
  }
  EXPECT_FALSE(fs::exists(folder_ / "evil"));
  EXPECT_TRUE(platform::IsSafeEntryName("a/b/"));
  EXPECT_FALSE(platform::IsSafeEntryName(std::string(256, 'n')));
  EXPECT_FALSE(platform::IsSafeEntryName(std::string("a\0b", 3)));
}

TEST_F(ArchiveTest, SizeAndCountLimitsRefuseTheArchive) {
  platform::ArchiveLimits limits;
  limits.maxEntryBytes = 1000;
  limits.maxTotalBytes = 1500;
  limits.maxEntries = 3;
  EXPECT_EQ(Extract({testzip::File("a", std::string(1001, 'a'))}, limits).status,
            ArchiveStatus::TooLarge);
  EXPECT_EQ(Extract({testzip::File("a", std::string(800, 'a')),
                     testzip::File("b", std::string(800, 'b'))},
                    limits)
                .status,
            ArchiveStatus::TooLarge);
  EXPECT_EQ(Extract({testzip::File("a", ""), testzip::File("b", ""), testzip::File("c", ""),
                     testzip::File("d", "")},
                    limits)
                .status,
            ArchiveStatus::TooLarge);
  EXPECT_TRUE(Listing(target_).empty());
  EXPECT_EQ(Extract({testzip::File("a", std::string(1000, 'a')),
                     testzip::File("b", std::string(500, 'b'))},
                    limits)
                .status,
            ArchiveStatus::Ok);
}

TEST_F(ArchiveTest, ACrcErrorFailsAndLeavesNothingBehind) {
  testzip::Entry damaged = testzip::File("installer.run", "data whose check sum will not match");
  damaged.stored = true;
  testzip::Write(zip_, {testzip::File("first.txt", "written before the damage"), damaged});
  testzip::DamageStoredData(zip_, damaged.data);
  const platform::ArchiveResult result = platform::ExtractArchive(zip_, target_);
  EXPECT_EQ(result.status, ArchiveStatus::Damaged);
  EXPECT_EQ(result.entry, "installer.run");
  EXPECT_TRUE(result.extracted.empty());
  EXPECT_TRUE(Listing(target_).empty());
}

TEST_F(ArchiveTest, WhatIsNoArchiveCannotBeOpened) {
  EXPECT_EQ(platform::ExtractArchive(folder_ / "missing.zip", target_).status,
            ArchiveStatus::CannotOpen);
  std::ofstream(zip_) << "PK but not really a zip archive";
  EXPECT_EQ(platform::ExtractArchive(zip_, target_).status, ArchiveStatus::CannotOpen);
}

TEST_F(ArchiveTest, ALinkAlreadyInTheTargetIsNotFollowed) {
  fs::create_directories(folder_ / "outside");
  fs::create_directory_symlink(folder_ / "outside", target_ / "sub");
  const platform::ArchiveResult result = Extract({testzip::File("sub/escaped", "x")});
  EXPECT_EQ(result.status, ArchiveStatus::WriteFailed);
  EXPECT_TRUE(fs::is_empty(folder_ / "outside"));
}

TEST_F(ArchiveTest, AFailedWriteFailsTheExtraction) {
  testzip::Write(zip_, {testzip::File("big.bin", std::string(256 * 1024, 'b'))});
  // A file size limit makes the writes fail part way, whoever runs the test.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const platform::ArchiveResult result = platform::ExtractArchive(zip_, target_);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result.status, ArchiveStatus::WriteFailed);
  EXPECT_TRUE(Listing(target_).empty());
}

}  // namespace
