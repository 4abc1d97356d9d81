#include "app/StartupConfig.h"

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

// Long enough for any product name, short enough for a socket path in the runtime folder.
constexpr std::size_t kMaxProductNameBytes = 64;

void ReadLanguages(XmlDocument& document, StartupConfig& config) {
  if (!document.EnterElement()) return;
  while (document.FindElement("lan"))
    config.languages.insert(base::ToInt(document.GetAttribute("value")));
  document.LeaveElement();
}

bool IsControlCharacter(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

}  // namespace

bool IsPlainPathComponent(std::string_view name) {
  if (name.empty() || name.size() > kMaxProductNameBytes || !base::IsValidUtf8(name)) return false;
  if (name.front() == '.' || name.front() == '-' || name.front() == ' ' || name.back() == ' ') {
    return false;
  }
  for (const char c : name) {
    if (c == '/' || c == '\\' || IsControlCharacter(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

StartupConfig ReadStartupConfig(const std::filesystem::path& appFolder) {
  StartupConfig config;
  const std::filesystem::path file = appFolder / "config.xml";
  XmlDocument document;
  if (!document.LoadFile(file)) {
    config.error = "cannot read " + file.string();
    return config;
  }
  if (!document.FindElement("config") || !document.EnterElement()) {
    config.error = file.string() + " holds no configuration";
    return config;
  }
  // The two elements may stand in any order among the others.
  while (document.FindElement()) {
    const std::string tag = document.GetTagName();
    if (tag == "language.info") {
      ReadLanguages(document, config);
    } else if (tag == "software") {
      std::string name = document.GetAttribute("name");
      if (!name.empty() && !IsPlainPathComponent(name)) {
        // The name itself is not repeated: it may hold anything, terminal controls included.
        config.error = file.string() +
                       ": the product name cannot name a folder (one plain name of printable "
                       "characters, without separators)";
        return config;
      }
      if (!name.empty()) config.productName = std::move(name);
    }
  }
  return config;
}
