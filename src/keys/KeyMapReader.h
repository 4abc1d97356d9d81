#pragma once
// The keyboard's own key map, read when a keyboard becomes current: the factory tables of the
// four Fn layers, which key index carries which key code, which light each key has, the key
// indices of the knob's actions, and what each layer does now, stored for the current profile.
//
// Every read keeps what was there before until it has succeeded whole: a keyboard that stops
// answering half-way leaves the maps of the layout file (or of the last read) and the stored
// key rows as they were.

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "catalogue/KeyboardLayout.h"
#include "core/SharedState.h"
#include "keys/KeyDescriptions.h"
#include "keys/KeyFunctionCatalogue.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyTables.h"
#include "storage/Records.h"

namespace core {
class TextTable;
}
namespace device {
class KeyboardCommands;
}
namespace storage {
class SettingsDatabase;
}

class KeyMapReader {
 public:
  // What the keyboard's key map says. A read replaces it whole.
  struct KeyMaps {
    int modelId = 0;  // the model the tables were read from; 0 before the first read
    // The factory entries of every key index, per Fn layer (restoring a key or a layer).
    std::array<protocol::LayerTable, protocol::kLayerCount> factoryLayers{};
    protocol::KeyIndexMap keys;      // key index <-> key code, from factory layer 0
    protocol::LightIndexMap lights;  // key code <-> light index
    bool lightsRead = false;
  };

  // The knob's actions on each Fn layer, kept in memory only: key_code is the action's key
  // index, the function is what the keyboard reported.
  using KnobRows = std::array<std::array<storage::KeyAssignmentRecord, protocol::kLayerCount>,
                              protocol::kKnobActionCount>;

  // Each read that changes the maps also puts them into the current layout's lookup tables,
  // so that they follow the keyboard rather than the layout file.
  KeyMapReader(SharedState& state, device::KeyboardCommands& keyboard,
               storage::SettingsDatabase& database, const core::TextTable& texts,
               CurrentLayout& layout);

  // Worker, inside an open command bracket. Each is false when a read failed.
  // Commands 0x16 to 0x19: the factory tables and the key index maps.
  bool ReadFactoryKeyCodes();
  // Command 0x32 and the reads the keyboard expects after it (0x36 with light zone 2, 0x3A with
  // the matrix light; their content is not used).
  bool ReadLightIndexTable(const protocol::DeviceInfo& info);
  // Command 0x3E when the keyboard has a knob, then 0x1A, 0x1C, 0x1E and 0x20 into the key rows
  // of the current profile; the second and third profiles without key rows get the first's.
  bool ReadKeyAssignments(const protocol::DeviceInfo& info);
  // All three in order.
  bool ReadKeyMap(const protocol::DeviceInfo& info);

  // Any thread: the maps of the last read (readers keep the copy they took).
  std::shared_ptr<const KeyMaps> Maps() const;
  KnobRows GetKnobRows() const;
  protocol::KnobIndices GetKnobIndices() const;
  // Any thread: a knob action's function on one layer changed (the knob dialog). False for an
  // action or layer out of range.
  bool SetKnobRow(int action, int layer, const storage::KeyAssignmentRecord& row);

 private:
  using LayerTables = std::array<protocol::LayerTable, protocol::kLayerCount>;

  void Publish(std::shared_ptr<const KeyMaps> maps);
  bool ReadLayers(bool factory, LayerTables& tables);
  keys::KeyDescriptionContext DescriptionContext(std::vector<keys::MacroName>& macros);
  std::vector<storage::KeyAssignmentRecord> DecodeLayers(int profile, const LayerTables& layers,
                                                         const KeyMaps& maps,
                                                         const keys::KeyDescriptionContext& names);
  void DecodeKnobRows(int profile, const LayerTables& layers, const protocol::KnobIndices& indices,
                      const keys::KeyDescriptionContext& names);
  void CopyFirstProfileRows();

  SharedState& state_;
  device::KeyboardCommands& keyboard_;
  storage::SettingsDatabase& database_;
  const core::TextTable& texts_;
  CurrentLayout& layout_;
  keys::KeyFunctionCatalogue catalogue_;

  mutable std::mutex mutex_;
  std::shared_ptr<const KeyMaps> maps_ = std::make_shared<const KeyMaps>();
  KnobRows knobRows_{};
  protocol::KnobIndices knobIndices_{};
};

// The lookup tables of a layout with the keyboard's maps in place of the file's: the key index
// of every code, and (once the light table was read) the lights of every code and back.
LayoutTables WithKeyboardMaps(LayoutTables tables, const KeyMapReader::KeyMaps& maps);

// Sets the function of a key row from a decoded entry: type and values always, the label only
// when the entry names one.
void ApplyDecodedKey(storage::KeyAssignmentRecord& row, const keys::DecodedKey& decoded);
