#pragma once
// A private X server for tests: Xvfb on a display number it picks itself (-displayfd), which
// dies with the test program even when that is killed, and keeps its output away from the
// test runner.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

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

// Xvfb on a display number it picks itself (-displayfd), killed with the object.
class XvfbServer {
 public:
  // A screen of width x height at 24 bits; `extra` arguments, for example
  // {"-extension", "Composite"} to leave one out.
  explicit XvfbServer(int width = 640, int height = 480,
                      const std::vector<std::string>& extra = {}) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string program = FindProgram("Xvfb");
    int fds[2];
    if (program.empty() || ::pipe2(fds, O_CLOEXEC) != 0) return;
    platform::UniqueFd readEnd(fds[0]);
    platform::UniqueFd writeEnd(fds[1]);
    pid_ = ::fork();
    if (pid_ == 0) RunServer(program, screen, extra, writeEnd.Get());
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
  bool Running() const { return !display_.empty(); }
  pid_t Pid() const { return pid_; }

  // The server goes away under its clients.
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
                                     const std::vector<std::string>& extra, int displayFd) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::dup2(displayFd, 3);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    std::vector<const char*> argv = {
        "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", screen.c_str(), "-noreset"};
    for (const std::string& argument : extra) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    ::execv(program.c_str(), const_cast<char* const*>(argv.data()));
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

}  // namespace test_support
