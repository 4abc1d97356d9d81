#include "keys/KeyWrites.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

constexpr int kFirstKeyUsage = 0x04;
constexpr int kLastKeyUsage = 0xA4;
constexpr int kModifierMaskLimit = 0xFF;

}  // namespace

bool NamesKeyboardKey(int usage, int modifiers) {
  if (modifiers < 0 || modifiers > kModifierMaskLimit) return false;
  return usage == 0 ? modifiers != 0 : IsKeyboardUsage(usage);
}

bool IsKeyboardUsage(int usage) {
  return (usage >= kFirstKeyUsage && usage <= kLastKeyUsage) ||
         (usage >= protocol::kFirstModifierUsage && usage <= protocol::kLastModifierUsage);
}

std::optional<protocol::KeyEntry> LayerEntryOf(const storage::KeyAssignmentRecord& row,
                                               std::span<const int> macroIds) {
  if (row.macro_type == ft::kKeyboardKey && !NamesKeyboardKey(row.macro_value, row.macro_value2)) {
    return std::nullopt;
  }
  return protocol::EncodeKeyFunction(
      {row.macro_type, row.macro_value, row.macro_value2, row.macro_value3}, macroIds);
}

protocol::LayerTable BuildLayerTable(const protocol::LayerTable& factory,
                                     std::span<const storage::KeyAssignmentRecord> rows,
                                     const protocol::KeyIndexMap& keys,
                                     std::span<const int> macroIds) {
  protocol::LayerTable table = factory;
  for (const storage::KeyAssignmentRecord& row : rows) {
    const std::optional<int> index = keys.IndexOf(row.key_code);
    if (!index) continue;
    if (const auto entry = LayerEntryOf(row, macroIds)) protocol::StoreEntry(table, *index, *entry);
  }
  return table;
}

bool PendingKeyWrite::Supersedes(const PendingKeyWrite& earlier) const {
  // The whole key map is written again: nothing written before it matters.
  if (kind == Kind::kAllLayers) return true;
  if (kind == Kind::kRestoreLayer) {
    // The layer's factory table covers whatever was written to the layer before, whichever
    // profile it came from.
    return earlier.kind != Kind::kAllLayers && earlier.modelId == modelId && earlier.layer == layer;
  }
  return *this == earlier;
}

}  // namespace keys
