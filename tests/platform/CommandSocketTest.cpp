#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "platform/CommandSocket.h"
#include "platform/SingleInstance.h"
#include "platform/UniqueFd.h"
#include "support/TempFolder.h"

namespace {

using platform::CommandSocket;
using namespace std::chrono_literals;

// A raw client: connects, writes `bytes` as they are (optionally ending its writing) and
// returns everything the socket answered before closing.
std::string RawExchange(const std::filesystem::path& path, const std::string& bytes,
                        bool endWriting) {
  platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    return "<no connection>";
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd.Get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  if (endWriting) ::shutdown(fd.Get(), SHUT_WR);
  std::string answer;
  char buffer[256];
  ssize_t n = 0;
  while ((n = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0)
    answer.append(buffer, static_cast<std::size_t>(n));
  return answer;
}

TEST(CommandSocket, AnswersEachRequestLine) {
  TempFolder folder;
  const auto path = folder / "control.sock";
  auto socket =
      CommandSocket::Listen(path, [](const std::string& command) { return "got " + command; });
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(CommandSocket::Send(path, "unplug cable"), "got unplug cable\n");
  EXPECT_EQ(CommandSocket::Send(path, "sleep"), "got sleep\n");
  // Only the first line is the request; a CR before the line end is no part of it.
  EXPECT_EQ(RawExchange(path, "first\r\nsecond\n", false), "got first\n");
  // A client that ends its writing without a line end has sent its request.
  EXPECT_EQ(RawExchange(path, "no line end", true), "got no line end\n");
  socket.reset();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(CommandSocket::Ask(path, "sleep", 200ms).outcome,
            CommandSocket::Outcome::kNobodyListens);
}

TEST(CommandSocket, MalformedRequestsGetAnErrorAndTheSocketGoesOnAnswering) {
  TempFolder folder;
  const auto path = folder / "control.sock";
  std::atomic<int> handled{0};
  auto socket = CommandSocket::Listen(
      path,
      [&](const std::string& command) -> std::string {
        ++handled;
        if (command == "throw") throw std::runtime_error("broken");
        return "ok";
      },
      300ms);
  ASSERT_NE(socket, nullptr);
  const struct {
    std::string bytes;
    bool endWriting;
    std::string answer;
  } cases[] = {
      {std::string(CommandSocket::kMaxRequest + 10, 'x'), false, "error: request too long\n"},
      {std::string(CommandSocket::kMaxRequest + 10, 'x') + "\n", true, "error: request too long\n"},
      {"half a line", false, "error: incomplete request\n"},  // the client takes too long
      {"", true, "error: empty request\n"},
      {"\n", false, "error: empty request\n"},
      {std::string("nul\0inside\n", 11), false, "error: malformed request\n"},
      {"throw\n", false, "error: internal error: broken\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RawExchange(path, c.bytes, c.endWriting), c.answer) << c.bytes.substr(0, 20);
  }
  EXPECT_EQ(handled.load(), 1) << "only the well-formed request reached the handler";
  EXPECT_EQ(CommandSocket::Send(path, "still there"), "ok\n");
}

TEST(CommandSocket, TheSocketFileIsTheUsersAlone) {
  TempFolder folder;
  const auto path = folder / "control.sock";
  auto socket = CommandSocket::Listen(path, [](const std::string&) { return "ok"; });
  ASSERT_NE(socket, nullptr);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(CommandSocket, AnotherUsersProcessIsNotAnswered) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  TempFolder folder;
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::all);
  const auto path = folder / "control.sock";
  std::atomic<int> handled{0};
  auto socket = CommandSocket::Listen(path, [&](const std::string&) {
    ++handled;
    return std::string("secret");
  });
  ASSERT_NE(socket, nullptr);
  // Open the file to everyone, so that only the credential check stands in the way.
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) _exit(3);
    const std::string answer = RawExchange(path, "request\n", true);
    _exit(answer == "<no connection>" ? 2 : answer.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: answered, 2: could not connect, 3: could not switch";
  EXPECT_EQ(handled.load(), 0);
  EXPECT_EQ(CommandSocket::Send(path, "request"), "secret\n");
}

TEST(CommandSocket, AskTellsASlowAnswerFromNobodyListening) {
  TempFolder folder;
  const auto path = folder / "control.sock";
  auto socket = CommandSocket::Listen(path, [](const std::string&) {
    std::this_thread::sleep_for(400ms);
    return std::string("late");
  });
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(CommandSocket::Ask(path, "x", 50ms).outcome, CommandSocket::Outcome::kNoAnswer);
  const CommandSocket::Exchange answered = CommandSocket::Ask(path, "x", 5s);
  EXPECT_EQ(answered.outcome, CommandSocket::Outcome::kAnswered);
  EXPECT_EQ(answered.answer, "late\n");
}

// A signal that interrupts the wait for the answer (poll fails with EINTR whatever the
// handler's flags) is not taken for a server that does not answer.
TEST(CommandSocket, ASignalWhileWaitingForTheAnswerIsNoFailure) {
  struct sigaction quiet {};
  quiet.sa_handler = [](int) {};
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGUSR1, &quiet, &previous), 0);
  TempFolder folder;
  const auto path = folder / "control.sock";
  const pthread_t client = ::pthread_self();
  auto socket = platform::CommandSocket::Listen(path, [client](const std::string& command) {
    // The whole line has arrived: the client is waiting for the answer.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::pthread_kill(client, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return "got " + command;
  });
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(platform::CommandSocket::Send(path, "list"), "got list\n");
  socket.reset();
  ::sigaction(SIGUSR1, &previous, nullptr);
}

TEST(CommandSocket, RefusesPathsTooLongForASocket) {
  EXPECT_EQ(CommandSocket::Listen("/tmp/" + std::string(200, 'p'), {}), nullptr);
}

TEST(SingleInstance, TheSecondCopyFindsTheLockAndRaisesTheFirst) {
  TempFolder folder;
  std::atomic<int> raised{0};
  auto first = platform::SingleInstance::Acquire(folder.Path(), "Tarvo", [&] { ++raised; });
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(platform::SingleInstance::Acquire(folder.Path(), "Tarvo", {}), nullptr);
  EXPECT_TRUE(platform::SingleInstance::AskToRaise(folder.Path(), "Tarvo"));
  EXPECT_EQ(raised.load(), 1);
  // Another product is another lock.
  EXPECT_NE(platform::SingleInstance::Acquire(folder.Path(), "Other / Name", {}), nullptr);
  first.reset();
  EXPECT_FALSE(platform::SingleInstance::AskToRaise(folder.Path(), "Tarvo"));
  EXPECT_NE(platform::SingleInstance::Acquire(folder.Path(), "Tarvo", {}), nullptr);
}

TEST(SingleInstance, OtherRequestsGoToTheRequestHandlerWhileOneIsSet) {
  TempFolder folder;
  auto instance = platform::SingleInstance::Acquire(folder.Path(), "Tarvo", {});
  ASSERT_NE(instance, nullptr);
  const auto path = platform::SingleInstance::SocketPath(folder.Path(), "Tarvo");
  EXPECT_EQ(CommandSocket::Send(path, "{}"), "error: unknown request\n");
  instance->SetRequestHandler([](const std::string& request) { return "handled " + request; });
  EXPECT_EQ(CommandSocket::Send(path, "{}"), "handled {}\n");
  EXPECT_TRUE(platform::SingleInstance::AskToRaise(folder.Path(), "Tarvo"));
  instance->SetRequestHandler({});
  EXPECT_EQ(CommandSocket::Send(path, "{}"), "error: unknown request\n");
}

}  // namespace
