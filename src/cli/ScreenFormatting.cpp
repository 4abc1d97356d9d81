// The screen commands' results as text.

#include "cli/Formatting.h"

namespace cli {
namespace {

using base::Json;

const Json& Member(const Json& object, std::string_view key) {
  static const Json kNull;
  const Json* found = object.Find(key);
  return found != nullptr ? *found : kNull;
}

// Names come from the database: control characters show as '?'.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text + " ";
}

}  // namespace

std::string FormatScreenList(const Json& result) {
  std::string text;
  for (const Json& item : Member(result, "items").AsArray()) {
    text += Padded(std::to_string(Member(item, "id").AsInteger()), 4);
    text += Padded(Printable(Member(item, "name").AsString()), 18);
    text += std::to_string(Member(item, "frames").AsInteger()) + " frames\n";
  }
  return text.empty() ? "the library is empty\n" : text;
}

std::string FormatScreenShow(const Json& result) {
  std::string text;
  for (const Json& screen : Member(result, "screens").AsArray()) {
    text += "screen " + std::to_string(Member(screen, "screen").AsInteger()) + ": ";
    const std::string source = Member(screen, "source").AsString();
    if (source == "none") {
      text += "no animation\n";
      continue;
    }
    text += Padded(source, 8) + Printable(Member(screen, "gif").AsString()) + "\n";
  }
  return text;
}

}  // namespace cli
