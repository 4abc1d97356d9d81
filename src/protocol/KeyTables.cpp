#include "protocol/KeyTables.h"

#include <algorithm>
#include <array>

namespace protocol {
namespace {

constexpr int kNone = -1;

constexpr std::array kFixedMediaKeys{
    FixedMediaKey{{entry_type::kMedia, 0x92, 0x01}, 88, 0xD1},
    FixedMediaKey{{entry_type::kMedia, 0xE2, 0x00}, 83, 0xD2},
    FixedMediaKey{{entry_type::kMedia, 0xEA, 0x00}, 86, 0xD3},
    FixedMediaKey{{entry_type::kMedia, 0xE9, 0x00}, 84, 0xD4},
};

bool IsCode(int code) {
  return code >= 0 && code < kCodeCount;
}

std::optional<int> Present(int value) {
  if (value == kNone) return std::nullopt;
  return value;
}

}  // namespace

bool IsKeyIndex(int keyIndex) {
  return keyIndex >= 0 && keyIndex < static_cast<int>(kKeyIndexCount);
}

std::optional<KeyEntry> EntryAt(std::span<const std::uint8_t> table, int keyIndex) {
  if (!IsKeyIndex(keyIndex)) return std::nullopt;
  const std::size_t at = static_cast<std::size_t>(keyIndex) * kKeyEntryLength;
  if (at + kKeyEntryLength > table.size()) return std::nullopt;
  return KeyEntry{table[at], table[at + 1], table[at + 2]};
}

bool StoreEntry(std::span<std::uint8_t> table, int keyIndex, const KeyEntry& entry) {
  if (!IsKeyIndex(keyIndex)) return false;
  const std::size_t at = static_cast<std::size_t>(keyIndex) * kKeyEntryLength;
  if (at + kKeyEntryLength > table.size()) return false;
  table[at] = entry.type;
  table[at + 1] = entry.first;
  table[at + 2] = entry.second;
  return true;
}

std::optional<std::uint16_t> EntryOffset(int keyIndex) {
  if (!IsKeyIndex(keyIndex)) return std::nullopt;
  return static_cast<std::uint16_t>(keyIndex * kKeyEntryLength);
}

std::optional<int> FactoryKeyCode(const KeyEntry& entry) {
  if (entry.type == entry_type::kKey) {
    if (const auto modifier = ModifierUsageOfBit(entry.first)) return modifier;
    if (entry.second != 0) return entry.second;
    return std::nullopt;
  }
  if (entry.type == entry_type::kKeyboardFunction && entry.first == kFnFunctionCode) {
    return kFnKeyCode;
  }
  return std::nullopt;
}

std::span<const FixedMediaKey> FixedMediaKeys() {
  return kFixedMediaKeys;
}

KeyIndexMap::KeyIndexMap() {
  Clear();
}

void KeyIndexMap::Clear() {
  codeByIndex_.fill(kNone);
  indexByCode_.fill(kNone);
}

void KeyIndexMap::Add(int keyIndex, int keyCode) {
  if (!IsKeyIndex(keyIndex) || !IsCode(keyCode)) return;
  // The index's former code and the code's former index lose their partner, so that an
  // assignment for a code never goes to a key index that now has another code.
  if (codeByIndex_[keyIndex] != kNone) indexByCode_[codeByIndex_[keyIndex]] = kNone;
  if (indexByCode_[keyCode] != kNone) codeByIndex_[indexByCode_[keyCode]] = kNone;
  codeByIndex_[keyIndex] = keyCode;
  indexByCode_[keyCode] = keyIndex;
}

std::optional<int> KeyIndexMap::CodeAt(int keyIndex) const {
  if (!IsKeyIndex(keyIndex)) return std::nullopt;
  return Present(codeByIndex_[keyIndex]);
}

std::optional<int> KeyIndexMap::IndexOf(int keyCode) const {
  if (!IsCode(keyCode)) return std::nullopt;
  return Present(indexByCode_[keyCode]);
}

KeyIndexMap BuildKeyIndexMap(std::span<const std::uint8_t> factoryLayer0) {
  KeyIndexMap map;
  for (int i = 0; i < static_cast<int>(kKeyIndexCount); ++i) {
    const auto entry = EntryAt(factoryLayer0, i);
    if (!entry) break;
    if (const auto code = FactoryKeyCode(*entry)) map.Add(i, *code);
    for (const FixedMediaKey& fixed : kFixedMediaKeys) {
      if (fixed.entry == *entry) map.Add(fixed.keyIndex, fixed.keyCode);
    }
  }
  return map;
}

LightIndexMap::LightIndexMap() {
  Clear();
}

void LightIndexMap::Clear() {
  lightByCode_.fill(kNone);
  codeByLight_.fill(kNone);
}

void LightIndexMap::Add(int keyCode, int lightIndex) {
  if (!IsCode(keyCode) || !IsCode(lightIndex)) return;
  // One-to-one, as KeyIndexMap: a colour for a code never lands on another key's light.
  if (lightByCode_[keyCode] != kNone) codeByLight_[lightByCode_[keyCode]] = kNone;
  if (codeByLight_[lightIndex] != kNone) lightByCode_[codeByLight_[lightIndex]] = kNone;
  lightByCode_[keyCode] = lightIndex;
  codeByLight_[lightIndex] = keyCode;
}

std::optional<int> LightIndexMap::LightOf(int keyCode) const {
  if (!IsCode(keyCode)) return std::nullopt;
  return Present(lightByCode_[keyCode]);
}

std::optional<int> LightIndexMap::CodeAt(int lightIndex) const {
  if (!IsCode(lightIndex)) return std::nullopt;
  return Present(codeByLight_[lightIndex]);
}

LightIndexMap BuildLightIndexMap(std::span<const std::uint8_t> lightIndexTable,
                                 const KeyIndexMap& keys) {
  LightIndexMap map;
  const std::size_t count = std::min(lightIndexTable.size(), kKeyIndexCount);
  for (std::size_t i = 0; i < count; ++i) {
    if (lightIndexTable[i] == kNoLightIndex) continue;
    if (const auto code = keys.CodeAt(static_cast<int>(i))) map.Add(*code, lightIndexTable[i]);
  }
  return map;
}

KnobIndices ParseKnobIndices(std::span<const std::uint8_t> table) {
  KnobIndices indices{};
  for (int action = 0; action < kKnobActionCount; ++action) {
    if (static_cast<std::size_t>(action) >= table.size()) break;
    const int keyIndex = table[action];
    if (IsKeyIndex(keyIndex)) indices[action] = keyIndex;
  }
  return indices;
}

}  // namespace protocol
