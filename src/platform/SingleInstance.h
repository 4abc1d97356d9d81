#pragma once
// One running copy per user: the first copy holds a lock file and listens on a command socket
// in the runtime folder; a later copy finds the lock taken and asks the first, over the
// socket, to raise its window.

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/CommandSocket.h"
#include "platform/UniqueFd.h"

namespace platform {

class SingleInstance {
 public:
  struct Private {};
  explicit SingleInstance(Private) {}

  // Takes the lock for `name` in `folder`. Null only when another process holds it. When the
  // lock file cannot be made at all, the copy runs unguarded rather than not at all.
  // `onRaise` runs on the socket's thread whenever a later copy asks.
  static std::unique_ptr<SingleInstance> Acquire(const std::filesystem::path& folder,
                                                 const std::string& name,
                                                 std::function<void()> onRaise);
  // Who answers the requests other than the raise request (tarvoctl's); any thread. Without
  // one they are answered with an error. The handler runs on the socket's thread; an empty one
  // detaches it (a request it is answering still finishes).
  void SetRequestHandler(CommandSocket::Handler handler);

  // Asks the running copy to raise its window; true when it answered.
  static bool AskToRaise(const std::filesystem::path& folder, const std::string& name);

  static std::filesystem::path LockPath(const std::filesystem::path& folder,
                                        const std::string& name);
  static std::filesystem::path SocketPath(const std::filesystem::path& folder,
                                          const std::string& name);

 private:
  struct Requests {
    std::mutex mutex;
    CommandSocket::Handler handler;
  };

  UniqueFd lock_;
  std::shared_ptr<Requests> requests_ = std::make_shared<Requests>();
  std::unique_ptr<CommandSocket> socket_;
};

}  // namespace platform
