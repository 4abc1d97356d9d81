#pragma once
// A private Xvfb server for one test, programs run against it, and a collector of input events.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"
#include "platform/input/InputSource.h"
#include "support/XvfbServer.h"

extern char** environ;

namespace test_support {

inline bool ProgramExists(const std::string& name) {
  return !FindProgram(name).empty();
}

// Runs a program with DISPLAY set and waits for it; its exit status, -1 when it did not run.
inline int RunWithDisplay(const std::string& display, std::vector<std::string> arguments) {
  std::vector<std::string> environment{"DISPLAY=" + display};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("DISPLAY=", 0) != 0) environment.emplace_back(*entry);
  }
  std::vector<char*> argv, envp;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Collects events from a source's thread for the test thread.
// Declared before the source it listens to, so that it outlives the source's thread.
class EventCollector {
 public:
  platform::input::InputCallback Callback() {
    return [this](const platform::input::InputEvent& event) {
      {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
      }
      changed_.notify_all();
    };
  }

  // Waits (at most a generous while) until an event like this arrived; false when none did.
  bool WaitFor(const std::function<bool(const platform::input::InputEvent&)>& wanted) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] {
      for (const auto& event : events_) {
        if (wanted(event)) return true;
      }
      return false;
    });
  }

  bool WaitFor(int code, platform::input::InputAction action) {
    return WaitFor(
        [=](const platform::input::InputEvent& e) { return e.code == code && e.action == action; });
  }

  std::vector<platform::input::InputEvent> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<platform::input::InputEvent> events_;
};

}  // namespace test_support
