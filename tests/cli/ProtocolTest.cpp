// The exchange between tarvoctl and a running Tarvo: requests and answers round-trip, and
// whatever else arrives is refused with a reason, never taken for a request.

#include <gtest/gtest.h>

#include "cli/Formatting.h"
#include "cli/Protocol.h"

namespace {

using cli::Answer;
using cli::Reason;

TEST(Protocol, RequestsAndAnswersRoundTrip) {
  const cli::Request request{{"profile", "add", "Ga\"me\n\xE4\xB8\xAD"}, {"yes"}};
  const std::string line = cli::EncodeRequest(request);
  EXPECT_EQ(line.find('\n'), std::string::npos) << "one line";
  const cli::DecodedRequest decoded = cli::DecodeRequest(line);
  ASSERT_TRUE(decoded.request.has_value()) << decoded.failure.error;
  EXPECT_EQ(*decoded.request, request);

  const Answer success = Answer::Success(base::Json::MakeObject().Set("message", "done"));
  const std::optional<Answer> read = cli::DecodeAnswer(cli::EncodeAnswer(success));
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->ok);
  EXPECT_EQ(read->result, success.result);
  EXPECT_EQ(cli::ExitStatusOf(*read), 0);

  for (const Reason reason : {Reason::kUsage, Reason::kNoKeyboard, Reason::kOffline,
                              Reason::kNotFound, Reason::kInvalidValue, Reason::kFile,
                              Reason::kTimeout, Reason::kProtocol, Reason::kFailed}) {
    const std::optional<Answer> failure =
        cli::DecodeAnswer(cli::EncodeAnswer(Answer::Failure(reason, "why")));
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->ok);
    EXPECT_EQ(failure->reason, reason);
    EXPECT_EQ(failure->error, "why");
    EXPECT_EQ(cli::ExitStatusOf(*failure), reason == Reason::kUsage ? 2 : 1);
  }
}

TEST(Protocol, MalformedRequestsAreRefusedWithAReason) {
  std::string manyWords = "\"a\"";
  for (std::size_t i = 0; i < cli::kMaxWords; ++i) manyWords += ",\"a\"";
  const struct {
    std::string line;
    Reason reason;
    const char* error;  // a part of it
  } cases[] = {
      {"", Reason::kProtocol, "malformed"},
      {"raise", Reason::kProtocol, "malformed"},
      {"[1,2]", Reason::kProtocol, "not a JSON object"},
      {"{\"command\":[\"status\"]}", Reason::kProtocol, "version"},
      {"{\"tarvoctl\":\"1\",\"command\":[]}", Reason::kProtocol, "version"},
      {"{\"tarvoctl\":0}", Reason::kProtocol, "version"},
      {"{\"tarvoctl\":2,\"command\":[\"status\"]}", Reason::kProtocol, "version 1, not 2"},
      {"{\"tarvoctl\":1,\"command\":\"status\"}", Reason::kProtocol, "list"},
      {"{\"tarvoctl\":1,\"command\":[1]}", Reason::kProtocol, "texts"},
      {"{\"tarvoctl\":1,\"command\":[\"" + std::string(5000, 'x') + "\"]}", Reason::kProtocol,
       "texts"},
      {"{\"tarvoctl\":1,\"flags\":{}}", Reason::kProtocol, "flags"},
      {"{\"tarvoctl\":1,\"command\":[" + manyWords + "]}", Reason::kProtocol, "at most 64"},
  };
  for (const auto& c : cases) {
    const cli::DecodedRequest decoded = cli::DecodeRequest(c.line);
    EXPECT_FALSE(decoded.request.has_value()) << c.line.substr(0, 60);
    EXPECT_EQ(decoded.failure.reason, c.reason) << c.line.substr(0, 60);
    EXPECT_NE(decoded.failure.error.find(c.error), std::string::npos)
        << c.line.substr(0, 60) << ": " << decoded.failure.error;
  }
  // Unknown members are passed over: a later tarvoctl may send more.
  EXPECT_TRUE(
      cli::DecodeRequest("{\"tarvoctl\":1,\"command\":[\"status\"],\"colour\":\"blue\"}").request);
}

TEST(Protocol, WhatIsNoAnswerOfOursIsNotTakenForOne) {
  for (const char* text : {"", "ok", "error: unknown request", "{\"ok\":true}",
                           "{\"tarvoctl\":2,\"ok\":true}", "{\"tarvoctl\":1,\"ok\":\"yes\"}"}) {
    std::string error;
    EXPECT_FALSE(cli::DecodeAnswer(text, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  // An unknown reason is still a failure, and says so.
  const std::optional<Answer> odd =
      cli::DecodeAnswer("{\"tarvoctl\":1,\"ok\":false,\"reason\":\"gremlins\"}");
  ASSERT_TRUE(odd.has_value());
  EXPECT_FALSE(odd->ok);
  EXPECT_EQ(odd->reason, Reason::kFailed);
  EXPECT_EQ(cli::ExitStatusOf(*odd), 1);
  EXPECT_FALSE(odd->error.empty());
}

TEST(Formatting, NamesFromTheDatabaseCannotSteerTheTerminal) {
  const base::Json list = *base::Json::Parse(
      R"({"profiles":[{"id":1,"name":"A\u001b[2Jb","active":true},{"id":2,"name":"x\ny"}]})");
  EXPECT_EQ(cli::FormatProfileList(list), "* 1   A?[2Jb\n  2   x?y\n");
  EXPECT_EQ(cli::FormatMessage(base::Json::MakeObject()), "");
}

TEST(Formatting, StatusShowsEachModelWithWhatIsKnownOfIt) {
  const base::Json status = *base::Json::Parse(R"({
    "software": {"name": "Tarvo", "version": "1.0.2"},
    "selected_model": 101, "connected": true,
    "active_profile": {"id": 2, "name": "Game"},
    "models": [
      {"model": 101, "name": "K9", "selected": true, "firmware": "1.22",
       "connections": [{"mode": "cable", "online": true, "battery": 80, "charging": true}]},
      {"model": 102, "name": "M7", "selected": false, "firmware": null, "connections": []}
    ]})");
  EXPECT_EQ(cli::FormatStatus(status),
            "Tarvo 1.0.2\n"
            "selected model: 101 (connected)\n"
            "active profile: 2 \"Game\"\n"
            "models:\n"
            "* 101  K9                   cable online, battery 80 % charging; firmware 1.22\n"
            "  102  M7                   not connected\n");
}

}  // namespace
