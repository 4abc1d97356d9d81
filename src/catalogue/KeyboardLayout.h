#pragma once
// The layout file of a keyboard model ("layouts/<name>.xml" in the application folder): the
// keyboard picture with its place in the main window, the size of the key grid, and every key
// with its code, names, rectangle, key-map position and LED position.
//
// Reading keeps every value as the file gives it but the geometry, which the views draw with:
// the picture's place and size lie within 0..kMaxExtent and every key's rectangle inside the
// picture. The lookup tables built from a layout keep only what the key-mapping and lighting
// code can safely use as an index.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One "key" element. Missing attributes read as empty text and as 0.
struct LayoutKey {
  int code = 0;  // "code", base 16 ("E0" and "0xE0" are both 224)
  std::string name;
  std::string desc;
  int keyIndex = 0;    // "key_index": position in the keyboard's key map
  int lightIndex = 0;  // "light_index": the key's LED
  std::string icon;
  int fnLayerDisable = 0;  // "fnlayer_disable": 1 marks a key without Fn-layer assignments
  int rectLeft = 0;
  int rectTop = 0;
  int rectWidth = 0;
  int rectHeight = 0;
  int row = 0;  // grid cell from "row_col"
  int column = 0;

  friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
};

struct KeyboardLayout {
  // Largest position or size of the picture, in pixels of the window.
  static constexpr int kMaxExtent = 8192;

  bool fileLoaded = false;   // the file was read and is well-formed
  bool hasRoot = false;      // its root is "device.info"
  bool hasKeyboard = false;  // the root holds a "Keyboard" element

  int backgroundColor = 0;  // "bk_color", base 16, 0x00BBGGRR
  int x = 0;                // "xpos", "ypos", "width", "height": the views' place in the window
  int y = 0;
  int width = 0;
  int height = 0;
  std::string image;  // picture file name inside the application's "keyboard" folder
  int rowCount =
      0;  // "row_count" and "col_count" as written (see LayoutTables for the checked size)
  int columnCount = 0;
  std::vector<LayoutKey> keys;  // in drawing order

  // A load that replaces the current model's keys: the file was read and had the right root.
  bool Usable() const { return fileLoaded && hasRoot; }
};

// Reads a layout file. The result tells how far the reading got; the keys are those of
// "Keyboard"/"KeyItems" ("KeyItems" elsewhere gives none).
KeyboardLayout ReadKeyboardLayoutFile(const std::filesystem::path& file);

// The layout file of a layout name: "<appFolder>/layouts/<name>.xml", backslashes in the name
// taken as folder separators. The name is appended as text: one that starts with a separator
// still names a file under "layouts".
std::filesystem::path KeyboardLayoutPath(const std::filesystem::path& appFolder,
                                         std::string_view layoutName);

// ReadKeyboardLayoutFile(KeyboardLayoutPath(appFolder, layoutName)).
KeyboardLayout ReadKeyboardLayout(const std::filesystem::path& appFolder,
                                  std::string_view layoutName);

// The grid cell of a "row_col" text: the row is the first character's digit; the column is
// the number in the last character (three-character texts, "0_5") or in the last two
// characters (all others, "1_12", "12"), a one-character text giving its only character.
// Non-digits count as 0; the result is never negative.
struct GridCell {
  int row = 0;
  int column = 0;
  friend bool operator==(const GridCell&, const GridCell&) = default;
};
GridCell ParseRowColumn(std::string_view text);

// A key of the layout as new profiles are seeded with it.
struct LayoutKeyName {
  int code = 0;
  std::string name;
};

// The translation tables the key-mapping and lighting code use while a model is current.
struct LayoutTables {
  // The grid sizes a layout may use; any other size makes the grid 0 x 0.
  static constexpr int kMaxRows = 8;
  static constexpr int kMaxColumns = 32;
  // Key-map positions and LED positions the keyboard addresses.
  static constexpr int kIndexCount = 128;
  static constexpr int kMaxCode = 255;

  std::vector<LayoutKeyName> Keys;      // the keys with a usable code, in drawing order
  std::map<int, int> KeyIndexByCode;    // key code -> key_index
  std::map<int, int> LightIndexByCode;  // key code -> light_index
  std::map<int, int> CodeByLightIndex;  // light_index -> key code
  int LayoutRowCount = 0;
  int LayoutColumnCount = 0;

  void Clear();
  std::optional<int> FindKeyIndex(int code) const;
  std::optional<int> FindLightIndex(int code) const;
  std::optional<int> FindCodeOfLight(int lightIndex) const;
  // Whether a key's cell lies inside the grid (never for a 0 x 0 grid).
  bool IsInGrid(int row, int column) const;
};

// The tables of a layout. Keys are entered in order, so a later key with the same code (or
// the same light index) replaces the earlier one. Codes outside 0..255 and indices outside
// 0..127 are left out.
LayoutTables BuildLayoutTables(const KeyboardLayout& layout);

// The tables of the current model, shared by the UI thread and the worker: a model switch
// replaces them whole, and a reader keeps the tables it took for as long as it needs them.
class CurrentLayout {
 public:
  void Set(LayoutTables tables);
  std::shared_ptr<const LayoutTables> Get() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const LayoutTables> tables_ = std::make_shared<const LayoutTables>();
};
