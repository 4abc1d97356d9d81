#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>

namespace platform {
namespace {

constexpr char kRaiseRequest[] = "raise";
constexpr char kRaiseAnswer[] = "ok\n";

// A file name that is safe whatever the product name holds.
std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    safe += plain ? c : '_';
  }
  return safe.empty() ? "app" : safe;
}

}  // namespace

std::filesystem::path SingleInstance::LockPath(const std::filesystem::path& folder,
                                               const std::string& name) {
  return folder / (SafeName(name) + ".lock");
}

std::filesystem::path SingleInstance::SocketPath(const std::filesystem::path& folder,
                                                 const std::string& name) {
  return folder / (SafeName(name) + ".sock");
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const std::filesystem::path& folder,
                                                        const std::string& name,
                                                        std::function<void()> onRaise) {
  UniqueFd lock(
      ::open(LockPath(folder, name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  auto instance = std::make_unique<SingleInstance>(Private{});
  if (!lock.IsValid()) return instance;
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
  instance->lock_ = std::move(lock);
  // We hold the lock, so a socket file left behind is stale and may be replaced.
  instance->socket_ = CommandSocket::Listen(
      SocketPath(folder, name),
      [raise = std::move(onRaise), requests = instance->requests_](const std::string& command) {
        if (command == kRaiseRequest) {
          if (raise) raise();
          return std::string(kRaiseAnswer);
        }
        CommandSocket::Handler handler;
        {
          std::lock_guard lock(requests->mutex);
          handler = requests->handler;
        }
        return handler ? handler(command) : std::string("error: unknown request");
      });
  return instance;
}

void SingleInstance::SetRequestHandler(CommandSocket::Handler handler) {
  std::lock_guard lock(requests_->mutex);
  requests_->handler = std::move(handler);
}

bool SingleInstance::AskToRaise(const std::filesystem::path& folder, const std::string& name) {
  const std::optional<std::string> answer =
      CommandSocket::Send(SocketPath(folder, name), kRaiseRequest);
  return answer == std::string(kRaiseAnswer);
}

}  // namespace platform
