// Children started with an argument vector: what reaches them, what comes back, and how they
// are ended.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>

#include "platform/ChildProcess.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

ChildProcess Shell(const std::string& script, std::vector<std::string> extra = {}) {
  std::vector<std::string> argv = {"/bin/sh", "-c", script, "sh"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  std::string error;
  auto child = ChildProcess::Start(argv, &error);
  EXPECT_TRUE(child.has_value()) << error;
  return std::move(child.value());
}

// Everything the child writes until it closes its output.
std::string AllOutput(ChildProcess& child) {
  std::string text;
  while (child.Read(text, 5s) != ChildProcess::Output::kEnded) {
  }
  return text;
}

TEST(ChildProcess, OutputAndErrorsShareOnePipeAndTheExitCodeIsKept) {
  ChildProcess child = Shell("echo out; echo err >&2; exit 3");
  EXPECT_EQ(AllOutput(child), "out\nerr\n");
  const auto exit = child.Wait(5s);
  ASSERT_TRUE(exit.has_value());
  EXPECT_EQ(*exit, (ChildExit{true, 3, 0}));
  EXPECT_FALSE(child.Running());
}

TEST(ChildProcess, ArgumentsArriveUnchangedWithoutAShell) {
  ChildProcess child = Shell("printf '%s|' \"$@\"", {"a b", "c\"d", "$HOME", "; rm -rf x", ""});
  EXPECT_EQ(AllOutput(child), "a b|c\"d|$HOME|; rm -rf x||");
}

TEST(ChildProcess, InputIsEmptyAndNoOtherDescriptorIsInherited) {
  // A descriptor without close-on-exec, as a library might leave one.
  const int leaked = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leaked, 0);
  // The shell looks at its own descriptors with builtins only, so that no helper of its own
  // shows up among them.
  std::vector<std::string> numbers = {std::to_string(leaked)};
  for (int fd = 3; fd < 64; ++fd) numbers.push_back(std::to_string(fd));
  ChildProcess child = Shell(
      "cat; readlink /proc/$$/fd/0; "
      "for fd in \"$@\"; do if [ -e /proc/$$/fd/$fd ]; then echo \"open $fd\"; fi; done",
      numbers);
  EXPECT_EQ(AllOutput(child), "/dev/null\n");
  ::close(leaked);
}

TEST(ChildProcess, LongOutputArrivesInPiecesOfTheAskedSize) {
  ChildProcess child = Shell("head -c 10000 /dev/zero | tr '\\0' x");
  std::string text;
  int pieces = 0;
  while (child.Read(text, 5s, 4095) == ChildProcess::Output::kData) ++pieces;
  EXPECT_EQ(text, std::string(10000, 'x'));
  EXPECT_GE(pieces, 3);
}

TEST(ChildProcess, ReadingGivesUpAfterItsTimeOut) {
  ChildProcess child = Shell("sleep 5");
  std::string text;
  EXPECT_EQ(child.Read(text, 20ms), ChildProcess::Output::kTimedOut);
  EXPECT_FALSE(child.Wait(20ms).has_value());
  EXPECT_TRUE(child.Running());
}

TEST(ChildProcess, StopTerminatesEvenWhenTheParentBlocksTheSignal) {
  sigset_t terminate;
  sigemptyset(&terminate);
  sigaddset(&terminate, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &terminate, &previous);
  ChildProcess child = Shell("sleep 30");
  const ChildExit exit = child.Stop(5s);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  EXPECT_EQ(exit, (ChildExit{false, 0, SIGTERM}));
  std::string text;
  EXPECT_EQ(child.Read(text, 5s), ChildProcess::Output::kEnded);  // its helpers went with it
}

TEST(ChildProcess, AChildThatIgnoresTerminationIsKilled) {
  ChildProcess child = Shell("trap '' TERM; echo ready; sleep 30");
  std::string text;
  while (text.find("ready") == std::string::npos &&
         child.Read(text, 5s) == ChildProcess::Output::kData) {
  }
  EXPECT_EQ(child.Stop(50ms), (ChildExit{false, 0, SIGKILL}));
  EXPECT_EQ(child.Read(text, 5s), ChildProcess::Output::kEnded);
}

TEST(ChildProcess, DestroyingTheObjectEndsAndReapsTheChild) {
  pid_t pid = 0;
  {
    ChildProcess child = Shell("sleep 30");
    pid = child.Pid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, 0), 0);
  }
  EXPECT_EQ(::kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST(ChildProcess, AProgramThatIsNotThereIsReported) {
  std::string error;
  EXPECT_FALSE(ChildProcess::Start({"/no/such/program"}, &error).has_value());
  EXPECT_NE(error.find("/no/such/program"), std::string::npos);
  EXPECT_FALSE(ChildProcess::Start({}, &error).has_value());
}

}  // namespace
}  // namespace platform
