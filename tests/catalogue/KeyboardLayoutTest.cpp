#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <set>
#include <string>

#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
#include "support/TempFolder.h"

namespace {

const std::filesystem::path kDataFolder = std::filesystem::path(TARVO_SOURCE_DIR) / "data";

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A layout file around the given key elements.
std::string LayoutText(const std::string& keys,
                       const std::string& keyboardAttributes =
                           R"(bk_color="1A1614" xpos="132" ypos="146" width="1136" )"
                           R"(height="368" image="k.png" row_count="6" col_count="23")") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<device.info>\n  <Keyboard " +
         keyboardAttributes + ">\n    <KeyItems>\n" + keys +
         "    </KeyItems>\n  </Keyboard>\n</device.info>\n";
}

std::string Key(const std::string& code, int keyIndex, int lightIndex,
                const std::string& rowCol = "0_0") {
  return "      <key code=\"" + code + "\" name=\"n" + code + "\" key_index=\"" +
         std::to_string(keyIndex) + "\" light_index=\"" + std::to_string(lightIndex) +
         "\" row_col=\"" + rowCol + "\"/>\n";
}

class KeyboardLayoutTest : public ::testing::Test {
 protected:
  KeyboardLayout Read(const std::string& text) {
    WriteFile(folder / "layouts/test.xml", text);
    return ReadKeyboardLayout(folder.Path(), "test");
  }
  LayoutTables Tables(const std::string& keys) { return BuildLayoutTables(Read(LayoutText(keys))); }

  TempFolder folder;
};

TEST(RowColumnTest, RowIsTheFirstDigitAndColumnTheLastOneOrTwoCharacters) {
  const std::pair<const char*, GridCell> cases[] = {
      {"0_5", {0, 5}},
      {"2_7", {2, 7}},
      {"1_12", {1, 12}},
      {"3_15", {3, 15}},
      {"12", {1, 12}},
      {"5_31", {5, 31}},
      {"a_b", {0, 0}},
      {"x_12", {0, 12}},
      // A text shorter than two characters has no two last characters: its own is the column.
      {"", {0, 0}},
      {"7", {7, 7}},
      // A sign or a letter before the column digits is not a number.
      {"2_-3", {2, 0}},
      {"4_x", {4, 0}},
      // Characters are counted as code points: "é" is one character of two bytes.
      {"5_\xC3\xA9", {5, 0}},
      {"\xC3\xA9_9", {0, 9}},
  };
  for (const auto& [text, cell] : cases)
    EXPECT_EQ(ParseRowColumn(text), cell) << '"' << text << '"';
}

TEST_F(KeyboardLayoutTest, EveryAttributeOfKeyboardAndKeysIsRead) {
  const KeyboardLayout layout = Read(LayoutText(
      R"(      <key code="E0" name="Ctrl" desc="Left Ctrl" key_index="73" light_index="77" icon="ctrl.png" )"
      R"(fnlayer_disable="1" rect_left="30" rect_top="282" rect_width="56" rect_height="44" row_col="5_0"/>)"
      "\n"
      R"(      <key code="0x29" name="Esc" row_col="3_15"/>)"
      "\n"
      R"(      <key/>)"
      "\n"));
  EXPECT_TRUE(layout.Usable());
  EXPECT_TRUE(layout.hasKeyboard);
  EXPECT_EQ(layout.backgroundColor, 0x1A1614);
  EXPECT_EQ((std::vector<int>{layout.x, layout.y, layout.width, layout.height}),
            (std::vector<int>{132, 146, 1136, 368}));
  EXPECT_EQ(layout.image, "k.png");
  EXPECT_EQ(layout.rowCount, 6);
  EXPECT_EQ(layout.columnCount, 23);
  const std::vector<LayoutKey> expected = {
      {224, "Ctrl", "Left Ctrl", 73, 77, "ctrl.png", 1, 30, 282, 56, 44, 5, 0},
      // "0x29" is read as 0x29; what is missing reads as empty or 0.
      {0x29, "Esc", "", 0, 0, "", 0, 0, 0, 0, 0, 3, 15},
      {},
  };
  EXPECT_EQ(layout.keys, expected);
}

TEST_F(KeyboardLayoutTest, AKeyboardWithoutAttributesReadsAsZeros) {
  const KeyboardLayout layout = Read(LayoutText(Key("04", 1, 2), ""));
  EXPECT_TRUE(layout.hasKeyboard);
  EXPECT_EQ(layout.backgroundColor, 0);
  EXPECT_EQ(
      layout.width + layout.height + layout.x + layout.y + layout.rowCount + layout.columnCount, 0);
  EXPECT_EQ(layout.image, "");
  ASSERT_EQ(layout.keys.size(), 1u);
  EXPECT_EQ(BuildLayoutTables(layout).LayoutRowCount, 0);
}

TEST_F(KeyboardLayoutTest, GeometryStaysInsideThePictureWithoutOverflow) {
  struct Case {
    const char* rect;  // rect_left, rect_top, rect_width, rect_height
    int left, top, width, height;
  };
  // The picture is 100 x 50.
  const Case cases[] = {
      {R"(rect_left="10" rect_top="5" rect_width="20" rect_height="10")", 10, 5, 20, 10},
      {R"(rect_left="-5" rect_top="-2147483648" rect_width="20" rect_height="10")", 0, 0, 20, 10},
      {R"(rect_left="90" rect_top="45" rect_width="20" rect_height="10")", 90, 45, 10, 5},
      {R"(rect_left="2147483647" rect_top="40" rect_width="2147483647" rect_height="-9")", 100, 40,
       0, 0},
      {R"(rect_left="99999999999" rect_top="1" rect_width="1" rect_height="99999999999")", 100, 1,
       0, 49},
  };
  for (const Case& c : cases) {
    const KeyboardLayout layout =
        Read(LayoutText(std::string("<key code=\"04\" ") + c.rect + "/>\n",
                        R"(xpos="2147483647" ypos="-7" width="100" height="50")"));
    ASSERT_EQ(layout.keys.size(), 1u) << c.rect;
    const LayoutKey& key = layout.keys[0];
    EXPECT_EQ((std::array{key.rectLeft, key.rectTop, key.rectWidth, key.rectHeight}),
              (std::array{c.left, c.top, c.width, c.height}))
        << c.rect;
    EXPECT_EQ(layout.x, KeyboardLayout::kMaxExtent);
    EXPECT_EQ(layout.y, 0);
  }
  const KeyboardLayout huge = Read(LayoutText("", R"(width="2147483647" height="-1")"));
  EXPECT_EQ(huge.width, KeyboardLayout::kMaxExtent);
  EXPECT_EQ(huge.height, 0);
}

TEST_F(KeyboardLayoutTest, HowFarAFaultyFileIsReadIsReported) {
  struct Case {
    const char* what;
    const char* text;  // nullptr: no file
    bool loaded, root, keyboard;
    std::size_t keys;
  };
  const Case cases[] = {
      {"missing file", nullptr, false, false, false, 0},
      {"not well-formed", "<device.info><Keyboard></device.info>", false, false, false, 0},
      {"empty file", "", false, false, false, 0},
      {"another root",
       "<config><Keyboard><KeyItems><key code=\"04\"/></KeyItems></Keyboard></config>", true, false,
       false, 0},
      {"no Keyboard", "<device.info><KeyItems><key code=\"04\"/></KeyItems></device.info>", true,
       true, false, 0},
      {"KeyItems beside Keyboard",
       "<device.info><Keyboard width=\"10\"/><KeyItems><key code=\"04\"/></KeyItems></device.info>",
       true, true, true, 0},
      {"keys outside KeyItems",
       "<device.info><Keyboard><key code=\"04\"/></Keyboard></device.info>", true, true, true, 0},
      {"two KeyItems: the first counts",
       "<device.info><Keyboard><KeyItems><key code=\"04\"/></KeyItems><KeyItems><key "
       "code=\"05\"/><key "
       "code=\"06\"/></KeyItems></Keyboard></device.info>",
       true, true, true, 1},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(folder / "layouts/test.xml");
    const KeyboardLayout layout =
        c.text == nullptr ? ReadKeyboardLayout(folder.Path(), "test") : Read(c.text);
    EXPECT_EQ(layout.fileLoaded, c.loaded) << c.what;
    EXPECT_EQ(layout.hasRoot, c.root) << c.what;
    EXPECT_EQ(layout.Usable(), c.loaded && c.root) << c.what;
    EXPECT_EQ(layout.hasKeyboard, c.keyboard) << c.what;
    EXPECT_EQ(layout.keys.size(), c.keys) << c.what;
  }
}

TEST_F(KeyboardLayoutTest, LayoutNamesAreFilesUnderTheLayoutsFolder) {
  const std::filesystem::path app("/opt/tarvo");
  EXPECT_EQ(KeyboardLayoutPath(app, "tarvo_k9"), "/opt/tarvo/layouts/tarvo_k9.xml");
  EXPECT_EQ(KeyboardLayoutPath(app, "sub\\k9"), "/opt/tarvo/layouts/sub/k9.xml");
  EXPECT_EQ(KeyboardLayoutPath(app, "/etc/k9").lexically_normal(), "/opt/tarvo/layouts/etc/k9.xml");
  EXPECT_EQ(KeyboardLayoutPath(app, ""), "/opt/tarvo/layouts/.xml");
  WriteFile(folder / "layouts/sub/k9.xml", LayoutText(Key("04", 1, 1)));
  EXPECT_EQ(ReadKeyboardLayout(folder.Path(), "sub\\k9").keys.size(), 1u);
}

TEST_F(KeyboardLayoutTest, TablesTranslateBetweenCodesKeyIndicesAndLights) {
  const LayoutTables tables = Tables(Key("29", 0, 5) + Key("E0", 73, 77) + Key("0x3A", 1, 6));
  EXPECT_EQ(tables.KeyIndexByCode, (std::map<int, int>{{0x29, 0}, {0xE0, 73}, {0x3A, 1}}));
  EXPECT_EQ(tables.LightIndexByCode, (std::map<int, int>{{0x29, 5}, {0xE0, 77}, {0x3A, 6}}));
  EXPECT_EQ(tables.CodeByLightIndex, (std::map<int, int>{{5, 0x29}, {77, 0xE0}, {6, 0x3A}}));
  EXPECT_EQ(tables.FindKeyIndex(0xE0), 73);
  EXPECT_EQ(tables.FindLightIndex(0x29), 5);
  EXPECT_EQ(tables.FindCodeOfLight(6), 0x3A);
  EXPECT_EQ(tables.FindKeyIndex(0x04), std::nullopt);
  EXPECT_EQ(tables.FindCodeOfLight(7), std::nullopt);
  EXPECT_EQ(tables.LayoutRowCount, 6);
  EXPECT_EQ(tables.LayoutColumnCount, 23);
}

TEST_F(KeyboardLayoutTest, LaterKeysReplaceEarlierOnesWithTheSameCodeOrLight) {
  // Two keys with code 04; two keys on light 9; a key without code or light lands on 0.
  const LayoutTables tables =
      Tables(Key("04", 10, 8) + Key("04", 11, 9) + Key("05", 12, 9) + "<key/>\n");
  EXPECT_EQ(tables.KeyIndexByCode, (std::map<int, int>{{0x04, 11}, {0x05, 12}, {0, 0}}));
  // The lights stay one-to-one: 04 moved from light 8 to 9, then 05 took light 9 from it.
  EXPECT_EQ(tables.LightIndexByCode, (std::map<int, int>{{0x05, 9}, {0, 0}}));
  EXPECT_EQ(tables.CodeByLightIndex, (std::map<int, int>{{9, 0x05}, {0, 0}}));
}

TEST_F(KeyboardLayoutTest, IndicesAndCodesTheKeyboardCannotAddressAreLeftOut) {
  const LayoutTables tables = Tables(Key("04", 128, 3) +   // key index past the key map
                                     Key("05", -1, 127) +  // negative key index; last light
                                     Key("06", 127, 128) + Key("07", 5, -4) + Key("1FF", 6, 7) +
                                     Key("-5", 8, 9) + Key("FF", 10, 11));
  EXPECT_EQ(tables.KeyIndexByCode, (std::map<int, int>{{0x06, 127}, {0x07, 5}, {0xFF, 10}}));
  EXPECT_EQ(tables.LightIndexByCode, (std::map<int, int>{{0x04, 3}, {0x05, 127}, {0xFF, 11}}));
  EXPECT_EQ(tables.CodeByLightIndex, (std::map<int, int>{{3, 0x04}, {127, 0x05}, {11, 0xFF}}));
}

TEST_F(KeyboardLayoutTest, TheGridIsUsedOnlyWithinEightRowsAndThirtyTwoColumns) {
  struct Case {
    const char* rows;
    const char* columns;
    int expectedRows, expectedColumns;
  };
  const Case cases[] = {
      {"6", "23", 6, 23}, {"1", "1", 1, 1},  {"8", "32", 8, 32}, {"9", "16", 0, 0},
      {"6", "33", 0, 0},  {"0", "16", 0, 0}, {"-1", "4", 0, 0},  {"6", "", 0, 0},
  };
  for (const Case& c : cases) {
    const std::string attributes =
        std::string("row_count=\"") + c.rows + "\" col_count=\"" + c.columns + "\"";
    const LayoutTables tables =
        BuildLayoutTables(Read(LayoutText(Key("04", 1, 1, "5_22"), attributes)));
    EXPECT_EQ(tables.LayoutRowCount, c.expectedRows) << c.rows << " x " << c.columns;
    EXPECT_EQ(tables.LayoutColumnCount, c.expectedColumns) << c.rows << " x " << c.columns;
    // The key's cell is used only inside a grid that holds it.
    EXPECT_EQ(tables.IsInGrid(5, 22), c.expectedRows > 5 && c.expectedColumns > 22)
        << c.rows << " x " << c.columns;
  }
}

TEST_F(KeyboardLayoutTest, ModelBLeavesNothingOfModelAInTheTables) {
  LayoutTables tables = Tables(Key("04", 1, 40) + Key("05", 2, 41) + Key("E0", 3, 42));
  ASSERT_EQ(tables.CodeByLightIndex.size(), 3u);
  WriteFile(folder / "layouts/b.xml",
            LayoutText(Key("06", 7, 1) + Key("07", 8, 2), R"(row_count="2" col_count="3")"));
  tables = BuildLayoutTables(ReadKeyboardLayout(folder.Path(), "b"));
  EXPECT_EQ(tables.KeyIndexByCode, (std::map<int, int>{{0x06, 7}, {0x07, 8}}));
  EXPECT_EQ(tables.LightIndexByCode, (std::map<int, int>{{0x06, 1}, {0x07, 2}}));
  EXPECT_EQ(tables.CodeByLightIndex, (std::map<int, int>{{1, 0x06}, {2, 0x07}}));
  EXPECT_EQ(tables.LayoutRowCount, 2);
  tables.Clear();
  EXPECT_TRUE(tables.KeyIndexByCode.empty() && tables.LightIndexByCode.empty() &&
              tables.CodeByLightIndex.empty());
  EXPECT_EQ(tables.LayoutRowCount + tables.LayoutColumnCount, 0);
}

TEST(ShippedLayoutTest, EveryModelsLayoutLoadsWithUniqueKeyIndicesInsideItsGrid) {
  const DeviceCatalogue catalogue = ReadDeviceCatalogue(kDataFolder);
  ASSERT_FALSE(catalogue.models.empty());
  std::set<std::string> checked;
  for (const KeyboardModelRecord& model : catalogue.models) {
    SCOPED_TRACE(model.layoutName);
    const KeyboardLayout layout = ReadKeyboardLayout(kDataFolder, model.layoutName);
    ASSERT_TRUE(layout.Usable() && layout.hasKeyboard);
    ASSERT_FALSE(layout.keys.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(kDataFolder / "keyboard" / layout.image));
    const LayoutTables tables = BuildLayoutTables(layout);
    std::set<int> keyIndices;
    for (const LayoutKey& key : layout.keys) {
      EXPECT_TRUE(keyIndices.insert(key.keyIndex).second)
          << key.name << " repeats key index " << key.keyIndex;
      EXPECT_TRUE(tables.IsInGrid(key.row, key.column)) << key.name;
      EXPECT_GT(key.rectWidth, 0) << key.name;
      EXPECT_LE(key.rectLeft + key.rectWidth, layout.width) << key.name;
      EXPECT_LE(key.rectTop + key.rectHeight, layout.height) << key.name;
    }
    // Every key reached the tables: nothing was out of range or repeated.
    EXPECT_EQ(tables.KeyIndexByCode.size(), layout.keys.size());
    EXPECT_EQ(tables.CodeByLightIndex.size(), layout.keys.size());
    checked.insert(model.layoutName);
  }
  // Every shipped layout file belongs to a model.
  for (const auto& entry : std::filesystem::directory_iterator(kDataFolder / "layouts")) {
    EXPECT_TRUE(checked.contains(entry.path().stem().string())) << entry.path();
  }
}

}  // namespace
