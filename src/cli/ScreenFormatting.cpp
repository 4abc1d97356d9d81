// The screen commands' results as text.

#include "cli/Formatting.h"
#include "cli/JsonText.h"

namespace cli {
using base::Json;

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
