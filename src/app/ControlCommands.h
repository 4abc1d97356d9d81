#pragma once
// What each of tarvoctl's commands does in the controller: one handler per command of the
// table (cli/CommandTable.h), each calling the feature operations the window's controls call.
// Handlers run on the UI thread with their arguments already checked against the table.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandTable.h"
#include "cli/Protocol.h"

class KeyboardDlg;

struct CommandCall {
  KeyboardDlg& dialog;
  const cli::CommandSpec& command;
  const std::vector<std::string>& arguments;
};

struct CommandOutcome {
  // The answer, when the command queued nothing for the keyboard.
  cli::Answer answer;
  // Set when it did: builds the answer once every task it queued has run (UI thread).
  std::function<cli::Answer()> afterTasks;
  // What to say when one of those tasks was dropped instead (the keyboard went away).
  std::string whenDropped;
  // Optional (UI thread): true while the room still holds part of the change for a task that
  // is yet to come (one queued by a task that ran meanwhile); the answer waits for it too.
  std::function<bool()> stillSending;

  static CommandOutcome Now(cli::Answer answer);
  static CommandOutcome AfterTasks(std::function<cli::Answer()> answer, std::string whenDropped);
};

using CommandHandler = CommandOutcome (*)(const CommandCall& call);

// Shared by the handlers of every room.
// The failure to answer when the keyboard is not attached and awake; empty when it is.
std::optional<cli::Answer> KeyboardProblem(KeyboardDlg& dialog);
// A profile as the list shows it, {"id", "name"}; null for none.
base::Json ProfileJson(KeyboardDlg& dialog, int profile);
// The active profile, as ProfileJson.
base::Json ActiveProfileJson(KeyboardDlg& dialog);
// The outcome of a change a room queued for the keyboard: `result` (with the active profile
// added) once the tasks have run, a failure when the keyboard went away before.
CommandOutcome AfterChange(KeyboardDlg& dialog, std::function<base::Json()> result);
// File arguments arrive absolute (tarvoctl makes them so): what is wrong, else empty.
std::optional<cli::Answer> FileProblem(const std::string& file);

// The handler of a command (by its words, "profile select"); null when there is none.
CommandHandler FindCommandHandler(std::string_view words);
