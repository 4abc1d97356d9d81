// Feeds arbitrary bytes to the layout reader as the content of a layout file, builds the
// tables the key-mapping and lighting code use from what was read, and reads the grid cell of
// the input taken as a "row_col" text. Whatever the file holds, the tables only name codes,
// key indices and light indices inside their ranges, and the grid has an allowed size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/KeyboardLayout.h"
#include "fuzz/FuzzSupport.h"

namespace {

using fuzz::Require;

constexpr std::size_t kMaxInput = 256 * 1024;

bool IsIndex(int index) {
  return index >= 0 && index < LayoutTables::kIndexCount;
}
bool IsCode(int code) {
  return code >= 0 && code <= LayoutTables::kMaxCode;
}

void CheckProgress(const KeyboardLayout& layout) {
  if (layout.hasRoot) Require(layout.fileLoaded, "a root needs a loaded file");
  if (layout.hasKeyboard) Require(layout.hasRoot, "a keyboard needs the root");
  if (!layout.keys.empty()) Require(layout.hasKeyboard, "keys need the keyboard element");
  Require(layout.Usable() == (layout.fileLoaded && layout.hasRoot), "usable means read");
  for (const LayoutKey& key : layout.keys) {
    Require(key.row >= 0 && key.column >= 0, "grid cells are never negative");
  }
}

void CheckTables(const KeyboardLayout& layout, const LayoutTables& tables) {
  std::size_t usable = 0;
  for (const LayoutKey& key : layout.keys) usable += IsCode(key.code) ? 1 : 0;
  Require(tables.Keys.size() == usable, "every key with a usable code is kept");
  for (const LayoutKeyName& key : tables.Keys) Require(IsCode(key.code), "kept codes are bytes");
  for (const auto& [code, index] : tables.KeyIndexByCode) {
    Require(IsCode(code) && IsIndex(index), "key indices are in range");
    Require(tables.FindKeyIndex(code) == index, "a key index is found by its code");
  }
  for (const auto& [code, light] : tables.LightIndexByCode) {
    Require(IsCode(code) && IsIndex(light), "light indices are in range");
  }
  for (const auto& [light, code] : tables.CodeByLightIndex) {
    Require(IsCode(code) && IsIndex(light), "lights name codes in range");
    Require(tables.FindCodeOfLight(light) == code, "a code is found by its light");
  }
  const bool empty = tables.LayoutRowCount == 0 && tables.LayoutColumnCount == 0;
  const bool allowed =
      tables.LayoutRowCount >= 1 && tables.LayoutRowCount <= LayoutTables::kMaxRows &&
      tables.LayoutColumnCount >= 1 && tables.LayoutColumnCount <= LayoutTables::kMaxColumns;
  Require(empty || allowed, "the grid has an allowed size or none");
  for (const LayoutKey& key : layout.keys) {
    if (tables.IsInGrid(key.row, key.column)) {
      Require(key.row < tables.LayoutRowCount && key.column < tables.LayoutColumnCount,
              "a cell in the grid lies inside it");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view bytes = fuzz::AsText({data, size});
  const std::filesystem::path file = fuzz::ScratchFolder() / "layouts" / "fuzz.xml";
  fuzz::WriteFile(file, bytes);
  const KeyboardLayout layout = ReadKeyboardLayoutFile(file);
  CheckProgress(layout);
  CheckTables(layout, BuildLayoutTables(layout));

  const GridCell cell = ParseRowColumn(bytes.substr(0, 64));
  Require(cell.row >= 0 && cell.row <= 9 && cell.column >= 0 && cell.column <= 99,
          "a row_col text gives a digit and at most two digits");
  return 0;
}
