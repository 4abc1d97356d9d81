#include "profiles/ProfileNames.h"

#include <algorithm>

#include "base/Text.h"

std::string CleanName(std::string_view name, std::size_t maxLength) {
  std::string clean;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) continue;
    clean += c;
  }
  return base::CodePointPrefix(base::Trim(clean), maxLength);
}

std::string NumberedName(const std::string& base, const std::vector<std::string>& takenNames) {
  for (int n = 1; n < 1000; ++n) {
    const std::string candidate = base + " " + std::to_string(n);
    if (std::find(takenNames.begin(), takenNames.end(), candidate) == takenNames.end()) {
      return candidate;
    }
  }
  return base + " 1000";
}

std::string UniqueName(const std::string& name, const std::vector<std::string>& takenNames,
                       const std::string& base) {
  if (name.empty()) return NumberedName(base, takenNames);
  if (std::find(takenNames.begin(), takenNames.end(), name) == takenNames.end()) return name;
  // "Work 2" taken: the next free "Work n", as a new profile would be numbered.
  const std::size_t space = name.find_last_of(' ');
  const bool numbered = space != std::string::npos && space + 1 < name.size() &&
                        name.find_first_not_of("0123456789", space + 1) == std::string::npos;
  return NumberedName(numbered ? name.substr(0, space) : name, takenNames);
}
