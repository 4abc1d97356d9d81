#include "cli/CommandTable.h"

#include <algorithm>

#include "base/Text.h"
#include "cli/Formatting.h"
#include "cli/SettingNames.h"

namespace cli {
namespace {

using Kind = ArgumentKind;

std::string SettingsSetDetails() {
  std::string text =
      "Stores the setting for the active profile and sends it to the keyboard; returns once\n"
      "the keyboard has received it.\n\nSettings:\n";
  for (const SettingName& setting : SettingNames()) {
    std::string line = "  " + std::string(setting.name);
    line.resize(16, ' ');
    text += line + AllowedWordsText(setting) + "\n";
    text += std::string(16, ' ') + setting.description +
            (setting.knob ? " (keyboards with a knob; kept by Tarvo)" : "") + "\n";
  }
  return text;
}

std::string ProfileSelectDetails() {
  return "ID-or-NAME is the profile's number as 'profile list' shows it, or its name. A word\n"
         "of digits is taken as a number. The profile becomes active and is sent to the\n"
         "keyboard; the command returns once the keyboard has received it.\n";
}

std::string ProfileAddDetails() {
  return "As the add button of the window: the new profile becomes the active one and is sent\n"
         "to the keyboard. A model keeps at most 10 profiles. NAME has at most 64 characters.\n";
}

std::string FactoryResetDetails() {
  return "Erases every profile of the selected model and puts the keyboard back to its factory\n"
         "settings, as the window's factory reset button does. Without --yes nothing happens.\n";
}

std::string ImportDetails() {
  return "Reads a profile export file (as 'profile export' or the window write it) into a new\n"
         "profile, which becomes the active one and is sent to the keyboard.\n";
}

std::string MacroSetDetails() {
  return "Replaces the events of a macro and sends the macros to the keyboard. EVENTS is a list\n"
         "of words (quote it, or give it as the rest of the command line):\n"
         "  down:KEY  up:KEY  tap:KEY     a key going down, up, or both; KEY as the macro page\n"
         "                                names it without blanks (A, Enter, PageUp, Shift,\n"
         "                                RShift, Num1, F5) or vk:0x41\n"
         "  button-down:B  button-up:B  click:B\n"
         "                                a mouse button: left, right, middle, back, forward\n"
         "  wait:MS                       a pause of its own, 1 to 10000 ms\n"
         "  MS                            the delay after the event before it, 0 to 31000 ms\n"
         "                                (10 when none is given)\n"
         "The events must fit in the keyboard's macro memory together with the other macros.\n"
         "Example: tarvoctl macro set 1 down:A 50 up:A 20 click:left\n";
}

std::string MacroDeleteDetails() {
  return "Deletes the macro and its events. Keys that played it get their factory functions\n"
         "back; the macros after it move up a slot, and the keyboard receives the macros and\n"
         "the active profile's keys again so that every key keeps playing the same macro.\n";
}

const std::vector<CommandSpec>& Table() {
  static const std::vector<CommandSpec> table = {
      {"status",
       {},
       {},
       "the software version; every keyboard model with its connections,\n"
       "firmware and battery; the selected model; the active profile",
       nullptr,
       FormatStatus},
      {"device select",
       {{"MODEL", Kind::kModel}},
       {},
       "show and talk to another keyboard model (a number of 'status')",
       nullptr,
       FormatMessage},
      {"profile list", {}, {}, "the profiles of the selected model", nullptr, FormatProfileList},
      {"profile select",
       {{"ID-or-NAME", Kind::kProfile}},
       {},
       "make a profile the active one and send it to the keyboard",
       ProfileSelectDetails,
       FormatMessage},
      {"profile add",
       {{"NAME", Kind::kText}},
       {},
       "add a profile and make it the active one",
       ProfileAddDetails,
       FormatMessage},
      {"profile rename",
       {{"ID", Kind::kProfileId}, {"NAME", Kind::kText}},
       {},
       "rename a profile",
       nullptr,
       FormatMessage},
      {"profile delete",
       {{"ID", Kind::kProfileId}},
       {},
       "delete a profile (never the last one; deleting the active\n"
       "profile activates its neighbour)",
       nullptr,
       FormatMessage},
      {"profile export",
       {{"ID", Kind::kProfileId}, {"FILE", Kind::kFile}},
       {},
       "write a profile's key assignments to an export file",
       nullptr,
       FormatMessage},
      {"profile import",
       {{"FILE", Kind::kFile}},
       {},
       "read an export file into a new profile and make it the active one",
       ImportDetails,
       FormatMessage},
      {"settings show",
       {},
       {},
       "the keyboard settings of the active profile",
       nullptr,
       FormatSettingsShow},
      {"settings set",
       {{"NAME", Kind::kSettingName}, {"VALUE", Kind::kSettingWord}},
       {},
       "change a keyboard setting of the active profile (the names\n"
       "and values: tarvoctl settings set --help)",
       SettingsSetDetails,
       FormatMessage},
      {"macro list",
       {},
       {},
       "the macros (shared by every profile) with their slots and\n"
       "events, and the room left in the keyboard's macro memory",
       nullptr,
       FormatMacroList},
      {"macro show",
       {{"ID", Kind::kMacroId}},
       {},
       "a macro's settings and events",
       nullptr,
       FormatMacroShow},
      {"macro add",
       {{"NAME", Kind::kText}},
       {},
       "add an empty macro (at most 10)",
       nullptr,
       FormatMessage},
      {"macro delete",
       {{"ID", Kind::kMacroId}},
       {},
       "delete a macro; keys that played it get their defaults back",
       MacroDeleteDetails,
       FormatMessage},
      {"macro rename",
       {{"ID", Kind::kMacroId}, {"NAME", Kind::kText}},
       {},
       "rename a macro",
       nullptr,
       FormatMessage},
      {"macro set",
       {{"ID", Kind::kMacroId}, {"EVENTS", Kind::kWords}},
       {},
       "replace a macro's events (e.g. down:A 50 up:A) and send them",
       MacroSetDetails,
       FormatMessage},
      {"macro export",
       {{"ID", Kind::kMacroId}, {"FILE", Kind::kFile}},
       {},
       "write a macro to a file",
       nullptr,
       FormatMessage},
      {"macro import",
       {{"FILE", Kind::kFile}},
       {},
       "read a macro file into a new macro and send it",
       nullptr,
       FormatMessage},
      {"settings factory-reset",
       {},
       {"yes"},
       "erase every profile and reset the keyboard to its factory settings",
       FactoryResetDetails,
       FormatMessage},
  };
  return table;
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool StartsWith(const std::vector<std::string>& words, const std::vector<std::string>& prefix) {
  return words.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), words.begin());
}

// The commands whose words begin with `prefix`.
std::vector<const CommandSpec*> CommandsUnder(const std::vector<std::string>& prefix) {
  std::vector<const CommandSpec*> found;
  for (const CommandSpec& command : Table()) {
    if (StartsWith(command.Words(), prefix)) found.push_back(&command);
  }
  return found;
}

std::string CommandList(const std::vector<const CommandSpec*>& commands) {
  std::string text;
  for (const CommandSpec* command : commands) {
    std::string synopsis = "  " + command->Synopsis();
    for (const char* flag : command->requiredFlags) synopsis += std::string(" --") + flag;
    if (synopsis.size() < 34) {
      synopsis.resize(34, ' ');
    } else {
      synopsis += "\n" + std::string(34, ' ');
    }
    std::string summary = command->summary;
    for (std::size_t at = summary.find('\n'); at != std::string::npos;
         at = summary.find('\n', at + 1)) {
      summary.insert(at + 1, std::string(34, ' '));
    }
    text += synopsis + summary + "\n";
  }
  return text;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = "Usage: tarvoctl [--json] " + command.Synopsis();
  for (const char* flag : command.requiredFlags) text += std::string(" --") + flag;
  text += "\n" + std::string(command.summary) + "\n";
  if (command.details != nullptr) text += "\n" + command.details();
  return text;
}

std::string UsageError(const CommandSpec& command, const std::string& problem) {
  std::string synopsis = command.Synopsis();
  for (const char* flag : command.requiredFlags) synopsis += std::string(" --") + flag;
  return problem + " (usage: tarvoctl " + synopsis + ")";
}

// Checks the flags a request gives against those its command requires.
std::string FlagProblem(const CommandSpec& command, const std::vector<std::string>& flags) {
  for (const std::string& flag : flags) {
    const bool known = std::any_of(command.requiredFlags.begin(), command.requiredFlags.end(),
                                   [&](const char* wanted) { return flag == wanted; });
    if (!known) return UsageError(command, "unknown option --" + flag);
  }
  for (const char* wanted : command.requiredFlags) {
    if (std::find(flags.begin(), flags.end(), wanted) == flags.end())
      return UsageError(command, std::string(command.words) + " needs --" + wanted);
  }
  return {};
}

// What the table itself can tell of an argument; values a setting takes, names and files are
// for the command to judge (they fail with exit status 1, not as a usage error).
std::string ArgumentProblem(const CommandSpec& command, const Argument& argument,
                            const std::string& word) {
  switch (argument.kind) {
    case Kind::kProfileId:
      if (!ParseNumber(word)) return UsageError(command, "not a profile number: '" + word + "'");
      break;
    case Kind::kModel:
      if (!ParseNumber(word)) return UsageError(command, "not a model number: '" + word + "'");
      break;
    case Kind::kMacroId:
      if (!ParseNumber(word)) return UsageError(command, "not a macro number: '" + word + "'");
      break;
    case Kind::kSettingName:
      if (FindSetting(word) == nullptr) {
        std::string names;
        for (const SettingName& setting : SettingNames())
          names += (names.empty() ? "" : ", ") + std::string(setting.name);
        return UsageError(command, "unknown setting '" + word + "' (settings: " + names + ")");
      }
      break;
    case Kind::kFile:
      if (word.empty()) return UsageError(command, "an empty file name");
      break;
    default:
      break;
  }
  return {};
}

}  // namespace

std::vector<std::string> CommandSpec::Words() const {
  return SplitWords(words);
}

std::string CommandSpec::Synopsis() const {
  std::string text = words;
  for (const Argument& argument : arguments) text += std::string(" ") + argument.name;
  return text;
}

std::span<const CommandSpec> Commands() {
  return Table();
}

const CommandSpec* FindCommand(std::string_view words) {
  for (const CommandSpec& command : Table()) {
    if (command.words == words) return &command;
  }
  return nullptr;
}

Match MatchCommand(const Request& request) {
  Match match;
  const CommandSpec* best = nullptr;
  for (const CommandSpec& command : Table()) {
    if (StartsWith(request.command, command.Words())) best = &command;
  }
  if (best == nullptr) {
    if (request.command.empty()) {
      match.error = "no command given; see 'tarvoctl --help'";
    } else if (!CommandsUnder({request.command[0]}).empty()) {
      const std::string group = request.command[0];
      match.error = request.command.size() == 1
                        ? group + " needs a command; see 'tarvoctl " + group + " --help'"
                        : "unknown command '" + group + " " + request.command[1] +
                              "'; see 'tarvoctl " + group + " --help'";
    } else {
      match.error = "unknown command '" + request.command[0] + "'; see 'tarvoctl --help'";
    }
    return match;
  }
  match.command = best;
  const std::size_t own = best->Words().size();
  match.arguments.assign(request.command.begin() + static_cast<std::ptrdiff_t>(own),
                         request.command.end());
  // A last argument of words takes the rest of the line.
  const std::size_t expected = best->arguments.size();
  if (expected > 0 && best->arguments.back().kind == Kind::kWords &&
      match.arguments.size() > expected) {
    std::string rest;
    for (std::size_t i = expected - 1; i < match.arguments.size(); ++i)
      rest += (rest.empty() ? "" : " ") + match.arguments[i];
    match.arguments.resize(expected - 1);
    match.arguments.push_back(std::move(rest));
  }
  if (match.arguments.size() != best->arguments.size()) {
    match.error =
        UsageError(*best, match.arguments.size() < best->arguments.size() ? "missing arguments"
                                                                          : "too many arguments");
    return match;
  }
  for (std::size_t i = 0; i < match.arguments.size() && match.error.empty(); ++i) {
    match.error = ArgumentProblem(*best, best->arguments[i], match.arguments[i]);
  }
  if (match.error.empty()) match.error = FlagProblem(*best, request.flags);
  return match;
}

std::optional<std::string> ProfileNameProblem(std::string_view name) {
  if (base::Trim(name).empty()) return "a profile name cannot be empty";
  if (!base::IsValidUtf8(name)) return "a profile name must be UTF-8 text";
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    return "a profile name cannot hold control characters";
  if (base::CodePointCount(name) > kMaxProfileNameLength)
    return "a profile name has at most " + std::to_string(kMaxProfileNameLength) + " characters";
  return std::nullopt;
}

std::optional<int> ParseNumber(std::string_view word) {
  if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != word.npos)
    return std::nullopt;
  return base::ToInt(word);
}

std::string GeneralHelp() {
  return "Usage: tarvoctl [OPTIONS] COMMAND [ARGUMENTS]\n"
         "Reads and changes the settings of Tarvo keyboards: through the Tarvo that runs for\n"
         "this user, or, when none runs, through a Tarvo of its own that ends with the command.\n"
         "A command that changes the keyboard returns once the keyboard has received it.\n"
         "\nCommands:\n" +
         CommandList(CommandsUnder({})) +
         "\nOptions:\n"
         "  --json                          print the result as JSON\n"
         "  --virtual-keyboard[=MODEL[,receiver]]\n"
         "                                  when no Tarvo runs, use the built-in virtual\n"
         "                                  keyboard (default: model 101 by cable)\n"
         "  -h, --help                      this help; after a command, the command's help\n"
         "  --version                       the version of tarvoctl\n"
         "\nExit status: 0 done, 1 failed (one line on standard error says why), 2 usage error.\n"
         "\nExamples:\n"
         "  tarvoctl profile select Game\n"
         "  tarvoctl settings set game-mode on\n"
         "  tarvoctl macro set 1 down:A 50 up:A\n"
         "  tarvoctl --json status\n";
}

std::optional<std::string> TopicHelp(const std::vector<std::string>& words) {
  if (words.empty()) return GeneralHelp();
  const std::vector<const CommandSpec*> under = CommandsUnder(words);
  if (under.size() == 1 && under[0]->Words() == words) return CommandHelp(*under[0]);
  if (!under.empty()) {
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return "Usage: tarvoctl [--json] " + joined + " COMMAND [ARGUMENTS]\n\nCommands:\n" +
           CommandList(under);
  }
  // "tarvoctl profile select Work --help": the help of the command the words begin with.
  const Match match = MatchCommand(Request{words, {}});
  if (match.command != nullptr) return CommandHelp(*match.command);
  return std::nullopt;
}

}  // namespace cli
