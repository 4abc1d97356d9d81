// The command line of tarvoctl: what runs, what is a usage error, what help is shown and what
// the shell's completion is offered.

#include <gtest/gtest.h>

#include "base/Text.h"
#include "cli/CommandTable.h"
#include "cli/Invocation.h"
#include "cli/SettingNames.h"
#include "core/SettingChoices.h"

namespace {

using cli::Invocation;
using Action = Invocation::Action;

// Words separated by '|'; an empty text has none, "a|" has an empty second one.
std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> words;
  if (text.empty()) return words;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('|', start);
    words.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return words;
    start = end + 1;
  }
}

Invocation Parse(const std::string& arguments) {
  return cli::ParseInvocation(Split(arguments), "/home/user/work");
}

TEST(Invocation, CommandsThatRunAndTheRequestTheySend) {
  const struct {
    const char* arguments;  // separated by '|'
    const char* command;
    std::vector<std::string> words;
    std::vector<std::string> flags;
    bool json;
  } cases[] = {
      {"status", "status", {"status"}, {}, false},
      {"--json|status", "status", {"status"}, {}, true},
      {"status|--json", "status", {"status"}, {}, true},
      {"profile|select|My Game", "profile select", {"profile", "select", "My Game"}, {}, false},
      {"profile|rename|2|--|-dash",
       "profile rename",
       {"profile", "rename", "2", "-dash"},
       {},
       false},
      {"settings|set|sleep-time|4",
       "settings set",
       {"settings", "set", "sleep-time", "4"},
       {},
       false},
      {"--yes|settings|factory-reset",
       "settings factory-reset",
       {"settings", "factory-reset"},
       {"yes"},
       false},
      {"device|select|102", "device select", {"device", "select", "102"}, {}, false},
      // Files are sent as absolute paths: the running Tarvo has another working folder.
      {"profile|export|1|out/p.xml",
       "profile export",
       {"profile", "export", "1", "/home/user/work/out/p.xml"},
       {},
       false},
      {"profile|import|../p.xml",
       "profile import",
       {"profile", "import", "/home/user/p.xml"},
       {},
       false},
      {"profile|import|/tmp/p.xml",
       "profile import",
       {"profile", "import", "/tmp/p.xml"},
       {},
       false},
      {"matrix|paint|0=ff0000|48=00ff00",
       "matrix paint",
       {"matrix", "paint", "0=ff0000", "48=00ff00"},
       {},
       false},
      {"matrix|mode|128", "matrix mode", {"matrix", "mode", "128"}, {}, false},
  };
  for (const auto& c : cases) {
    const Invocation invocation = Parse(c.arguments);
    ASSERT_EQ(invocation.action, Action::kRun) << c.arguments << ": " << invocation.text;
    ASSERT_NE(invocation.command, nullptr);
    EXPECT_STREQ(invocation.command->words, c.command) << c.arguments;
    EXPECT_EQ(invocation.request.command, c.words) << c.arguments;
    EXPECT_EQ(invocation.request.flags, c.flags) << c.arguments;
    EXPECT_EQ(invocation.json, c.json) << c.arguments;
  }
}

TEST(Invocation, UsageErrorsSayWhatIsWrong) {
  const struct {
    const char* arguments;
    const char* error;  // a part of the error
  } cases[] = {
      {"", "no command given"},
      {"frobnicate", "unknown command 'frobnicate'"},
      {"profile", "profile needs a command"},
      {"profile|sing", "unknown command 'profile sing'"},
      {"profile|select", "missing arguments"},
      {"profile|select|a|b", "too many arguments"},
      {"profile|rename|two|Name", "not a profile number: 'two'"},
      {"profile|delete|-1", "unknown option '-1'"},
      {"profile|delete|12345678901", "not a profile number"},
      {"device|select|K9", "not a model number"},
      {"settings|set|turbo|on", "unknown setting 'turbo'"},
      {"settings|factory-reset", "needs --yes"},
      {"status|--yes", "unknown option --yes"},
      {"--jsn|status", "unknown option --jsn"},
      {"--json=1|status", "unknown option '--json=1'"},
      {"-x|status", "unknown option '-x'"},
      {"profile|export|1|", "an empty file name"},
      {"matrix|paint", "missing arguments"},
      {"matrix|mode|2|3", "too many arguments"},
      {"matrix|brightness|high", "not a number: 'high' for VALUE"},
  };
  for (const auto& c : cases) {
    const Invocation invocation = Parse(c.arguments);
    EXPECT_EQ(invocation.action, Action::kUsageError) << c.arguments;
    EXPECT_NE(invocation.text.find(c.error), std::string::npos)
        << c.arguments << ": " << invocation.text;
    EXPECT_EQ(invocation.text.find('\n'), std::string::npos) << "one line: " << invocation.text;
  }
}

TEST(Invocation, ValuesAreForTheKeyboardToJudgeNotTheUsage) {
  // A wrong value is a failure of the command (exit 1), not a usage error (exit 2).
  EXPECT_EQ(Parse("settings|set|game-mode|maybe").action, Action::kRun);
  EXPECT_EQ(Parse("settings|set|sleep-time|7").action, Action::kRun);
  EXPECT_EQ(Parse("profile|add|").action, Action::kRun);  // the name is judged by the command
  EXPECT_EQ(Parse("profile|add").action, Action::kUsageError);
}

TEST(Invocation, HelpForTheProgramAGroupAndACommand) {
  const Invocation general = Parse("--help");
  ASSERT_EQ(general.action, Action::kHelp);
  for (const cli::CommandSpec& command : cli::Commands()) {
    EXPECT_NE(general.text.find(command.Synopsis()), std::string::npos) << command.words;
  }
  const Invocation group = Parse("profile|--help");
  ASSERT_EQ(group.action, Action::kHelp);
  EXPECT_NE(group.text.find("profile rename ID NAME"), std::string::npos);
  EXPECT_EQ(group.text.find("settings show"), std::string::npos);
  // The settings and every value each takes.
  const Invocation set = Parse("settings|set|-h");
  ASSERT_EQ(set.action, Action::kHelp);
  for (const cli::SettingName& setting : cli::SettingNames()) {
    EXPECT_NE(set.text.find(setting.name), std::string::npos);
    EXPECT_NE(set.text.find(cli::AllowedWordsText(setting)), std::string::npos);
  }
  EXPECT_EQ(Parse("profile|select|Work|--help").text, Parse("profile|select|--help").text);
  EXPECT_EQ(Parse("nothing|--help").action, Action::kUsageError);
  EXPECT_EQ(Parse("--version").action, Action::kVersion);
}

TEST(Invocation, CompletionOffersWhatMayFollow) {
  const struct {
    const char* typed;
    const char* current;
    std::vector<std::string> candidates;
  } cases[] = {
      {"",
       "",
       {"audio", "autostart", "device", "effect", "key", "knob", "light", "macro", "matrix",
        "profile", "screen", "settings", "slot", "status", "update"}},
      {"matrix", "p", {"paint", "preset"}},
      {"macro", "", {"add", "delete", "export", "import", "list", "rename", "set", "show"}},
      {"", "pr", {"profile"}},
      {"autostart", "", {"off", "on"}},
      {"update", "", {"check"}},
      {"profile", "", {"add", "delete", "export", "import", "list", "rename", "select"}},
      {"--json|settings", "s", {"set", "show"}},
      {"screen", "", {"clock", "import", "list", "set", "show", "upload"}},
      {"settings|set", "w", {"wasd-swap", "win-lock"}},
      {"settings|set|game-mode", "", {"off", "on"}},
      {"settings|set|key-response", "1", {"1", "16"}},
      {"settings|factory-reset",
       "-",
       {"--help", "--json", "--version", "--virtual-keyboard", "--yes"}},
      {"profile|import", "", {}},  // a file: the shell's own completion
      {"status", "", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cli::CompletionCandidates(Split(c.typed), c.current), c.candidates)
        << c.typed << " / " << c.current;
  }
  const Invocation complete = Parse("--complete|settings|");
  EXPECT_EQ(complete.action, Action::kComplete);
  EXPECT_EQ(complete.candidates, (std::vector<std::string>{"factory-reset", "set", "show"}));
}

// Keys and lighting ------------------------------------------------------------------------------

TEST(Invocation, OptionalArgumentsAndArgumentsThatTakeTheRest) {
  const struct {
    const char* arguments;
    const char* command;  // empty: a usage error
    const char* error;    // a part of the usage error
  } cases[] = {
      {"key|show", "key show", ""},
      {"key|show|2", "key show", ""},
      {"key|show|2|3", "", "too many arguments"},
      {"key|show|fn1", "", "not a layer number: 'fn1'"},
      {"key|set|0|A|Ctrl+C", "key set", ""},
      {"key|set|0|A|macro|3", "key set", ""},
      {"key|set|0|A", "", "missing arguments"},
      {"key|reset|1", "key reset", ""},
      {"key|reset|1|Esc", "key reset", ""},
      {"key|reset|1|Esc|F1", "", "too many arguments"},
      {"knob|set|left|volume-up", "knob set", ""},
      {"knob|set|left|volume-up|2", "knob set", ""},
      {"knob|set|left|volume-up|2|3", "", "too many arguments"},
      {"light|brightness|keys|3", "light brightness", ""},
      {"light|brightness|keys|high", "", "not a number: 'high'"},
      {"light|brightness|keys|-3", "", "unknown option '-3'"},
      {"slot|paint|130|A=FF0000|B=00FF00", "slot paint", ""},
      {"slot|paint|130", "", "missing arguments"},
      {"slot|fill|one|FF0000", "", "not a slot number: 'one'"},
  };
  for (const auto& c : cases) {
    const Invocation invocation = Parse(c.arguments);
    if (std::string(c.command).empty()) {
      EXPECT_EQ(invocation.action, Action::kUsageError) << c.arguments;
      EXPECT_NE(invocation.text.find(c.error), std::string::npos)
          << c.arguments << ": " << invocation.text;
      continue;
    }
    ASSERT_EQ(invocation.action, Action::kRun) << c.arguments << ": " << invocation.text;
    EXPECT_STREQ(invocation.command->words, c.command);
  }
  // Names and values are for the command to judge (exit status 1), not the usage.
  for (const char* judged :
       {"key|set|9|A|Ctrl+C", "key|set|0|Nokey|Ctrl+C", "light|mode|attic|wave",
        "light|colour|keys|red", "slot|fill|200|FF0000", "knob|set|up|mute"}) {
    EXPECT_EQ(Parse(judged).action, Action::kRun) << judged;
  }
}

TEST(Invocation, TheHelpOfKeyAndLightCommandsNamesWhatTheyTake) {
  const struct {
    const char* arguments;
    std::vector<const char*> parts;
  } cases[] = {
      {"key|set|--help",
       {"key set LAYER KEY FUNCTION", "Ctrl+Shift+Esc", "volume-up", "BL-TOG", "macro N", "KP0",
        "0x04"}},
      {"key|show|--help", {"key show [LAYER]"}},
      {"key|reset|--help", {"key reset LAYER [KEY]"}},
      {"knob|set|--help", {"knob set ACTION FUNCTION [LAYER]", "left", "press"}},
      {"light|mode|--help", {"keys, side or top", "spectrum-cycle", "sine-wave", "flow"}},
      {"light|speed|--help", {"maximum"}},
      {"slot|paint|--help", {"slot paint N KEY=RRGGBB...", "128 to 132"}},
  };
  for (const auto& c : cases) {
    const Invocation help = Parse(c.arguments);
    ASSERT_EQ(help.action, Action::kHelp) << c.arguments;
    for (const char* part : c.parts)
      EXPECT_NE(help.text.find(part), std::string::npos) << c.arguments << ": " << part;
  }
  const Invocation group = Parse("light|--help");
  ASSERT_EQ(group.action, Action::kHelp);
  EXPECT_NE(group.text.find("light colour ZONE RRGGBB"), std::string::npos);
  EXPECT_EQ(group.text.find("slot fill"), std::string::npos);
}

TEST(Invocation, CompletionOfKeysFunctionsZonesAndModes) {
  const struct {
    const char* typed;
    const char* current;
    std::vector<std::string> candidates;
  } cases[] = {
      {"key", "", {"reset", "set", "show"}},
      {"key|set", "", {"0", "1", "2", "3"}},
      {"key|set|0", "Esc", {"Esc"}},
      {"key|set|0|Esc", "volume-", {"volume-down", "volume-up"}},
      {"key|set|0|Esc|macro", "", {}},
      {"knob|set", "", {"left", "press", "right"}},
      {"knob|set|left|mute", "", {"0", "1", "2", "3"}},
      {"light|mode", "", {"keys", "side", "top"}},
      {"light|mode|side", "", {"breathing", "flash", "flow", "rainbow", "static"}},
      {"light|mode|keys", "s", {"sine-wave", "snake", "spectrum-cycle", "starlight", "static"}},
      {"light|direction|keys", "", {"down", "left", "right", "up"}},
      {"slot|fill", "", {"128", "129", "130", "131", "132"}},
      {"slot|paint|130", "", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cli::CompletionCandidates(Split(c.typed), c.current), c.candidates)
        << c.typed << " / " << c.current;
  }
}

TEST(SettingNames, EveryWordStandsForAChoiceOfTheSettingsPageAndBack) {
  for (const cli::SettingName& setting : cli::SettingNames()) {
    const std::vector<std::string> words = cli::SettingWords(setting);
    ASSERT_FALSE(words.empty()) << setting.name;
    for (const std::string& word : words) {
      const std::optional<int> value = cli::ParseSettingWord(setting, word);
      ASSERT_TRUE(value.has_value()) << setting.name << " " << word;
      EXPECT_EQ(cli::WordOfSetting(setting, *value), word) << setting.name;
    }
    EXPECT_FALSE(cli::ParseSettingWord(setting, "").has_value());
    EXPECT_FALSE(cli::ParseSettingWord(setting, "7").has_value());
  }
  // The shown number and the stored one differ where the page's items do.
  const cli::SettingName& sleep = *cli::FindSetting("sleep-time");
  EXPECT_EQ(cli::ParseSettingWord(sleep, "4"), 5);
  EXPECT_EQ(cli::ParseSettingWord(sleep, "5"), std::nullopt);
  EXPECT_EQ(cli::WordOfSetting(sleep, 4), std::nullopt);
  EXPECT_EQ(cli::ParseSettingWord(*cli::FindSetting("key-response"), "3"), 4);
  EXPECT_EQ(cli::SettingWords(sleep).size(), SleepTimeChoices().size());
}

TEST(ProfileNames, AreCheckedForWhatAListCanShow) {
  EXPECT_FALSE(cli::ProfileNameProblem("Game").has_value());
  EXPECT_FALSE(cli::ProfileNameProblem("\xE9\x85\x8D\xE7\xBD\xAE 2").has_value());
  EXPECT_FALSE(cli::ProfileNameProblem(std::string(64, 'x')).has_value());
  EXPECT_TRUE(cli::ProfileNameProblem(std::string(65, 'x')).has_value());
  EXPECT_TRUE(cli::ProfileNameProblem("  ").has_value());
  EXPECT_TRUE(cli::ProfileNameProblem("line\nbreak").has_value());
  EXPECT_TRUE(cli::ProfileNameProblem("esc\x1b[2J").has_value());
  EXPECT_TRUE(cli::ProfileNameProblem("bad\xff").has_value());
}

}  // namespace

TEST(Invocation, ALastArgumentOfWordsTakesTheRestOfTheLine) {
  const cli::Match split = cli::MatchCommand({{"macro", "set", "1", "down:A", "50", "up:A"}, {}});
  ASSERT_NE(split.command, nullptr);
  EXPECT_TRUE(split.error.empty()) << split.error;
  EXPECT_EQ(split.arguments, (std::vector<std::string>{"1", "down:A 50 up:A"}));
  const cli::Match quoted = cli::MatchCommand({{"macro", "set", "1", "down:A 50 up:A"}, {}});
  EXPECT_EQ(quoted.arguments, split.arguments);
  // Other commands still refuse words too many.
  EXPECT_FALSE(cli::MatchCommand({{"macro", "rename", "1", "A", "B"}, {}}).error.empty());
  EXPECT_FALSE(cli::MatchCommand({{"macro", "set", "1"}, {}}).error.empty());
}
