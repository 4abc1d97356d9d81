// Feeds arbitrary bytes to the readers of the keyboard's key tables: key entries (decoded into
// key functions and encoded again), the factory layer that maps key indices to key codes, the
// light index table and the knob's key indices.
//
// Input: a macro count byte and that many macro id bytes, then a layer table (384 bytes), a
// light index table (128 bytes), the knob table and, from what is left, stored key functions
// (four 32-bit values each) to encode. Every piece may be short.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "protocol/Commands.h"
#include "protocol/KeyEntry.h"
#include "protocol/KeyTables.h"

namespace {

using fuzz::Require;
namespace ft = protocol::function_type;

constexpr std::size_t kMaxMacros = 40;

bool InRange(int value, int low, int high) {
  return value >= low && value <= high;
}

// Macro ids as the database hands them out: distinct, in stored order.
std::vector<int> ReadMacroIds(fuzz::InputReader& input) {
  std::vector<int> ids;
  const std::size_t count = input.Byte() % (kMaxMacros + 1);
  int next = 0;
  for (std::size_t i = 0; i < count; ++i) {
    next += 1 + input.Byte();
    ids.push_back(next);
  }
  return ids;
}

// A decoded function names only what the entry's bytes can hold.
void CheckDecodedRanges(const protocol::KeyFunction& function, std::span<const int> macroIds) {
  switch (function.type) {
    case ft::kFixed:
      break;
    case ft::kKeyboardKey:
      Require(InRange(function.value, 0, 0xFF) && InRange(function.value2, 0, 0xFF),
              "a keyboard key is a usage and a modifier mask");
      break;
    case ft::kMacro: {
      const bool known =
          std::find(macroIds.begin(), macroIds.end(), function.value) != macroIds.end();
      Require(known || InRange(function.value, 1, 0x100), "a macro is known or a position + 1");
      Require(InRange(function.value2, 0, 0xFF) && InRange(function.value3, 0, 0xFF),
              "macro play mode and repeat count are bytes");
      break;
    }
    case ft::kMouse:
      Require(InRange(function.value, 90, 97), "mouse values are 90 to 97");
      break;
    case ft::kMedia:
      Require(InRange(function.value, 100, 122), "media values are 100 to 122");
      break;
    case ft::kShortcut:
      Require(InRange(function.value, 150, 163), "shortcut values are 150 to 163");
      break;
    case ft::kKeyboardFunction:
      Require(InRange(function.value, 0, 0xFF), "a keyboard function is a byte");
      break;
    default:
      Require(InRange(function.type, ft::kSpecial, ft::kLastSpecial) &&
                  InRange(function.value, 0, 0xFF),
              "a decoded entry has a known type");
  }
}

// Decoding and encoding again gives an entry that is its own round trip: what the keyboard
// holds is stored and sent back unchanged once it has been read.
void CheckEntry(const protocol::KeyEntry& entry, std::span<const int> macroIds) {
  const auto function = protocol::DecodeKeyEntry(entry, macroIds);
  if (!function) return;
  CheckDecodedRanges(*function, macroIds);
  const auto encoded = protocol::EncodeKeyFunction(*function, macroIds);
  Require(encoded.has_value(), "a decoded function can be encoded");
  const bool macroOfList = function->type == ft::kMacro && entry.first < macroIds.size();
  if (function->type == ft::kMacro && !macroOfList) return;  // names a macro we do not have
  const auto again = protocol::DecodeKeyEntry(*encoded, macroIds);
  Require(again.has_value(), "an encoded function decodes");
  Require(protocol::EncodeKeyFunction(*again, macroIds) == encoded, "encoding is stable");
  if (macroOfList) Require(encoded->first == entry.first, "a macro keeps its position");
}

void CheckLayer(std::span<const std::uint8_t> table, std::span<const int> macroIds) {
  for (int index = 0; index < static_cast<int>(protocol::kKeyIndexCount); ++index) {
    const auto entry = protocol::EntryAt(table, index);
    const bool fits =
        (static_cast<std::size_t>(index) + 1) * protocol::kKeyEntryLength <= table.size();
    Require(entry.has_value() == fits, "an entry is there when the table holds it");
    if (!entry) break;
    CheckEntry(*entry, macroIds);
    protocol::LayerTable copy{};
    Require(protocol::StoreEntry(copy, index, *entry), "an index of the table can be stored");
    Require(protocol::EntryAt(copy, index) == entry, "a stored entry reads back");
  }
  Require(!protocol::EntryAt(table, -1) && !protocol::EntryAt(table, 128), "no entry outside");
}

// Both maps answer only with values in range, and each direction agrees with the other.
void CheckKeyMap(const protocol::KeyIndexMap& keys) {
  for (int code = -1; code <= protocol::kCodeCount; ++code) {
    const auto index = keys.IndexOf(code);
    if (!index) continue;
    Require(protocol::IsKeyIndex(*index), "a code maps to a key index");
    Require(keys.CodeAt(*index) == code, "the key index maps back to the code");
  }
  for (int index = -1; index <= static_cast<int>(protocol::kKeyIndexCount); ++index) {
    const auto code = keys.CodeAt(index);
    if (!code) continue;
    Require(InRange(*code, 0, protocol::kCodeCount - 1), "a key index maps to a code");
    Require(keys.IndexOf(*code) == index, "the code maps back to the key index");
  }
}

void CheckLightMap(const protocol::LightIndexMap& lights, const protocol::KeyIndexMap& keys) {
  for (int code = -1; code <= protocol::kCodeCount; ++code) {
    const auto light = lights.LightOf(code);
    if (!light) continue;
    Require(InRange(*light, 0, protocol::kNoLightIndex - 1), "a light index is a byte, not 0xFF");
    Require(keys.IndexOf(code).has_value(), "only a key with an index has a light");
    Require(lights.CodeAt(*light) == code, "the light maps back to the code");
  }
  for (int light = -1; light <= protocol::kCodeCount; ++light) {
    const auto code = lights.CodeAt(light);
    if (code) Require(lights.LightOf(*code) == light, "the code maps back to the light");
  }
}

void CheckKnob(std::span<const std::uint8_t> table) {
  const protocol::KnobIndices knob = protocol::ParseKnobIndices(table);
  for (std::size_t action = 0; action < knob.size(); ++action) {
    if (action >= table.size()) Require(!knob[action], "a short table names no key");
    if (knob[action]) Require(protocol::IsKeyIndex(*knob[action]), "a knob action is a key");
  }
}

void CheckEncoding(fuzz::InputReader& input, std::span<const int> macroIds) {
  while (!input.Empty()) {
    const protocol::KeyFunction stored{input.Int(), input.Int(), input.Int(), input.Int()};
    const auto entry = protocol::EncodeKeyFunction(stored, macroIds);
    if (entry) CheckEntry(*entry, macroIds);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const std::vector<int> macroIds = ReadMacroIds(input);
  const auto layer = input.Bytes(protocol::kLayerTableLength);
  const auto lightTable = input.Bytes(protocol::kLightIndexTableLength);
  const auto knobTable = input.Bytes(protocol::kKnobActionCount);

  CheckLayer(layer, macroIds);
  const protocol::KeyIndexMap keys = protocol::BuildKeyIndexMap(layer);
  CheckKeyMap(keys);
  CheckLightMap(protocol::BuildLightIndexMap(lightTable, keys), keys);
  CheckKnob(knobTable);
  CheckEncoding(input, macroIds);
  return 0;
}
