#include "app/StartupConfig.h"

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

void ReadLanguages(XmlDocument& document, StartupConfig& config) {
  if (!document.EnterElement()) return;
  while (document.FindElement("lan"))
    config.languages.insert(base::ToInt(document.GetAttribute("value")));
  document.LeaveElement();
}

}  // namespace

StartupConfig ReadStartupConfig(const std::filesystem::path& appFolder) {
  StartupConfig config;
  XmlDocument document;
  if (!document.LoadFile(appFolder / "config.xml") || !document.FindElement("config") ||
      !document.EnterElement()) {
    return config;
  }
  // The two elements may stand in any order among the others.
  while (document.FindElement()) {
    const std::string tag = document.GetTagName();
    if (tag == "language.info") {
      ReadLanguages(document, config);
    } else if (tag == "software") {
      std::string name = document.GetAttribute("name");
      if (!name.empty()) config.productName = std::move(name);
    }
  }
  return config;
}
