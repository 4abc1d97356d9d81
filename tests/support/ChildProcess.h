#pragma once
// Child processes for tests: a helper program (a sound server, an X server) that runs beside
// the test and ends with it, and a poll for a condition with a time limit.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

// Polls until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A child process, ended (if still running) and reaped when this goes.
class ChildProcess {
 public:
  // Started with fork and exec so that the child can be told to end with this process:
  // a test that crashes must not leave a sound server running behind it.
  static std::optional<ChildProcess> Spawn(const std::vector<std::string>& arguments,
                                           const std::vector<std::string>& environment,
                                           const std::filesystem::path& output) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const std::string program = "/usr/bin/" + arguments.at(0);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {  // only async-signal-safe calls until exec
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      const int in = open("/dev/null", O_RDONLY);
      const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      if (in < 0 || out < 0) _exit(127);
      dup2(in, 0);
      dup2(out, 1);
      dup2(out, 2);
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    return ChildProcess(pid);
  }

  ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  ChildProcess& operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
      this->~ChildProcess();
      pid_ = std::exchange(other.pid_, -1);
    }
    return *this;
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }

  pid_t Pid() const { return pid_; }
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }
  // The exit code; -1 when it did not exit normally.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_;
};
