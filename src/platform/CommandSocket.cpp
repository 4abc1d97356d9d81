#include "platform/CommandSocket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

constexpr std::size_t kMaxCommand = 1024;
constexpr std::size_t kMaxAnswer = 64 * 1024;

std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.empty() || text.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

// Reads until a line end, the peer's end of writing, the size limit or the time-out.
std::string ReadText(int fd, std::size_t limit, int timeoutMs, bool stopAtLineEnd) {
  std::string text;
  char buffer[512];
  while (text.size() < limit) {
    pollfd wait{fd, POLLIN, 0};
    const int ready = ::poll(&wait, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;  // a signal handled meanwhile is no answer
    if (ready <= 0) break;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
    if (stopAtLineEnd && text.find('\n') != std::string::npos) break;
  }
  return text.substr(0, limit);
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t written = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (written <= 0) return false;
    sent += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::unique_ptr<CommandSocket> CommandSocket::Listen(const std::filesystem::path& path,
                                                     Handler handler) {
  const std::optional<sockaddr_un> address = SocketAddress(path);
  if (!address) return nullptr;
  auto socket = std::make_unique<CommandSocket>(Private{});
  socket->listener_.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  socket->stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!socket->listener_.IsValid() || !socket->stop_.IsValid()) return nullptr;
  ::unlink(path.c_str());
  if (::bind(socket->listener_.Get(), reinterpret_cast<const sockaddr*>(&*address),
             sizeof *address) != 0 ||
      ::listen(socket->listener_.Get(), 4) != 0) {
    return nullptr;
  }
  socket->path_ = path;
  socket->handler_ = std::move(handler);
  socket->thread_ = std::thread([raw = socket.get()] { raw->Serve(); });
  return socket;
}

CommandSocket::~CommandSocket() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stop_.Get(), &one, sizeof one);
    thread_.join();
  }
  if (!path_.empty()) ::unlink(path_.c_str());
}

void CommandSocket::Serve() {
  while (true) {
    pollfd fds[2] = {{listener_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    UniqueFd client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (client.IsValid()) Answer(client.Get());
  }
}

void CommandSocket::Answer(int client) {
  std::string command = ReadText(client, kMaxCommand, 1000, true);
  const std::size_t end = command.find_first_of("\r\n");
  if (end == std::string::npos) return;  // no complete line within the limits
  command.resize(end);
  std::string answer = handler_ ? handler_(command) : std::string();
  if (answer.empty() || answer.back() != '\n') answer += '\n';
  WriteAll(client, answer.substr(0, kMaxAnswer));
}

std::optional<std::string> CommandSocket::Send(const std::filesystem::path& path,
                                               const std::string& command, int timeoutMs) {
  const std::optional<sockaddr_un> address = SocketAddress(path);
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!address || !socket.IsValid()) return std::nullopt;
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
    return std::nullopt;
  if (!WriteAll(socket.Get(), command + "\n")) return std::nullopt;
  ::shutdown(socket.Get(), SHUT_WR);
  std::string answer = ReadText(socket.Get(), kMaxAnswer, timeoutMs, false);
  if (answer.empty()) return std::nullopt;
  return answer;
}

}  // namespace platform
