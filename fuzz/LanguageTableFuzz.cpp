// Feeds arbitrary bytes to the language table reader as the content of a ".lan" file and looks
// up every section and key the file seems to name, and a few it does not. A text handed out is
// never longer than the limit and is always a piece of the file: nothing is made up.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "core/TextTable.h"
#include "fuzz/FuzzSupport.h"

namespace {

using fuzz::Require;

constexpr std::size_t kMaxInput = 256 * 1024;
constexpr std::size_t kMaxLookups = 64;

struct Lookup {
  std::string section;
  std::string key;
};

// Sections and keys as the file seems to name them, each key with the section above it.
std::vector<Lookup> LookupsIn(std::string_view text) {
  std::vector<Lookup> lookups;
  std::string section;
  while (!text.empty() && lookups.size() < kMaxLookups) {
    const std::size_t end = text.find('\n');
    const std::string_view line = base::Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.starts_with('[')) {
      section = std::string(base::Trim(line.substr(1, line.find(']') - 1)));
    } else if (!line.empty()) {
      lookups.push_back({section, std::string(base::Trim(line.substr(0, line.find('='))))});
    }
  }
  lookups.push_back({section, "1"});
  lookups.push_back({"", ""});
  lookups.push_back({"String", "99999"});
  return lookups;
}

void CheckText(std::string_view content, const std::string& text) {
  Require(base::CodePointCount(text) <= core::TextTable::kMaxTextLength, "texts are cut");
  Require(content.find(text) != std::string_view::npos, "a text is a piece of the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view content = fuzz::AsText({data, size});
  const std::filesystem::path& appFolder = fuzz::ScratchFolder();
  core::TextTable texts(appFolder, 1033);
  fuzz::WriteFile(texts.TablePath(1033), content);

  for (const Lookup& lookup : LookupsIn(content)) {
    const std::string value = texts.GetValue(lookup.section, lookup.key);
    CheckText(content, value);
    Require(
        texts.GetValue(base::ToUpperAscii(lookup.section), base::ToLowerAscii(lookup.key)) == value,
        "sections and keys match without regard to case");
  }
  for (const int id : {0, 1, 2, 100, 1001}) CheckText(content, texts.GetText("String", id));
  return 0;
}
