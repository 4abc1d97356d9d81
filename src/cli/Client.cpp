#include "cli/Client.h"

#include "base/Text.h"
#include "platform/CommandSocket.h"

namespace cli {

RemoteAnswer AskRunningTarvo(const std::filesystem::path& socket, const Request& request,
                             std::chrono::milliseconds timeout) {
  using platform::CommandSocket;
  RemoteAnswer remote;
  const CommandSocket::Exchange exchange =
      CommandSocket::Ask(socket, EncodeRequest(request), timeout);
  if (exchange.outcome == CommandSocket::Outcome::kNobodyListens) return remote;
  if (exchange.outcome == CommandSocket::Outcome::kNoAnswer) {
    remote.outcome = RemoteAnswer::Outcome::kNoAnswer;
    remote.detail = "no answer within " + std::to_string(timeout.count() / 1000) + " s";
    return remote;
  }
  const std::string_view text = base::Trim(exchange.answer);
  // The socket's own answer while nobody takes these requests: a Tarvo that is starting, or
  // one too old to know them.
  if (text.starts_with("error:")) {
    remote.outcome = RemoteAnswer::Outcome::kNotReady;
    remote.detail = std::string(text);
    return remote;
  }
  std::string why;
  std::optional<Answer> answer = DecodeAnswer(text, &why);
  if (!answer) {
    remote.outcome = RemoteAnswer::Outcome::kNoAnswer;
    remote.detail = "an answer tarvoctl cannot read (" + why + ")";
    return remote;
  }
  remote.outcome = RemoteAnswer::Outcome::kAnswered;
  remote.answer = std::move(*answer);
  return remote;
}

}  // namespace cli
