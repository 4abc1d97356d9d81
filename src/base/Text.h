#pragma once
// Text helpers shared by every subsystem. Text is UTF-8 in memory; where a rule counts
// characters it counts Unicode code points.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace base {

// The text-to-integer rule used for every number kept as text: optional blanks, an optional
// sign, then decimal digits; 0 when there are none. Out-of-range values saturate.
int ToInt(std::string_view text);

// Base-16 reading: optional blanks, an optional sign, an optional "0x"/"0X" prefix, then
// hexadecimal digits; 0 when there are none. Out-of-range values saturate.
long ParseHex(std::string_view text);

// Number of Unicode code points in a UTF-8 text. Each byte that does not start a valid
// sequence counts as one.
std::size_t CodePointCount(std::string_view utf8);

// The first `count` code points of a UTF-8 text (the whole text when it is shorter).
std::string CodePointPrefix(std::string_view utf8, std::size_t count);

// The text without its first `count` code points.
std::string DropCodePoints(std::string_view utf8, std::size_t count);

// Whether the bytes form valid UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point; invalid code points become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

// ASCII upper and lower case (other bytes unchanged).
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// Case-insensitive comparison of ASCII letters.
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

// Blanks (space, tab, CR, LF) removed from both ends.
std::string_view Trim(std::string_view text);

// A language text with its placeholders filled: each "%s" or "%d" takes the next value in turn
// ("%%" is a percent sign). The text comes from a file, so it is never used as a printf format:
// a placeholder without a value stays as it is.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values);
template <typename... Values>
std::string Format(std::string_view pattern, const Values&... values) {
  return Format(pattern, {std::string_view(values)...});
}

}  // namespace base
