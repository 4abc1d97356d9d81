#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "platform/Autostart.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::Autostart;

std::string ExecValue(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("Exec=")) return line.substr(5);
  }
  return {};
}

// Root writes into read-only folders anyway: as root, the body runs in a child process that
// has become the unprivileged user "nobody". 1 = true, 0 = false, -1 = could not be run.
int AsOrdinaryUser(const std::function<bool()>& body) {
  if (geteuid() != 0) return body() ? 1 : 0;
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    _exit(body() ? 1 : 0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) <= 1 ? WEXITSTATUS(status) : -1;
}

TEST(Autostart, TheEntryRunsThisExecutableWithAutorunWhateverItsPath) {
  TempFolder folder;
  const char* executables[] = {
      "/opt/My Apps/100%/a\"b",
      "/usr/bin/tarvo",
      "/home/u/$HOME/`id`/back\\slash/tab\there/new\nline/'single'/x;y&z|w",
  };
  for (const char* executable : executables) {
    const Autostart autostart(folder / "autostart", "Tarvo", executable);
    ASSERT_TRUE(autostart.Enable()) << executable;
    EXPECT_EQ(autostart.GetFile(), folder / "autostart" / "tarvo.desktop");
    EXPECT_TRUE(autostart.IsEnabled());
    const auto arguments = Autostart::ParseExec(ExecValue(autostart.GetFile()));
    ASSERT_TRUE(arguments.has_value()) << executable;
    EXPECT_EQ(*arguments, (std::vector<std::string>{executable, "-autorun"}));
  }
  const Autostart spaced(folder / "autostart", "Tarvo", executables[0]);
  ASSERT_TRUE(spaced.Enable());
  EXPECT_EQ(ExecValue(spaced.GetFile()), R"("/opt/My Apps/100%%/a\\"b" -autorun)");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "autostart"), fs::directory_iterator()),
            1);
}

TEST(Autostart, AHiddenEntryIsOffAndSwitchingOffRemovesTheEntry) {
  TempFolder folder;
  const Autostart autostart(folder / "autostart", "Tarvo", "/usr/bin/tarvo");
  EXPECT_FALSE(autostart.IsEnabled());
  fs::create_directories(folder / "autostart");
  std::ofstream(autostart.GetFile())
      << "[Desktop Entry]\nType=Application\nExec=tarvo -autorun\nHidden=true\n";
  EXPECT_FALSE(autostart.IsEnabled());
  ASSERT_TRUE(autostart.Enable());
  EXPECT_TRUE(autostart.IsEnabled());
  EXPECT_TRUE(autostart.Disable());
  EXPECT_FALSE(fs::exists(autostart.GetFile()));
  EXPECT_FALSE(autostart.IsEnabled());
  EXPECT_TRUE(autostart.Disable());
}

TEST(Autostart, AFolderThatCannotBeWrittenLeavesTheSwitchOff) {
  TempFolder folder;
  fs::create_directories(folder / "autostart");
  fs::permissions(folder / "autostart", fs::perms::owner_read | fs::perms::owner_exec |
                                            fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
  const Autostart readOnly(folder / "autostart", "Tarvo", "/usr/bin/tarvo");
  EXPECT_EQ(AsOrdinaryUser([&] { return readOnly.Enable(); }), 0);
  EXPECT_FALSE(readOnly.IsEnabled());
  EXPECT_TRUE(fs::is_empty(folder / "autostart"));
  // A file where the folder should be fails for every user.
  std::ofstream(folder / "config") << "not a folder";
  EXPECT_FALSE(Autostart(folder / "config" / "autostart", "Tarvo", "/usr/bin/tarvo").Enable());
}

TEST(Autostart, ExecParserRefusesWhatALauncherWouldNotRun) {
  EXPECT_EQ(Autostart::ParseExec(R"(tarvo  -autorun)"),
            (std::vector<std::string>{"tarvo", "-autorun"}));
  for (const char* malformed : {R"("/opt/tarvo -autorun)", R"("/opt/$x")", R"("/opt/`x`")",
                                R"(tarvo %f)", R"(tarvo \q)", R"("a\\x")", "tarvo 100%"}) {
    EXPECT_FALSE(Autostart::ParseExec(malformed).has_value()) << malformed;
  }
}

}  // namespace
