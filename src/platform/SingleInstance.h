#pragma once
// One running copy per user: the first copy holds a lock file and listens on a Unix socket in
// the runtime folder; a later copy finds the lock taken and asks the first, over the socket,
// to raise its window.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/UniqueFd.h"

namespace platform {

class SingleInstance {
 public:
  struct Private {};
  explicit SingleInstance(Private) {}
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock for `name` in `folder`. Null only when another process holds it. When the
  // lock file cannot be made at all, the copy runs unguarded rather than not at all.
  // `onRaise` runs on a listener thread whenever a later copy asks.
  static std::unique_ptr<SingleInstance> Acquire(const std::filesystem::path& folder, const std::string& name,
                                                 std::function<void()> onRaise);
  // Asks the running copy to raise its window; true when it answered.
  static bool AskToRaise(const std::filesystem::path& folder, const std::string& name);

  static std::filesystem::path LockPath(const std::filesystem::path& folder, const std::string& name);
  static std::filesystem::path SocketPath(const std::filesystem::path& folder, const std::string& name);

 private:
  void Listen();

  UniqueFd lock_;
  UniqueFd listener_;
  UniqueFd stopEvent_;
  std::filesystem::path socketPath_;
  std::function<void()> onRaise_;
  std::thread thread_;
};

}  // namespace platform
