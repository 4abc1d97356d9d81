#include "catalogue/XmlDocumentEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

#include "base/Text.h"

namespace xmldoc {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
// Only the first bytes of a file are searched for its declaration.
constexpr std::size_t kDeclarationWindow = 1024;

enum class Utf16Order { kNone, kLittle, kBig };

struct CodePoint {
  char32_t value;
  std::size_t length;  // bytes used; 1 for a byte that starts no valid sequence
};

// The code point at `pos`; a byte that starts no valid sequence reads as U+FFFD.
CodePoint NextCodePoint(std::string_view utf8, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[pos + i]); };
  for (std::size_t length = 1; length <= 4 && pos + length <= utf8.size(); ++length) {
    if (!base::IsValidUtf8(utf8.substr(pos, length))) continue;
    if (length == 1) return {byte(0), 1};
    char32_t value = byte(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (byte(i) & 0x3F);
    return {value, length};
  }
  return {kReplacement, 1};
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsEncodingNameChar(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// Encoding names go to iconv_open, which gives "/" and "//" suffixes a meaning of their own;
// only plain names are accepted.
bool IsPlausibleEncodingName(std::string_view name) {
  if (name.empty() || name.size() > 40 || !IsAsciiLetter(name[0])) return false;
  for (char c : name) {
    if (!IsEncodingNameChar(c)) return false;
  }
  return true;
}

bool IsUtf8Name(std::string_view name) {
  return base::EqualsIgnoreCaseAscii(name, "UTF-8") || base::EqualsIgnoreCaseAscii(name, "UTF8");
}

// The byte order a UTF-16 encoding name asks for; kNone when the name is not UTF-16.
Utf16Order Utf16OrderOfName(std::string_view name, XmlByteOrderMark loadedMark) {
  const std::string upper = base::ToUpperAscii(name);
  if (upper == "UTF-16LE" || upper == "UTF16LE") return Utf16Order::kLittle;
  if (upper == "UTF-16BE" || upper == "UTF16BE") return Utf16Order::kBig;
  if (upper == "UTF-16" || upper == "UTF16") {
    return loadedMark == XmlByteOrderMark::kUtf16Be ? Utf16Order::kBig : Utf16Order::kLittle;
  }
  return Utf16Order::kNone;
}

std::string WithoutNul(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c != '\0') out += c;
  }
  return out;
}

// Owns one iconv conversion descriptor.
class IconvConverter {
 public:
  IconvConverter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvConverter() {
    if (IsOpen()) iconv_close(handle_);
  }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `input`. Where the converter cannot go on, `onInvalid(input, pos, out)`
  // appends a replacement and returns how many input bytes it stands for (at least one).
  template <typename OnInvalid>
  std::string Convert(std::string_view input, OnInvalid onInvalid) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::array<char, 4096> chunk;
    std::size_t pos = 0;
    while (pos < input.size()) {
      char* in = const_cast<char*>(input.data() + pos);
      std::size_t inLeft = input.size() - pos;
      char* outPtr = chunk.data();
      std::size_t outLeft = chunk.size();
      const std::size_t rc = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
      pos = input.size() - inLeft;
      if (rc == static_cast<std::size_t>(-1) && error != E2BIG) {
        // The replacement is written in the initial shift state.
        Flush(out);
        pos += std::max<std::size_t>(1, onInvalid(input, pos, out));
      }
    }
    Flush(out);
    return out;
  }

 private:
  // Stateful encodings may still owe a shift sequence back to their initial state.
  void Flush(std::string& out) {
    std::array<char, 64> chunk;
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
  }

  iconv_t handle_;
};

std::optional<std::string> DecodeWithIconv(std::string_view bytes, const std::string& encoding) {
  if (!IsPlausibleEncodingName(encoding)) return std::nullopt;
  IconvConverter converter("UTF-8", encoding);
  if (!converter.IsOpen()) return std::nullopt;
  std::string text = converter.Convert(bytes, [](std::string_view, std::size_t, std::string& out) {
    base::AppendUtf8(out, kReplacement);
    return std::size_t{1};
  });
  return SanitizeUtf8(text);
}

// Characters the target encoding lacks are written as character references, which every
// reader turns back into the character.
std::optional<std::string> EncodeWithIconv(std::string_view utf8, const std::string& encoding) {
  if (!IsPlausibleEncodingName(encoding)) return std::nullopt;
  IconvConverter converter(encoding, "UTF-8");
  if (!converter.IsOpen()) return std::nullopt;
  IconvConverter asciiConverter(encoding, "UTF-8");
  return converter.Convert(utf8, [&](std::string_view input, std::size_t pos, std::string& out) {
    const CodePoint point = NextCodePoint(input, pos);
    const std::string reference = "&#" + std::to_string(static_cast<unsigned>(point.value)) + ";";
    out += asciiConverter.Convert(
        reference, [](std::string_view, std::size_t, std::string&) { return std::size_t{1}; });
    return point.length;
  });
}

DecodedText DecodeEightBit(std::string_view bytes) {
  std::string name = DeclaredEncoding(bytes.substr(0, kDeclarationWindow));
  if (name.empty() && !bytes.empty() && bytes[0] == '<') name = "UTF-8";
  const std::string body = WithoutNul(bytes);
  if (IsUtf8Name(name)) return {SanitizeUtf8(body), "UTF-8", XmlByteOrderMark::kNone};
  // A UTF-16 name in a declaration that could be read byte by byte is plainly wrong.
  if (!name.empty() && Utf16OrderOfName(name, XmlByteOrderMark::kNone) == Utf16Order::kNone) {
    if (auto text = DecodeWithIconv(body, name)) return {*text, name, XmlByteOrderMark::kNone};
  }
  if (base::IsValidUtf8(body)) return {body, "UTF-8", XmlByteOrderMark::kNone};
  return {DecodeWindows1252(body), "windows-1252", XmlByteOrderMark::kNone};
}

}  // namespace

DecodedText DecodeFileBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) {
    return {SanitizeUtf8(bytes.substr(kUtf8Mark.size())), "UTF-8", XmlByteOrderMark::kUtf8};
  }
  if (bytes.starts_with(kUtf16LeMark)) {
    return {DecodeUtf16(bytes.substr(2), false), "UTF-16LE", XmlByteOrderMark::kUtf16Le};
  }
  if (bytes.starts_with(kUtf16BeMark)) {
    return {DecodeUtf16(bytes.substr(2), true), "UTF-16BE", XmlByteOrderMark::kUtf16Be};
  }
  // UTF-16 without a mark still shows itself by the zero byte beside the opening "<".
  if (bytes.starts_with(std::string_view("<\0", 2))) {
    return {DecodeUtf16(bytes, false), "UTF-16LE", XmlByteOrderMark::kNone};
  }
  if (bytes.starts_with(std::string_view("\0<", 2))) {
    return {DecodeUtf16(bytes, true), "UTF-16BE", XmlByteOrderMark::kNone};
  }
  return DecodeEightBit(bytes);
}

EncodedText EncodeText(std::string_view utf8, std::string_view encoding,
                       XmlByteOrderMark loadedMark) {
  const bool withMark = loadedMark != XmlByteOrderMark::kNone;
  const Utf16Order order = Utf16OrderOfName(encoding, loadedMark);
  if (order != Utf16Order::kNone) {
    const bool big = order == Utf16Order::kBig;
    EncodedText encoded{std::string(), big ? "UTF-16BE" : "UTF-16LE", XmlByteOrderMark::kNone};
    if (withMark) {
      encoded.bytes = big ? kUtf16BeMark : kUtf16LeMark;
      encoded.mark = big ? XmlByteOrderMark::kUtf16Be : XmlByteOrderMark::kUtf16Le;
    }
    encoded.bytes += EncodeUtf16(utf8, big);
    return encoded;
  }
  if (!encoding.empty() && !IsUtf8Name(encoding)) {
    if (auto bytes = EncodeWithIconv(utf8, std::string(encoding))) {
      return {std::move(*bytes), std::string(encoding), XmlByteOrderMark::kNone};
    }
  }
  EncodedText encoded{std::string(), "UTF-8", XmlByteOrderMark::kNone};
  if (withMark) {
    encoded.bytes = kUtf8Mark;
    encoded.mark = XmlByteOrderMark::kUtf8;
  }
  encoded.bytes += utf8;
  return encoded;
}

std::string DeclaredEncoding(std::string_view text) {
  constexpr std::string_view kStart = "<?xml";
  if (!text.starts_with(kStart) || text.size() == kStart.size() || !IsBlank(text[kStart.size()])) {
    return {};
  }
  std::size_t pos = kStart.size();
  const auto skipBlanks = [&] {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
  };
  while (true) {
    skipBlanks();
    const std::size_t nameStart = pos;
    while (pos < text.size() && IsEncodingNameChar(text[pos])) ++pos;
    const std::string_view name = text.substr(nameStart, pos - nameStart);
    skipBlanks();
    if (name.empty() || pos >= text.size() || text[pos] != '=') return {};
    ++pos;
    skipBlanks();
    if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) return {};
    const std::size_t close = text.find(text[pos], pos + 1);
    if (close == std::string_view::npos) return {};
    const std::string_view value = text.substr(pos + 1, close - pos - 1);
    if (name == "encoding") return IsPlausibleEncodingName(value) ? std::string(value) : "";
    pos = close + 1;
  }
}

std::string SanitizeUtf8(std::string_view bytes) {
  if (base::IsValidUtf8(bytes) && bytes.find('\0') == std::string_view::npos) {
    return std::string(bytes);
  }
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    const CodePoint point = NextCodePoint(bytes, pos);
    if (point.value != 0) base::AppendUtf8(out, point.value);
    pos += point.length;
  }
  return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  char32_t pendingHigh = 0;
  for (std::size_t pos = 0; pos + 1 < bytes.size(); pos += 2) {
    const auto first = static_cast<unsigned char>(bytes[pos]);
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    const char32_t unit = bigEndian ? (first << 8 | second) : (second << 8 | first);
    if (unit == 0) continue;
    const bool isHigh = unit >= 0xD800 && unit <= 0xDBFF;
    const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
    if (pendingHigh != 0 && isLow) {
      base::AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
      pendingHigh = 0;
      continue;
    }
    if (pendingHigh != 0) base::AppendUtf8(out, kReplacement);
    pendingHigh = isHigh ? unit : 0;
    if (!isHigh) base::AppendUtf8(out, isLow ? kReplacement : unit);
  }
  if (pendingHigh != 0) base::AppendUtf8(out, kReplacement);
  return out;
}

std::string DecodeWindows1252(std::string_view bytes) {
  // 0x80 to 0x9F; everything else is the same as ISO-8859-1.
  static constexpr std::array<char16_t, 32> kHighControls = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0) continue;
    const bool inTable = byte >= 0x80 && byte < 0x80 + kHighControls.size();
    base::AppendUtf8(out, inTable ? kHighControls[byte - 0x80] : byte);
  }
  return out;
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
  std::string out;
  out.reserve(utf8.size() * 2);
  const auto appendUnit = [&](char32_t unit) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (std::size_t pos = 0; pos < utf8.size();) {
    const CodePoint point = NextCodePoint(utf8, pos);
    pos += point.length;
    if (point.value < 0x10000) {
      appendUnit(point.value);
    } else {
      appendUnit(0xD800 + ((point.value - 0x10000) >> 10));
      appendUnit(0xDC00 + ((point.value - 0x10000) & 0x3FF));
    }
  }
  return out;
}

}  // namespace xmldoc
