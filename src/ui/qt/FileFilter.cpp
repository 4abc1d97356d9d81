#include "ui/qt/FileFilter.h"

#include <vector>

namespace TesselQt {
namespace {

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + separator.size();
  }
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// "*.jpg;*.png" or "*.jpg *.png" -> "*.jpg *.png"; "*.*" means every file, which Qt writes "*".
std::string Patterns(std::string_view list) {
  std::string joined;
  for (std::string& part : Split(list, ";")) {
    for (std::string& pattern : Split(part, " ")) {
      pattern = Trimmed(pattern);
      if (pattern.empty()) continue;
      if (pattern == "*.*") pattern = "*";
      if (!joined.empty()) joined += ' ';
      joined += pattern;
    }
  }
  return joined;
}

// "Name (*.a;*.b)" -> "Name (*.a *.b)"; a name without patterns is kept as it is.
std::string QtEntry(std::string_view entry) {
  const std::size_t open = entry.rfind('(');
  const std::size_t close = entry.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return Trimmed(entry);
  const std::string name = Trimmed(entry.substr(0, open));
  const std::string patterns = Patterns(entry.substr(open + 1, close - open - 1));
  return name.empty() ? "(" + patterns + ")" : name + " (" + patterns + ")";
}

std::string FromPipeForm(std::string_view filter) {
  std::vector<std::string> parts = Split(filter, "|");
  std::string result;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string patterns = Patterns(parts[i + 1]);
    if (patterns.empty()) continue;
    std::string name = Trimmed(parts[i]);
    // A name that already lists its patterns ("Images (*.png)") keeps only its words.
    if (const std::size_t open = name.rfind('('); open != std::string::npos && name.back() == ')') {
      name = Trimmed(std::string_view(name).substr(0, open));
    }
    if (!result.empty()) result += ";;";
    result += (name.empty() ? std::string() : name + " ") + "(" + patterns + ")";
  }
  return result;
}

}  // namespace

std::string ToQtFileFilter(std::string_view filter) {
  if (filter.find('|') != std::string_view::npos) return FromPipeForm(filter);
  std::string result;
  for (const std::string& entry : Split(filter, ";;")) {
    std::string converted = QtEntry(entry);
    if (converted.empty()) continue;
    if (!result.empty()) result += ";;";
    result += converted;
  }
  return result;
}

}  // namespace TesselQt
