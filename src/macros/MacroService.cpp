#include "macros/MacroService.h"

#include <algorithm>

#include "base/Files.h"
#include "base/Log.h"
#include "base/Text.h"
#include "core/DeviceTaskQueue.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TaskTable.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "device/KeyboardCommands.h"
#include "device/MacroCommands.h"
#include "keys/KeyAssignmentService.h"
#include "macros/MacroFile.h"
#include "macros/MacroRecorder.h"
#include "protocol/Commands.h"
#include "protocol/MacroImage.h"
#include "storage/SettingsDatabase.h"

namespace macros {
namespace {

constexpr int kDefaultMacroCount = 10;
constexpr int kLastNameNumber = 1000;

struct Prefix {
  std::string_view text;
  std::size_t characters;
};
// Names that begin with a default word show the language's word for a macro instead.
constexpr Prefix kCustomPrefixes[] = {{"Custom", 6}, {"\xE8\x87\xAA\xE5\xAE\x9A\xE4\xB9\x89", 3}};
// Names that end with the copy word show the language's word for a copy.
constexpr std::string_view kCopyWords[] = {"Copy", "\xE5\xA4\x8D\xE5\x88\xB6"};

}  // namespace

const char* MacroResultName(MacroResult result) {
  switch (result) {
    case MacroResult::kDone:
      return "done";
    case MacroResult::kNoSuchMacro:
      return "no such macro";
    case MacroResult::kLimit:
      return "a keyboard model keeps at most 10 macros";
    case MacroResult::kInvalidName:
      return "not a usable macro name";
    case MacroResult::kNoRoom:
      return "the keyboard's macro memory has no room for these events";
    case MacroResult::kMemoryUnknown:
      return "the keyboard's macro memory size is not known yet (connect the keyboard)";
    case MacroResult::kFile:
      return "the file could not be read or written";
    case MacroResult::kNotStored:
      break;
  }
  return "the change could not be stored";
}

MacroService::MacroService(SharedState& state, device::KeyboardCommands& keyboard,
                           device::MacroCommands& commands, storage::SettingsDatabase& database,
                           const core::TextTable& texts, const CurrentModel& model,
                           DeviceTaskQueue& tasks, keys::KeyAssignmentService& keys)
    : state_(state),
      keyboard_(keyboard),
      commands_(commands),
      database_(database),
      texts_(texts),
      model_(model),
      tasks_(tasks),
      keys_(keys) {}

void MacroService::RegisterTasks(TaskTable& table) {
  table.SetRun(task::kSendMacros, [this] { SendMacros(); });
}

// What is stored -----------------------------------------------------------------------------

std::vector<storage::MacroRecord> MacroService::ListMacros() {
  std::vector<storage::MacroRecord> list;
  database_.ListMacros(list);
  return list;
}

std::optional<storage::MacroRecord> MacroService::Macro(int macroId) {
  storage::MacroRecord macro;
  if (macroId <= 0 || !database_.GetMacro(macroId, macro)) return std::nullopt;
  return macro;
}

std::vector<MacroEvent> MacroService::Events(int macroId) {
  std::vector<storage::MacroStepRecord> steps;
  database_.ListMacroSteps(macroId, steps);
  std::vector<MacroEvent> events;
  events.reserve(steps.size());
  for (const storage::MacroStepRecord& step : steps) {
    events.push_back({step.type, step.value, step.delay_time, step.desc});
  }
  return events;
}

std::string MacroService::DisplayName(std::string_view storedName) const {
  std::string name(storedName);
  for (const Prefix& prefix : kCustomPrefixes) {
    if (name.starts_with(prefix.text)) {
      name = texts_.GetText(text::kDialogSection, text::kMacroBaseName) +
             base::DropCodePoints(name, prefix.characters);
      break;
    }
  }
  for (std::string_view copy : kCopyWords) {
    if (name.ends_with(copy)) {
      return name.substr(0, name.find(copy)) + " " +
             texts_.GetText(text::kDialogSection, text::kShortcutCopy);
    }
  }
  return name;
}

std::string MacroService::NewMacroName(const std::vector<std::string>& taken) const {
  const std::string base = texts_.GetText(text::kDialogSection, text::kMacroBaseName);
  std::string candidate;
  for (int n = 1; n <= kLastNameNumber; ++n) {
    candidate = base + " " + std::to_string(n);
    if (std::find(taken.begin(), taken.end(), candidate) == taken.end()) break;
  }
  return candidate;
}

// Changes ------------------------------------------------------------------------------------

bool MacroService::EnsureDefaultMacros() {
  auto lock = database_.Lock();  // two callers never both find the table empty
  if (!ListMacros().empty()) return true;
  for (int n = 1; n <= kDefaultMacroCount; ++n) {
    if (database_.AddMacro("M" + std::to_string(n)) <= 0) {
      base::ErrorLog("macros: the default macro M%d could not be stored", n);
      break;
    }
  }
  return !ListMacros().empty();
}

MacroResult MacroService::AddMacro(const std::string& name, int* macroId) {
  if (MacroNameProblem(name)) return MacroResult::kInvalidName;
  auto lock = database_.Lock();
  if (ListMacros().size() >= kMaxMacros) return MacroResult::kLimit;
  const int id = database_.AddMacro(name);
  if (id <= 0) return MacroResult::kNotStored;
  if (macroId != nullptr) *macroId = id;
  return MacroResult::kDone;
}

MacroResult MacroService::CopyMacro(int sourceId, int* macroId) {
  auto lock = database_.Lock();
  std::optional<storage::MacroRecord> source = Macro(sourceId);
  if (!source) return MacroResult::kNoSuchMacro;
  if (ListMacros().size() >= kMaxMacros) return MacroResult::kLimit;
  const std::vector<MacroEvent> events = Events(sourceId);
  MacroResult refusal = MacroResult::kDone;
  // The copy is one more macro with events: it must fit beside the others.
  if (!events.empty() && !MayGrowTo(0, events.size(), refusal)) return refusal;
  storage::MacroRecord copy = *source;
  // Shown as the source's name, a space and the language's word for a copy.
  copy.name = DisplayName(source->name) + "Copy";
  if (MacroNameProblem(copy.name)) copy.name = "Copy";
  const int id = database_.AddMacroWithSteps(copy, StepsOf(0, events));
  if (id <= 0) return MacroResult::kNotStored;
  if (macroId != nullptr) *macroId = id;
  if (!events.empty()) QueueSend();
  return MacroResult::kDone;
}

MacroResult MacroService::RenameMacro(int macroId, const std::string& name) {
  if (!Macro(macroId)) return MacroResult::kNoSuchMacro;
  if (MacroNameProblem(name)) return MacroResult::kInvalidName;
  return database_.RenameMacro(macroId, name) ? MacroResult::kDone : MacroResult::kNotStored;
}

MacroResult MacroService::DeleteMacro(int macroId) {
  if (!Macro(macroId)) return MacroResult::kNoSuchMacro;
  if (!database_.DeleteMacro(macroId)) return MacroResult::kNotStored;
  // The image first: it puts the later macros into their new slots; then the keys, which
  // refer to those slots.
  QueueSend();
  keys_.UnassignMacro(macroId);
  keys_.QueueAllLayers();
  return MacroResult::kDone;
}

MacroResult MacroService::ReplaceEvents(int macroId, const std::vector<MacroEvent>& events) {
  auto lock = database_.Lock();
  if (!Macro(macroId)) return MacroResult::kNoSuchMacro;
  MacroResult refusal = MacroResult::kDone;
  if (events.size() > static_cast<std::size_t>(database_.CountMacroSteps(macroId)) &&
      !MayGrowTo(macroId, events.size(), refusal)) {
    return refusal;
  }
  if (!database_.ReplaceMacroSteps(macroId, StepsOf(macroId, events))) {
    base::ErrorLog("macros: the events of macro %d could not be stored; the old ones stay",
                   macroId);
    return MacroResult::kNotStored;
  }
  QueueSend();
  return MacroResult::kDone;
}

MacroResult MacroService::ClearEvents(int macroId) {
  const MacroResult result = ReplaceEvents(macroId, {});
  if (result == MacroResult::kDone) keys_.UnassignMacro(macroId);
  return result;
}

MacroResult MacroService::SetDelaySettings(int macroId, int delayType, int delayTime) {
  std::optional<storage::MacroRecord> macro = Macro(macroId);
  if (!macro) return MacroResult::kNoSuchMacro;
  macro->delay_type =
      std::clamp(delayType, static_cast<int>(kDelayNone), static_cast<int>(kDelayFixed));
  macro->delay_time =
      macro->delay_type == kDelayFixed ? std::clamp(delayTime, kMinTypedDelay, kMaxTypedDelay) : 0;
  return database_.UpdateMacro(macroId, *macro) ? MacroResult::kDone : MacroResult::kNotStored;
}

std::vector<storage::MacroStepRecord> MacroService::StepsOf(int macroId,
                                                            const std::vector<MacroEvent>& events) {
  std::vector<storage::MacroStepRecord> steps;
  steps.reserve(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const MacroEvent& e = events[i];
    steps.push_back({0, macroId, e.type, static_cast<int>(i), e.value, e.delay, e.text});
  }
  return steps;
}

// The keyboard's memory --------------------------------------------------------------------------

std::size_t MacroService::Capacity() const {
  const ModelCapabilities capabilities = model_.Get();
  if (!capabilities.device) return 0;
  const int bytes = capabilities.device->MacroMemoryBytes();
  return bytes <= 0 ? 0 : std::min<std::size_t>(bytes, protocol::kMacroImageMaxLength);
}

std::optional<std::size_t> MacroService::MaxEventsOf(int macroId) {
  const std::size_t capacity = Capacity();
  if (capacity == 0) return std::nullopt;
  std::vector<std::size_t> counts;
  std::size_t index = 0;
  bool found = false;
  for (const storage::MacroRecord& macro : ListMacros()) {
    if (macro.macro_id == macroId) {
      index = counts.size();
      found = true;
    }
    counts.push_back(
        static_cast<std::size_t>(std::max(database_.CountMacroSteps(macro.macro_id), 0)));
  }
  // A macro not in the list yet (a copy, an import) comes at its end.
  if (!found) {
    index = counts.size();
    counts.push_back(0);
  }
  return protocol::MacroEventsThatFit(counts, index, capacity);
}

bool MacroService::MayGrowTo(int macroId, std::size_t count, MacroResult& refusal) {
  const std::optional<std::size_t> most = MaxEventsOf(macroId);
  if (!most) {
    refusal = MacroResult::kMemoryUnknown;
    return false;
  }
  if (count > *most) {
    refusal = MacroResult::kNoRoom;
    return false;
  }
  return true;
}

MemoryUse MacroService::Use() {
  MemoryUse use;
  use.capacity = Capacity();
  const std::vector<storage::MacroRecord> list = ListMacros();
  std::size_t withEvents = 0;
  for (const std::vector<MacroEvent>& events : StoredEvents(list)) {
    use.events += events.size();
    if (!events.empty()) ++withEvents;
  }
  use.imageBytes = protocol::MacroImageOverhead(list.size(), withEvents) +
                   protocol::kMacroEventLength * use.events;
  return use;
}

std::vector<std::vector<MacroEvent>> MacroService::StoredEvents(
    const std::vector<storage::MacroRecord>& list) {
  std::vector<std::vector<MacroEvent>> events;
  events.reserve(list.size());
  for (const storage::MacroRecord& macro : list) events.push_back(Events(macro.macro_id));
  return events;
}

// Files ------------------------------------------------------------------------------------------

MacroResult MacroService::ExportMacro(int macroId, const std::filesystem::path& file,
                                      std::string* error) {
  std::optional<storage::MacroRecord> macro = Macro(macroId);
  if (!macro) return MacroResult::kNoSuchMacro;
  const std::string text = WriteMacroFile({*macro, Events(macroId)});
  return base::WriteFileAtomically(file, text, error) ? MacroResult::kDone : MacroResult::kFile;
}

MacroResult MacroService::ImportMacro(const std::filesystem::path& file, int* macroId,
                                      std::string* error) {
  const std::optional<std::string> text = ReadMacroFileText(file, error);
  if (!text) return MacroResult::kFile;
  std::optional<MacroFileContent> content = ReadMacroFile(*text, error);
  if (!content) return MacroResult::kFile;
  auto lock = database_.Lock();
  if (ListMacros().size() >= kMaxMacros) return MacroResult::kLimit;
  MacroResult refusal = MacroResult::kDone;
  if (!content->events.empty() && !MayGrowTo(0, content->events.size(), refusal)) return refusal;
  const int id = database_.AddMacroWithSteps(content->macro, StepsOf(0, content->events));
  if (id <= 0) return MacroResult::kNotStored;
  if (macroId != nullptr) *macroId = id;
  if (!content->events.empty()) QueueSend();
  return MacroResult::kDone;
}

// Worker -----------------------------------------------------------------------------------------

void MacroService::QueueSend() {
  changes_.fetch_add(1);
  tasks_.Append(task::kSendMacros);
}

void MacroService::SendMacros() {
  TARVO_EXPECT_WORKER();
  const std::uint64_t change = changes_.load();
  if (change == sentChange_ && lastSendDone_.load()) return;  // a task queued twice
  lastSendDone_.store(false);
  const std::size_t capacity = Capacity();
  if (capacity == 0) {
    base::ErrorLog("macros: the keyboard never reported its macro memory size; nothing sent");
    return;
  }
  const std::vector<storage::MacroRecord> list = ListMacros();
  std::vector<std::vector<protocol::MacroImageEvent>> macros;
  for (const std::vector<MacroEvent>& events : StoredEvents(list)) {
    std::vector<protocol::MacroImageEvent>& image = macros.emplace_back();
    for (const MacroEvent& event : events) image.push_back(ImageEventOf(event));
  }
  const std::optional<protocol::MacroImage> image = protocol::BuildMacroImage(macros, capacity);
  if (!image) {
    base::ErrorLog("macros: %zu macros do not fit in %zu bytes; nothing sent", list.size(),
                   capacity);
    return;
  }
  if (!image->complete) {
    base::ErrorLog(
        "macros: the keyboard's memory holds only part of the events; the rest is "
        "left out");
  }
  device::CommandBracket bracket(keyboard_);
  const bool receiver = state_.connectionKind.load() == kConnectionReceiver;
  if (!commands_.WriteMacroImage(image->bytes, receiver)) return;
  sentChange_ = change;
  lastSendDone_.store(true);
}

}  // namespace macros
