#include "keys/KeyMapReader.h"

#include <map>
#include <utility>

#include "base/Log.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "storage/SettingsDatabase.h"

namespace {

// Profiles beyond the first that receive its key rows when they have none.
constexpr std::size_t kProfilesSharingFirstRows = 3;

}  // namespace

LayoutTables WithKeyboardMaps(LayoutTables tables, const KeyMapReader::KeyMaps& maps) {
  tables.KeyIndexByCode.clear();
  for (int code = 0; code < protocol::kCodeCount; ++code) {
    if (const auto index = maps.keys.IndexOf(code)) tables.KeyIndexByCode[code] = *index;
  }
  if (!maps.lightsRead) return tables;
  tables.LightIndexByCode.clear();
  tables.CodeByLightIndex.clear();
  for (int code = 0; code < protocol::kCodeCount; ++code) {
    if (const auto light = maps.lights.LightOf(code)) tables.LightIndexByCode[code] = *light;
    if (const auto owner = maps.lights.CodeAt(code)) tables.CodeByLightIndex[code] = *owner;
  }
  return tables;
}

void ApplyDecodedKey(storage::KeyAssignmentRecord& row, const keys::DecodedKey& decoded) {
  row.macro_type = decoded.function.type;
  row.macro_value = decoded.function.value;
  row.macro_value2 = decoded.function.value2;
  row.macro_value3 = decoded.function.value3;
  if (decoded.description) row.macro_desc = *decoded.description;
}

KeyMapReader::KeyMapReader(SharedState& state, device::KeyboardCommands& keyboard,
                           storage::SettingsDatabase& database, const core::TextTable& texts,
                           CurrentLayout& layout)
    : state_(state), keyboard_(keyboard), database_(database), texts_(texts), layout_(layout) {}

std::shared_ptr<const KeyMapReader::KeyMaps> KeyMapReader::Maps() const {
  std::lock_guard lock(mutex_);
  return maps_;
}

KeyMapReader::KnobRows KeyMapReader::GetKnobRows() const {
  std::lock_guard lock(mutex_);
  return knobRows_;
}

protocol::KnobIndices KeyMapReader::GetKnobIndices() const {
  std::lock_guard lock(mutex_);
  return knobIndices_;
}

bool KeyMapReader::SetKnobRow(int action, int layer, const storage::KeyAssignmentRecord& row) {
  if (action < 0 || action >= protocol::kKnobActionCount || layer < 0 ||
      layer >= protocol::kLayerCount) {
    return false;
  }
  std::lock_guard lock(mutex_);
  knobRows_[static_cast<std::size_t>(action)][static_cast<std::size_t>(layer)] = row;
  return true;
}

void KeyMapReader::Publish(std::shared_ptr<const KeyMaps> maps) {
  {
    std::lock_guard lock(mutex_);
    maps_ = maps;
  }
  layout_.Set(WithKeyboardMaps(*layout_.Get(), *maps));
}

bool KeyMapReader::ReadLayers(bool factory, LayerTables& tables) {
  for (int layer = 0; layer < protocol::kLayerCount; ++layer) {
    protocol::LayerTable& table = tables[static_cast<std::size_t>(layer)];
    const bool read =
        factory ? keyboard_.ReadFactoryLayer(layer, table) : keyboard_.ReadLayer(layer, table);
    if (!read) {
      base::DebugLog("key map: reading %s layer %d failed", factory ? "factory" : "current", layer);
      return false;
    }
  }
  return true;
}

bool KeyMapReader::ReadKeyMap(const protocol::DeviceInfo& info) {
  TARVO_EXPECT_WORKER();
  return ReadFactoryKeyCodes() && ReadLightIndexTable(info) && ReadKeyAssignments(info);
}

// Factory tables -------------------------------------------------------------------------------

bool KeyMapReader::ReadFactoryKeyCodes() {
  auto maps = std::make_shared<KeyMaps>();
  if (!ReadLayers(true, maps->factoryLayers)) return false;
  maps->modelId = state_.selectedModel.load();
  maps->keys = protocol::BuildKeyIndexMap(maps->factoryLayers[0]);
  Publish(std::move(maps));
  return true;
}

bool KeyMapReader::ReadLightIndexTable(const protocol::DeviceInfo& info) {
  protocol::LightIndexTable table{};
  if (!keyboard_.ReadLightIndexTable(table)) return false;
  auto maps = std::make_shared<KeyMaps>(*Maps());
  maps->lights = protocol::BuildLightIndexMap(table, maps->keys);
  maps->lightsRead = true;
  Publish(std::move(maps));
  // The keyboard expects these reads after the table; what they return is not used.
  if (info.zone2.present && !keyboard_.ReadZone2Extra()) return false;
  if (info.matrix.present && !keyboard_.ReadMatrixPictureDiscarded()) return false;
  return true;
}

// Current assignments --------------------------------------------------------------------------

bool KeyMapReader::ReadKeyAssignments(const protocol::DeviceInfo& info) {
  protocol::KnobIndices knob{};
  if (info.knobPresent) {
    std::array<std::uint8_t, protocol::kKnobIndexTableLength> table{};
    if (!keyboard_.ReadKnobIndices(table)) return false;
    knob = protocol::ParseKnobIndices(table);
  }
  LayerTables layers{};
  if (!ReadLayers(false, layers)) return false;

  const int profile = state_.currentProfile.load();
  const std::shared_ptr<const KeyMaps> maps = Maps();
  std::vector<keys::MacroName> macros;
  const keys::KeyDescriptionContext names = DescriptionContext(macros);
  // The keyboard's assignments go into the profile whole or not at all (a failed write is
  // reported by the database).
  if (!database_.UpdateKeyAssignments(DecodeLayers(profile, layers, *maps, names))) return false;
  if (info.knobPresent) DecodeKnobRows(profile, layers, knob, names);
  CopyFirstProfileRows();
  return true;
}

keys::KeyDescriptionContext KeyMapReader::DescriptionContext(std::vector<keys::MacroName>& macros) {
  // Names of keyboard functions and texts follow the current language.
  catalogue_.Build(texts_);
  std::vector<storage::MacroRecord> stored;
  database_.ListMacros(stored);
  macros.clear();
  for (const storage::MacroRecord& macro : stored) macros.push_back({macro.macro_id, macro.name});
  return {texts_, catalogue_, macros};
}

std::vector<storage::KeyAssignmentRecord> KeyMapReader::DecodeLayers(
    int profile, const LayerTables& layers, const KeyMaps& maps,
    const keys::KeyDescriptionContext& names) {
  std::vector<storage::KeyAssignmentRecord> changed;
  for (int layer = 0; layer < protocol::kLayerCount; ++layer) {
    std::vector<storage::KeyAssignmentRecord> stored;
    database_.ListKeyAssignmentsOfLayer(profile, layer, stored);
    std::map<int, storage::KeyAssignmentRecord*> byCode;
    for (storage::KeyAssignmentRecord& row : stored) byCode[row.key_code] = &row;
    for (int index = 0; index < static_cast<int>(protocol::kKeyIndexCount); ++index) {
      const auto code = maps.keys.CodeAt(index);
      const auto entry = protocol::EntryAt(layers[static_cast<std::size_t>(layer)], index);
      if (!code || !entry || entry->type == 0) continue;
      // A key the profile holds no row for has nothing to update.
      const auto row = byCode.find(*code);
      if (row == byCode.end()) continue;
      ApplyDecodedKey(*row->second, keys::DecodeKey(*entry, names));
      changed.push_back(*row->second);
    }
  }
  return changed;
}

void KeyMapReader::DecodeKnobRows(int profile, const LayerTables& layers,
                                  const protocol::KnobIndices& indices,
                                  const keys::KeyDescriptionContext& names) {
  KnobRows rows = GetKnobRows();
  for (int action = 0; action < protocol::kKnobActionCount; ++action) {
    const auto index = indices[static_cast<std::size_t>(action)];
    // An action without a usable key index keeps its rows.
    if (!index) continue;
    for (int layer = 0; layer < protocol::kLayerCount; ++layer) {
      storage::KeyAssignmentRecord& row =
          rows[static_cast<std::size_t>(action)][static_cast<std::size_t>(layer)];
      row.profile = profile;
      row.fn_layer = layer;
      row.key_code = *index;
      const auto entry = protocol::EntryAt(layers[static_cast<std::size_t>(layer)], *index);
      ApplyDecodedKey(row, entry ? keys::DecodeKey(*entry, names) : keys::DecodedKey{});
    }
  }
  std::lock_guard lock(mutex_);
  knobRows_ = rows;
  knobIndices_ = indices;
}

void KeyMapReader::CopyFirstProfileRows() {
  storage::SettingsDatabase& database = database_;
  // Another thread must not add rows between the count and the copy.
  auto lock = database.Lock();
  std::vector<storage::ProfileRecord> profiles;
  database.ListProfiles(profiles);
  if (profiles.empty()) return;
  std::vector<storage::KeyAssignmentRecord> first;
  for (std::size_t i = 1; i < profiles.size() && i < kProfilesSharingFirstRows; ++i) {
    const int profile = profiles[i].profile;
    if (database.CountKeyAssignments(profile) > 0) continue;
    if (first.empty()) database.ListKeyAssignmentsOfProfile(profiles[0].profile, first);
    std::vector<storage::KeyAssignmentRecord> copy = first;
    for (storage::KeyAssignmentRecord& row : copy) {
      row.key_id = 0;
      row.profile = profile;
    }
    if (!copy.empty() && !database.InsertKeyAssignments(copy)) return;
  }
}
