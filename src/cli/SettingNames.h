#pragma once
// The keyboard settings the command line reads and sets, by the names it gives them
// ("game-mode"), with the profile configuration key each is stored under and the words it
// takes.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct SettingName {
  enum class Kind { kSwitch, kSleepTime, kKeyResponse };
  const char* name;
  std::string_view configKey;
  Kind kind;
  const char* description;
  bool knob = false;  // only for keyboards with a knob; kept by the application, not sent
};

std::span<const SettingName> SettingNames();
const SettingName* FindSetting(std::string_view name);

// The words a setting takes, in the order they are offered.
std::vector<std::string> SettingWords(const SettingName& setting);
// The stored number a word stands for; empty when the setting does not take the word.
std::optional<int> ParseSettingWord(const SettingName& setting, std::string_view word);
// The word of a stored number; empty for a number none of the setting's words stores.
std::optional<std::string> WordOfSetting(const SettingName& setting, int value);
// "on or off", "1, 2, 3, 4, 10, 15, 20, 25, 30 or 60 (minutes)", ...
std::string AllowedWordsText(const SettingName& setting);

}  // namespace cli
