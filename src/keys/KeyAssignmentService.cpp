#include "keys/KeyAssignmentService.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/Log.h"
#include "catalogue/KeyboardLayout.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TaskTable.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "device/KeyCommands.h"
#include "device/KeyboardCommands.h"
#include "keys/KeyCodes.h"
#include "keys/KeyDescriptions.h"
#include "keys/KnobFunctions.h"
#include "storage/SettingsDatabase.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

constexpr int kLastMacroPlayMode = 3;
constexpr int kMaxRepeatCount = 255;
constexpr int kMaxEntryByte = 0xFF;

bool IsLayer(int layer) {
  return layer >= 0 && layer < protocol::kLayerCount;
}

bool IsKnobAction(int action) {
  return action >= 0 && action < protocol::kKnobActionCount;
}

template <class Codes, class Pred>
bool AnyOf(const Codes& codes, Pred pred) {
  return std::any_of(codes.begin(), codes.end(), pred);
}

bool IsTableFunction(const protocol::KeyFunction& function) {
  const int value = function.value;
  switch (function.type) {
    case ft::kMouse:
      return AnyOf(protocol::MouseCodes(), [&](const auto& c) { return c.value == value; });
    case ft::kMedia:
      return AnyOf(protocol::MediaCodes(), [&](const auto& c) { return c.value == value; });
    case ft::kShortcut:
      return AnyOf(protocol::ShortcutCodes(), [&](const auto& c) { return c.value == value; }) ||
             AnyOf(protocol::SystemShortcutCodes(),
                   [&](const auto& c) { return c.value == value; });
    default:
      return false;
  }
}

// A row decoded from a factory entry: a key back at its default shows its own name.
void ApplyFactoryEntry(storage::KeyAssignmentRecord& row, const protocol::KeyEntry& entry,
                       const KeyDescriptionContext& names) {
  const DecodedKey decoded = DecodeKey(entry, names);
  ApplyDecodedKey(row, decoded);
  if (decoded.function.type == ft::kDefault) row.macro_desc.clear();
}

}  // namespace

const char* ChangeResultName(ChangeResult result) {
  switch (result) {
    case ChangeResult::kDone:
      return "done";
    case ChangeResult::kNoSuchLayer:
      return "no such layer or knob action";
    case ChangeResult::kNoSuchKey:
      return "no such key";
    case ChangeResult::kUnknownFunction:
      return "unknown function";
    case ChangeResult::kNoSuchMacro:
      return "no such macro";
    case ChangeResult::kMacroWithoutEvents:
      return "the macro has no events";
    case ChangeResult::kFactoryTablesUnread:
      return "the keyboard's factory key tables have not been read";
    case ChangeResult::kNotStored:
      break;
  }
  return "the change could not be stored";
}

struct KeyAssignmentService::Tables {
  std::shared_ptr<const KeyMapReader::KeyMaps> maps;
  std::vector<int> macroIds;
};

KeyAssignmentService::KeyAssignmentService(SharedState& state, device::KeyboardCommands& keyboard,
                                           device::KeyCommands& keys,
                                           storage::SettingsDatabase& database,
                                           const core::TextTable& texts, KeyMapReader& keyMaps,
                                           const CurrentModel& model, const CurrentLayout& layout,
                                           DeviceTaskQueue& tasks)
    : state_(state),
      keyboard_(keyboard),
      keys_(keys),
      database_(database),
      texts_(texts),
      keyMaps_(keyMaps),
      model_(model),
      layout_(layout),
      tasks_(tasks) {
  BuildCatalogue();
}

void KeyAssignmentService::RegisterTasks(TaskTable& table) {
  table.SetRun(
      task::kSendKeyAssignments, [this] { SendKeyAssignments(); }, [this] { FinishKeyTask(); });
  table.SetRun(
      task::kSendKnobAssignment, [this] { SendKnobAssignments(); }, [this] { FinishKnobTask(); });
}

void KeyAssignmentService::BuildCatalogue() {
  catalogue_.Build(texts_);
}

// Changes -------------------------------------------------------------------------------------

ChangeResult KeyAssignmentService::Validate(const protocol::KeyFunction& function) {
  switch (function.type) {
    case ft::kFixed:
      return ChangeResult::kDone;
    case ft::kKeyboardKey:
      return NamesKeyboardKey(function.value, function.value2) ? ChangeResult::kDone
                                                               : ChangeResult::kUnknownFunction;
    case ft::kMacro: {
      storage::MacroRecord macro;
      if (!database_.GetMacro(function.value, macro)) return ChangeResult::kNoSuchMacro;
      if (database_.CountMacroSteps(function.value) < 1) return ChangeResult::kMacroWithoutEvents;
      const bool options = function.value2 >= 0 && function.value2 <= kLastMacroPlayMode &&
                           function.value3 >= 0 && function.value3 <= kMaxRepeatCount;
      return options ? ChangeResult::kDone : ChangeResult::kUnknownFunction;
    }
    case ft::kKeyboardFunction:
      return function.value >= 1 && function.value <= kMaxEntryByte
                 ? ChangeResult::kDone
                 : ChangeResult::kUnknownFunction;
    default:
      break;
  }
  if (function.type >= ft::kSpecial && function.type <= ft::kLastSpecial) {
    return function.value >= 0 && function.value <= kMaxEntryByte ? ChangeResult::kDone
                                                                  : ChangeResult::kUnknownFunction;
  }
  return IsTableFunction(function) ? ChangeResult::kDone : ChangeResult::kUnknownFunction;
}

std::optional<KeyAssignmentService::StoredRow> KeyAssignmentService::RowOrNew(int profile,
                                                                              int layer,
                                                                              int keyCode) {
  StoredRow stored;
  if (database_.GetKeyAssignment(profile, layer, keyCode, stored.row)) {
    stored.existed = true;
    return stored;
  }
  // A key of the layout that the profile keeps no row for (an imported profile, say) gets one.
  const std::shared_ptr<const LayoutTables> layout = layout_.Get();
  const auto key = std::find_if(layout->Keys.begin(), layout->Keys.end(),
                                [&](const LayoutKeyName& k) { return k.code == keyCode; });
  if (keyCode <= 0 || key == layout->Keys.end()) return std::nullopt;
  stored.row.profile = profile;
  stored.row.fn_layer = layer;
  stored.row.key_code = keyCode;
  stored.row.layout_value = keyCode;
  stored.row.layout_desc = key->name;
  return stored;
}

bool KeyAssignmentService::Store(const StoredRow& stored) {
  const bool done = stored.existed ? database_.UpdateKeyAssignment(stored.row)
                                   : database_.InsertKeyAssignments({stored.row});
  if (!done) {
    base::ErrorLog("keys: the function of key %d on layer %d could not be stored",
                   stored.row.key_code, stored.row.fn_layer);
  }
  return done;
}

ChangeResult KeyAssignmentService::AssignFunction(int layer, int keyCode, const KeyChoice& choice) {
  if (!IsLayer(layer)) return ChangeResult::kNoSuchLayer;
  const int profile = state_.currentProfile.load();
  std::optional<StoredRow> stored = RowOrNew(profile, layer, keyCode);
  if (!stored) return ChangeResult::kNoSuchKey;
  if (const ChangeResult valid = Validate(choice.function); valid != ChangeResult::kDone) {
    return valid;
  }
  storage::KeyAssignmentRecord& row = stored->row;
  row.macro_type = choice.function.type;
  row.macro_value = choice.function.value;
  row.macro_value2 = choice.function.value2;
  row.macro_value3 = choice.function.value3;
  row.macro_desc = choice.label.empty() ? LabelOf(choice.function) : choice.label;
  if (!Store(*stored)) return ChangeResult::kNotStored;
  QueueKeyWrite(
      {PendingKeyWrite::Kind::kKey, state_.selectedModel.load(), profile, layer, keyCode});
  if (observer_ != nullptr) observer_->OnKeyChanged(row);
  return ChangeResult::kDone;
}

ChangeResult KeyAssignmentService::ResetKey(int layer, int keyCode) {
  if (!IsLayer(layer)) return ChangeResult::kNoSuchLayer;
  const std::shared_ptr<const KeyMapReader::KeyMaps> maps = keyMaps_.Maps();
  if (maps->modelId == 0 || maps->modelId != state_.selectedModel.load()) {
    return ChangeResult::kFactoryTablesUnread;
  }
  const std::optional<int> index = maps->keys.IndexOf(keyCode);
  const int profile = state_.currentProfile.load();
  std::optional<StoredRow> stored = RowOrNew(profile, layer, keyCode);
  if (!index || !stored) return ChangeResult::kNoSuchKey;
  std::vector<MacroName> macros;
  const KeyDescriptionContext names = NameContext(macros);
  const auto entry =
      protocol::EntryAt(maps->factoryLayers[static_cast<std::size_t>(layer)], *index);
  ApplyFactoryEntry(stored->row, entry.value_or(protocol::KeyEntry{}), names);
  if (!Store(*stored)) return ChangeResult::kNotStored;
  QueueKeyWrite({PendingKeyWrite::Kind::kKey, maps->modelId, profile, layer, keyCode});
  if (observer_ != nullptr) observer_->OnKeyChanged(stored->row);
  return ChangeResult::kDone;
}

ChangeResult KeyAssignmentService::ResetLayer(int layer) {
  if (!IsLayer(layer)) return ChangeResult::kNoSuchLayer;
  const std::shared_ptr<const KeyMapReader::KeyMaps> maps = keyMaps_.Maps();
  if (maps->modelId == 0 || maps->modelId != state_.selectedModel.load()) {
    return ChangeResult::kFactoryTablesUnread;
  }
  const int profile = state_.currentProfile.load();
  std::vector<MacroName> macros;
  const KeyDescriptionContext names = NameContext(macros);
  const protocol::LayerTable& factory = maps->factoryLayers[static_cast<std::size_t>(layer)];
  std::vector<storage::KeyAssignmentRecord> restored;
  for (int index = 0; index < static_cast<int>(protocol::kKeyIndexCount); ++index) {
    const std::optional<int> code = maps->keys.CodeAt(index);
    storage::KeyAssignmentRecord row;
    if (!code || *code <= 0 || !database_.GetKeyAssignment(profile, layer, *code, row)) continue;
    // A key whose factory entry is empty goes back to its default too: otherwise a later send
    // of the whole layers would bring its old function back.
    ApplyFactoryEntry(row, protocol::EntryAt(factory, index).value_or(protocol::KeyEntry{}), names);
    restored.push_back(std::move(row));
  }
  if (!database_.UpdateKeyAssignments(restored)) {
    base::ErrorLog("keys: layer %d could not be restored in the database", layer);
    return ChangeResult::kNotStored;
  }
  QueueKeyWrite({PendingKeyWrite::Kind::kRestoreLayer, maps->modelId, profile, layer, 0});
  if (observer_ != nullptr) observer_->OnLayerChanged(profile, layer);
  return ChangeResult::kDone;
}

ChangeResult KeyAssignmentService::SetMacroPlayOptions(int layer, int keyCode, int macroId,
                                                       const std::string& label, int mode,
                                                       int count) {
  if (!IsLayer(layer)) return ChangeResult::kNoSuchLayer;
  if (mode < 0 || mode > kLastMacroPlayMode) return ChangeResult::kUnknownFunction;
  const int profile = state_.currentProfile.load();
  std::optional<StoredRow> stored = RowOrNew(profile, layer, keyCode);
  if (!stored) return ChangeResult::kNoSuchKey;
  storage::MacroRecord macro;
  if (!database_.GetMacro(macroId, macro)) return ChangeResult::kNoSuchMacro;
  storage::KeyAssignmentRecord& row = stored->row;
  row.macro_type = ft::kMacro;
  row.macro_value = macroId;
  row.macro_value2 = mode;
  if (mode == 0) row.macro_value3 = std::clamp(count, 1, kMaxRepeatCount);
  row.macro_desc = label.empty() ? LabelOf({ft::kMacro, macroId, mode, row.macro_value3}) : label;
  if (!Store(*stored)) return ChangeResult::kNotStored;
  macro.play_type = mode;
  macro.play_times = row.macro_value3;
  if (!database_.UpdateMacro(macroId, macro)) {
    base::ErrorLog("keys: the play options of macro %d could not be stored", macroId);
  }
  QueueKeyWrite(
      {PendingKeyWrite::Kind::kKey, state_.selectedModel.load(), profile, layer, keyCode});
  if (observer_ != nullptr) observer_->OnKeyChanged(row);
  return ChangeResult::kDone;
}

int KeyAssignmentService::UnassignMacro(int macroId) {
  const std::shared_ptr<const KeyMapReader::KeyMaps> maps = keyMaps_.Maps();
  const bool factoryKnown = maps->modelId != 0 && maps->modelId == state_.selectedModel.load();
  std::vector<MacroName> macros;
  const KeyDescriptionContext names = NameContext(macros);
  std::vector<storage::KeyAssignmentRecord> rows;
  database_.ListAllKeyAssignments(rows);
  std::vector<storage::KeyAssignmentRecord> reset;
  for (storage::KeyAssignmentRecord& row : rows) {
    if (row.macro_type != ft::kMacro || row.macro_value != macroId || !IsLayer(row.fn_layer))
      continue;
    const std::optional<int> index = maps->keys.IndexOf(row.key_code);
    if (factoryKnown && !index) continue;
    // Without the keyboard's tables the key goes back to its default, which keeps the entry
    // the keyboard has from the factory.
    const auto entry =
        factoryKnown
            ? protocol::EntryAt(maps->factoryLayers[static_cast<std::size_t>(row.fn_layer)], *index)
            : std::nullopt;
    ApplyFactoryEntry(row, entry.value_or(protocol::KeyEntry{}), names);
    reset.push_back(row);
  }
  if (reset.empty()) return 0;
  if (!database_.UpdateKeyAssignments(reset)) {
    base::ErrorLog("keys: the keys of deleted macro %d could not be reset", macroId);
    return 0;
  }
  const int profile = state_.currentProfile.load();
  std::set<int> layers;
  for (const auto& row : reset) {
    if (row.profile == profile) layers.insert(row.fn_layer);
  }
  if (observer_ != nullptr) {
    for (int layer : layers) observer_->OnLayerChanged(profile, layer);
  }
  QueueAllLayers();
  return static_cast<int>(reset.size());
}

void KeyAssignmentService::QueueAllLayers() {
  QueueKeyWrite({PendingKeyWrite::Kind::kAllLayers, state_.selectedModel.load(),
                 state_.currentProfile.load(), 0, 0});
}

std::vector<KeyFunctionEntry> KeyAssignmentService::KnobFunctionList() const {
  return BuildKnobFunctionList(catalogue_, texts_);
}

ChangeResult KeyAssignmentService::AssignKnobAction(int layer, int action,
                                                    const KeyFunctionEntry& function) {
  if (!IsLayer(layer) || !IsKnobAction(action)) return ChangeResult::kNoSuchLayer;
  if (const ChangeResult valid = Validate({function.type, function.code, 0, 0});
      valid != ChangeResult::kDone) {
    return valid;
  }
  KnobLayerRows rows = KnobRowsOfLayer(layer);
  storage::KeyAssignmentRecord& row = rows[static_cast<std::size_t>(action)];
  row.macro_type = function.type;
  row.macro_value = function.code;
  row.macro_desc = function.name;
  return SetKnobRows(layer, rows, action);
}

ChangeResult KeyAssignmentService::SetKnobRows(int layer, const KnobLayerRows& rows, int changed) {
  if (!IsLayer(layer) || !IsKnobAction(changed)) return ChangeResult::kNoSuchLayer;
  for (int action = 0; action < protocol::kKnobActionCount; ++action) {
    storage::KeyAssignmentRecord row = rows[static_cast<std::size_t>(action)];
    row.profile = state_.currentProfile.load();
    row.fn_layer = layer;
    keyMaps_.SetKnobRow(action, layer, row);
  }
  QueueKnobWrite(layer, changed);
  return ChangeResult::kDone;
}

// What is stored --------------------------------------------------------------------------------

std::vector<storage::KeyAssignmentRecord> KeyAssignmentService::LayerRows(int profile, int layer) {
  std::vector<storage::KeyAssignmentRecord> rows;
  database_.ListKeyAssignmentsOfLayer(profile, layer, rows);
  return rows;
}

std::optional<storage::KeyAssignmentRecord> KeyAssignmentService::Row(int profile, int layer,
                                                                      int keyCode) {
  storage::KeyAssignmentRecord row;
  if (!database_.GetKeyAssignment(profile, layer, keyCode, row)) return std::nullopt;
  return row;
}

KeyAssignmentService::KnobLayerRows KeyAssignmentService::KnobRowsOfLayer(int layer) const {
  KnobLayerRows rows{};
  if (!IsLayer(layer)) return rows;
  const KnobRows all = keyMaps_.GetKnobRows();
  for (std::size_t action = 0; action < rows.size(); ++action) {
    rows[action] = all[action][static_cast<std::size_t>(layer)];
  }
  return rows;
}

std::vector<MacroName> KeyAssignmentService::MacroList() {
  std::vector<storage::MacroRecord> stored;
  database_.ListMacros(stored);
  std::vector<MacroName> macros;
  for (const storage::MacroRecord& macro : stored) {
    macros.push_back({macro.macro_id, MacroDisplayName(macro.name, texts_)});
  }
  return macros;
}

std::optional<storage::MacroRecord> KeyAssignmentService::Macro(int macroId) {
  storage::MacroRecord macro;
  if (!database_.GetMacro(macroId, macro)) return std::nullopt;
  return macro;
}

int KeyAssignmentService::MacroEventCount(int macroId) {
  return database_.CountMacroSteps(macroId);
}

std::string KeyAssignmentService::LabelOf(const protocol::KeyFunction& function) {
  switch (function.type) {
    case ft::kFixed:
      return texts_.GetText(text::kDialogSection, text::kKeyDisabled);
    case ft::kKeyboardKey: {
      std::string key;
      if (function.value != 0) {
        const auto entry = catalogue_.Find(ft::kKeyboardKey, function.value);
        key = entry ? entry->name : std::string(UsageShortName(function.value));
      }
      return function.value2 != 0 ? CombinationDescription(function.value2, key) : key;
    }
    case ft::kMacro: {
      storage::MacroRecord macro;
      return database_.GetMacro(function.value, macro) ? MacroDisplayName(macro.name, texts_)
                                                       : std::string();
    }
    default:
      break;
  }
  if (function.type >= ft::kSpecial && function.type <= ft::kLastSpecial) return "Special";
  if (const auto entry = catalogue_.Find(function.type, function.value)) return entry->name;
  if (function.type == ft::kKeyboardFunction) {
    return std::string(KeyboardFunctionName(function.value));
  }
  return {};
}

KeyDescriptionContext KeyAssignmentService::NameContext(std::vector<MacroName>& macros) {
  std::vector<storage::MacroRecord> stored;
  database_.ListMacros(stored);
  macros.clear();
  for (const storage::MacroRecord& macro : stored) macros.push_back({macro.macro_id, macro.name});
  return {texts_, catalogue_, macros};
}

std::vector<int> KeyAssignmentService::MacroIds() {
  std::vector<storage::MacroRecord> stored;
  database_.ListMacros(stored);
  std::vector<int> ids;
  for (const storage::MacroRecord& macro : stored) ids.push_back(macro.macro_id);
  return ids;
}

// Queues --------------------------------------------------------------------------------------

void KeyAssignmentService::QueueKeyWrite(PendingKeyWrite write) {
  if (keyWrites_.Add(write)) tasks_.Append(task::kSendKeyAssignments);
}

void KeyAssignmentService::QueueKnobWrite(int layer, int action) {
  if (knobWrites_.Add({state_.selectedModel.load(), layer, action})) {
    tasks_.Append(task::kSendKnobAssignment);
  }
}

void KeyAssignmentService::FinishKeyTask() {
  std::size_t dropped = 0;
  if (keyWrites_.Finish(&dropped)) tasks_.Append(task::kSendKeyAssignments);
  if (dropped > 0) base::DebugLog("keys: %zu key map changes not sent: no keyboard", dropped);
}

void KeyAssignmentService::FinishKnobTask() {
  std::size_t dropped = 0;
  if (knobWrites_.Finish(&dropped)) tasks_.Append(task::kSendKnobAssignment);
  if (dropped > 0) base::DebugLog("keys: %zu knob changes not sent: no keyboard", dropped);
}

// Worker --------------------------------------------------------------------------------------

std::optional<KeyAssignmentService::Tables> KeyAssignmentService::UsableTables(const char* what) {
  Tables tables{keyMaps_.Maps(), MacroIds()};
  const int selected = state_.selectedModel.load();
  if (tables.maps->modelId == 0 || tables.maps->modelId != selected) {
    base::ErrorLog("keys: %s not sent: the factory key tables of model %d were not read whole",
                   what, selected);
    return std::nullopt;
  }
  return tables;
}

void KeyAssignmentService::SendKeyAssignments() {
  TARVO_EXPECT_WORKER();
  const std::vector<PendingKeyWrite> writes = keyWrites_.TakeAll();
  if (writes.empty()) return;
  const std::optional<Tables> tables = UsableTables("key assignments");
  if (!tables) return;
  device::CommandBracket bracket(keyboard_);
  for (const PendingKeyWrite& write : writes) {
    // The first write that fails ends the task; the bracket closes whatever happened.
    if (!SendWrite(write, *tables)) return;
  }
}

bool KeyAssignmentService::SendWrite(const PendingKeyWrite& write, const Tables& tables) {
  if (write.modelId != tables.maps->modelId) {
    base::DebugLog("keys: a change made for model %d is not sent to model %d", write.modelId,
                   tables.maps->modelId);
    return true;
  }
  switch (write.kind) {
    case PendingKeyWrite::Kind::kKey:
      // Some firmware takes a changed key only with its whole layers.
      if (model_.Get().WritesKeysAsWholeLayers()) return SendLayers(write.profile, tables);
      return SendKey(write, tables);
    case PendingKeyWrite::Kind::kRestoreLayer: {
      const auto& factory = tables.maps->factoryLayers[static_cast<std::size_t>(write.layer)];
      const device::WriteResult result = keys_.WriteLayerTable(write.layer, factory);
      if (device::Succeeded(result)) return true;
      base::ErrorLog("keys: restoring layer %d: %s", write.layer, device::WriteResultName(result));
      return false;
    }
    case PendingKeyWrite::Kind::kAllLayers:
      return SendLayers(write.profile, tables);
  }
  return true;
}

bool KeyAssignmentService::SendKey(const PendingKeyWrite& write, const Tables& tables) {
  const std::optional<int> index = tables.maps->keys.IndexOf(write.keyCode);
  if (!index) {
    base::DebugLog("keys: key %d has no key index; nothing sent", write.keyCode);
    return true;
  }
  storage::KeyAssignmentRecord row;
  const bool stored = database_.GetKeyAssignment(write.profile, write.layer, write.keyCode, row);
  std::optional<protocol::KeyEntry> entry;
  if (stored) entry = LayerEntryOf(row, tables.macroIds);
  // A key at its default gets its factory entry back.
  if (!entry) {
    entry = protocol::EntryAt(tables.maps->factoryLayers[static_cast<std::size_t>(write.layer)],
                              *index);
  }
  const device::WriteResult result = keys_.WriteKeyEntry(write.layer, *index, *entry);
  if (device::Succeeded(result)) return true;
  base::ErrorLog("keys: key %d on layer %d: %s", write.keyCode, write.layer,
                 device::WriteResultName(result));
  return false;
}

bool KeyAssignmentService::SendLayers(int profile, const Tables& tables) {
  for (int layer = 0; layer < protocol::kLayerCount; ++layer) {
    const std::vector<storage::KeyAssignmentRecord> rows = LayerRows(profile, layer);
    const protocol::LayerTable table =
        BuildLayerTable(tables.maps->factoryLayers[static_cast<std::size_t>(layer)], rows,
                        tables.maps->keys, tables.macroIds);
    const device::WriteResult result = keys_.WriteLayerTable(layer, table);
    if (!device::Succeeded(result)) {
      base::ErrorLog("keys: layer %d of profile %d: %s", layer, profile,
                     device::WriteResultName(result));
      return false;
    }
  }
  return true;
}

bool KeyAssignmentService::SendAllLayers(int profile) {
  TARVO_EXPECT_WORKER();
  const std::optional<Tables> tables = UsableTables("the profile's key map");
  if (!tables) return false;
  device::CommandBracket bracket(keyboard_);
  return SendLayers(profile, *tables);
}

void KeyAssignmentService::SendKnobAssignments() {
  TARVO_EXPECT_WORKER();
  const std::vector<PendingKnobWrite> writes = knobWrites_.TakeAll();
  if (writes.empty()) return;
  const protocol::KnobIndices indices = keyMaps_.GetKnobIndices();
  const KnobRows rows = keyMaps_.GetKnobRows();
  const std::vector<int> macroIds = MacroIds();
  device::CommandBracket bracket(keyboard_);
  for (const PendingKnobWrite& write : writes) {
    if (!SendKnobWrite(write, indices, rows, macroIds)) return;
  }
}

bool KeyAssignmentService::SendKnobWrite(const PendingKnobWrite& write,
                                         const protocol::KnobIndices& indices, const KnobRows& rows,
                                         std::span<const int> macroIds) {
  const auto action = static_cast<std::size_t>(write.action);
  if (write.modelId != state_.selectedModel.load() || !indices[action]) {
    base::DebugLog("keys: knob action %d has no key index on this keyboard; nothing sent",
                   write.action);
    return true;
  }
  const auto& row = rows[action][static_cast<std::size_t>(write.layer)];
  const std::optional<protocol::KeyEntry> entry = LayerEntryOf(row, macroIds);
  if (!entry) return true;
  const device::WriteResult result = keys_.WriteKeyEntry(write.layer, *indices[action], *entry);
  if (device::Succeeded(result)) return true;
  base::ErrorLog("keys: knob action %d on layer %d: %s", write.action, write.layer,
                 device::WriteResultName(result));
  return false;
}

}  // namespace keys
