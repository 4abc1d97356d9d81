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

  static CommandOutcome Now(cli::Answer answer);
  static CommandOutcome AfterTasks(std::function<cli::Answer()> answer, std::string whenDropped);
};

using CommandHandler = CommandOutcome (*)(const CommandCall& call);

// The handler of a command (by its words, "profile select"); null when there is none.
CommandHandler FindCommandHandler(std::string_view words);

// Commands that talk to the keyboard need it attached and awake: the failure when it is not.
std::optional<cli::Answer> KeyboardProblem(KeyboardDlg& dialog);
// File arguments arrive absolute (tarvoctl makes them so): the failure when one is not.
std::optional<cli::Answer> FileProblem(const std::string& file);
