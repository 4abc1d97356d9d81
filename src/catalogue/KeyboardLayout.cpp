#include "catalogue/KeyboardLayout.h"

#include <algorithm>
#include <climits>
#include <string>

#include "base/Text.h"
#include "catalogue/XmlDocument.h"

namespace {

int ReadDecimal(const XmlDocument& document, std::string_view attribute) {
  return base::ToInt(document.GetAttribute(attribute));
}

// Base-16 values are kept in an int; larger values saturate.
int ReadHex(const XmlDocument& document, std::string_view attribute) {
  const long value = base::ParseHex(document.GetAttribute(attribute));
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

LayoutKey ReadKey(const XmlDocument& document) {
  LayoutKey key;
  key.code = ReadHex(document, "code");
  key.name = document.GetAttribute("name");
  key.desc = document.GetAttribute("desc");
  key.keyIndex = ReadDecimal(document, "key_index");
  key.lightIndex = ReadDecimal(document, "light_index");
  key.icon = document.GetAttribute("icon");
  key.fnLayerDisable = ReadDecimal(document, "fnlayer_disable");
  key.rectLeft = ReadDecimal(document, "rect_left");
  key.rectTop = ReadDecimal(document, "rect_top");
  key.rectWidth = ReadDecimal(document, "rect_width");
  key.rectHeight = ReadDecimal(document, "rect_height");
  const GridCell cell = ParseRowColumn(document.GetAttribute("row_col"));
  key.row = cell.row;
  key.column = cell.column;
  return key;
}

void ReadKeyboardAttributes(const XmlDocument& document, KeyboardLayout& layout) {
  layout.backgroundColor = ReadHex(document, "bk_color");
  layout.x = ReadDecimal(document, "xpos");
  layout.y = ReadDecimal(document, "ypos");
  layout.width = ReadDecimal(document, "width");
  layout.height = ReadDecimal(document, "height");
  layout.image = document.GetAttribute("image");
  layout.rowCount = ReadDecimal(document, "row_count");
  layout.columnCount = ReadDecimal(document, "col_count");
}

// Every key's rectangle is cut to the picture; the picture's place and size are bounded, so
// that no sum of a position and a size can overflow.
void BoundGeometry(KeyboardLayout& layout) {
  for (int* value : {&layout.x, &layout.y, &layout.width, &layout.height}) {
    *value = std::clamp(*value, 0, KeyboardLayout::kMaxExtent);
  }
  for (LayoutKey& key : layout.keys) {
    key.rectLeft = std::clamp(key.rectLeft, 0, layout.width);
    key.rectTop = std::clamp(key.rectTop, 0, layout.height);
    key.rectWidth = std::clamp(key.rectWidth, 0, layout.width - key.rectLeft);
    key.rectHeight = std::clamp(key.rectHeight, 0, layout.height - key.rectTop);
  }
}

// The keys live in "KeyItems" inside "Keyboard"; the cursor is on "Keyboard".
void ReadKeys(XmlDocument& document, KeyboardLayout& layout) {
  if (!document.EnterElement()) return;
  if (document.FindElement("KeyItems") && document.EnterElement()) {
    while (document.FindElement("key")) layout.keys.push_back(ReadKey(document));
    document.LeaveElement();
  }
  document.LeaveElement();
}

int DigitValue(std::string_view character) {
  return character.size() == 1 && character[0] >= '0' && character[0] <= '9' ? character[0] - '0'
                                                                             : 0;
}

template <class Map>
std::optional<int> Find(const Map& map, int key) {
  auto found = map.find(key);
  if (found == map.end()) return std::nullopt;
  return found->second;
}

}  // namespace

GridCell ParseRowColumn(std::string_view text) {
  const std::size_t length = base::CodePointCount(text);
  if (length == 0) return {};
  GridCell cell;
  cell.row = DigitValue(base::CodePointPrefix(text, 1));
  // A one-character text has no two last characters: its only character is the column.
  const std::size_t columnLength = length == 3 ? 1 : std::min<std::size_t>(2, length);
  cell.column = std::max(0, base::ToInt(base::DropCodePoints(text, length - columnLength)));
  return cell;
}

std::filesystem::path KeyboardLayoutPath(const std::filesystem::path& appFolder,
                                         std::string_view layoutName) {
  std::string relative = "layouts/" + std::string(layoutName) + ".xml";
  std::replace(relative.begin(), relative.end(), '\\', '/');
  // Relative by construction, so a name starting with a separator still stays in the folder.
  return appFolder / std::filesystem::path(relative);
}

KeyboardLayout ReadKeyboardLayoutFile(const std::filesystem::path& file) {
  KeyboardLayout layout;
  XmlDocument document;
  layout.fileLoaded = document.LoadFile(file);
  if (!layout.fileLoaded) return layout;
  layout.hasRoot = document.FindElement("device.info") && document.EnterElement();
  if (!layout.hasRoot) return layout;
  layout.hasKeyboard = document.FindElement("Keyboard");
  if (!layout.hasKeyboard) return layout;
  ReadKeyboardAttributes(document, layout);
  ReadKeys(document, layout);
  BoundGeometry(layout);
  return layout;
}

KeyboardLayout ReadKeyboardLayout(const std::filesystem::path& appFolder,
                                  std::string_view layoutName) {
  return ReadKeyboardLayoutFile(KeyboardLayoutPath(appFolder, layoutName));
}

void LayoutTables::Clear() {
  *this = LayoutTables();
}

std::optional<int> LayoutTables::FindKeyIndex(int code) const {
  return Find(KeyIndexByCode, code);
}
std::optional<int> LayoutTables::FindLightIndex(int code) const {
  return Find(LightIndexByCode, code);
}
std::optional<int> LayoutTables::FindCodeOfLight(int lightIndex) const {
  return Find(CodeByLightIndex, lightIndex);
}

bool LayoutTables::IsInGrid(int row, int column) const {
  return row >= 0 && row < LayoutRowCount && column >= 0 && column < LayoutColumnCount;
}

namespace {

// A code has one light and a light one code: a later key replaces both directions of what an
// earlier key of the same code or light set, so the two maps never disagree.
void SetLight(LayoutTables& tables, int code, int light) {
  if (const auto old = tables.LightIndexByCode.find(code); old != tables.LightIndexByCode.end()) {
    tables.CodeByLightIndex.erase(old->second);
  }
  if (const auto old = tables.CodeByLightIndex.find(light); old != tables.CodeByLightIndex.end()) {
    tables.LightIndexByCode.erase(old->second);
  }
  tables.LightIndexByCode[code] = light;
  tables.CodeByLightIndex[light] = code;
}

}  // namespace

LayoutTables BuildLayoutTables(const KeyboardLayout& layout) {
  LayoutTables tables;
  const auto isIndex = [](int index) { return index >= 0 && index < LayoutTables::kIndexCount; };
  for (const LayoutKey& key : layout.keys) {
    if (key.code < 0 || key.code > LayoutTables::kMaxCode) continue;
    tables.Keys.push_back({key.code, key.name});
    if (isIndex(key.keyIndex)) tables.KeyIndexByCode[key.code] = key.keyIndex;
    if (isIndex(key.lightIndex)) SetLight(tables, key.code, key.lightIndex);
  }
  const bool gridFits = layout.rowCount >= 1 && layout.rowCount <= LayoutTables::kMaxRows &&
                        layout.columnCount >= 1 && layout.columnCount <= LayoutTables::kMaxColumns;
  if (gridFits) {
    tables.LayoutRowCount = layout.rowCount;
    tables.LayoutColumnCount = layout.columnCount;
  }
  return tables;
}

void CurrentLayout::Set(LayoutTables tables) {
  auto replacement = std::make_shared<const LayoutTables>(std::move(tables));
  std::lock_guard lock(mutex_);
  tables_ = std::move(replacement);
}

std::shared_ptr<const LayoutTables> CurrentLayout::Get() const {
  std::lock_guard lock(mutex_);
  return tables_;
}
