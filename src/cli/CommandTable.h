#pragma once
// The commands of tarvoctl: their words, arguments and flags, their help, and how a result
// reads as text. The client checks a command line against this table before it asks anyone;
// the running Tarvo checks every request against it again. A new verb is one row here and one
// handler in app/ControlCommands.cpp (docs/tarvoctl.md).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Json.h"
#include "cli/Protocol.h"

namespace cli {

// What an argument is: how it is checked and completed, and whether the client makes it an
// absolute path before sending it (the running Tarvo has another working folder).
enum class ArgumentKind {
  kText,
  kProfile,
  kProfileId,
  kModel,
  kFile,
  kSettingName,
  kSettingWord,
  // Keys and the knob.
  kLayer,
  kKey,
  kKeyFunction,
  kKnobAction,
  // Lighting.
  kZone,
  kLightMode,  // follows a kZone argument
  kNumber,     // decimal digits
  kDirection,
  kColour,
  kSlot,
  kKeyColour,
  // Macros.
  kMacroId,
  kWords,  // the rest of the words, joined with blanks into one argument
};

// How many words an argument takes. An optional argument, or one that takes the rest of the
// words, comes last.
enum class Arity {
  kOne,
  kOptional,  // shown as [NAME]
  kRest,      // one word or more
};

struct Argument {
  const char* name;  // as the help shows it ("ID-or-NAME")
  ArgumentKind kind;
  Arity arity = Arity::kOne;
};

struct CommandSpec {
  const char* words;  // "profile select"
  std::vector<Argument> arguments;
  std::vector<const char*> requiredFlags;  // given as --yes; a command takes no other flags
  const char* summary;
  std::string (*details)() = nullptr;  // more help; none for simple commands
  // The result as text for a person; every line ends with a line end.
  std::string (*format)(const base::Json& result) = nullptr;

  std::vector<std::string> Words() const;
  std::string Synopsis() const;  // "profile rename ID NAME"
  // The argument the word at `index` (after the command's own words) fills; null past the
  // last one.
  const Argument* ArgumentAt(std::size_t index) const;
};

std::span<const CommandSpec> Commands();
const CommandSpec* FindCommand(std::string_view words);

struct Match {
  const CommandSpec* command = nullptr;  // null when the words name no command
  std::vector<std::string> arguments;    // the words after the command's own
  std::string error;                     // a usage error; empty when the request fits
};
// The command a request names, its arguments and flags checked against the table.
Match MatchCommand(const Request& request);

// Problems of a profile name (empty text, control characters, too long); empty when fine.
std::optional<std::string> ProfileNameProblem(std::string_view name);
inline constexpr std::size_t kMaxProfileNameLength = 64;  // code points
// A profile id or model number: decimal digits only, at most nine of them.
std::optional<int> ParseNumber(std::string_view word);

// The help of the whole program, and of a command group ("profile") or command.
std::string GeneralHelp();
std::optional<std::string> TopicHelp(const std::vector<std::string>& words);

}  // namespace cli
