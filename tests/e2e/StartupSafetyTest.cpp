// What the tarvo executable does when its start cannot go as planned: folders that are not
// private, a lock held by a copy that does not answer, a configuration that cannot be used, a
// display that is gone, options that cannot be followed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "ProcessRunner.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// An open file, closed at the end of the scope.
struct OpenFile {
  explicit OpenFile(int descriptor) : fd(descriptor) {}
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class StartupSafetyTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Environment() {
    return {{"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"TMPDIR", (folder / "tmp").string()},
            {"QT_QPA_PLATFORM", "offscreen"}};
  }
  void SetUp() override {
    for (const char* name : {"run", "config", "data", "tmp"}) fs::create_directories(folder / name);
  }
  // Runs tarvo to its end; its exit status, or -1 when it did not end in time.
  int Run(const std::vector<std::string>& arguments,
          const std::map<std::string, std::string>& environment) {
    TarvoProcess tarvo(arguments, environment, folder / "out.txt");
    EXPECT_TRUE(tarvo.Started());
    const std::optional<int> status = tarvo.Wait(seconds(30));
    output = tarvo.Output();
    return status.value_or(-1);
  }
  fs::path UserRuntimeFolder() { return folder / "tmp" / ("Tarvo-" + std::to_string(::getuid())); }

  TempFolder folder;
  std::string output;
};

TEST_F(StartupSafetyTest, WithoutASessionRuntimeFolderTheLockGoesIntoAPrivateOne) {
  auto environment = Environment();
  environment["XDG_RUNTIME_DIR"] = "";
  ASSERT_EQ(Run({"--headless", "--exit-after-ms", "200"}, environment), 0) << output;
  EXPECT_EQ(ModeOf(UserRuntimeFolder()), 0700u);
  EXPECT_TRUE(fs::exists(UserRuntimeFolder() / "Tarvo.lock"));
  EXPECT_FALSE(fs::exists(folder / "tmp/Tarvo.lock"));
}

TEST_F(StartupSafetyTest, ARuntimeFolderOthersMayWriteOrThatIsALinkIsRefused) {
  auto environment = Environment();
  environment["XDG_RUNTIME_DIR"] = "";
  fs::create_directory(UserRuntimeFolder());
  ASSERT_EQ(::chmod(UserRuntimeFolder().c_str(), 0777), 0);
  EXPECT_EQ(Run({"--headless", "--exit-after-ms", "200"}, environment), 1);
  EXPECT_NE(output.find("other users may write into it"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(UserRuntimeFolder() / "Tarvo.lock"));

  fs::remove(UserRuntimeFolder());
  fs::create_directory(folder / "elsewhere");
  fs::create_directory_symlink(folder / "elsewhere", UserRuntimeFolder());
  EXPECT_EQ(Run({"--headless", "--exit-after-ms", "200"}, environment), 1);
  EXPECT_NE(output.find("symbolic link"), std::string::npos) << output;
  EXPECT_TRUE(fs::is_empty(folder / "elsewhere"));
}

TEST_F(StartupSafetyTest, ALockWhoseHolderDoesNotAnswerIsAnError) {
  const OpenFile lock(::open((folder / "run/Tarvo.lock").c_str(), O_RDWR | O_CREAT, 0600));
  ASSERT_EQ(::flock(lock.fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Run({"--headless"}, Environment()), 1);
  EXPECT_NE(output.find("another copy holds the lock"), std::string::npos) << output;
}

TEST_F(StartupSafetyTest, SettingsAndDatabasesAreTheUsersAlone) {
  fs::create_directories(folder / "config/Tarvo");
  ASSERT_EQ(::chmod((folder / "config/Tarvo").c_str(), 0755), 0);  // made by an older version
  ASSERT_EQ(Run({"--headless", "--virtual-keyboard", "--exit-after-ms", "1500"}, Environment()), 0)
      << output;
  ASSERT_TRUE(fs::exists(folder / "config/Tarvo/settings.ini"));
  EXPECT_EQ(ModeOf(folder / "config/Tarvo"), 0700u);
  EXPECT_EQ(ModeOf(folder / "config/Tarvo/settings.ini"), 0600u);
  int files = 0;
  EXPECT_EQ(ModeOf(folder / "data/Tarvo Files"), 0700u);
  for (const auto& entry : fs::recursive_directory_iterator(folder / "data/Tarvo Files")) {
    const bool isFolder = entry.is_directory();
    files += isFolder ? 0 : 1;
    EXPECT_EQ(ModeOf(entry.path()), isFolder ? 0700u : 0600u) << entry.path();
  }
  EXPECT_GT(files, 0) << "no database was made";
}

TEST_F(StartupSafetyTest, AConfigurationThatCannotBeUsedStopsTheStart) {
  auto environment = Environment();
  environment["TARVO_APP_DIR"] = (folder / "app").string();
  fs::create_directories(folder / "app");
  EXPECT_EQ(Run({"--headless", "--exit-after-ms", "200"}, environment), 1);
  EXPECT_NE(output.find("cannot read " + (folder / "app/config.xml").string()), std::string::npos)
      << output;

  std::ofstream(folder / "app/config.xml") << "<config><software name=\"../../x\"/></config>";
  EXPECT_EQ(Run({"--headless", "--exit-after-ms", "200"}, environment), 1);
  EXPECT_NE(output.find("the product name cannot name a folder"), std::string::npos) << output;
  // Nothing was made for the user under another name.
  for (const char* home : {"config", "data", "run"}) EXPECT_TRUE(fs::is_empty(folder / home));
}

TEST_F(StartupSafetyTest, TheUdevRuleIsPrintedFromTheProgramItself) {
  auto environment = Environment();
  environment["TARVO_APP_DIR"] = (folder / "empty").string();
  ASSERT_EQ(Run({"--print-udev-rules"}, environment), 0) << output;
  const std::string rule = ReadFile(fs::path(TARVO_SOURCE_DIR) / "data/udev/70-tarvo.rules");
  ASSERT_FALSE(rule.empty());
  EXPECT_TRUE(output.ends_with(rule)) << output;
  EXPECT_TRUE(output.starts_with("# ")) << output;
}

TEST_F(StartupSafetyTest, AStaleDisplayIsOneMessageAndNoAbort) {
  if (fs::exists("/tmp/.X11-unix/X93")) GTEST_SKIP() << "an X server runs on :93";
  auto environment = Environment();
  environment["QT_QPA_PLATFORM"] = "";
  environment["DISPLAY"] = ":93";
  environment["WAYLAND_DISPLAY"] = "";
  EXPECT_EQ(Run({"--exit-after-ms", "200"}, environment), 1);
  EXPECT_EQ(output,
            "tarvo: cannot open the X display \":93\"; start it in a desktop session, or run with "
            "--headless, or set QT_QPA_PLATFORM=offscreen\n");
}

TEST_F(StartupSafetyTest, AWindowSystemThatCannotStartIsOneMessageAndNoAbort) {
  auto environment = Environment();
  environment["QT_QPA_PLATFORM"] = "no-such-platform";
  EXPECT_EQ(Run({"--exit-after-ms", "200"}, environment), 1);
  EXPECT_TRUE(output.ends_with("\n")) << output;
  EXPECT_NE(output.find("tarvo: the window system could not be started: "), std::string::npos)
      << output;
}

TEST_F(StartupSafetyTest, OptionsThatCannotBeFollowedAreRefusedAtOnce) {
  EXPECT_EQ(Run({"--screenshot", (folder / "shot.png").string(), "--page", "42"}, Environment()),
            2);
  EXPECT_NE(output.find("--page: not a page id: 42"), std::string::npos) << output;

  for (const fs::path& target : {folder / "no-such-folder/shot.png", folder / "tmp"}) {
    EXPECT_EQ(Run({"--screenshot", target.string()}, Environment()), 1) << target;
    EXPECT_NE(output.find("--screenshot: cannot write " + target.string()), std::string::npos)
        << output;
  }
}

}  // namespace
