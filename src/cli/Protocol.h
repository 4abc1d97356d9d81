#pragma once
// What tarvoctl and a running Tarvo say to each other over the user's command socket: one
// request and one answer per connection, each one line of JSON.
//
//   request  {"tarvoctl":1,"command":["settings","set","game-mode","on"],"flags":["yes"]}
//   answer   {"tarvoctl":1,"ok":true,"result":{...}}
//            {"tarvoctl":1,"ok":false,"reason":"invalid-value","error":"game-mode takes on or off"}
//
// "tarvoctl" is the version of the exchange. A Tarvo answers a request of a newer version with
// the reason "protocol" instead of guessing at it; fields it does not know it ignores.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Json.h"

namespace cli {

inline constexpr int kProtocolVersion = 1;
// A request may hold no more words than this, none longer than kMaxWordBytes.
inline constexpr std::size_t kMaxWords = 64;
inline constexpr std::size_t kMaxWordBytes = 4096;

struct Request {
  std::vector<std::string> command;  // the command's words, then its arguments
  std::vector<std::string> flags;    // its options without their dashes ("yes")
  friend bool operator==(const Request&, const Request&) = default;
};

// Why a command failed; each becomes a word on the wire.
enum class Reason {
  kUsage,         // the command or its arguments are not understood (exit status 2)
  kNoKeyboard,    // no keyboard is attached
  kOffline,       // the keyboard is attached but cannot be talked to (asleep, gone meanwhile)
  kNotFound,      // no such profile or model
  kInvalidValue,  // a value outside what the setting takes
  kNotSupported,  // the keyboard has no such feature
  kLimit,         // as many profiles as a model keeps
  kFile,          // a file that cannot be read or written
  kBusy,          // the window is in the middle of something that must end first
  kTimeout,       // the keyboard did not finish in time
  kClosing,       // Tarvo is ending
  kProtocol,      // the request is not one this Tarvo reads
  kFailed,        // anything else (a database write that failed, ...)
};
std::string_view ReasonWord(Reason reason);
std::optional<Reason> ReasonFromWord(std::string_view word);

struct Answer {
  bool ok = false;
  base::Json result;  // an object when ok
  Reason reason = Reason::kFailed;
  std::string error;  // one line for the user when not ok

  static Answer Success(base::Json result);
  static Answer Failure(Reason reason, std::string error);
};

// The exit status of tarvoctl for an answer: 0 success, 2 a usage error, 1 any other failure.
int ExitStatusOf(const Answer& answer);

std::string EncodeRequest(const Request& request);
// The request of a line; when it is none, the failure to answer it with.
struct DecodedRequest {
  std::optional<Request> request;
  Answer failure;
};
DecodedRequest DecodeRequest(std::string_view line);

std::string EncodeAnswer(const Answer& answer);
// The answer of a text; empty (with the reason in *error) when it is no answer of ours.
std::optional<Answer> DecodeAnswer(std::string_view text, std::string* error = nullptr);

}  // namespace cli
