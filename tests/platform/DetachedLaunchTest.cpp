#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/DetachedLaunch.h"
#include "platform/UniqueFd.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteProgram(const fs::path& file, const std::string& text, fs::perms permissions) {
  std::ofstream(file) << text;
  fs::permissions(file, permissions);
}

// Process group and session of a /proc/<pid>/stat line (the fields after the command name).
std::pair<long, long> GroupAndSession(const std::string& stat) {
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string state;
  long parent = 0, group = 0, session = 0;
  fields >> state >> parent >> group >> session;
  return {group, session};
}

// A signal set line of /proc/<pid>/status as a number (bit n-1 stands for signal n).
unsigned long long SignalSet(const std::string& status, const std::string& name) {
  const std::size_t at = status.find("\n" + name + ":\t");
  return at == std::string::npos
             ? ~0ull
             : std::stoull(status.substr(at + name.size() + 3, 16), nullptr, 16);
}

TEST(DetachedLaunch, RunsTheProgramInItsOwnSessionWithNothingOfOursButItsArguments) {
  TempFolder folder;
  fs::create_directories(folder / "work");
  // A descriptor we leave open across exec on purpose, and a signal we block: the program must
  // see neither.
  // (A high number, clear of the descriptor the shell keeps its script on.)
  const platform::UniqueFd opened(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  const platform::UniqueFd leaked(::fcntl(opened.Get(), F_DUPFD, 200));
  ASSERT_TRUE(leaked.IsValid());
  const fs::path out = folder / "out";
  const std::string leakedPath = "/proc/$$/fd/" + std::to_string(leaked.Get());
  WriteProgram(folder / "probe",
               "#!/bin/sh\n"
               "out=\"$1\"; shift\n"
               "printf '%s\\n' \"$@\" > \"$out.args\"\n"
               // Read before any redirection of the shell's own output.
               "std=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
               "echo \"$std\" > \"$out.std\"\n"
               "if [ -e " +
                   leakedPath +
                   " ]; then echo leaked > \"$out.leak\"; fi\n"
                   "cat /proc/$$/stat > \"$out.stat\"\n"
                   "pwd > \"$out.cwd\"\n",
               fs::perms::owner_all);
  const std::vector<std::string> arguments = {out.string(), "two words", "$HOME", "`id`",
                                              "a\"b;c",     "*",         ""};
  const platform::LaunchResult launch =
      platform::LaunchDetached(folder / "probe", arguments, folder / "work");
  ASSERT_TRUE(launch.started) << launch.error;
  int status = 0;
  ASSERT_EQ(waitpid(launch.processId, &status, 0), launch.processId);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(ReadFile(out.string() + ".args"), "two words\n$HOME\n`id`\na\"b;c\n*\n\n");
  EXPECT_EQ(ReadFile(out.string() + ".std"), "/dev/null\n/dev/null\n/dev/null\n");
  EXPECT_FALSE(fs::exists(out.string() + ".leak"));
  EXPECT_EQ(
      GroupAndSession(ReadFile(out.string() + ".stat")),
      std::make_pair(static_cast<long>(launch.processId), static_cast<long>(launch.processId)));
  EXPECT_EQ(ReadFile(out.string() + ".cwd"), (folder / "work").string() + "\n");
}

TEST(DetachedLaunch, TheProgramStartsWithNoSignalBlockedOrIgnored) {
  TempFolder folder;
  sigset_t blocked, saved;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, &saved);
  const auto previous = std::signal(SIGUSR2, SIG_IGN);
  // cp copies its own status, as the kernel shows it right after exec.
  const platform::LaunchResult launch =
      platform::LaunchDetached("/bin/cp", {"/proc/self/status", (folder / "status").string()});
  std::signal(SIGUSR2, previous);
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  ASSERT_TRUE(launch.started) << launch.error;
  int status = 0;
  ASSERT_EQ(waitpid(launch.processId, &status, 0), launch.processId);
  const std::string text = ReadFile(folder / "status");
  EXPECT_EQ(SignalSet(text, "SigBlk"), 0u) << text;
  // The C library keeps two real-time signals of its own (32 and 33) ignored; every standard
  // signal must be back at its default.
  EXPECT_EQ(SignalSet(text, "SigIgn") & 0x7FFFFFFFu, 0u) << text;
}

TEST(DetachedLaunch, AProgramThatCannotRunIsReportedAsNotStarted) {
  TempFolder folder;
  WriteProgram(folder / "not-executable", "#!/bin/sh\n",
               fs::perms::owner_read | fs::perms::owner_write);
  WriteProgram(folder / "no-interpreter", "just text, no #! line\n", fs::perms::owner_all);
  WriteProgram(folder / "bad-interpreter", "#!/nonexistent/shell\n", fs::perms::owner_all);
  fs::create_directories(folder / "a-folder");
  const struct {
    const char* name;
    int error;
  } cases[] = {{"missing", ENOENT},
               {"not-executable", EACCES},
               {"no-interpreter", ENOEXEC},
               {"bad-interpreter", ENOENT},
               {"a-folder", EACCES}};
  for (const auto& [name, error] : cases) {
    const platform::LaunchResult launch = platform::LaunchDetached(folder / name);
    EXPECT_FALSE(launch.started) << name;
    EXPECT_EQ(launch.processId, 0) << name;
    EXPECT_EQ(launch.error, error) << name;
  }
  EXPECT_FALSE(
      platform::LaunchDetached(folder / "no-interpreter", {}, folder / "missing-folder").started);
}

}  // namespace
