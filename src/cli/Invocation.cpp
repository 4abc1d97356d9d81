#include "cli/Invocation.h"

#include <algorithm>
#include <set>

#include "cli/KeyWords.h"
#include "cli/LightWords.h"
#include "cli/SettingNames.h"

namespace cli {
namespace {

constexpr const char* kOptions[] = {"--json", "--virtual-keyboard", "--help", "--version"};

Invocation UsageError(std::string error) {
  Invocation invocation;
  invocation.action = Invocation::Action::kUsageError;
  invocation.text = std::move(error);
  return invocation;
}

bool IsOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-';
}

// Makes the file arguments of a matched command absolute.
void AnchorFiles(const Match& match, Request& request, const std::filesystem::path& folder) {
  const std::size_t first = request.command.size() - match.arguments.size();
  for (std::size_t i = 0; i < match.command->arguments.size(); ++i) {
    if (match.command->arguments[i].kind != ArgumentKind::kFile) continue;
    std::string& word = request.command[first + i];
    word = (folder / word).lexically_normal().string();
  }
}

// The words an argument of a kind may be; `previous` is the word before it (a setting's name
// for its value, a zone for its mode). Names, files and numbers are left to the shell.
std::vector<std::string> ArgumentWords(ArgumentKind kind, const std::string& previous) {
  switch (kind) {
    case ArgumentKind::kSettingName: {
      std::vector<std::string> names;
      for (const SettingName& setting : SettingNames()) names.emplace_back(setting.name);
      return names;
    }
    case ArgumentKind::kSettingWord:
      if (const SettingName* setting = FindSetting(previous)) return SettingWords(*setting);
      return {};
    case ArgumentKind::kLayer:
      return {"0", "1", "2", "3"};
    case ArgumentKind::kKey:
      return KeyWords();
    case ArgumentKind::kKeyFunction:
      return KeyFunctionWords();
    case ArgumentKind::kKnobAction:
      return KnobActionWords();
    case ArgumentKind::kZone:
      return ZoneWords();
    case ArgumentKind::kLightMode:
      if (const std::optional<int> zone = ParseZone(previous)) return LightModeWords(*zone);
      return {};
    case ArgumentKind::kDirection:
      return DirectionWords();
    case ArgumentKind::kSlot: {
      std::vector<std::string> slots;
      for (int slot = kFirstSlotNumber; slot <= kLastSlotNumber; ++slot)
        slots.push_back(std::to_string(slot));
      return slots;
    }
    default:
      return {};
  }
}

}  // namespace

Invocation ParseInvocation(const std::vector<std::string>& arguments,
                           const std::filesystem::path& workingFolder) {
  Invocation invocation;
  bool help = false;
  bool version = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (optionsEnded || !IsOption(word)) {
      invocation.request.command.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--complete") {
      // Hidden: the shell's completion asks; the last word is the one being completed.
      std::vector<std::string> typed(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                     arguments.end());
      const std::string current = typed.empty() ? std::string() : typed.back();
      if (!typed.empty()) typed.pop_back();
      invocation.action = Invocation::Action::kComplete;
      invocation.candidates = CompletionCandidates(typed, current);
      return invocation;
    } else if (word == "--json") {
      invocation.json = true;
    } else if (word == "--virtual-keyboard") {
      invocation.virtualKeyboard = "";
    } else if (word.starts_with("--virtual-keyboard=")) {
      invocation.virtualKeyboard = word.substr(sizeof("--virtual-keyboard=") - 1);
    } else if (word == "--help" || word == "-h") {
      help = true;
    } else if (word == "--version") {
      version = true;
    } else if (word.starts_with("--") && word.find('=') == std::string::npos) {
      invocation.request.flags.push_back(word.substr(2));  // the command judges its flags
    } else {
      return UsageError("unknown option '" + word + "'");
    }
  }
  if (help) {
    const std::optional<std::string> text = TopicHelp(invocation.request.command);
    if (!text) return UsageError(MatchCommand(invocation.request).error);
    invocation.action = Invocation::Action::kHelp;
    invocation.text = *text;
    return invocation;
  }
  if (version) {
    invocation.action = Invocation::Action::kVersion;
    return invocation;
  }
  const Match match = MatchCommand(invocation.request);
  if (!match.error.empty()) return UsageError(match.error);
  invocation.command = match.command;
  AnchorFiles(match, invocation.request, workingFolder);
  return invocation;
}

std::vector<std::string> CompletionCandidates(const std::vector<std::string>& typed,
                                              const std::string& current) {
  std::vector<std::string> words;
  for (const std::string& word : typed) {
    if (!IsOption(word)) words.push_back(word);
  }
  std::set<std::string> candidates;
  if (current.starts_with("-")) {
    candidates.insert(std::begin(kOptions), std::end(kOptions));
  }
  for (const CommandSpec& command : Commands()) {
    const std::vector<std::string> own = command.Words();
    const std::size_t shared = std::min(own.size(), words.size());
    if (!std::equal(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(shared), words.begin()))
      continue;
    if (words.size() < own.size()) {
      candidates.insert(own[words.size()]);
      continue;
    }
    const std::size_t argument = words.size() - own.size();
    if (argument == command.arguments.size() && current.starts_with("-")) {
      for (const char* flag : command.requiredFlags) candidates.insert(std::string("--") + flag);
    }
    const Argument* next = command.ArgumentAt(argument);
    // A word that takes the rest is completed once, where it begins.
    if (next == nullptr || (argument >= command.arguments.size())) continue;
    for (std::string& word : ArgumentWords(next->kind, argument > 0 ? words.back() : ""))
      candidates.insert(std::move(word));
  }
  std::vector<std::string> matching;
  for (const std::string& candidate : candidates) {
    if (candidate.starts_with(current)) matching.push_back(candidate);
  }
  return matching;
}

}  // namespace cli
