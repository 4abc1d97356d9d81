#include "update/ScriptedHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string_view>

#include "base/Text.h"

namespace {

constexpr std::size_t kMaxRequestBytes = 16 * 1024;
constexpr int kRequestTimeoutMs = 5000;

const char* Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Scripted";
  }
}

bool SendAll(int connection, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent =
        ::send(connection, data, std::min<std::size_t>(size, 1 << 20), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (base::EqualsIgnoreCaseAscii(key, name)) return value;
  }
  return {};
}

ScriptedHttpServer::ScriptedHttpServer() {
  listener_ = platform::UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  int pipeEnds[2] = {-1, -1};
  const bool ready =
      listener_.IsValid() &&
      ::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::listen(listener_.Get(), 8) == 0 &&
      ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
      ::pipe2(pipeEnds, O_CLOEXEC) == 0;
  if (!ready) throw std::runtime_error("the scripted server could not listen");
  wakeRead_ = platform::UniqueFd(pipeEnds[0]);
  wakeWrite_ = platform::UniqueFd(pipeEnds[1]);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Loop(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  const char stop = 's';
  [[maybe_unused]] const ssize_t written = ::write(wakeWrite_.Get(), &stop, 1);
  thread_.join();
}

void ScriptedHttpServer::Script(const std::string& path, ScriptedResponse response) {
  std::lock_guard lock(mutex_);
  script_[path] = std::move(response);
}

std::string ScriptedHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<RecordedRequest> ScriptedHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ScriptedHttpServer::CountRequests(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(requests_.begin(), requests_.end(),
                    [&](const RecordedRequest& r) { return r.path == path; }));
}

void ScriptedHttpServer::Loop() {
  while (true) {
    pollfd waits[2] = {{listener_.Get(), POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    if ((waits[0].revents & POLLIN) == 0) continue;
    platform::UniqueFd connection(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (connection.IsValid()) Serve(connection.Get());
  }
}

bool ScriptedHttpServer::ReadRequest(int connection, RecordedRequest& request) {
  std::string text;
  while (text.find("\r\n\r\n") == std::string::npos) {
    pollfd wait{connection, POLLIN, 0};
    if (::poll(&wait, 1, kRequestTimeoutMs) <= 0) return false;
    char buffer[2048];
    const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0 || text.size() + static_cast<std::size_t>(got) > kMaxRequestBytes) return false;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  const std::string_view head(text.data(), text.find("\r\n\r\n"));
  std::size_t lineEnd = head.find("\r\n");
  const std::string_view requestLine = head.substr(0, lineEnd);
  const std::size_t firstSpace = requestLine.find(' ');
  const std::size_t secondSpace = requestLine.find(' ', firstSpace + 1);
  if (firstSpace == std::string_view::npos || secondSpace == std::string_view::npos) return false;
  request.method = std::string(requestLine.substr(0, firstSpace));
  request.path = std::string(requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1));
  while (lineEnd != std::string_view::npos) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string_view line =
        head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    request.headers.emplace_back(std::string(line.substr(0, colon)),
                                 std::string(base::Trim(line.substr(colon + 1))));
  }
  return true;
}

void ScriptedHttpServer::Serve(int connection) {
  RecordedRequest request;
  if (!ReadRequest(connection, request)) return;
  ScriptedResponse response = ScriptedResponse::Text("Not Found", 404);
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (const auto found = script_.find(request.path); found != script_.end())
      response = found->second;
  }
  if (response.silent) return WaitForClientToLeave(connection);
  std::string head =
      "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
  for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
  if (response.announceLength)
    head += "Content-Length: " + std::to_string(response.body->size()) + "\r\n";
  head += "Connection: close\r\n\r\n";
  const std::size_t bodyBytes =
      std::min(response.body->size(), response.sendOnly.value_or(response.body->size()));
  if (!SendAll(connection, head.data(), head.size())) return;
  if (!SendAll(connection, response.body->data(), bodyBytes)) return;
  if (response.stall) WaitForClientToLeave(connection);
}

void ScriptedHttpServer::WaitForClientToLeave(int connection) {
  while (true) {
    pollfd waits[2] = {{connection, POLLIN, 0}, {wakeRead_.Get(), POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    char buffer[512];
    if (waits[0].revents != 0 && ::recv(connection, buffer, sizeof(buffer), 0) <= 0) return;
  }
}
