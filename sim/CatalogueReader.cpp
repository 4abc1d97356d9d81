#include "sim/CatalogueReader.h"

#include <pugixml.hpp>

#include "base/Text.h"

namespace sim {

namespace {

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

std::uint16_t HexId(const pugi::xml_node& node, const char* name) {
  const long value = base::ParseHex(node.attribute(name).as_string());
  return value > 0 && value <= 0xFFFF ? static_cast<std::uint16_t>(value) : 0;
}

// A key without a key index or a light index is not in that table of the keyboard.
int OptionalIndex(const pugi::xml_node& node, const char* name) {
  const std::string_view text = base::Trim(node.attribute(name).as_string());
  return text.empty() ? -1 : base::ToInt(text);
}

bool LoadFile(pugi::xml_document& document, const std::filesystem::path& file, std::string* error) {
  const pugi::xml_parse_result result = document.load_file(file.c_str());
  if (!result) {
    SetError(error, file.string() + ": " + result.description());
    return false;
  }
  return true;
}

}  // namespace

const CatalogueMode* CatalogueModel::Mode(int value) const {
  for (const CatalogueMode& mode : modes) {
    if (mode.value == value) return &mode;
  }
  return nullptr;
}

std::optional<Catalogue> Catalogue::Load(const std::filesystem::path& appFolder,
                                         std::string* error) {
  pugi::xml_document document;
  if (!LoadFile(document, appFolder / "config.xml", error)) return std::nullopt;
  const pugi::xml_node root = document.child("config");
  if (!root) {
    SetError(error, "config.xml has no config element");
    return std::nullopt;
  }
  Catalogue catalogue;
  for (const pugi::xml_node keyboard : root.child("device.info").children("keyboard")) {
    CatalogueModel model;
    model.modelId = base::ToInt(keyboard.attribute("device_type").as_string());
    model.name = keyboard.attribute("name").as_string();
    model.layoutName = keyboard.attribute("device_info").as_string();
    for (const pugi::xml_node modeNode : keyboard.children("mode")) {
      CatalogueMode mode;
      mode.value = base::ToInt(modeNode.attribute("value").as_string());
      mode.vendorId = HexId(modeNode, "vid");
      mode.productId = HexId(modeNode, "pid");
      mode.productName = modeNode.attribute("product_name").as_string();
      model.modes.push_back(std::move(mode));
    }
    catalogue.models_.push_back(std::move(model));
  }
  return catalogue;
}

const CatalogueModel* Catalogue::Find(int modelId) const {
  for (const CatalogueModel& model : models_) {
    if (model.modelId == modelId) return &model;
  }
  return nullptr;
}

std::optional<Layout> LoadLayout(const std::filesystem::path& appFolder,
                                 const std::string& layoutName, std::string* error) {
  if (layoutName.empty() || layoutName.find('/') != std::string::npos ||
      layoutName.find("..") != std::string::npos) {
    SetError(error, "unusable layout name '" + layoutName + "'");
    return std::nullopt;
  }
  pugi::xml_document document;
  const auto file = appFolder / "layouts" / (layoutName + ".xml");
  if (!LoadFile(document, file, error)) return std::nullopt;
  const pugi::xml_node items = document.child("device.info").child("Keyboard").child("KeyItems");
  if (!items) {
    SetError(error, file.string() + " has no device.info/Keyboard/KeyItems");
    return std::nullopt;
  }
  Layout layout;
  for (const pugi::xml_node keyNode : items.children("key")) {
    LayoutKey key;
    key.code = static_cast<int>(base::ParseHex(keyNode.attribute("code").as_string()));
    key.keyIndex = OptionalIndex(keyNode, "key_index");
    key.lightIndex = OptionalIndex(keyNode, "light_index");
    key.name = keyNode.attribute("name").as_string();
    layout.keys.push_back(std::move(key));
  }
  return layout;
}

}  // namespace sim
