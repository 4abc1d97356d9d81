#pragma once
// Tables the keyboard keeps per key index: the layer tables (one key entry per key index),
// the key index to light index table and the knob's key indices; and the maps built from them
// between key indices, key codes and light indices. Key indices run 0..127; key codes and
// light indices are bytes (0..255). Anything outside those ranges names no key.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "protocol/Commands.h"
#include "protocol/KeyEntry.h"

namespace protocol {

using LayerTable = std::array<std::uint8_t, kLayerTableLength>;
using LightIndexTable = std::array<std::uint8_t, kLightIndexTableLength>;

inline constexpr std::uint8_t kNoLightIndex = 0xFF;
inline constexpr int kCodeCount = 256;

bool IsKeyIndex(int keyIndex);

// The entry of a key index; empty when the index is outside 0..127 or the table too short.
std::optional<KeyEntry> EntryAt(std::span<const std::uint8_t> table, int keyIndex);
// Stores an entry; false (and nothing written) under the same conditions.
bool StoreEntry(std::span<std::uint8_t> table, int keyIndex, const KeyEntry& entry);
// Offset of a key index's entry in its layer table (for single-entry writes).
std::optional<std::uint16_t> EntryOffset(int keyIndex);

// The key code a factory entry of layer 0 gives its key: the usage of a key entry (a single
// modifier bit gives the modifier's usage), 0xF0 for the Fn key; empty for every other entry.
std::optional<int> FactoryKeyCode(const KeyEntry& entry);

// Media keys whose factory entry fixes both the key index and the code, wherever the entry
// stands in the table.
struct FixedMediaKey {
  KeyEntry entry;
  int keyIndex;
  int keyCode;
};
std::span<const FixedMediaKey> FixedMediaKeys();

// Key index <-> key code, both ways.
class KeyIndexMap {
 public:
  KeyIndexMap();
  void Clear();
  // Maps both ways; ignored when either side is out of range. The map stays one-to-one: a
  // later mapping of the same index or code replaces the earlier one, and the code or index
  // that loses its partner maps to nothing.
  void Add(int keyIndex, int keyCode);
  std::optional<int> CodeAt(int keyIndex) const;
  std::optional<int> IndexOf(int keyCode) const;

 private:
  std::array<int, kKeyIndexCount> codeByIndex_;
  std::array<int, kCodeCount> indexByCode_;
};

// The maps of the factory table of layer 0; a short table contributes the entries it holds.
KeyIndexMap BuildKeyIndexMap(std::span<const std::uint8_t> factoryLayer0);

// Key code <-> light index, both ways, for keys that have a key code.
class LightIndexMap {
 public:
  LightIndexMap();
  void Clear();
  // One-to-one as KeyIndexMap::Add.
  void Add(int keyCode, int lightIndex);
  std::optional<int> LightOf(int keyCode) const;
  std::optional<int> CodeAt(int lightIndex) const;

 private:
  std::array<int, kCodeCount> lightByCode_;
  std::array<int, kCodeCount> codeByLight_;
};

// Byte i of the table is the light index of key index i (0xFF: none).
LightIndexMap BuildLightIndexMap(std::span<const std::uint8_t> lightIndexTable,
                                 const KeyIndexMap& keys);

// The knob's three actions and the key indices the keyboard gives them (bytes 0, 1 and 2 of
// its table); an index outside 0..127 names no key.
inline constexpr int kKnobActionCount = 3;
using KnobIndices = std::array<std::optional<int>, kKnobActionCount>;
KnobIndices ParseKnobIndices(std::span<const std::uint8_t> table);

}  // namespace protocol
