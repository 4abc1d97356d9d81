#pragma once
// A Unix socket on which other processes of the same user send one request and get one answer
// per connection: the raise request of a second copy, the requests of tarvoctl, and the hand
// controls of the virtual keyboard ("unplug cable", "sleep", ...).
//
// A request is one line of text (at most kMaxRequest bytes before its line end) that the
// client must send within kRequestTime; the answer is everything the socket writes before it
// closes the connection. Only processes of the user who runs the socket are answered (the
// peer's credentials are checked), and the socket file is readable and writable by that user
// alone. Requests are answered one after another on the socket's own thread: a handler may take
// its time without holding up anyone but the next client.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/UniqueFd.h"

namespace platform {

class CommandSocket {
 public:
  // Answers one request line (without its line end); runs on the socket's own thread. What it
  // throws is answered as an internal error.
  using Handler = std::function<std::string(const std::string& request)>;

  static constexpr std::size_t kMaxRequest = 64 * 1024;
  static constexpr std::size_t kMaxAnswer = 4 * 1024 * 1024;
  // How long a client may take to send its request, and to take its answer.
  static constexpr std::chrono::milliseconds kRequestTime{2000};
  static constexpr std::chrono::milliseconds kAnswerTime{5000};

  struct Private {};
  explicit CommandSocket(Private) {}
  ~CommandSocket();
  CommandSocket(const CommandSocket&) = delete;
  CommandSocket& operator=(const CommandSocket&) = delete;

  // Listens at `path` (a stale socket file there is replaced); null when it cannot.
  static std::unique_ptr<CommandSocket> Listen(
      const std::filesystem::path& path, Handler handler,
      std::chrono::milliseconds requestTime = kRequestTime);

  // The client's side: sends one request and reads the whole answer.
  enum class Outcome {
    kAnswered,
    kNobodyListens,  // no socket at the path, or nobody accepts on it
    kNoAnswer,       // connected, but no complete answer came within the time
  };
  struct Exchange {
    Outcome outcome = Outcome::kNobodyListens;
    std::string answer;
  };
  static Exchange Ask(const std::filesystem::path& path, const std::string& request,
                      std::chrono::milliseconds timeout);
  // The answer, or empty when nobody answered within the time.
  static std::optional<std::string> Send(const std::filesystem::path& path,
                                         const std::string& command, int timeoutMs = 2000);

 private:
  void Serve();
  void Answer(int client);
  std::string AnswerRequest(int client);

  UniqueFd listener_;
  UniqueFd stop_;
  std::filesystem::path path_;
  Handler handler_;
  std::chrono::milliseconds requestTime_ = kRequestTime;
  std::thread thread_;
};

}  // namespace platform
