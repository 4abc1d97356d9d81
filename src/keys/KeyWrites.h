#pragma once
// What the keyboard receives of the key rows, and the writes that wait for their task.
//
// A change is captured when it is made (profile, Fn layer and key of that moment) and waits in
// a queue until the worker's task takes it; what the user does meanwhile (another key, another
// layer, another profile) cannot redirect it. The task that takes the writes is queued once for
// any number of them.

#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "protocol/KeyEntry.h"
#include "protocol/KeyTables.h"
#include "storage/Records.h"

namespace keys {

// A keyboard usage a key entry can carry: the keys 0x04 to 0xA4 and the modifiers 0xE0 to 0xE7.
bool IsKeyboardUsage(int usage);
// Whether a keyboard-key function names something to press: a keyboard usage with a modifier
// mask (0 to 0xFF), or modifiers alone (usage 0, a mask that is not 0).
bool NamesKeyboardKey(int usage, int modifiers);

// The entry a stored row puts into a layer table; empty when the key keeps its factory entry:
// a row at its default, and a keyboard-key row that names no key (no usage and no modifier, or
// a usage no key has, as the rows new profiles are seeded with for the Fn key and the media
// keys).
std::optional<protocol::KeyEntry> LayerEntryOf(const storage::KeyAssignmentRecord& row,
                                               std::span<const int> macroIds);

// A layer's table as it is sent: the factory table with every row's entry at its key's index.
protocol::LayerTable BuildLayerTable(const protocol::LayerTable& factory,
                                     std::span<const storage::KeyAssignmentRecord> rows,
                                     const protocol::KeyIndexMap& keys,
                                     std::span<const int> macroIds);

// A change of the key map waiting for task 9.
struct PendingKeyWrite {
  enum class Kind {
    kKey,           // one key's entry of one layer
    kRestoreLayer,  // a layer's factory table
    kAllLayers,     // the four layers built from the profile's rows
  };
  Kind kind = Kind::kKey;
  int modelId = 0;  // the model the change was made for
  int profile = 0;
  int layer = 0;    // kKey and kRestoreLayer
  int keyCode = 0;  // kKey

  // Whether this write, made later, makes an earlier one needless.
  bool Supersedes(const PendingKeyWrite& earlier) const;
  bool operator==(const PendingKeyWrite&) const = default;
};

// A knob action of one layer waiting for task 8.
struct PendingKnobWrite {
  int modelId = 0;
  int layer = 0;
  int action = 0;

  bool Supersedes(const PendingKnobWrite& earlier) const { return *this == earlier; }
  bool operator==(const PendingKnobWrite&) const = default;
};

// Writes waiting for the task that sends them. Any thread.
template <class Write>
class PendingWrites {
 public:
  // Adds a write (dropping those it supersedes); true when the caller must queue the task,
  // because none is queued or running for the writes already waiting.
  bool Add(const Write& write) {
    std::lock_guard lock(mutex_);
    std::erase_if(writes_, [&](const Write& earlier) { return write.Supersedes(earlier); });
    writes_.push_back(write);
    return !std::exchange(outstanding_, true);
  }

  // Worker, in the task: everything waiting, oldest first.
  std::vector<Write> TakeAll() {
    std::lock_guard lock(mutex_);
    taken_ = true;
    return std::exchange(writes_, {});
  }

  // After the task ran or was dropped. A task that ran leaves the writes made while it ran:
  // true when there are such writes and another task must be queued for them. Writes whose
  // task was dropped (no keyboard, a device switch) go with it; `dropped` counts them.
  bool Finish(std::size_t* dropped = nullptr) {
    std::lock_guard lock(mutex_);
    const bool ran = std::exchange(taken_, false);
    if (!ran) {
      if (dropped != nullptr) *dropped = writes_.size();
      writes_.clear();
    }
    outstanding_ = !writes_.empty();
    return outstanding_;
  }

  std::vector<Write> Waiting() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Write> writes_;
  bool outstanding_ = false;  // a task for the writes is queued or running
  bool taken_ = false;        // the task ran since it was queued
};

}  // namespace keys
