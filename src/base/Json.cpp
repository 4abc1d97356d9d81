#include "base/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/Text.h"

namespace base {
namespace {

const std::string kEmptyString;
const Json::Array kEmptyArray;
const Json::Object kEmptyObject;

// The length of the valid UTF-8 sequence at the start of `bytes`; 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (length == 0 || bytes.size() < length) return 0;
  return IsValidUtf8(bytes.substr(0, length)) ? length : 0;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text.substr(at));
      if (length == 0) {
        AppendUtf8(out, U'\uFFFD');
        ++at;
      } else {
        out.append(text.substr(at, length));
        at += length;
      }
      continue;
    }
    switch (byte) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += static_cast<char>(byte);
        }
    }
    ++at;
  }
  out += '"';
}

void AppendDouble(std::string& out, double value) {
  // JSON has no infinities or NaN.
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  out.append(text, error == std::errc() ? end : text);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Json> Document(std::string* error) {
    std::optional<Json> value = Value(0);
    SkipBlanks();
    if (value && at_ != text_.size()) Fail("unexpected text after the value");
    if (!error_.empty()) {
      if (error != nullptr) *error = error_ + " at byte " + std::to_string(at_);
      return std::nullopt;
    }
    return value;
  }

 private:
  std::optional<Json> Fail(std::string reason) {
    if (error_.empty()) error_ = std::move(reason);
    return std::nullopt;
  }
  bool Refuse(std::string reason) {
    Fail(std::move(reason));
    return false;
  }

  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Consume(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  std::optional<Json> Value(int depth) {
    if (depth > Json::kMaxDepth) return Fail("nested too deeply");
    SkipBlanks();
    if (at_ >= text_.size()) return Fail("unexpected end");
    switch (text_[at_]) {
      case '{':
        return ObjectValue(depth);
      case '[':
        return ArrayValue(depth);
      case '"': {
        std::optional<std::string> text = String();
        if (!text) return std::nullopt;
        return Json(std::move(*text));
      }
      case 't':
        if (Consume("true")) return Json(true);
        break;
      case 'f':
        if (Consume("false")) return Json(false);
        break;
      case 'n':
        if (Consume("null")) return Json(nullptr);
        break;
      default:
        return Number();
    }
    return Fail("unknown word");
  }

  std::optional<Json> ObjectValue(int depth) {
    ++at_;
    // Members are appended as they come (a repeated name is kept twice; Find sees the first):
    // replacing would cost a search per member.
    Json::Object object;
    SkipBlanks();
    if (Consume("}")) return Json(std::move(object));
    while (true) {
      SkipBlanks();
      if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a member name");
      std::optional<std::string> key = String();
      if (!key) return std::nullopt;
      SkipBlanks();
      if (!Consume(":")) return Fail("expected ':'");
      std::optional<Json> value = Value(depth + 1);
      if (!value) return std::nullopt;
      object.emplace_back(std::move(*key), std::move(*value));
      SkipBlanks();
      if (Consume("}")) return Json(std::move(object));
      if (!Consume(",")) return Fail("expected ',' or '}'");
    }
  }

  std::optional<Json> ArrayValue(int depth) {
    ++at_;
    Json::Array array;
    SkipBlanks();
    if (Consume("]")) return Json(std::move(array));
    while (true) {
      std::optional<Json> value = Value(depth + 1);
      if (!value) return std::nullopt;
      array.push_back(std::move(*value));
      SkipBlanks();
      if (Consume("]")) return Json(std::move(array));
      if (!Consume(",")) return Fail("expected ',' or ']'");
    }
  }

  std::optional<Json> Number() {
    const std::size_t start = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    const std::size_t digits = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    if (at_ == digits) return Fail("expected a value");
    if (at_ - digits > 1 && text_[digits] == '0') return Fail("leading zero in a number");
    bool integer = true;
    if (at_ < text_.size() && text_[at_] == '.') {
      integer = false;
      if (!Digits()) return Fail("expected digits after '.'");
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      integer = false;
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (!Digits()) return Fail("expected digits in the exponent");
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + at_;
    if (integer) {
      std::int64_t value = 0;
      if (std::from_chars(first, last, value).ec != std::errc()) return Fail("number too large");
      return Json(value);
    }
    double value = 0;
    if (std::from_chars(first, last, value).ec != std::errc()) return Fail("number out of range");
    return Json(value);
  }

  bool Digits() {
    ++at_;
    const std::size_t start = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    return at_ > start;
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  std::optional<std::string> String() {
    ++at_;  // the opening quote
    std::string out;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"') {
        ++at_;
        if (IsValidUtf8(out)) return out;
        Fail("a string is not UTF-8");
        return std::nullopt;
      }
      if (static_cast<unsigned char>(c) < 0x20) break;
      ++at_;
      if (c != '\\') {
        out += c;
      } else if (!Escape(out)) {
        return std::nullopt;
      }
    }
    Fail("unterminated string");
    return std::nullopt;
  }

  bool Escape(std::string& out) {
    if (at_ >= text_.size()) return Refuse("unterminated string");
    const char c = text_[at_++];
    switch (c) {
      case '"':
      case '\\':
      case '/':
        out += c;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        return UnicodeEscape(out);
      default:
        return Refuse("unknown escape");
    }
  }

  std::optional<char32_t> Hex4() {
    if (text_.size() - at_ < 4) return std::nullopt;
    char32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      value <<= 4;
      if (IsDigit(c)) {
        value |= static_cast<char32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        value |= static_cast<char32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        value |= static_cast<char32_t>(c - 'A' + 10);
      } else {
        return std::nullopt;
      }
    }
    return value;
  }

  bool UnicodeEscape(std::string& out) {
    std::optional<char32_t> unit = Hex4();
    if (!unit) return Refuse("bad \\u escape");
    char32_t codePoint = *unit;
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) return Refuse("lone low surrogate");
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
      if (!Consume("\\u")) return Refuse("lone high surrogate");
      const std::optional<char32_t> low = Hex4();
      if (!low || *low < 0xDC00 || *low > 0xDFFF) return Refuse("bad surrogate pair");
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*low - 0xDC00);
    }
    AppendUtf8(out, codePoint);
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

bool Json::AsBool() const {
  const bool* value = std::get_if<bool>(&value_);
  return value != nullptr && *value;
}

std::int64_t Json::AsInteger() const {
  if (const auto* value = std::get_if<std::int64_t>(&value_)) return *value;
  return 0;
}

double Json::AsDouble() const {
  if (const auto* value = std::get_if<double>(&value_)) return *value;
  return static_cast<double>(AsInteger());
}

const std::string& Json::AsString() const {
  const auto* value = std::get_if<std::string>(&value_);
  return value != nullptr ? *value : kEmptyString;
}

const Json::Array& Json::AsArray() const {
  const auto* value = std::get_if<Array>(&value_);
  return value != nullptr ? *value : kEmptyArray;
}

const Json::Object& Json::AsObject() const {
  const auto* value = std::get_if<Object>(&value_);
  return value != nullptr ? *value : kEmptyObject;
}

const Json* Json::Find(std::string_view key) const {
  for (const Member& member : AsObject()) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

Json& Json::Set(std::string_view key, Json value) {
  if (!IsObject()) value_ = Object{};
  Object& object = std::get<Object>(value_);
  for (Member& member : object) {
    if (member.first == key) {
      member.second = std::move(value);
      return *this;
    }
  }
  object.emplace_back(std::string(key), std::move(value));
  return *this;
}

Json& Json::Push(Json value) {
  if (!IsArray()) value_ = Array{};
  std::get<Array>(value_).push_back(std::move(value));
  return *this;
}

void Json::Write(std::string& out, int indent, int depth) const {
  const auto newline = [&](int level) {
    if (indent <= 0) return;
    out += '\n';
    out.append(static_cast<std::size_t>(indent * level), ' ');
  };
  if (IsNull()) {
    out += "null";
  } else if (IsBool()) {
    out += AsBool() ? "true" : "false";
  } else if (IsInteger()) {
    out += std::to_string(AsInteger());
  } else if (IsNumber()) {
    AppendDouble(out, AsDouble());
  } else if (IsString()) {
    AppendQuoted(out, AsString());
  } else if (IsArray()) {
    out += '[';
    for (std::size_t i = 0; i < AsArray().size(); ++i) {
      if (i > 0) out += ',';
      newline(depth + 1);
      AsArray()[i].Write(out, indent, depth + 1);
    }
    if (!AsArray().empty()) newline(depth);
    out += ']';
  } else {
    out += '{';
    for (std::size_t i = 0; i < AsObject().size(); ++i) {
      if (i > 0) out += ',';
      newline(depth + 1);
      AppendQuoted(out, AsObject()[i].first);
      out += indent > 0 ? ": " : ":";
      AsObject()[i].second.Write(out, indent, depth + 1);
    }
    if (!AsObject().empty()) newline(depth);
    out += '}';
  }
}

std::string Json::Dump() const {
  std::string out;
  Write(out, 0, 0);
  return out;
}

std::string Json::DumpPretty() const {
  std::string out;
  Write(out, 2, 0);
  return out;
}

std::optional<Json> Json::Parse(std::string_view text, std::string* error) {
  return Parser(text).Document(error);
}

std::string JsonQuote(std::string_view text) {
  std::string out;
  AppendQuoted(out, text);
  return out;
}

}  // namespace base
