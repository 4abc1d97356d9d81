// What a key row puts into a layer table, and the queue of writes that wait for their task.

#include <gtest/gtest.h>

#include "keys/KeyWrites.h"

namespace {

using keys::PendingKeyWrite;
using Kind = keys::PendingKeyWrite::Kind;
using protocol::KeyEntry;

storage::KeyAssignmentRecord Row(int code, int type, int value, int value2 = 0, int value3 = 0) {
  storage::KeyAssignmentRecord row;
  row.key_code = code;
  row.macro_type = type;
  row.macro_value = value;
  row.macro_value2 = value2;
  row.macro_value3 = value3;
  return row;
}

TEST(LayerEntryTest, RowsThatNameNoKeyKeepTheFactoryEntry) {
  const std::vector<int> macros = {7, 9};
  const struct {
    storage::KeyAssignmentRecord row;
    std::optional<KeyEntry> entry;
  } cases[] = {
      // The rows new profiles are seeded with on layers 1 to 3, and for the Fn and media keys.
      {Row(0x3A, 2, 0, 0), std::nullopt},
      {Row(0xF0, 2, 0xF0, 0), std::nullopt},
      {Row(0xD1, 2, 0xD1, 0), std::nullopt},
      {Row(4, 2, 300, 0x01), std::nullopt},
      {Row(4, 2, 4, 0x100), std::nullopt},
      {Row(4, 0, 4, 0), std::nullopt},
      // Keys, modifiers and modifiers alone.
      {Row(4, 2, 0x04, 0x02), KeyEntry{0x10, 0x02, 0x04}},
      {Row(4, 2, 0xE1, 0), KeyEntry{0x10, 0x02, 0x00}},
      {Row(4, 2, 0, 0x03), KeyEntry{0x10, 0x03, 0x00}},
      {Row(4, 2, 0xA4, 0), KeyEntry{0x10, 0x00, 0xA4}},
      // Other types as the key entry codec writes them.
      {Row(4, 7, 155), KeyEntry{0x10, 0x01, 0x06}},
      {Row(4, 12, 74), KeyEntry{0x50, 0x4A, 0x00}},
      {Row(4, 3, 9, 0, 5), KeyEntry{0x61, 0x01, 0x05}},
      {Row(4, 3, 8, 0, 0), KeyEntry{0x00, 0x00, 0x00}},  // a macro that is gone
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keys::LayerEntryOf(c.row, macros), c.entry)
        << c.row.macro_type << "/" << c.row.macro_value << "/" << c.row.macro_value2;
  }
}

TEST(LayerEntryTest, ALayerIsItsFactoryTableWithTheRowsThatNameSomething) {
  protocol::LayerTable factory{};
  for (std::size_t i = 0; i < factory.size(); ++i)
    factory[i] = static_cast<std::uint8_t>(i % 7 + 1);
  protocol::KeyIndexMap keys;
  keys.Add(10, 0x04);  // A
  keys.Add(11, 0x05);  // B
  keys.Add(12, 0xF0);  // Fn
  const storage::KeyAssignmentRecord rows[] = {
      Row(0x04, 6, 104),      // A plays volume up
      Row(0x05, 2, 0, 0),     // B: a seeded row of an upper layer
      Row(0xF0, 2, 0xF0, 0),  // the Fn key's seeded row
      Row(0x06, 2, 0x06, 0),  // C: no key index on this keyboard
  };
  const protocol::LayerTable table = keys::BuildLayerTable(factory, rows, keys, {});
  protocol::LayerTable expected = factory;
  protocol::StoreEntry(expected, 10, {0x30, 0xE9, 0x00});
  EXPECT_EQ(table, expected);
}

TEST(PendingWritesTest, OneTaskIsQueuedForAnyNumberOfWrites) {
  keys::PendingWrites<PendingKeyWrite> writes;
  EXPECT_TRUE(writes.Add({Kind::kKey, 101, 1, 0, 4}));
  EXPECT_FALSE(writes.Add({Kind::kKey, 101, 1, 1, 5}));
  EXPECT_FALSE(writes.Add({Kind::kKey, 101, 1, 0, 4}));  // the same key again: one write
  EXPECT_EQ(writes.TakeAll(),
            (std::vector<PendingKeyWrite>{{Kind::kKey, 101, 1, 1, 5}, {Kind::kKey, 101, 1, 0, 4}}));
  // A change made while the task runs needs a task of its own, once the first has finished.
  EXPECT_FALSE(writes.Add({Kind::kKey, 101, 1, 2, 6}));
  EXPECT_TRUE(writes.Finish());
  EXPECT_EQ(writes.TakeAll().size(), 1u);
  EXPECT_FALSE(writes.Finish());
  EXPECT_TRUE(writes.Add({Kind::kKey, 101, 1, 0, 4}));
}

TEST(PendingWritesTest, WritesOfADroppedTaskGoWithIt) {
  keys::PendingWrites<PendingKeyWrite> writes;
  EXPECT_TRUE(writes.Add({Kind::kKey, 101, 1, 0, 4}));
  EXPECT_FALSE(writes.Add({Kind::kRestoreLayer, 101, 1, 2, 0}));
  std::size_t dropped = 0;
  EXPECT_FALSE(writes.Finish(&dropped));
  EXPECT_EQ(dropped, 2u);
  EXPECT_TRUE(writes.Waiting().empty());
  EXPECT_TRUE(writes.Add({Kind::kKey, 101, 1, 0, 4}));
}

TEST(PendingWritesTest, WholeWritesSupersedeWhatTheyCover) {
  keys::PendingWrites<PendingKeyWrite> writes;
  writes.Add({Kind::kKey, 101, 1, 0, 4});
  writes.Add({Kind::kKey, 101, 1, 1, 4});
  writes.Add({Kind::kKey, 101, 2, 1, 5});
  writes.Add({Kind::kRestoreLayer, 101, 1, 1, 0});
  EXPECT_EQ(writes.Waiting(), (std::vector<PendingKeyWrite>{{Kind::kKey, 101, 1, 0, 4},
                                                            {Kind::kRestoreLayer, 101, 1, 1, 0}}));
  writes.Add({Kind::kKey, 101, 1, 1, 7});  // after the restore: it stays
  writes.Add({Kind::kAllLayers, 101, 1, 0, 0});
  EXPECT_EQ(writes.Waiting(), (std::vector<PendingKeyWrite>{{Kind::kAllLayers, 101, 1, 0, 0}}));
}

}  // namespace
