#pragma once
// A program started as a child with an argument vector (no shell between), its standard
// input reading /dev/null and its standard output and standard error going into one pipe that
// the parent reads with a time-out. The child gets no other descriptor of ours, an empty
// signal mask and a process group of its own. A child still running when its object goes (or
// when Stop is called) is asked to end with SIGTERM, and killed when it has not ended after a
// grace period; either way it is reaped.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace platform {

struct ChildExit {
  bool exited = false;  // ended by itself; code is its exit code
  int code = 0;
  int signal = 0;  // the signal that ended it, when it did not exit by itself
  bool operator==(const ChildExit&) const = default;
};

class ChildProcess {
 public:
  static constexpr std::chrono::milliseconds kDefaultGrace{500};

  // argv[0] is the program's path (not searched in PATH). Empty, with the reason in *error,
  // when the child cannot be started.
  static std::optional<ChildProcess> Start(const std::vector<std::string>& argv,
                                           std::string* error = nullptr);

  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  enum class Output { kData, kTimedOut, kEnded };
  // Waits up to `timeout` for output and appends what came (at most maxBytes) to `text`.
  // kEnded once every writer of the pipe has closed it (normally: the child has exited).
  Output Read(std::string& text, std::chrono::milliseconds timeout, std::size_t maxBytes = 4095);

  // Waits up to `timeout` for the child to end; its exit once it has.
  std::optional<ChildExit> Wait(std::chrono::milliseconds timeout);

  // Ends the child: SIGTERM to its group, SIGKILL after the grace period; returns its exit.
  ChildExit Stop(std::chrono::milliseconds grace = kDefaultGrace);

  pid_t Pid() const { return pid_; }
  bool Running() const { return pid_ > 0 && !exit_; }

 private:
  ChildProcess(pid_t pid, UniqueFd output) : pid_(pid), output_(std::move(output)) {}
  bool Reap(bool block);
  void Release();

  pid_t pid_ = -1;
  UniqueFd output_;
  std::optional<ChildExit> exit_;
};

}  // namespace platform
