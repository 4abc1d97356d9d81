#pragma once
// The key map's write commands as typed calls: one key entry at its key index of a layer, and a
// layer's whole table. Worker thread only, like the link.
//
// A single entry goes out as one frame and its answer is looked at: a keyboard that accepts
// says so with 0x55, one that refuses with 0x0F. Some keyboards stay silent after a single-entry
// write although they took it, so silence within the reply wait counts as done. A whole table
// goes out in acknowledged chunks of the size the interface's reports hold (56 bytes, or 24 on
// 33-byte interfaces); a chunk that is refused or never answered after every try fails it.

#include <cstdint>

#include "protocol/KeyEntry.h"
#include "protocol/KeyTables.h"

namespace device {

class HidDeviceManager;

enum class WriteResult {
  kAccepted,    // the keyboard answered 0x55
  kUnanswered,  // written; no answer came within the reply wait (the keyboard took it)
  kRefused,     // the keyboard answered 0x0F (or an answer that is no acceptance)
  kFailed,      // nothing could be written: no command interface, or the write itself failed
};

// Whether a write went out and was not refused.
constexpr bool Succeeded(WriteResult result) {
  return result == WriteResult::kAccepted || result == WriteResult::kUnanswered;
}
const char* WriteResultName(WriteResult result);

class KeyCommands {
 public:
  explicit KeyCommands(HidDeviceManager& link);
  KeyCommands(const KeyCommands&) = delete;
  KeyCommands& operator=(const KeyCommands&) = delete;

  // One key entry of an Fn layer (0 to 3) at 3 x key index of the layer's table. kFailed
  // without writing anything for a layer or key index out of range.
  WriteResult WriteKeyEntry(int layer, int keyIndex, const protocol::KeyEntry& entry);
  // A layer's whole table (384 bytes). kAccepted when every chunk was, kFailed otherwise.
  WriteResult WriteLayerTable(int layer, const protocol::LayerTable& table);

 private:
  HidDeviceManager& link_;
};

}  // namespace device
