#include "platform/CommandSocket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// How long the socket pauses after a failed accept (out of descriptors, say), so that a
// listener that stays readable does not spin.
constexpr int kAcceptPauseMs = 100;

std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.empty() || text.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until `fd` is ready for `events` or the deadline passes; false on time-out or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  while (true) {
    pollfd wait{fd, events, 0};
    const int ready = ::poll(&wait, 1, MillisecondsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

struct ReadResult {
  std::string text;
  bool lineEnded = false;  // a line end arrived (the text holds what came before it)
  bool ended = false;      // the peer finished writing
  bool tooLong = false;    // the limit was reached without a line end
};

// Reads until a line end (when asked to stop there), the peer's end of writing, the size limit
// or the deadline.
ReadResult ReadText(int fd, std::size_t limit, Clock::time_point deadline, bool stopAtLineEnd) {
  ReadResult result;
  char buffer[4096];
  while (true) {
    if (!WaitFor(fd, POLLIN, deadline)) return result;
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      // Only an orderly end is one; a reset connection leaves the text unfinished.
      result.ended = got == 0;
      return result;
    }
    result.text.append(buffer, static_cast<std::size_t>(got));
    if (stopAtLineEnd) {
      const std::size_t end = result.text.find('\n');
      if (end != std::string::npos && end <= limit) {
        result.text.resize(end);
        result.lineEnded = true;
        return result;
      }
    }
    if (result.text.size() > limit) {
      result.text.resize(limit);
      result.tooLong = true;
      return result;
    }
  }
}

bool WriteAll(int fd, const std::string& text, Clock::time_point deadline) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    if (!WaitFor(fd, POLLOUT, deadline)) return false;
    const ssize_t written =
        ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (written <= 0) return false;
    sent += static_cast<std::size_t>(written);
  }
  return true;
}

// Whether the process at the other end runs as the same user as this one.
bool PeerIsSameUser(int client) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
      size != sizeof credentials) {
    return false;
  }
  return credentials.uid == ::geteuid();
}

}  // namespace

std::unique_ptr<CommandSocket> CommandSocket::Listen(const std::filesystem::path& path,
                                                     Handler handler,
                                                     std::chrono::milliseconds requestTime) {
  const std::optional<sockaddr_un> address = SocketAddress(path);
  if (!address) return nullptr;
  auto socket = std::make_unique<CommandSocket>(Private{});
  socket->listener_.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  socket->stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!socket->listener_.IsValid() || !socket->stop_.IsValid()) return nullptr;
  ::unlink(path.c_str());
  if (::bind(socket->listener_.Get(), reinterpret_cast<const sockaddr*>(&*address),
             sizeof *address) != 0) {
    return nullptr;
  }
  // Nobody can connect before listen: the file is the user's alone by then. (A mode set on the
  // socket's descriptor would not reach the file, and the umask is the whole process's.)
  if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(socket->listener_.Get(), 8) != 0) {
    ::unlink(path.c_str());
    return nullptr;
  }
  socket->path_ = path;
  socket->handler_ = std::move(handler);
  socket->requestTime_ = requestTime;
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
    if (client.IsValid()) {
      Answer(client.Get());
    } else if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) {
      pollfd stop{stop_.Get(), POLLIN, 0};
      if (::poll(&stop, 1, kAcceptPauseMs) > 0) return;
    }
  }
}

void CommandSocket::Answer(int client) {
  // Another user's process gets nothing, not even an error.
  if (!PeerIsSameUser(client)) return;
  std::string answer = AnswerRequest(client);
  if (answer.size() >= kMaxAnswer) answer.resize(kMaxAnswer - 1);
  if (answer.empty() || answer.back() != '\n') answer += '\n';
  WriteAll(client, answer, Clock::now() + kAnswerTime);
}

std::string CommandSocket::AnswerRequest(int client) {
  const ReadResult request =
      ReadText(client, kMaxRequest, Clock::now() + requestTime_, /*stopAtLineEnd=*/true);
  if (request.tooLong) return "error: request too long";
  // A client that ends its writing without a line end has still said all it will.
  if (!request.lineEnded && !request.ended) return "error: incomplete request";
  std::string line = request.text;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) return "error: empty request";
  if (line.find('\0') != std::string::npos) return "error: malformed request";
  if (!handler_) return "error: unknown request";
  try {
    return handler_(line);
  } catch (const std::exception& error) {
    return std::string("error: internal error: ") + error.what();
  } catch (...) {
    return "error: internal error";
  }
}

CommandSocket::Exchange CommandSocket::Ask(const std::filesystem::path& path,
                                           const std::string& request,
                                           std::chrono::milliseconds timeout) {
  Exchange exchange;
  const std::optional<sockaddr_un> address = SocketAddress(path);
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!address || !socket.IsValid()) return exchange;
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
    return exchange;
  exchange.outcome = Outcome::kNoAnswer;
  const Clock::time_point deadline = Clock::now() + timeout;
  if (!WriteAll(socket.Get(), request + "\n", deadline)) return exchange;
  ::shutdown(socket.Get(), SHUT_WR);
  ReadResult answer = ReadText(socket.Get(), kMaxAnswer, deadline, /*stopAtLineEnd=*/false);
  // Only an answer the socket finished is one: a cut-off text would read as something else.
  if (!answer.ended || answer.text.empty()) return exchange;
  exchange.outcome = Outcome::kAnswered;
  exchange.answer = std::move(answer.text);
  return exchange;
}

std::optional<std::string> CommandSocket::Send(const std::filesystem::path& path,
                                               const std::string& command, int timeoutMs) {
  Exchange exchange = Ask(path, command, std::chrono::milliseconds(timeoutMs));
  if (exchange.outcome != Outcome::kAnswered) return std::nullopt;
  return std::move(exchange.answer);
}

}  // namespace platform
