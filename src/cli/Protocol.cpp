#include "cli/Protocol.h"

#include <array>
#include <utility>

namespace cli {
namespace {

using base::Json;

constexpr std::string_view kVersionKey = "tarvoctl";

constexpr std::array<std::pair<Reason, std::string_view>, 13> kReasonWords = {{
    {Reason::kUsage, "usage"},
    {Reason::kNoKeyboard, "no-keyboard"},
    {Reason::kOffline, "offline"},
    {Reason::kNotFound, "not-found"},
    {Reason::kInvalidValue, "invalid-value"},
    {Reason::kNotSupported, "not-supported"},
    {Reason::kLimit, "limit"},
    {Reason::kFile, "file"},
    {Reason::kBusy, "busy"},
    {Reason::kTimeout, "timeout"},
    {Reason::kClosing, "closing"},
    {Reason::kProtocol, "protocol"},
    {Reason::kFailed, "failed"},
}};

Answer Malformed(const std::string& why) {
  return Answer::Failure(Reason::kProtocol, "malformed request: " + why);
}

// The strings of an array member; empty when it is not an array of strings within the limits.
std::optional<std::vector<std::string>> Words(const Json& request, std::string_view key,
                                              std::string* why) {
  std::vector<std::string> words;
  const Json* member = request.Find(key);
  if (member == nullptr) return words;
  if (!member->IsArray() || member->AsArray().size() > kMaxWords) {
    *why = std::string(key) + " must be a list of at most " + std::to_string(kMaxWords) + " words";
    return std::nullopt;
  }
  for (const Json& word : member->AsArray()) {
    if (!word.IsString() || word.AsString().size() > kMaxWordBytes) {
      *why = std::string(key) + " must hold texts of at most " + std::to_string(kMaxWordBytes) +
             " bytes";
      return std::nullopt;
    }
    words.push_back(word.AsString());
  }
  return words;
}

Json WordList(const std::vector<std::string>& words) {
  Json list = Json::MakeArray();
  for (const std::string& word : words) list.Push(word);
  return list;
}

}  // namespace

std::string_view ReasonWord(Reason reason) {
  for (const auto& [known, word] : kReasonWords) {
    if (known == reason) return word;
  }
  return "failed";
}

std::optional<Reason> ReasonFromWord(std::string_view word) {
  for (const auto& [reason, known] : kReasonWords) {
    if (known == word) return reason;
  }
  return std::nullopt;
}

Answer Answer::Success(base::Json result) {
  Answer answer;
  answer.ok = true;
  answer.result = std::move(result);
  return answer;
}

Answer Answer::Failure(Reason reason, std::string error) {
  Answer answer;
  answer.reason = reason;
  answer.error = std::move(error);
  return answer;
}

int ExitStatusOf(const Answer& answer) {
  if (answer.ok) return 0;
  return answer.reason == Reason::kUsage ? 2 : 1;
}

std::string EncodeRequest(const Request& request) {
  Json json = Json::MakeObject();
  json.Set(kVersionKey, kProtocolVersion);
  json.Set("command", WordList(request.command));
  json.Set("flags", WordList(request.flags));
  return json.Dump();
}

DecodedRequest DecodeRequest(std::string_view line) {
  DecodedRequest decoded;
  std::string why;
  const std::optional<Json> json = Json::Parse(line, &why);
  if (!json || !json->IsObject()) {
    decoded.failure = Malformed(json ? "not a JSON object" : why);
    return decoded;
  }
  const Json* version = json->Find(kVersionKey);
  if (version == nullptr || !version->IsInteger() || version->AsInteger() < 1) {
    decoded.failure = Malformed("no \"tarvoctl\" version");
    return decoded;
  }
  if (version->AsInteger() > kProtocolVersion) {
    decoded.failure =
        Answer::Failure(Reason::kProtocol,
                        "this Tarvo reads requests of version " + std::to_string(kProtocolVersion) +
                            ", not " + std::to_string(version->AsInteger()) + "; update Tarvo");
    return decoded;
  }
  std::optional<std::vector<std::string>> command = Words(*json, "command", &why);
  std::optional<std::vector<std::string>> flags = Words(*json, "flags", &why);
  if (!command || !flags) {
    decoded.failure = Malformed(why);
    return decoded;
  }
  decoded.request = Request{std::move(*command), std::move(*flags)};
  return decoded;
}

std::string EncodeAnswer(const Answer& answer) {
  Json json = Json::MakeObject();
  json.Set(kVersionKey, kProtocolVersion);
  json.Set("ok", answer.ok);
  if (answer.ok) {
    json.Set("result", answer.result.IsObject() ? answer.result : Json::MakeObject());
  } else {
    json.Set("reason", ReasonWord(answer.reason));
    json.Set("error", answer.error);
  }
  return json.Dump();
}

std::optional<Answer> DecodeAnswer(std::string_view text, std::string* error) {
  auto fail = [error](std::string why) -> std::optional<Answer> {
    if (error != nullptr) *error = std::move(why);
    return std::nullopt;
  };
  std::string why;
  const std::optional<Json> json = Json::Parse(text, &why);
  if (!json) return fail("not JSON: " + why);
  const Json* version = json->Find(kVersionKey);
  const Json* ok = json->Find("ok");
  if (version == nullptr || !version->IsInteger() || ok == nullptr || !ok->IsBool())
    return fail("not an answer to tarvoctl");
  if (version->AsInteger() != kProtocolVersion)
    return fail("an answer of version " + std::to_string(version->AsInteger()));
  if (ok->AsBool()) {
    const Json* result = json->Find("result");
    return Answer::Success(result != nullptr && result->IsObject() ? *result : Json::MakeObject());
  }
  const Json* reason = json->Find("reason");
  const Json* message = json->Find("error");
  const std::optional<Reason> known =
      reason != nullptr ? ReasonFromWord(reason->AsString()) : std::nullopt;
  return Answer::Failure(
      known.value_or(Reason::kFailed),
      message != nullptr && !message->AsString().empty() ? message->AsString() : "failed");
}

}  // namespace cli
