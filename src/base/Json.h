#pragma once
// A small JSON value for the messages between tarvoctl and a running Tarvo, the command line's
// --json output and the virtual keyboard's state readout. Objects keep their keys in the order
// they were set, so what is written reads in a stable order.
//
// Reading is strict (RFC 8259): one value, nothing after it but blanks, strings of valid UTF-8,
// nesting at most kMaxDepth deep. Numbers without fraction or exponent are kept as 64-bit
// integers, others as doubles. Writing never fails: bytes that are not UTF-8 are written as
// U+FFFD, so the output is always valid JSON.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace base {

class Json {
 public:
  using Array = std::vector<Json>;
  using Member = std::pair<std::string, Json>;
  using Object = std::vector<Member>;

  static constexpr int kMaxDepth = 32;

  Json() = default;  // null
  Json(std::nullptr_t) {}
  Json(bool value) : value_(value) {}
  Json(int value) : value_(static_cast<std::int64_t>(value)) {}
  Json(std::int64_t value) : value_(value) {}
  Json(double value) : value_(value) {}
  Json(std::string value) : value_(std::move(value)) {}
  Json(std::string_view value) : value_(std::string(value)) {}
  Json(const char* value) : value_(std::string(value)) {}
  Json(Array value) : value_(std::move(value)) {}
  Json(Object value) : value_(std::move(value)) {}

  static Json MakeArray() { return Json(Array{}); }
  static Json MakeObject() { return Json(Object{}); }

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value_); }
  bool IsBool() const { return std::holds_alternative<bool>(value_); }
  bool IsInteger() const { return std::holds_alternative<std::int64_t>(value_); }
  bool IsNumber() const { return IsInteger() || std::holds_alternative<double>(value_); }
  bool IsString() const { return std::holds_alternative<std::string>(value_); }
  bool IsArray() const { return std::holds_alternative<Array>(value_); }
  bool IsObject() const { return std::holds_alternative<Object>(value_); }

  // The value of the kind asked; a default (false, 0, "", empty) for a value of another kind.
  bool AsBool() const;
  std::int64_t AsInteger() const;
  double AsDouble() const;
  const std::string& AsString() const;
  const Array& AsArray() const;
  const Object& AsObject() const;

  // Objects: the member's value, or null when there is none (or this is no object).
  const Json* Find(std::string_view key) const;
  // Sets a member (replacing one of the same key); a value of another kind becomes an object.
  Json& Set(std::string_view key, Json value);
  // Arrays: appends; a value of another kind becomes an array.
  Json& Push(Json value);

  // One line, no blanks between tokens.
  std::string Dump() const;
  // Indented by two blanks per level, one member or element per line.
  std::string DumpPretty() const;

  // The value of a text; empty (with the reason in *error) when it is no valid JSON.
  static std::optional<Json> Parse(std::string_view text, std::string* error = nullptr);

  friend bool operator==(const Json&, const Json&) = default;

 private:
  void Write(std::string& out, int indent, int depth) const;

  std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, Array, Object> value_;
};

// A JSON string literal (with its quotes) of a text; bytes that are not UTF-8 become U+FFFD.
std::string JsonQuote(std::string_view text);

}  // namespace base
