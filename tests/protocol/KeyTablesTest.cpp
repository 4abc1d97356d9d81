#include <gtest/gtest.h>

#include <vector>

#include "protocol/KeyTables.h"

namespace {

using protocol::KeyEntry;
using protocol::LayerTable;

void Put(LayerTable& table, int keyIndex, KeyEntry entry) {
  ASSERT_TRUE(protocol::StoreEntry(table, keyIndex, entry));
}

TEST(ProtocolLayerTable, EntriesSitThreeBytesPerKeyIndex) {
  LayerTable table{};
  Put(table, 0, {0x10, 0x00, 0x29});
  Put(table, 127, {0x50, 0x02, 0x00});
  EXPECT_EQ(table[0], 0x10);
  EXPECT_EQ(table[2], 0x29);
  EXPECT_EQ(table[381], 0x50);
  EXPECT_EQ(table[382], 0x02);
  EXPECT_EQ(protocol::EntryAt(table, 127), (KeyEntry{0x50, 0x02, 0x00}));
  EXPECT_EQ(protocol::EntryOffset(0), 0);
  EXPECT_EQ(protocol::EntryOffset(127), 381);
}

TEST(ProtocolLayerTable, IndicesOutsideTheTableNameNoKey) {
  LayerTable table{};
  const LayerTable before = table;
  for (int bad : {-1, 128, 255, 1000}) {
    EXPECT_FALSE(protocol::EntryAt(table, bad)) << bad;
    EXPECT_FALSE(protocol::StoreEntry(table, bad, {1, 2, 3})) << bad;
    EXPECT_FALSE(protocol::EntryOffset(bad)) << bad;
  }
  EXPECT_EQ(table, before);
  std::vector<std::uint8_t> shortTable(10, 0);
  EXPECT_TRUE(protocol::EntryAt(shortTable, 2));
  EXPECT_FALSE(protocol::EntryAt(shortTable, 3));
  EXPECT_FALSE(protocol::StoreEntry(shortTable, 3, {1, 2, 3}));
}

TEST(ProtocolFactoryCodes, EntriesGiveTheirKeysACode) {
  const struct {
    KeyEntry entry;
    std::optional<int> code;
  } cases[] = {
      {{0x10, 0x00, 0x04}, 0x04},
      {{0x10, 0x02, 0x00}, 0xE1},
      {{0x10, 0x80, 0x00}, 0xE7},
      {{0x10, 0x01, 0x06}, 0xE0},  // a single modifier bit decides
      {{0x10, 0x03, 0x06}, 0x06},
      {{0x10, 0x03, 0x00}, std::nullopt},
      {{0x10, 0x00, 0x00}, std::nullopt},
      {{0x50, 0x02, 0x00}, 0xF0},
      {{0x50, 0x03, 0x00}, std::nullopt},
      {{0x30, 0xE2, 0x00}, std::nullopt},
      {{0x00, 0x00, 0x00}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(protocol::FactoryKeyCode(c.entry), c.code)
        << int(c.entry.type) << " " << int(c.entry.first) << " " << int(c.entry.second);
  }
}

TEST(ProtocolKeyIndexMap, BuiltFromTheFactoryLayerWithFnAndFixedMediaKeys) {
  LayerTable table{};
  Put(table, 0, {0x10, 0x00, 0x29});  // Esc
  Put(table, 5, {0x10, 0x02, 0x00});  // Left Shift
  Put(table, 9, {0x50, 0x02, 0x00});  // Fn
  Put(table, 10, {0x30, 0x92, 0x01});
  Put(table, 11, {0x30, 0xE2, 0x00});
  Put(table, 12, {0x30, 0xEA, 0x00});
  Put(table, 13, {0x30, 0xE9, 0x00});
  Put(table, 14, {0x30, 0xCD, 0x00});  // other media keys get no code
  const protocol::KeyIndexMap map = protocol::BuildKeyIndexMap(table);
  const struct {
    int index, code;
  } pairs[] = {{0, 0x29}, {5, 0xE1}, {9, 0xF0}, {88, 0xD1}, {83, 0xD2}, {86, 0xD3}, {84, 0xD4}};
  for (const auto& p : pairs) {
    EXPECT_EQ(map.CodeAt(p.index), p.code) << p.index;
    EXPECT_EQ(map.IndexOf(p.code), p.index) << p.code;
  }
  for (int none : {1, 10, 11, 14, 127}) EXPECT_FALSE(map.CodeAt(none)) << none;
  EXPECT_FALSE(map.IndexOf(0xCD));
  EXPECT_FALSE(map.IndexOf(-1));
  EXPECT_FALSE(map.IndexOf(256));
  EXPECT_FALSE(map.CodeAt(128));
  EXPECT_FALSE(map.CodeAt(-1));
}

TEST(ProtocolKeyIndexMap, OutOfRangeMappingsAreIgnored) {
  protocol::KeyIndexMap map;
  map.Add(128, 4);
  map.Add(-1, 4);
  map.Add(3, 256);
  map.Add(3, -1);
  EXPECT_FALSE(map.IndexOf(4));
  EXPECT_FALSE(map.CodeAt(3));
  map.Add(3, 4);
  EXPECT_EQ(map.IndexOf(4), 3);
  map.Clear();
  EXPECT_FALSE(map.CodeAt(3));
}

// A factory table whose calculator entry stands elsewhere while a key holds the calculator's
// fixed index: the key's code must not keep pointing at the calculator.
TEST(ProtocolKeyIndexMap, StaysOneToOneWhenAMappingIsReplaced) {
  LayerTable table{};
  Put(table, 5, {0x10, 0x00, 0x04});
  Put(table, 88, {0x10, 0x00, 0x05});
  Put(table, 100, {0x30, 0x92, 0x01});  // calculator: index 88, code 0xD1
  const protocol::KeyIndexMap keys = protocol::BuildKeyIndexMap(table);
  EXPECT_EQ(keys.CodeAt(88), 0xD1);
  EXPECT_EQ(keys.IndexOf(0xD1), 88);
  EXPECT_FALSE(keys.IndexOf(0x05));
  EXPECT_EQ(keys.IndexOf(0x04), 5);

  protocol::KeyIndexMap later;
  later.Add(3, 4);
  later.Add(7, 4);  // the code moves on: index 3 keeps no code
  EXPECT_EQ(later.IndexOf(4), 7);
  EXPECT_FALSE(later.CodeAt(3));

  protocol::LightIndexTable lights;
  lights.fill(0xFF);
  lights[5] = 9;
  lights[88] = 9;  // two keys on one light: the later one owns it
  const protocol::LightIndexMap map = protocol::BuildLightIndexMap(lights, keys);
  EXPECT_EQ(map.CodeAt(9), 0xD1);
  EXPECT_EQ(map.LightOf(0xD1), 9);
  EXPECT_FALSE(map.LightOf(0x04));
}

TEST(ProtocolLightIndexMap, MapsKeysThatHaveACodeAndALight) {
  protocol::KeyIndexMap keys;
  keys.Add(0, 0x29);
  keys.Add(1, 0x04);
  keys.Add(2, 0x05);
  protocol::LightIndexTable table;
  table.fill(0xFF);
  table[0] = 0;
  table[1] = 200;  // light indices beyond the colour tables are still mapped
  table[3] = 9;    // key index without a code
  const protocol::LightIndexMap map = protocol::BuildLightIndexMap(table, keys);
  EXPECT_EQ(map.LightOf(0x29), 0);
  EXPECT_EQ(map.CodeAt(0), 0x29);
  EXPECT_EQ(map.LightOf(0x04), 200);
  EXPECT_EQ(map.CodeAt(200), 0x04);
  EXPECT_FALSE(map.LightOf(0x05));
  EXPECT_FALSE(map.CodeAt(9));
  EXPECT_FALSE(map.CodeAt(0xFF));
  EXPECT_FALSE(map.LightOf(300));
  EXPECT_FALSE(map.CodeAt(-3));
  const auto fromShort = protocol::BuildLightIndexMap(std::vector<std::uint8_t>{5}, keys);
  EXPECT_EQ(fromShort.LightOf(0x29), 5);
  EXPECT_FALSE(fromShort.LightOf(0x04));
}

TEST(ProtocolKnobIndices, ThreeActionsWithinTheKeyRange) {
  std::vector<std::uint8_t> table(56, 0xEE);
  table[0] = 14, table[1] = 127, table[2] = 128;
  const protocol::KnobIndices indices = protocol::ParseKnobIndices(table);
  EXPECT_EQ(indices[0], 14);
  EXPECT_EQ(indices[1], 127);
  EXPECT_FALSE(indices[2]);
  const protocol::KnobIndices cut = protocol::ParseKnobIndices(std::vector<std::uint8_t>{3});
  EXPECT_EQ(cut[0], 3);
  EXPECT_FALSE(cut[1]);
  EXPECT_FALSE(cut[2]);
}

}  // namespace
