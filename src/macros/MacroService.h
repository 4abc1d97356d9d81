#pragma once
// The macros: stored in the database for every profile of the model, listed in their slot order
// (a key plays a macro by its slot), and written to the keyboard as one memory image by task 11.
// Worker side: no controls. Changes are made on the UI thread (or a command line's thread);
// every change of what the keyboard plays queues task 11, which builds the image from what is
// stored when it runs.
//
// The keyboard's memory is never promised more than it holds: the image takes at most the
// memory size the keyboard reported (and never more than 4224 bytes), so a macro grows only
// while its events, with the header, the offset table and a body header for every macro that
// has events, still fit. A keyboard whose memory size was never read gets no image at all.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/MacroEvents.h"
#include "storage/Records.h"

class CurrentModel;
class DeviceTaskQueue;
class TaskTable;
struct SharedState;
namespace core {
class TextTable;
}
namespace device {
class KeyboardCommands;
class MacroCommands;
}  // namespace device
namespace keys {
class KeyAssignmentService;
}
namespace storage {
class SettingsDatabase;
}

namespace macros {

enum class MacroResult {
  kDone,
  kNoSuchMacro,
  kLimit,          // ten macros already
  kInvalidName,    // empty, control characters, too long
  kNoRoom,         // the events do not fit in the keyboard's memory
  kMemoryUnknown,  // the keyboard never reported its memory size: nothing may grow
  kNotStored,      // the database did not take it; what is stored stays
  kFile,           // a file could not be read or written
};
const char* MacroResultName(MacroResult result);

// How much of the keyboard's memory the stored macros take.
struct MemoryUse {
  std::size_t capacity = 0;  // bytes the image may take; 0 when unknown
  std::size_t imageBytes = 0;
  std::size_t events = 0;
};

class MacroService {
 public:
  static constexpr std::size_t kMaxMacros = 10;

  MacroService(SharedState& state, device::KeyboardCommands& keyboard,
               device::MacroCommands& commands, storage::SettingsDatabase& database,
               const core::TextTable& texts, const CurrentModel& model, DeviceTaskQueue& tasks,
               keys::KeyAssignmentService& keys);

  // Task 11.
  void RegisterTasks(TaskTable& table);

  // ---- What is stored ----------------------------------------------------------------------
  // In slot order.
  std::vector<storage::MacroRecord> ListMacros();
  std::optional<storage::MacroRecord> Macro(int macroId);
  std::vector<MacroEvent> Events(int macroId);
  // The name the macro page shows for a stored name.
  std::string DisplayName(std::string_view storedName) const;
  // The first free name of the form "<text 351> <n>" among `taken` (shown names).
  std::string NewMacroName(const std::vector<std::string>& taken) const;

  // ---- Changes -----------------------------------------------------------------------------
  // The ten macros M1 to M10 of a database that has none; true when it has some afterwards.
  bool EnsureDefaultMacros();
  // A new, empty macro at the end of the list; its id in `macroId`.
  MacroResult AddMacro(const std::string& name, int* macroId = nullptr);
  // A new macro with the name, settings and events of another; its id in `macroId`.
  MacroResult CopyMacro(int sourceId, int* macroId = nullptr);
  // Stored exactly as given (the page restores the old name for an empty one).
  MacroResult RenameMacro(int macroId, const std::string& name);
  // The macro and its events go; the keys that played it get their factory functions back; the
  // keyboard gets the new image and the current profile's key map again, because the macros
  // after it move up a slot and keys play macros by slot.
  MacroResult DeleteMacro(int macroId);
  // The macro's events become `events` in one transaction and the image is sent. More events
  // than it has now need the keyboard's memory size and room in it.
  MacroResult ReplaceEvents(int macroId, const std::vector<MacroEvent>& events);
  // No events any more; keys that played the macro get their factory functions back.
  MacroResult ClearEvents(int macroId);
  MacroResult SetDelaySettings(int macroId, int delayType, int delayTime);

  // ---- The keyboard's memory ---------------------------------------------------------------
  // Bytes the image may take: the smaller of the memory size the keyboard reported and 4224;
  // 0 when it never reported one.
  std::size_t Capacity() const;
  // The most events the macro may hold for every macro to fit; empty when the capacity is
  // unknown.
  std::optional<std::size_t> MaxEventsOf(int macroId);
  MemoryUse Use();

  // ---- Files -------------------------------------------------------------------------------
  MacroResult ExportMacro(int macroId, const std::filesystem::path& file, std::string* error);
  // A new macro from a file (the ten-macro limit and the room apply); its id in `macroId`.
  MacroResult ImportMacro(const std::filesystem::path& file, int* macroId, std::string* error);

  // ---- Worker ------------------------------------------------------------------------------
  // Task 11: the image of the stored macros, inside one command bracket.
  void SendMacros();
  // Whether the last task 11 that ran gave the keyboard the whole image.
  bool LastSendDone() const { return lastSendDone_.load(); }
  // Queues task 11 for a change.
  void QueueSend();

 private:
  std::vector<std::vector<MacroEvent>> StoredEvents(const std::vector<storage::MacroRecord>& list);
  bool MayGrowTo(int macroId, std::size_t count, MacroResult& refusal);
  static std::vector<storage::MacroStepRecord> StepsOf(int macroId,
                                                       const std::vector<MacroEvent>& events);

  SharedState& state_;
  device::KeyboardCommands& keyboard_;
  device::MacroCommands& commands_;
  storage::SettingsDatabase& database_;
  const core::TextTable& texts_;
  const CurrentModel& model_;
  DeviceTaskQueue& tasks_;
  keys::KeyAssignmentService& keys_;
  // Changes since start and the change the keyboard has: a queued task 11 that finds nothing
  // new since the last send that succeeded sends nothing again.
  std::atomic<std::uint64_t> changes_{0};
  std::uint64_t sentChange_ = 0;  // worker
  std::atomic<bool> lastSendDone_{false};
};

}  // namespace macros
