#include "platform/DetachedLaunch.h"

#include <fcntl.h>
#include <spawn.h>

#include <csignal>

#include "base/Log.h"

extern char** environ;

namespace platform {

namespace {

class SpawnActions {
 public:
  SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (ok_) posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  // Standard input and output go to /dev/null and nothing else of ours stays open.
  bool Prepare(const std::filesystem::path& workingFolder) {
    ok_ = ok_ && posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0;
    ok_ = ok_ && posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0) == 0;
    ok_ = ok_ && posix_spawn_file_actions_adddup2(&actions_, 1, 2) == 0;
    ok_ = ok_ && posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;
    if (ok_ && !workingFolder.empty()) {
      ok_ = posix_spawn_file_actions_addchdir_np(&actions_, workingFolder.c_str()) == 0;
    }
    return ok_;
  }
  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
  ~SpawnAttributes() {
    if (ok_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  // A session of its own, so that it outlives us and our terminal; the signals we block or
  // ignore (termination signals are handled by a thread of ours) must not stay so for it.
  bool Prepare() {
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    ok_ = ok_ && posix_spawnattr_setflags(&attributes_, flags) == 0;
    ok_ = ok_ && posix_spawnattr_setsigmask(&attributes_, &none) == 0;
    ok_ = ok_ && posix_spawnattr_setsigdefault(&attributes_, &all) == 0;
    return ok_;
  }
  const posix_spawnattr_t* Get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
  bool ok_ = false;
};

}  // namespace

LaunchResult LaunchDetached(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments,
                            const std::filesystem::path& workingFolder) {
  LaunchResult result;
  if (program.empty()) {
    result.error = ENOENT;
    return result;
  }
  SpawnActions actions;
  SpawnAttributes attributes;
  if (!actions.Prepare(workingFolder) || !attributes.Prepare()) {
    result.error = ENOMEM;
    return result;
  }
  std::vector<std::string> words;
  words.reserve(arguments.size() + 1);
  words.push_back(program.string());
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // glibc's posix_spawn runs the child in our memory until exec and returns the error of a
  // failed exec (or of a failed file action), so a zero here means the program image runs.
  pid_t child = 0;
  const int error = posix_spawn(&child, words.front().c_str(), actions.Get(), attributes.Get(),
                                argv.data(), environ);
  if (error != 0) {
    result.error = error;
    base::DebugLog("launch: %s did not start (errno %d)", program.c_str(), error);
    return result;
  }
  result.started = true;
  result.processId = child;
  base::DebugLog("launch: %s started as %d", program.c_str(), static_cast<int>(child));
  return result;
}

}  // namespace platform
