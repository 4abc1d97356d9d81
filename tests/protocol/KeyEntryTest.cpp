#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "protocol/KeyEntry.h"

namespace {

using protocol::KeyEntry;
using protocol::KeyFunction;
namespace ft = protocol::function_type;

const std::vector<int> kNoMacros;

std::optional<KeyEntry> Encode(const KeyFunction& function,
                               const std::vector<int>& macroIds = kNoMacros) {
  return protocol::EncodeKeyFunction(function, macroIds);
}

std::optional<KeyFunction> Decode(const KeyEntry& entry,
                                  const std::vector<int>& macroIds = kNoMacros) {
  return protocol::DecodeKeyEntry(entry, macroIds);
}

std::string Describe(const std::optional<KeyEntry>& entry) {
  if (!entry) return "(not written)";
  char text[32];
  std::snprintf(text, sizeof text, "%02X %02X %02X", entry->type, entry->first, entry->second);
  return text;
}

struct ValueBytes {
  int value;
  KeyEntry entry;
};

// The tables as the keyboard documents them, independent of the encoder's own tables.
const std::vector<ValueBytes> kMouseTable = {
    {90, {0x40, 0x00, 0x01}}, {91, {0x40, 0x00, 0x04}}, {92, {0x40, 0x00, 0x02}},
    {94, {0x40, 0x00, 0x10}}, {95, {0x40, 0x00, 0x08}}, {96, {0x40, 0x05, 0x01}},
    {97, {0x40, 0x06, 0x01}},
};
const std::vector<ValueBytes> kMediaTable = {
    {100, {0x30, 0xCD, 0x00}}, {101, {0x30, 0xB7, 0x00}}, {102, {0x30, 0xB6, 0x00}},
    {103, {0x30, 0xB5, 0x00}}, {104, {0x30, 0xE9, 0x00}}, {105, {0x30, 0xEA, 0x00}},
    {106, {0x30, 0xE2, 0x00}}, {110, {0x30, 0x83, 0x01}}, {111, {0x30, 0x6F, 0x00}},
    {112, {0x30, 0x70, 0x00}}, {113, {0x30, 0x94, 0x01}}, {114, {0x30, 0x92, 0x01}},
    {115, {0x30, 0x8A, 0x01}}, {116, {0x30, 0x23, 0x02}}, {117, {0x30, 0x27, 0x02}},
    {118, {0x30, 0x26, 0x02}}, {119, {0x30, 0x24, 0x02}}, {120, {0x30, 0x25, 0x02}},
    {121, {0x30, 0x2A, 0x02}}, {122, {0x30, 0x21, 0x02}},
};
const std::vector<ValueBytes> kShortcutTable = {
    {150, {0x10, 0x08, 0x07}}, {151, {0x10, 0x08, 0x08}}, {152, {0x10, 0x08, 0x0F}},
    {153, {0x10, 0x01, 0x1A}}, {154, {0x10, 0x04, 0x2B}}, {155, {0x10, 0x01, 0x06}},
    {156, {0x10, 0x01, 0x19}}, {157, {0x10, 0x01, 0x1B}}, {158, {0x10, 0x01, 0x16}},
    {159, {0x10, 0x01, 0x12}}, {160, {0x10, 0x01, 0x11}},
};
const std::vector<ValueBytes> kSystemShortcutTable = {
    {161, {0x02, 0x02, 0x00}},
    {162, {0x02, 0x01, 0x00}},
    {163, {0x02, 0x03, 0x00}},
};

TEST(ProtocolKeyEntry, MouseMediaAndShortcutTablesEncodeAndDecode) {
  const struct {
    int type;
    const std::vector<ValueBytes>* table;
    bool decodesToSameType;
  } tables[] = {{ft::kMouse, &kMouseTable, true},
                {ft::kMedia, &kMediaTable, true},
                {ft::kShortcut, &kShortcutTable, false},
                {ft::kShortcut, &kSystemShortcutTable, true}};
  for (const auto& t : tables) {
    for (const ValueBytes& row : *t.table) {
      const KeyFunction function{t.type, row.value, 0, 0};
      EXPECT_EQ(Describe(Encode(function)), Describe(row.entry)) << t.type << "/" << row.value;
      const auto decoded = Decode(row.entry);
      ASSERT_TRUE(decoded) << Describe(row.entry);
      if (t.decodesToSameType) {
        EXPECT_EQ(*decoded, function) << Describe(row.entry);
      } else {
        // A shortcut comes back as the key combination it sends, which encodes the same way.
        EXPECT_EQ(decoded->type, ft::kKeyboardKey);
        EXPECT_EQ(Encode(*decoded), row.entry) << row.value;
      }
    }
  }
}

TEST(ProtocolKeyEntry, UnknownTableValuesWriteTheirTypesEmptyEntry) {
  const struct {
    KeyFunction function;
    KeyEntry entry;
  } cases[] = {
      {{ft::kMouse, 93, 0, 0}, {0x40, 0x00, 0x00}},
      {{ft::kMedia, 107, 0, 0}, {0x30, 0x00, 0x00}},
      {{ft::kMedia, -1, 0, 0}, {0x30, 0x00, 0x00}},
      {{ft::kShortcut, 149, 0, 0}, {0x10, 0x00, 0x00}},
      {{ft::kShortcut, 164, 0, 0}, {0x10, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encode(c.function), c.entry) << c.function.type << "/" << c.function.value;
  }
}

TEST(ProtocolKeyEntry, KeyboardKeysCarryUsageAndModifiers) {
  const struct {
    KeyFunction function;
    KeyEntry entry;
  } cases[] = {
      {{ft::kKeyboardKey, 0x04, 0x02, 0}, {0x10, 0x02, 0x04}},  // Shift+A
      {{ft::kKeyboardKey, 0x04, 0x00, 0}, {0x10, 0x00, 0x04}},  // A
      {{ft::kKeyboardKey, 0xE1, 0x00, 0}, {0x10, 0x02, 0x00}},  // Left Shift alone
      {{ft::kKeyboardKey, 0xE0, 0x00, 0}, {0x10, 0x01, 0x00}},
      {{ft::kKeyboardKey, 0xE2, 0x00, 0}, {0x10, 0x04, 0x00}},
      {{ft::kKeyboardKey, 0xE3, 0x00, 0}, {0x10, 0x08, 0x00}},
      {{ft::kKeyboardKey, 0xE4, 0x00, 0}, {0x10, 0x10, 0x00}},
      {{ft::kKeyboardKey, 0xE5, 0x00, 0}, {0x10, 0x20, 0x00}},
      {{ft::kKeyboardKey, 0xE6, 0x00, 0}, {0x10, 0x40, 0x00}},
      {{ft::kKeyboardKey, 0xE7, 0x00, 0}, {0x10, 0x80, 0x00}},
      // A modifier with other modifiers joins the mask; the usage byte stays free.
      {{ft::kKeyboardKey, 0xE1, 0x01, 0}, {0x10, 0x03, 0x00}},
      {{ft::kKeyboardKey, 0xE1, 0x02, 0}, {0x10, 0x02, 0x00}},
      // Modifiers only (no key captured).
      {{ft::kKeyboardKey, 0x00, 0x03, 0}, {0x10, 0x03, 0x00}},
      // Values that cannot be a usage or a mask count as none.
      {{ft::kKeyboardKey, 300, 0x01, 0}, {0x10, 0x01, 0x00}},
      {{ft::kKeyboardKey, 0x04, 0x100, 0}, {0x10, 0x00, 0x04}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(Encode(c.function)), Describe(c.entry))
        << c.function.value << "/" << c.function.value2;
  }
}

TEST(ProtocolKeyEntry, KeyEntriesDecodeToUsageAndMask) {
  const struct {
    KeyEntry entry;
    std::optional<KeyFunction> function;
  } cases[] = {
      {{0x10, 0x02, 0x04}, KeyFunction{ft::kKeyboardKey, 0x04, 0x02, 0}},
      {{0x10, 0x01, 0x06}, KeyFunction{ft::kKeyboardKey, 0x06, 0x01, 0}},  // Ctrl+C
      {{0x10, 0x02, 0x00}, KeyFunction{ft::kKeyboardKey, 0xE1, 0, 0}},
      {{0x10, 0x80, 0x00}, KeyFunction{ft::kKeyboardKey, 0xE7, 0, 0}},
      {{0x10, 0x03, 0x00}, KeyFunction{ft::kKeyboardKey, 0, 0x03, 0}},
      {{0x10, 0x00, 0x00}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.entry), c.function) << Describe(c.entry);
}

TEST(ProtocolKeyEntry, FixedSpecialAndKeyboardFunctionEntries) {
  const struct {
    KeyFunction function;
    std::optional<KeyEntry> entry;
  } cases[] = {
      {{ft::kFixed, 0, 0, 0}, KeyEntry{0x05, 0x03, 0x00}},
      {{ft::kSpecial, 7, 0, 0}, KeyEntry{0x05, 0x02, 0x07}},
      {{9, 0x33, 0, 0}, KeyEntry{0x05, 0x02, 0x33}},
      {{ft::kLastSpecial, 0xFF, 0, 0}, KeyEntry{0x05, 0x02, 0xFF}},
      {{ft::kKeyboardFunction, 74, 0, 0}, KeyEntry{0x50, 0x4A, 0x00}},
      {{ft::kKeyboardFunction, 2, 0, 0}, KeyEntry{0x50, 0x02, 0x00}},
      {{ft::kUnused, 5, 5, 5}, KeyEntry{0x00, 0x00, 0x00}},
      {{ft::kDefault, 4, 0, 0}, std::nullopt},
      {{13, 4, 0, 0}, std::nullopt},
      {{-1, 4, 0, 0}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(Encode(c.function)), Describe(c.entry)) << c.function.type;
  }
  EXPECT_EQ(Decode({0x05, 0x03, 0x99}), (KeyFunction{ft::kFixed, 0, 0, 0}));
  EXPECT_EQ(Decode({0x05, 0x02, 0x07}), (KeyFunction{ft::kSpecial, 7, 0, 0}));
  EXPECT_EQ(Decode({0x50, 0x4A, 0x00}), (KeyFunction{ft::kKeyboardFunction, 74, 0, 0}));
  EXPECT_EQ(Decode({0x50, 0x4B, 0x12}), (KeyFunction{ft::kKeyboardFunction, 75, 0, 0}));
}

TEST(ProtocolKeyEntry, EntriesThatNameNothingDecodeToNoFunction) {
  const KeyEntry nothing[] = {
      {0x00, 0x00, 0x00}, {0x05, 0x04, 0x00}, {0x02, 0x04, 0x00}, {0x02, 0x00, 0x00},
      {0x30, 0x00, 0x00}, {0x30, 0xCE, 0x00}, {0x40, 0x03, 0x01}, {0x40, 0x00, 0x20},
      {0x40, 0x00, 0x00}, {0x70, 0x01, 0x01}, {0xFF, 0xFF, 0xFF},
  };
  for (const KeyEntry& entry : nothing) EXPECT_FALSE(Decode(entry)) << Describe(entry);
}

TEST(ProtocolKeyEntry, MacrosTravelByTheirListPosition) {
  const std::vector<int> macros = {7, 3, 12};
  const struct {
    KeyFunction function;
    KeyEntry entry;
  } cases[] = {
      {{ft::kMacro, 3, 2, 0}, {0x60, 0x01, 0x02}},   // play mode 2
      {{ft::kMacro, 12, 0, 1}, {0x60, 0x02, 0x00}},  // once
      {{ft::kMacro, 12, 0, 0}, {0x60, 0x02, 0x00}},
      {{ft::kMacro, 7, 0, 5}, {0x61, 0x00, 0x05}},    // repeated five times
      {{ft::kMacro, 7, 0, 300}, {0x61, 0x00, 0xFF}},  // as often as the byte allows
      {{ft::kMacro, 7, 1, 5}, {0x60, 0x00, 0x01}},    // the play mode wins over a stale count
      {{ft::kMacro, 99, 1, 0}, {0x00, 0x00, 0x00}},   // no such macro
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(Encode(c.function, macros)), Describe(c.entry)) << c.function.value;
  }
}

TEST(ProtocolKeyEntry, MacrosBeyondTheLastBytePositionAreNotWritten) {
  std::vector<int> many(300);
  std::iota(many.begin(), many.end(), 1);
  EXPECT_EQ(Encode({ft::kMacro, 256, 1, 0}, many), (KeyEntry{0x60, 0xFF, 0x01}));
  EXPECT_EQ(Encode({ft::kMacro, 257, 1, 0}, many), (KeyEntry{0x00, 0x00, 0x00}));
}

TEST(ProtocolKeyEntry, MacroEntriesDecodeTheirPlayModeOrRepeatCount) {
  const std::vector<int> macros = {7, 3, 12};
  EXPECT_EQ(Decode({0x60, 0x01, 0x02}, macros), (KeyFunction{ft::kMacro, 3, 2, 0}));
  EXPECT_EQ(Decode({0x61, 0x00, 0x05}, macros), (KeyFunction{ft::kMacro, 7, 0, 5}));
  // A position past the list names the id one above it.
  EXPECT_EQ(Decode({0x60, 0x05, 0x00}, macros), (KeyFunction{ft::kMacro, 6, 0, 0}));
  EXPECT_EQ(Decode({0x60, 0xFF, 0x00}, kNoMacros), (KeyFunction{ft::kMacro, 256, 0, 0}));
}

TEST(ProtocolKeyEntry, EveryEncodableFunctionRoundTrips) {
  const std::vector<int> macros = {4, 9, 2};
  std::vector<KeyFunction> functions = {{ft::kFixed, 0, 0, 0}};
  for (int usage = 1; usage <= 0xFF; ++usage) {
    const bool modifier = usage >= 0xE0 && usage <= 0xE7;
    functions.push_back({ft::kKeyboardKey, usage, 0, 0});
    if (!modifier) functions.push_back({ft::kKeyboardKey, usage, 0x05, 0});
  }
  for (int mask = 1; mask <= 0xFF; ++mask) {
    if ((mask & (mask - 1)) != 0) functions.push_back({ft::kKeyboardKey, 0, mask, 0});
  }
  for (const auto& row : kMouseTable) functions.push_back({ft::kMouse, row.value, 0, 0});
  for (const auto& row : kMediaTable) functions.push_back({ft::kMedia, row.value, 0, 0});
  for (const auto& row : kSystemShortcutTable)
    functions.push_back({ft::kShortcut, row.value, 0, 0});
  for (int code = 0; code <= 0xFF; ++code) {
    functions.push_back({ft::kKeyboardFunction, code, 0, 0});
    functions.push_back({ft::kSpecial, code, 0, 0});
  }
  for (int id : macros) {
    for (int mode = 1; mode <= 3; ++mode) functions.push_back({ft::kMacro, id, mode, 0});
    for (int count : {0, 2, 255}) functions.push_back({ft::kMacro, id, 0, count});
  }
  for (const KeyFunction& function : functions) {
    const auto entry = Encode(function, macros);
    ASSERT_TRUE(entry) << function.type << "/" << function.value;
    EXPECT_EQ(Decode(*entry, macros), function) << function.type << "/" << function.value << "/"
                                                << function.value2 << " via " << Describe(entry);
  }
}

TEST(ProtocolKeyEntry, ModifierBitsAndUsages) {
  for (int bit = 0; bit < 8; ++bit) {
    EXPECT_EQ(protocol::ModifierBitOfUsage(0xE0 + bit), 1 << bit);
    EXPECT_EQ(protocol::ModifierUsageOfBit(static_cast<std::uint8_t>(1 << bit)), 0xE0 + bit);
  }
  EXPECT_FALSE(protocol::ModifierBitOfUsage(0xDF));
  EXPECT_FALSE(protocol::ModifierBitOfUsage(0xE8));
  EXPECT_FALSE(protocol::ModifierBitOfUsage(4));
  EXPECT_FALSE(protocol::ModifierUsageOfBit(0));
  EXPECT_FALSE(protocol::ModifierUsageOfBit(0x03));
}

}  // namespace
