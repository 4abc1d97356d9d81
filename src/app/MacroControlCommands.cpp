#include "app/MacroControlCommands.h"

#include "app/KeyboardDlg.h"
#include "macros/MacroFile.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;
using macros::MacroResult;

// The macros as the macro list shows them: a database without any gets the ten default ones,
// as it does when the macro page is visited.
macros::MacroService& Service(KeyboardDlg& dialog) {
  macros::MacroService& service = dialog.Macros().Service();
  service.EnsureDefaultMacros();
  return service;
}

// A recording under way in the window ends (and is stored) before a command changes macros.
macros::MacroPage& StoppedPage(KeyboardDlg& dialog) {
  macros::MacroPage& page = dialog.Macros().Page();
  page.StopRecording();
  return page;
}

struct FoundMacro {
  storage::MacroRecord macro;
  int slot = 0;  // 1-based
};

std::optional<FoundMacro> FindMacro(KeyboardDlg& dialog, const std::string& word) {
  const int id = cli::ParseNumber(word).value_or(0);
  int slot = 0;
  for (const storage::MacroRecord& macro : Service(dialog).ListMacros()) {
    ++slot;
    if (macro.macro_id == id) return FoundMacro{macro, slot};
  }
  return std::nullopt;
}

Answer NoSuchMacro(const std::string& word) {
  return Answer::Failure(Reason::kNotFound,
                         "no such macro: " + word + " (see 'tarvoctl macro list')");
}

Reason ReasonOf(MacroResult result) {
  switch (result) {
    case MacroResult::kNoSuchMacro:
      return Reason::kNotFound;
    case MacroResult::kLimit:
    case MacroResult::kNoRoom:
      return Reason::kLimit;
    case MacroResult::kInvalidName:
      return Reason::kInvalidValue;
    case MacroResult::kMemoryUnknown:
      return Reason::kNoKeyboard;
    case MacroResult::kFile:
      return Reason::kFile;
    default:
      return Reason::kFailed;
  }
}

Answer FailureOf(MacroResult result, const std::string& detail = {}) {
  return Answer::Failure(ReasonOf(result), std::string(macros::MacroResultName(result)) +
                                               (detail.empty() ? "" : ": " + detail));
}

std::string DelaysText(const storage::MacroRecord& macro) {
  switch (macro.delay_type) {
    case macros::kDelayNone:
      return "none";
    case macros::kDelayFixed:
      return "fixed " + std::to_string(macro.delay_time) + " ms";
    default:
      return "recorded";
  }
}

Json MacroJson(KeyboardDlg& dialog, const FoundMacro& found) {
  return Json::MakeObject()
      .Set("id", found.macro.macro_id)
      .Set("slot", found.slot)
      .Set("name", Service(dialog).DisplayName(found.macro.name))
      .Set("stored_name", found.macro.name)
      .Set("delays", DelaysText(found.macro));
}

// The answer once task 11 has run: whether the keyboard took the whole image.
CommandOutcome AfterSend(KeyboardDlg& dialog, Json result) {
  return CommandOutcome::AfterTasks(
      [&dialog, result] {
        if (!Service(dialog).LastSendDone()) {
          return Answer::Failure(Reason::kFailed,
                                 "the keyboard did not take the macros (the change is stored)");
        }
        return Answer::Success(result);
      },
      "the keyboard went away before it received the macros (the change is stored)");
}

}  // namespace

CommandOutcome MacroList(const CommandCall& call) {
  macros::MacroService& service = Service(call.dialog);
  Json list = Json::MakeArray();
  int slot = 0;
  for (const storage::MacroRecord& macro : service.ListMacros()) {
    Json entry = MacroJson(call.dialog, {macro, ++slot});
    entry.Set("events", static_cast<std::int64_t>(service.Events(macro.macro_id).size()));
    list.Push(std::move(entry));
  }
  const macros::MemoryUse use = service.Use();
  Json memory = Json::MakeObject().Set("used", static_cast<std::int64_t>(use.imageBytes));
  memory.Set("bytes", use.capacity > 0 ? Json(static_cast<std::int64_t>(use.capacity)) : Json());
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject().Set("macros", std::move(list)).Set("memory", memory)));
}

CommandOutcome MacroShow(const CommandCall& call) {
  const std::optional<FoundMacro> found = FindMacro(call.dialog, call.arguments[0]);
  if (!found) return CommandOutcome::Now(NoSuchMacro(call.arguments[0]));
  const std::vector<macros::MacroEvent> events = Service(call.dialog).Events(found->macro.macro_id);
  Json list = Json::MakeArray();
  for (const macros::MacroEvent& event : events) {
    list.Push(Json::MakeObject()
                  .Set("type", event.type)
                  .Set("value", event.value)
                  .Set("delay", event.delay)
                  .Set("text", event.text));
  }
  Json result = MacroJson(call.dialog, *found);
  result.Set("events", std::move(list));
  result.Set("text", macros::FormatEvents(events));
  return CommandOutcome::Now(Answer::Success(std::move(result)));
}

CommandOutcome MacroAdd(const CommandCall& call) {
  const std::string& name = call.arguments[0];
  if (const auto problem = macros::MacroNameProblem(name))
    return CommandOutcome::Now(Answer::Failure(Reason::kInvalidValue, *problem));
  macros::MacroPage& page = StoppedPage(call.dialog);
  int macroId = 0;
  const MacroResult result = Service(call.dialog).AddMacro(name, &macroId);
  if (result != MacroResult::kDone) return CommandOutcome::Now(FailureOf(result));
  page.ReloadList(macroId);
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("message", "macro " + std::to_string(macroId) + " \"" + name + "\" added")
          .Set("id", macroId)));
}

CommandOutcome MacroDelete(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<FoundMacro> found = FindMacro(dialog, call.arguments[0]);
  if (!found) return CommandOutcome::Now(NoSuchMacro(call.arguments[0]));
  // The keys after it must follow it to their new slots on the keyboard.
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  macros::MacroPage& page = StoppedPage(dialog);
  const MacroResult result = Service(dialog).DeleteMacro(found->macro.macro_id);
  if (result != MacroResult::kDone) return CommandOutcome::Now(FailureOf(result));
  page.ReloadList(page.SelectedMacro());
  return AfterSend(
      dialog, Json::MakeObject()
                  .Set("message", "macro " + call.arguments[0] + " deleted (sent to the keyboard)")
                  .Set("id", found->macro.macro_id));
}

CommandOutcome MacroRename(const CommandCall& call) {
  const std::optional<FoundMacro> found = FindMacro(call.dialog, call.arguments[0]);
  if (!found) return CommandOutcome::Now(NoSuchMacro(call.arguments[0]));
  const std::string& name = call.arguments[1];
  if (const auto problem = macros::MacroNameProblem(name))
    return CommandOutcome::Now(Answer::Failure(Reason::kInvalidValue, *problem));
  macros::MacroPage& page = StoppedPage(call.dialog);
  const MacroResult result = Service(call.dialog).RenameMacro(found->macro.macro_id, name);
  if (result != MacroResult::kDone) return CommandOutcome::Now(FailureOf(result));
  page.ReloadList(page.SelectedMacro());
  return CommandOutcome::Now(Answer::Success(
      Json::MakeObject()
          .Set("message", "macro " + call.arguments[0] + " renamed to \"" + name + "\"")
          .Set("id", found->macro.macro_id)));
}

CommandOutcome MacroSet(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<FoundMacro> found = FindMacro(dialog, call.arguments[0]);
  if (!found) return CommandOutcome::Now(NoSuchMacro(call.arguments[0]));
  std::string error;
  const std::optional<std::vector<macros::MacroEvent>> events =
      macros::ParseEvents(call.arguments[1], &error);
  if (!events) return CommandOutcome::Now(Answer::Failure(Reason::kInvalidValue, error));
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  macros::MacroPage& page = StoppedPage(dialog);
  const int macroId = found->macro.macro_id;
  const MacroResult result = events->empty() ? Service(dialog).ClearEvents(macroId)
                                             : Service(dialog).ReplaceEvents(macroId, *events);
  if (result != MacroResult::kDone) return CommandOutcome::Now(FailureOf(result));
  page.ReloadList(macroId);
  return AfterSend(dialog, Json::MakeObject()
                               .Set("message", "macro " + call.arguments[0] + ": " +
                                                   std::to_string(events->size()) +
                                                   " events (sent to the keyboard)")
                               .Set("id", macroId)
                               .Set("events", static_cast<std::int64_t>(events->size())));
}

CommandOutcome MacroExport(const CommandCall& call) {
  const std::optional<FoundMacro> found = FindMacro(call.dialog, call.arguments[0]);
  if (!found) return CommandOutcome::Now(NoSuchMacro(call.arguments[0]));
  const std::string& file = call.arguments[1];
  if (std::optional<Answer> problem = FileProblem(file)) return CommandOutcome::Now(*problem);
  std::string error;
  const MacroResult result = Service(call.dialog).ExportMacro(found->macro.macro_id, file, &error);
  if (result != MacroResult::kDone) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kFile, "cannot write " + file + (error.empty() ? "" : ": " + error)));
  }
  return CommandOutcome::Now(
      Answer::Success(Json::MakeObject()
                          .Set("message", "macro " + call.arguments[0] + " written to " + file)
                          .Set("file", file)));
}

CommandOutcome MacroImport(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::string& file = call.arguments[0];
  if (std::optional<Answer> problem = FileProblem(file)) return CommandOutcome::Now(*problem);
  // Its events must fit in the keyboard's memory: the keyboard must have told its size.
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  macros::MacroPage& page = StoppedPage(dialog);
  int macroId = 0;
  std::string error;
  const MacroResult result = Service(dialog).ImportMacro(file, &macroId, &error);
  if (result == MacroResult::kFile) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kFile, "cannot read " + file + ": " + error));
  }
  if (result != MacroResult::kDone) return CommandOutcome::Now(FailureOf(result));
  page.ReloadList(macroId);
  Json answer = Json::MakeObject()
                    .Set("message", "macro " + std::to_string(macroId) + " imported from " + file)
                    .Set("id", macroId);
  if (Service(dialog).Events(macroId).empty()) return CommandOutcome::Now(Answer::Success(answer));
  return AfterSend(dialog, std::move(answer));
}
