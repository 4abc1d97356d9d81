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

extern char** environ;

namespace test_support {

// The full path of a program on PATH; empty when there is none.
inline std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

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

// Xvfb on a display number it picks itself (-displayfd), killed with the object.
class XvfbServer {
 public:
  // `screen` is the screen's WIDTHxHEIGHTxDEPTH.
  explicit XvfbServer(const std::string& screen = "640x480x24") {
    const std::string program = FindProgram("Xvfb");
    int fds[2];
    if (program.empty() || ::pipe2(fds, O_CLOEXEC) != 0) return;
    platform::UniqueFd readEnd(fds[0]);
    platform::UniqueFd writeEnd(fds[1]);
    pid_ = ::fork();
    if (pid_ == 0) RunServer(program, screen, writeEnd.Get());
    writeEnd.Reset();
    if (pid_ < 0) {
      pid_ = 0;
      return;
    }
    display_ = ReadDisplayNumber(readEnd.Get());
  }

  ~XvfbServer() { Kill(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", empty when the server did not come up.
  const std::string& Display() const { return display_; }

  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }

 private:
  // In the child: the server dies with the test even when the test itself is killed, and its
  // output does not keep the test runner's pipes open.
  [[noreturn]] static void RunServer(const std::string& program, const std::string& screen,
                                     int displayFd) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(displayFd, 3);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    const char* argv[] = {"Xvfb", "-displayfd",   "3",        "-nolisten", "tcp", "-screen",
                          "0",    screen.c_str(), "-noreset", nullptr};
    ::execv(program.c_str(), const_cast<char* const*>(argv));
    ::_exit(127);
  }

  static std::string ReadDisplayNumber(int fd) {
    std::string text;
    pollfd waiting{fd, POLLIN, 0};
    // Xvfb writes the number once it accepts connections.
    while (text.find('\n') == std::string::npos && ::poll(&waiting, 1, 30000) > 0) {
      char buffer[32];
      const ssize_t length = ::read(fd, buffer, sizeof buffer);
      if (length <= 0) break;
      text.append(buffer, static_cast<std::size_t>(length));
    }
    const std::size_t end = text.find('\n');
    if (end == std::string::npos || end == 0) return {};
    return ":" + text.substr(0, end);
  }

  pid_t pid_ = 0;
  std::string display_;
};

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
