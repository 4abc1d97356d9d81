#pragma once
// The command line of tarvoctl: its options, the command it names, and what the shell's
// completion is offered.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "cli/Protocol.h"

namespace cli {

struct Invocation {
  enum class Action { kRun, kHelp, kVersion, kComplete, kUsageError };
  Action action = Action::kRun;
  bool json = false;
  // --virtual-keyboard[=MODEL[,receiver]]: "" for the default keyboard.
  std::optional<std::string> virtualKeyboard;
  const CommandSpec* command = nullptr;  // kRun
  Request request;                       // kRun: file arguments made absolute
  std::string text;                      // kHelp: the help; kUsageError: the error
  std::vector<std::string> candidates;   // kComplete
};

// `arguments` without the program name; relative file arguments are taken from
// `workingFolder`. A word after "--" is never an option.
Invocation ParseInvocation(const std::vector<std::string>& arguments,
                           const std::filesystem::path& workingFolder);

// What may follow `typed` (the words after the program name, before the one being completed)
// for a word that begins as `current` does: commands, setting names and values, flags, and the
// options when `current` begins with '-'. File arguments are left to the shell.
std::vector<std::string> CompletionCandidates(const std::vector<std::string>& typed,
                                              const std::string& current);

}  // namespace cli
