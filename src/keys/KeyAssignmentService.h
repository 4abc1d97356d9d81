#pragma once
// What every key does on each Fn layer of the current profile, and the knob's actions: the
// changes the key page (and the command line) make, stored first and then sent to the keyboard
// by tasks 9 and 8, and the profile's whole key map sent after a profile switch. Worker side:
// no controls; whoever shows the keys listens as an observer.
//
// Changes are made on the UI thread (or a command line's thread); the database is the source of
// truth for keys, the knob's actions live in memory (KeyMapReader). Each change is captured with
// its model, profile, layer and key when it is made, so what the user does before the task runs
// cannot redirect it; the task is queued once however many changes wait for it.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "keys/KeyDescriptions.h"
#include "keys/KeyFunctionCatalogue.h"
#include "keys/KeyMapReader.h"
#include "keys/KeyWrites.h"
#include "protocol/KeyEntry.h"
#include "storage/Records.h"

class CurrentLayout;
class CurrentModel;
class DeviceTaskQueue;
class TaskTable;
struct SharedState;
namespace core {
class TextTable;
}
namespace device {
class KeyboardCommands;
class KeyCommands;
}  // namespace device
namespace storage {
class SettingsDatabase;
}

namespace keys {

// A function for a key: what it does and the label the key shows (empty: the function's own
// name, see LabelOf).
struct KeyChoice {
  protocol::KeyFunction function;
  std::string label;
};

enum class ChangeResult {
  kDone,
  kNoSuchLayer,          // a layer outside 0..3, a knob action outside 0..2
  kNoSuchKey,            // the code names no key of the model (or no key the keyboard maps)
  kUnknownFunction,      // nothing a key entry can carry
  kNoSuchMacro,          // a macro id the database does not hold
  kMacroWithoutEvents,   // a macro with nothing to play
  kFactoryTablesUnread,  // the keyboard's factory tables of this model were never read whole
  kNotStored,            // the database did not take the change; what is stored stays
};
const char* ChangeResultName(ChangeResult result);

class KeyAssignmentService {
 public:
  // Hears of every stored change (on the thread that made it).
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void OnKeyChanged(const storage::KeyAssignmentRecord& /*row*/) {}
    // Several keys of a profile's layer changed at once (a restored layer, a deleted macro).
    virtual void OnLayerChanged(int /*profile*/, int /*layer*/) {}
  };

  using KnobRows = KeyMapReader::KnobRows;
  using KnobLayerRows = std::array<storage::KeyAssignmentRecord, protocol::kKnobActionCount>;

  KeyAssignmentService(SharedState& state, device::KeyboardCommands& keyboard,
                       device::KeyCommands& keys, storage::SettingsDatabase& database,
                       const core::TextTable& texts, KeyMapReader& keyMaps,
                       const CurrentModel& model, const CurrentLayout& layout,
                       DeviceTaskQueue& tasks);

  // Before the worker starts.
  void SetObserver(Observer* observer) { observer_ = observer; }
  // Tasks 8 and 9 with their epilogues.
  void RegisterTasks(TaskTable& table);
  // The catalogue's names follow the interface language: built again after a change of it.
  void BuildCatalogue();
  const KeyFunctionCatalogue& Catalogue() const { return catalogue_; }

  // ---- Changes of the current profile (UI thread or a command line) ----------------------
  // Gives a key of a layer a function and sends it.
  ChangeResult AssignFunction(int layer, int keyCode, const KeyChoice& choice);
  // A key of a layer back to its factory function (the keyboard's factory table says which).
  ChangeResult ResetKey(int layer, int keyCode);
  // Every key of a layer back to its factory function; the layer's factory table is sent.
  ChangeResult ResetLayer(int layer);
  // The play options of a key's macro: mode 0 plays `count` times (clamped to 1..255), modes
  // 1 to 3 keep the stored count. The macro itself remembers them too.
  ChangeResult SetMacroPlayOptions(int layer, int keyCode, int macroId, const std::string& label,
                                   int mode, int count);
  // Every key of every profile and layer that plays the macro goes back to its factory
  // function, and the current profile's key map is sent whole; the number of keys reset. A
  // caller that also changes the macro image queues its task first.
  int UnassignMacro(int macroId);
  // The current profile's four layers, sent whole by the next task 9.
  void QueueAllLayers();

  // The functions the knob's actions can have, named in the interface language.
  std::vector<KeyFunctionEntry> KnobFunctionList() const;
  // The knob: an action's function on a layer, sent at once.
  ChangeResult AssignKnobAction(int layer, int action, const KeyFunctionEntry& function);
  // The three actions of a layer as the knob dialog has them; `changed` is the action to send.
  ChangeResult SetKnobRows(int layer, const KnobLayerRows& rows, int changed);

  // ---- What is stored --------------------------------------------------------------------
  std::vector<storage::KeyAssignmentRecord> LayerRows(int profile, int layer);
  std::optional<storage::KeyAssignmentRecord> Row(int profile, int layer, int keyCode);
  KnobLayerRows KnobRowsOfLayer(int layer) const;
  // The macros in their stored order, with the names keys and the picker show.
  std::vector<MacroName> MacroList();
  std::optional<storage::MacroRecord> Macro(int macroId);
  int MacroEventCount(int macroId);
  // The name a function shows on its key when no label is given.
  std::string LabelOf(const protocol::KeyFunction& function);
  // The writes waiting for task 9.
  std::vector<PendingKeyWrite> WaitingKeyWrites() const { return keyWrites_.Waiting(); }

  // ---- Worker ----------------------------------------------------------------------------
  // Task 9: the waiting key writes, in order, inside one command bracket; the first that fails
  // ends the task.
  void SendKeyAssignments();
  // Task 8: the waiting knob actions.
  void SendKnobAssignments();
  // The profile's four layers, each its factory table with the profile's rows on it (after a
  // profile switch). False when a table could not be built or written.
  bool SendAllLayers(int profile);

 private:
  struct Tables;  // what a send needs of the keyboard's maps
  struct StoredRow {
    storage::KeyAssignmentRecord row;
    bool existed = false;  // false: a key of the layout the profile had no row for
  };

  ChangeResult Validate(const protocol::KeyFunction& function);
  std::optional<StoredRow> RowOrNew(int profile, int layer, int keyCode);
  bool Store(const StoredRow& stored);
  KeyDescriptionContext NameContext(std::vector<MacroName>& macros);
  void QueueKeyWrite(PendingKeyWrite write);
  void QueueKnobWrite(int layer, int action);
  void FinishKeyTask();
  void FinishKnobTask();
  std::vector<int> MacroIds();
  std::optional<Tables> UsableTables(const char* what);
  bool SendWrite(const PendingKeyWrite& write, const Tables& tables);
  bool SendKey(const PendingKeyWrite& write, const Tables& tables);
  bool SendLayers(int profile, const Tables& tables);
  bool SendKnobWrite(const PendingKnobWrite& write, const protocol::KnobIndices& indices,
                     const KnobRows& rows, std::span<const int> macroIds);

  SharedState& state_;
  device::KeyboardCommands& keyboard_;
  device::KeyCommands& keys_;
  storage::SettingsDatabase& database_;
  const core::TextTable& texts_;
  KeyMapReader& keyMaps_;
  const CurrentModel& model_;
  const CurrentLayout& layout_;
  DeviceTaskQueue& tasks_;
  KeyFunctionCatalogue catalogue_;
  Observer* observer_ = nullptr;
  PendingWrites<PendingKeyWrite> keyWrites_;
  PendingWrites<PendingKnobWrite> knobWrites_;
};

}  // namespace keys
