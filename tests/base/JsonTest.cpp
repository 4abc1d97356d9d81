#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/Json.h"

namespace {

using base::Json;

TEST(Json, ReadsEveryKindOfValueAndWritesItBackTheSame) {
  const char* const documents[] = {
      "null",
      "true",
      "false",
      "0",
      "-42",
      "9223372036854775807",
      "1.5",
      "-0.0025",
      "\"\"",
      "\"a\\\"b\\\\c\\nd\"",
      "[]",
      "{}",
      "[1,[2,[3]],{\"a\":null}]",
      "{\"z\":1,\"a\":[true,false],\"m\":{\"k\":\"v\"}}",
  };
  for (const char* text : documents) {
    std::string error;
    const std::optional<Json> value = Json::Parse(text, &error);
    ASSERT_TRUE(value.has_value()) << text << ": " << error;
    EXPECT_EQ(value->Dump(), text);
    // The indented form reads back as the same value.
    EXPECT_EQ(Json::Parse(value->DumpPretty()), value) << value->DumpPretty();
  }
}

TEST(Json, RefusesWhatIsNotStrictJson) {
  const char* const documents[] = {
      "",
      "   ",
      "nul",
      "[1,]",
      "{\"a\":1,}",
      "{'a':1}",
      "{\"a\" 1}",
      "[1 2]",
      "01",
      "-",
      "1.",
      "1e",
      ".5",
      "+1",
      "1e400",
      "99999999999999999999",
      "\"open",
      "\"tab\there\"",
      "\"\\x\"",
      "\"\\u12\"",
      "\"\\ud800\"",
      "\"\\udc00\"",
      "\"\\ud800\\u0041\"",
      "\"\xff\"",
      "\"\xc0\xaf\"",
      "{} {}",
      "[1]x",
      "NaN",
  };
  for (const char* text : documents) {
    std::string error;
    EXPECT_FALSE(Json::Parse(text, &error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(Json, NestingDeeperThanTheLimitIsRefusedWithoutExhaustingTheStack) {
  const auto nested = [](int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
  };
  EXPECT_TRUE(Json::Parse(nested(Json::kMaxDepth)).has_value());
  EXPECT_FALSE(Json::Parse(nested(Json::kMaxDepth + 2)).has_value());
  EXPECT_FALSE(Json::Parse(nested(100000)).has_value());
}

TEST(Json, EscapesDecodeToUtf8AndControlCharactersAreWrittenEscaped) {
  const std::optional<Json> value = Json::Parse(R"(["\u00e9\u4e2d\ud83d\ude00", "\/\b\f\t"])");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->AsArray()[0].AsString(), "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(value->AsArray()[1].AsString(), "/\b\f\t");
  EXPECT_EQ(Json(std::string("\x01\x1f\x7f")).Dump(), "\"\\u0001\\u001f\x7f\"");
}

TEST(Json, BytesThatAreNotUtf8AreWrittenAsReplacementCharacters) {
  const std::string written = Json(std::string("a\xff"
                                               "b\xe4\xb8"))
                                  .Dump();
  EXPECT_EQ(written,
            "\"a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_TRUE(Json::Parse(written).has_value());
}

TEST(Json, ObjectsKeepTheOrderOfTheirKeysAndSetReplaces) {
  Json object = Json::MakeObject();
  object.Set("b", 1).Set("a", "x").Set("b", 2);
  EXPECT_EQ(object.Dump(), "{\"b\":2,\"a\":\"x\"}");
  ASSERT_NE(object.Find("a"), nullptr);
  EXPECT_EQ(object.Find("a")->AsString(), "x");
  EXPECT_EQ(object.Find("c"), nullptr);
  // Asking a value of another kind gives a neutral default, never a crash.
  EXPECT_EQ(object.AsInteger(), 0);
  EXPECT_TRUE(object.AsArray().empty());
  EXPECT_EQ(Json("text").Find("a"), nullptr);
}

TEST(Json, NumbersKeepTheirKind) {
  const std::optional<Json> value = Json::Parse("[7, 7.0, -9223372036854775808]");
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->AsArray()[0].IsInteger());
  EXPECT_FALSE(value->AsArray()[1].IsInteger());
  EXPECT_TRUE(value->AsArray()[1].IsNumber());
  EXPECT_EQ(value->AsArray()[2].AsInteger(), INT64_MIN);
  EXPECT_EQ(Json(0.1).Dump(), "0.1");
}

}  // namespace
