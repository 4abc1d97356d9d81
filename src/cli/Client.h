#pragma once
// The client's side of the exchange with a running Tarvo: one request over the user's command
// socket, and what came back.

#include <chrono>
#include <filesystem>
#include <string>

#include "cli/Protocol.h"

namespace cli {

// How long tarvoctl waits for a running Tarvo's answer: longer than that Tarvo itself waits
// for the keyboard (ControlServer::kCommandTime), so that its own time-out is what is heard.
inline constexpr std::chrono::seconds kAnswerTime{75};

struct RemoteAnswer {
  enum class Outcome {
    kAnswered,    // `answer` holds what the running Tarvo said
    kNobodyRuns,  // no Tarvo listens on the socket
    kNotReady,    // one listens but does not take tarvoctl's requests (yet)
    kNoAnswer,    // it took the request and said nothing usable within the time
  };
  Outcome outcome = Outcome::kNobodyRuns;
  Answer answer;
  std::string detail;  // what was wrong with an answer that is none
};

RemoteAnswer AskRunningTarvo(const std::filesystem::path& socket, const Request& request,
                             std::chrono::milliseconds timeout = kAnswerTime);

}  // namespace cli
