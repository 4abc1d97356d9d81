#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (an ephemeral port) that answers each path with a
// scripted response: status, headers, body, a cut-short body, or silence. One connection at a
// time, one request per connection. Every request is recorded for the test to inspect.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/UniqueFd.h"

struct ScriptedResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::shared_ptr<const std::string> body = std::make_shared<const std::string>();
  bool announceLength = true;           // send Content-Length (the whole body's size)
  std::optional<std::size_t> sendOnly;  // body bytes really sent
  bool stall = false;                   // then keep the connection open, sending nothing
  bool silent = false;                  // send nothing at all, keep the connection open

  static ScriptedResponse Text(std::string body, int status = 200) {
    ScriptedResponse response;
    response.status = status;
    response.body = std::make_shared<const std::string>(std::move(body));
    return response;
  }
  static ScriptedResponse Redirect(std::string location, int status = 302) {
    ScriptedResponse response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    return response;
  }
};

struct RecordedRequest {
  std::string method;
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  // The value of a header (case-insensitive name); empty when absent.
  std::string Header(const std::string& name) const;
};

class ScriptedHttpServer {
 public:
  ScriptedHttpServer();
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  // Paths without a script are answered with 404 and the body "Not Found".
  void Script(const std::string& path, ScriptedResponse response);
  std::string Url(const std::string& path) const;
  std::vector<RecordedRequest> Requests() const;
  std::size_t CountRequests(const std::string& path) const;

 private:
  void Loop();
  void Serve(int connection);
  bool ReadRequest(int connection, RecordedRequest& request);
  void WaitForClientToLeave(int connection);

  platform::UniqueFd listener_;
  platform::UniqueFd wakeRead_;
  platform::UniqueFd wakeWrite_;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedResponse> script_;
  std::vector<RecordedRequest> requests_;
  std::thread thread_;
};
