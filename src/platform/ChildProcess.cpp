#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform {
namespace {

constexpr std::chrono::milliseconds kReapStep{2};

void SetError(std::string* error, const std::string& what, int code) {
  if (error != nullptr) *error = what + ": " + std::strerror(code);
}

// Owns the spawn attributes and file actions for the call.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Input from /dev/null, output and errors into the pipe, nothing else inherited. The
  // application blocks termination signals in its threads; the child starts with none
  // blocked and default handlers, in a group of its own so that its helpers end with it.
  int Prepare(int pipeWriteEnd) {
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigfillset(&defaults);
    int result =
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (result == 0)
      result = posix_spawn_file_actions_adddup2(&actions_, pipeWriteEnd, STDOUT_FILENO);
    if (result == 0)
      result = posix_spawn_file_actions_adddup2(&actions_, pipeWriteEnd, STDERR_FILENO);
    if (result == 0)
      result = posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    if (result == 0) result = posix_spawnattr_setsigmask(&attributes_, &none);
    if (result == 0) result = posix_spawnattr_setsigdefault(&attributes_, &defaults);
    if (result == 0) result = posix_spawnattr_setpgroup(&attributes_, 0);
    if (result == 0) {
      result = posix_spawnattr_setflags(
          &attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    return result;
  }

  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

ChildExit ExitOf(int status) {
  if (WIFEXITED(status)) return {true, WEXITSTATUS(status), 0};
  if (WIFSIGNALED(status)) return {false, 0, WTERMSIG(status)};
  return {false, 0, 0};
}

}  // namespace

std::optional<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                std::string* error) {
  if (argv.empty() || argv.front().empty()) {
    if (error != nullptr) *error = "no program to start";
    return std::nullopt;
  }
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    SetError(error, "cannot create a pipe", errno);
    return std::nullopt;
  }
  UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);
  SpawnSetup setup;
  if (const int result = setup.Prepare(writeEnd.Get()); result != 0) {
    SetError(error, "cannot prepare the child", result);
    return std::nullopt;
  }
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  pid_t pid = -1;
  const int result = ::posix_spawn(&pid, argv.front().c_str(), setup.Actions(), setup.Attributes(),
                                   arguments.data(), environ);
  if (result != 0) {
    SetError(error, "cannot start " + argv.front(), result);
    return std::nullopt;
  }
  // Only the child writes now: the read end sees the end of the output when it exits.
  writeEnd.Reset();
  return ChildProcess(pid, std::move(readEnd));
}

ChildProcess::~ChildProcess() {
  Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      output_(std::move(other.output_)),
      exit_(std::exchange(other.exit_, std::nullopt)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Release();
    pid_ = std::exchange(other.pid_, -1);
    output_ = std::move(other.output_);
    exit_ = std::exchange(other.exit_, std::nullopt);
  }
  return *this;
}

void ChildProcess::Release() {
  if (Running()) Stop();
  output_.Reset();
  pid_ = -1;
}

ChildProcess::Output ChildProcess::Read(std::string& text, std::chrono::milliseconds timeout,
                                        std::size_t maxBytes) {
  if (!output_.IsValid()) return Output::kEnded;
  pollfd ready{output_.Get(), POLLIN, 0};
  int polled = 0;
  do {
    polled = ::poll(&ready, 1, static_cast<int>(std::max<long>(0, timeout.count())));
  } while (polled < 0 && errno == EINTR);
  if (polled == 0) return Output::kTimedOut;
  std::string chunk(std::max<std::size_t>(1, maxBytes), '\0');
  ssize_t count = 0;
  do {
    count = ::read(output_.Get(), chunk.data(), chunk.size());
  } while (count < 0 && errno == EINTR);
  if (count <= 0) {
    output_.Reset();
    return Output::kEnded;
  }
  text.append(chunk.data(), static_cast<std::size_t>(count));
  return Output::kData;
}

bool ChildProcess::Reap(bool block) {
  if (exit_) return true;
  if (pid_ <= 0) return false;
  int status = 0;
  pid_t result = 0;
  do {
    result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return false;
  // ECHILD: someone else reaped it (SIGCHLD ignored); it has ended all the same.
  exit_ = result == pid_ ? ExitOf(status) : ChildExit{};
  return true;
}

std::optional<ChildExit> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!Reap(false)) {
    if (pid_ <= 0 || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kReapStep);
  }
  return exit_;
}

ChildExit ChildProcess::Stop(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return exit_.value_or(ChildExit{});
  if (!Reap(false)) {
    ::kill(-pid_, SIGTERM);
    ::kill(pid_, SIGTERM);
    if (!Wait(grace)) {
      ::kill(-pid_, SIGKILL);
      ::kill(pid_, SIGKILL);
      Reap(true);
    }
  }
  return exit_.value_or(ChildExit{});
}

}  // namespace platform
