#include "catalogue/DeviceCatalogue.h"

#include <algorithm>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

// "vid" and "pid" are hexadecimal digits without prefix: reading stops at the first other
// character, so "0x36B0" reads as 0.
int ReadHexDigits(const std::string& text) {
  long value = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    value = std::min<long>(value * 16 + digit, 0x7FFFFFFF);
  }
  return static_cast<int>(value);
}

void ReadModes(XmlDocument& document, const KeyboardModelRecord& model,
               DeviceCatalogue& catalogue) {
  if (!document.EnterElement()) return;
  while (document.FindElement("mode")) {
    ConnectionModeRecord mode;
    mode.modelId = model.modelId;
    mode.layoutName = model.layoutName;
    mode.connectedPicture = model.connectedPicture;
    mode.disconnectedPicture = model.disconnectedPicture;
    mode.mode = base::ToInt(document.GetAttribute("value"));
    mode.description = document.GetAttribute("desc");
    mode.vendorId = ReadHexDigits(document.GetAttribute("vid"));
    mode.productId = ReadHexDigits(document.GetAttribute("pid"));
    mode.productName = document.GetAttribute("product_name");
    mode.interfacePattern = document.GetAttribute("hid_interface");
    catalogue.modes.push_back(std::move(mode));
  }
  document.LeaveElement();
}

void ReadModels(XmlDocument& document, const std::filesystem::path& appFolder,
                DeviceCatalogue& catalogue) {
  if (!document.EnterElement()) return;
  while (document.FindElement("keyboard")) {
    KeyboardModelRecord model;
    model.name = document.GetAttribute("name");
    model.modelId = base::ToInt(document.GetAttribute("device_type"));
    model.layoutName = document.GetAttribute("device_info");
    model.connectedPicture = DevicePicturePath(appFolder, document.GetAttribute("img_connected"));
    model.disconnectedPicture =
        DevicePicturePath(appFolder, document.GetAttribute("img_disconnected"));
    catalogue.models.push_back(model);
    ReadModes(document, model, catalogue);
  }
  document.LeaveElement();
}

void ReadSoftware(XmlDocument& document, DeviceCatalogue& catalogue) {
  catalogue.hasSoftware = true;
  catalogue.software.version = document.GetAttribute("version");
  if (!document.EnterElement()) return;
  const std::pair<const char*, std::string*> addresses[] = {
      {"website", &catalogue.software.website}, {"feedback", &catalogue.software.feedback},
      {"faqs", &catalogue.software.faqs},       {"store", &catalogue.software.store},
      {"upgrade", &catalogue.software.upgrade},
  };
  for (const auto& [tag, target] : addresses) {
    if (document.FindElement(tag)) *target = document.GetAttribute("url");
  }
  document.LeaveElement();
}

}  // namespace

const KeyboardModelRecord* DeviceCatalogue::FindModel(int modelId) const {
  auto found = std::find_if(models.begin(), models.end(),
                            [&](const auto& model) { return model.modelId == modelId; });
  return found == models.end() ? nullptr : &*found;
}

std::string DevicePicturePath(const std::filesystem::path& appFolder, const std::string& value) {
  std::string relative = "device/" + value;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  // Relative by construction: a value starting with a separator must not replace the folder.
  return (appFolder / std::filesystem::path(relative)).string();
}

DeviceCatalogue ReadDeviceCatalogue(const std::filesystem::path& appFolder) {
  DeviceCatalogue catalogue;
  XmlDocument document;
  if (!document.LoadFile(appFolder / "config.xml") || !document.FindElement("config") ||
      !document.EnterElement()) {
    return catalogue;
  }
  catalogue.loaded = true;
  // The file keeps its sections in this order; each is looked for after the one before.
  if (document.FindElement("device.info")) ReadModels(document, appFolder, catalogue);
  if (document.FindElement("language.info"))
    catalogue.defaultLanguage = document.GetAttribute("default_lan");
  if (document.FindElement("software")) ReadSoftware(document, catalogue);
  return catalogue;
}
