#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <optional>

namespace platform {
namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "ok\n";

// A file name that is safe whatever the product name holds.
std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    safe += plain ? c : '_';
  }
  return safe.empty() ? "app" : safe;
}

std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

}  // namespace

std::filesystem::path SingleInstance::LockPath(const std::filesystem::path& folder, const std::string& name) {
  return folder / (SafeName(name) + ".lock");
}

std::filesystem::path SingleInstance::SocketPath(const std::filesystem::path& folder, const std::string& name) {
  return folder / (SafeName(name) + ".sock");
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const std::filesystem::path& folder, const std::string& name,
                                                        std::function<void()> onRaise) {
  UniqueFd lock(::open(LockPath(folder, name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  auto instance = std::make_unique<SingleInstance>(Private{});
  if (!lock.IsValid()) return instance;
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) return nullptr;

  instance->lock_ = std::move(lock);
  instance->onRaise_ = std::move(onRaise);
  instance->socketPath_ = SocketPath(folder, name);
  // We hold the lock, so a socket file left behind is stale.
  ::unlink(instance->socketPath_.c_str());
  const std::optional<sockaddr_un> address = SocketAddress(instance->socketPath_);
  UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!address || !listener.IsValid() || !stop.IsValid()) return instance;
  if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
      ::listen(listener.Get(), 4) != 0) {
    return instance;
  }
  instance->listener_ = std::move(listener);
  instance->stopEvent_ = std::move(stop);
  instance->thread_ = std::thread([raw = instance.get()] { raw->Listen(); });
  return instance;
}

SingleInstance::~SingleInstance() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopEvent_.Get(), &one, sizeof one);
    thread_.join();
  }
  if (listener_.IsValid()) ::unlink(socketPath_.c_str());
}

void SingleInstance::Listen() {
  while (true) {
    pollfd fds[2] = {{listener_.Get(), POLLIN, 0}, {stopEvent_.Get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    UniqueFd client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.IsValid()) continue;
    char request[sizeof kRaiseRequest] = {};
    pollfd wait{client.Get(), POLLIN, 0};
    if (::poll(&wait, 1, 1000) <= 0) continue;
    const ssize_t got = ::read(client.Get(), request, sizeof request - 1);
    if (got <= 0 || std::strcmp(request, kRaiseRequest) != 0) continue;
    if (onRaise_) onRaise_();
    [[maybe_unused]] const ssize_t sent = ::send(client.Get(), kRaiseAnswer, sizeof kRaiseAnswer - 1, MSG_NOSIGNAL);
  }
}

bool SingleInstance::AskToRaise(const std::filesystem::path& folder, const std::string& name) {
  const std::optional<sockaddr_un> address = SocketAddress(SocketPath(folder, name));
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!address || !socket.IsValid()) return false;
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) return false;
  if (::send(socket.Get(), kRaiseRequest, sizeof kRaiseRequest - 1, MSG_NOSIGNAL) <= 0) return false;
  pollfd wait{socket.Get(), POLLIN, 0};
  if (::poll(&wait, 1, 2000) <= 0) return false;
  char answer[8] = {};
  return ::read(socket.Get(), answer, sizeof answer - 1) > 0 && std::strcmp(answer, kRaiseAnswer) == 0;
}

}  // namespace platform
