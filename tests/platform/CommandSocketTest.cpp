#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/CommandSocket.h"
#include "platform/SingleInstance.h"
#include "support/TempFolder.h"

namespace {

TEST(CommandSocket, AnswersEachCommandLine) {
  TempFolder folder;
  const auto path = folder / "control.sock";
  auto socket = platform::CommandSocket::Listen(
      path, [](const std::string& command) { return "got " + command; });
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(platform::CommandSocket::Send(path, "unplug cable"), "got unplug cable\n");
  EXPECT_EQ(platform::CommandSocket::Send(path, "sleep"), "got sleep\n");
  // A command without its line end within the size limit gets no answer.
  EXPECT_EQ(platform::CommandSocket::Send(path, std::string(5000, 'x'), 500), std::nullopt);
  socket.reset();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(platform::CommandSocket::Send(path, "sleep", 200), std::nullopt);
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
  EXPECT_EQ(platform::CommandSocket::Listen("/tmp/" + std::string(200, 'p'), {}), nullptr);
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

}  // namespace
