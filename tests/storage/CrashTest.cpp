// A writer process killed at random moments leaves a sound file holding whole transactions.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "StorageTestSupport.h"
#include "storage/SettingsDatabase.h"

extern char** environ;

namespace storage {
namespace {

using testing::Peek;
using testing::TempFolder;

// Starts the writer with its standard output on a pipe; returns its process id (or -1) and
// the pipe's reading end.
pid_t StartWriter(const std::filesystem::path& dataFolder, int& readyPipe) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::string program = TARVO_CRASH_WRITER;
  std::string folder = dataFolder.string();
  char* argv[] = {program.data(), folder.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  readyPipe = fds[0];
  return pid;
}

bool WaitUntilWriting(int readyPipe) {
  pollfd ready{readyPipe, POLLIN, 0};
  char byte = 0;
  return poll(&ready, 1, 20000) == 1 && read(readyPipe, &byte, 1) == 1 && byte == 'R';
}

void ExpectOnlyWholeTransactions(Peek& peek) {
  EXPECT_EQ(peek.Texts("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_EQ(peek.Int("SELECT count(*) FROM (SELECT profile FROM t_key_macro_data WHERE profile > "
                     "0 GROUP BY profile HAVING count(*) <> 128)"),
            0)
      << "a key batch was stored in part";
  EXPECT_EQ(peek.Int("SELECT count(*) FROM (SELECT key_code FROM t_key_macro_data WHERE profile "
                     "= 0 GROUP BY key_code HAVING count(*) > 1)"),
            0)
      << "a saved key has two rows";
  EXPECT_EQ(peek.Int("SELECT count(*) FROM (SELECT profile FROM t_config_data GROUP BY profile "
                     "HAVING count(*) <> 33)"),
            0)
      << "a profile holds part of its defaults";
  EXPECT_EQ(peek.Int("SELECT count(*) FROM t_profile_data p WHERE NOT EXISTS (SELECT 1 FROM "
                     "t_musiclayer_data m WHERE m.layer_id = p.profile) OR NOT EXISTS (SELECT 1 "
                     "FROM t_customlight_data c WHERE c.profile = p.profile)"),
            0)
      << "a profile without its music layer or custom light";
  EXPECT_EQ(peek.Int("SELECT count(*) FROM t_musiclayer_data"),
            peek.Int("SELECT count(*) FROM t_profile_data"));
  if (peek.Int("SELECT count(*) FROM t_profile_data") > 1) {
    EXPECT_EQ(peek.Int("SELECT count(*) FROM t_profile_data WHERE status = 1"), 1)
        << "activation stored in part";
  }
}

TEST(CrashTest, KilledWriterLeavesOnlyWholeTransactions) {
  TempFolder folder;
  const auto file = SettingsDatabase::DatabaseFileOf(folder.path(), "Crash");
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delayMs(2, 90);
  int lastProfiles = 0;
  // At least 30 kills, and on until the writer got somewhere (a slow machine writes less
  // between two kills).
  for (int round = 0; round < 30 || (lastProfiles <= 30 && round < 300); ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int readyPipe = -1;
    const pid_t writer = StartWriter(folder.path(), readyPipe);
    ASSERT_GT(writer, 0);
    const bool writing = WaitUntilWriting(readyPipe);
    if (writing) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);
    close(readyPipe);
    ASSERT_TRUE(writing) << "the writer did not start";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";

    Peek peek(file);
    ASSERT_TRUE(peek.opened());
    ExpectOnlyWholeTransactions(peek);
    lastProfiles = peek.Int("SELECT count(*) FROM t_profile_data");
    if (HasFailure()) break;
  }
  EXPECT_GT(lastProfiles, 30) << "the writer hardly wrote anything";
}

}  // namespace
}  // namespace storage
