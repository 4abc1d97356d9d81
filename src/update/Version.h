#pragma once
// Version texts of the application: parts separated by dots, each read as a decimal number.

#include <string_view>

namespace update {

// 0 when equal; 1 when the second is newer; -1 when the first is newer; 2 when the two have a
// different number of parts. Each part is read by the text-to-integer rule, so "1.10" is newer
// than "1.9".
int CompareVersions(std::string_view first, std::string_view second);

// Whether `candidate` is newer than `current`, a missing part counting as 0 ("1.1" is newer
// than "1.0.2.0", "1.0" is not).
bool IsNewerVersion(std::string_view current, std::string_view candidate);

// A text that may become part of a file name or an address: 1 to 10 characters, digits in
// parts separated by single dots ("1.0.3.0").
bool IsVersionText(std::string_view text);

}  // namespace update
