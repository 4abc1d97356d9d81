#include "Model.h"

#include <charconv>
#include <pugixml.hpp>

namespace render {
namespace {

pugi::xml_document Load(const std::filesystem::path& file) {
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_file(file.c_str());
  if (!result) throw InputError(file.string() + ": " + result.description());
  return document;
}

int Number(const pugi::xml_node& node, const char* attribute, int base = 10) {
  const std::string text = node.attribute(attribute).value();
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    throw InputError(std::string("attribute ") + attribute + " is not a number: \"" + text + '"');
  }
  return value;
}

QRect Rect(const pugi::xml_node& node, const char* left, const char* top, const char* width,
           const char* height) {
  return {Number(node, left), Number(node, top), Number(node, width), Number(node, height)};
}

QRect PlainRect(const pugi::xml_node& node) {
  return Rect(node, "x", "y", "width", "height");
}

}  // namespace

std::vector<CatalogueModel> ReadCatalogue(const std::filesystem::path& configFile) {
  const pugi::xml_document document = Load(configFile);
  std::vector<CatalogueModel> models;
  for (const pugi::xml_node keyboard :
       document.child("config").child("device.info").children("keyboard")) {
    models.push_back({keyboard.attribute("name").value(), keyboard.attribute("device_info").value(),
                      keyboard.attribute("img_connected").value(),
                      keyboard.attribute("img_disconnected").value()});
  }
  if (models.empty()) throw InputError(configFile.string() + ": no keyboard models");
  return models;
}

Layout ReadLayout(const std::filesystem::path& layoutFile) {
  const pugi::xml_document document = Load(layoutFile);
  const pugi::xml_node keyboard = document.child("device.info").child("Keyboard");
  if (!keyboard) throw InputError(layoutFile.string() + ": no device.info/Keyboard");
  Layout layout;
  try {
    layout.size = QSize(Number(keyboard, "width"), Number(keyboard, "height"));
    layout.image = keyboard.attribute("image").value();
    for (const pugi::xml_node key : keyboard.child("KeyItems").children("key")) {
      layout.keys.push_back({Number(key, "code", 16),
                             Rect(key, "rect_left", "rect_top", "rect_width", "rect_height")});
    }
  } catch (const InputError& error) {
    throw InputError(layoutFile.string() + ": " + error.what());
  }
  if (layout.keys.empty() || layout.image.empty() || layout.size.isEmpty()) {
    throw InputError(layoutFile.string() + ": no keys, picture name or size");
  }
  return layout;
}

Decorations ReadDecorations(const std::filesystem::path& decorationsFile,
                            const std::string& layout) {
  const pugi::xml_document document = Load(decorationsFile);
  const pugi::xml_node picture =
      document.child("pictures").find_child_by_attribute("picture", "layout", layout.c_str());
  Decorations decorations;
  decorations.accent = QColor(QString("#") + picture.attribute("accent").as_string("7C5CFF"));
  for (const pugi::xml_node part : picture.children()) {
    const std::string kind = part.name();
    if (kind == "screen") decorations.screens.push_back(PlainRect(part));
    if (kind == "light_bar") decorations.lightBars.push_back(PlainRect(part));
    if (kind == "matrix") {
      decorations.matrices.push_back(
          {PlainRect(part), Number(part, "rows"), Number(part, "columns")});
    }
  }
  return decorations;
}

}  // namespace render
