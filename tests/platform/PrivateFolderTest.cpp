#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/PrivateFolder.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(PrivateFolder, MissingFoldersAreMadeForTheUserAlone) {
  TempFolder folder;
  const fs::path runtime = folder / "a/b/run";
  std::string error;
  ASSERT_TRUE(platform::PreparePrivateFolder(runtime, platform::FolderLinks::kRefuse, &error))
      << error;
  for (const fs::path& made : {folder / "a", folder / "a/b", runtime}) {
    EXPECT_EQ(ModeOf(made), 0700u) << made;
  }
}

TEST(PrivateFolder, AFolderOnlyTheUserMayWriteIsNarrowedToTheUser) {
  TempFolder folder;
  fs::create_directory(folder / "data");
  ASSERT_EQ(::chmod((folder / "data").c_str(), 0755), 0);
  EXPECT_TRUE(platform::PreparePrivateFolder(folder / "data", platform::FolderLinks::kFollow));
  EXPECT_EQ(ModeOf(folder / "data"), 0700u);
}

TEST(PrivateFolder, FoldersOthersMayWriteOrThatAreNoFoldersAreRefused) {
  TempFolder folder;
  fs::create_directory(folder / "target");
  struct Case {
    const char* name;
    void (*make)(const fs::path& path, const fs::path& target);
    platform::FolderLinks links;
    const char* reason;
  };
  const Case cases[] = {
      {"world-writable",
       [](const fs::path& p, const fs::path&) {
         fs::create_directory(p);
         ::chmod(p.c_str(), 0777);
       },
       platform::FolderLinks::kFollow, "other users may write"},
      {"group-writable",
       [](const fs::path& p, const fs::path&) {
         fs::create_directory(p);
         ::chmod(p.c_str(), 0770);
       },
       platform::FolderLinks::kFollow, "other users may write"},
      {"link", [](const fs::path& p, const fs::path& t) { fs::create_directory_symlink(t, p); },
       platform::FolderLinks::kRefuse, "symbolic link"},
      {"file", [](const fs::path& p, const fs::path&) { std::ofstream(p) << "x"; },
       platform::FolderLinks::kFollow, "not a folder"},
  };
  for (const Case& c : cases) {
    const fs::path path = folder / c.name;
    c.make(path, folder / "target");
    const mode_t before = ModeOf(path);
    std::string error;
    EXPECT_FALSE(platform::PreparePrivateFolder(path, c.links, &error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(ModeOf(path), before) << c.name << ": a refused folder is left as it is";
  }
  // The same link is taken where links are allowed: it leads to a private folder.
  EXPECT_TRUE(platform::PreparePrivateFolder(folder / "link", platform::FolderLinks::kFollow));
}

TEST(PrivateFolder, AFolderOfAnotherUserIsRefused) {
  TempFolder folder;
  fs::create_directory(folder / "theirs");
  ASSERT_EQ(::chmod((folder / "theirs").c_str(), 0700), 0);
  if (::chown((folder / "theirs").c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0) {
    GTEST_SKIP() << "only root can give a folder to another user";
  }
  std::string error;
  EXPECT_FALSE(
      platform::PreparePrivateFolder(folder / "theirs", platform::FolderLinks::kRefuse, &error));
  EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
}

TEST(PrivateFolder, NewFilesAreTheUsersAlone) {
  TempFolder folder;
  const mode_t saved = ::umask(022);
  platform::KeepNewFilesPrivate();
  std::ofstream(folder / "file") << "x";
  fs::create_directory(folder / "folder");
  ::umask(saved);
  EXPECT_EQ(ModeOf(folder / "file"), 0600u);
  EXPECT_EQ(ModeOf(folder / "folder"), 0700u);
}

}  // namespace
