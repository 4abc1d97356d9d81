#pragma once
// A Unix socket on which other processes of the same user send one-line commands and get a
// text answer: the raise request of a second copy, and the hand controls of the virtual
// keyboard ("unplug cable", "sleep", ...).

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
  // Answers one command line (without its line end); runs on the socket's own thread.
  using Handler = std::function<std::string(const std::string& command)>;

  struct Private {};
  explicit CommandSocket(Private) {}
  ~CommandSocket();
  CommandSocket(const CommandSocket&) = delete;
  CommandSocket& operator=(const CommandSocket&) = delete;

  // Listens at `path` (a stale socket file there is replaced); null when it cannot.
  static std::unique_ptr<CommandSocket> Listen(const std::filesystem::path& path, Handler handler);
  // Sends a command to the socket at `path` and returns the answer; empty when nobody
  // answered within the time.
  static std::optional<std::string> Send(const std::filesystem::path& path,
                                         const std::string& command, int timeoutMs = 2000);

 private:
  void Serve();
  void Answer(int client);

  UniqueFd listener_;
  UniqueFd stop_;
  std::filesystem::path path_;
  Handler handler_;
  std::thread thread_;
};

}  // namespace platform
