#include "cli/SettingNames.h"

#include "core/SettingChoices.h"
#include "storage/ConfigKeys.h"

namespace cli {
namespace {

namespace key = storage::config_key;
using Kind = SettingName::Kind;

constexpr SettingName kSettings[] = {
    {"mac-mode", key::kMacMode, Kind::kSwitch, "the keys act as on a Mac keyboard"},
    {"game-mode", key::kGameMode, Kind::kSwitch, "game mode"},
    {"win-lock", key::kLockWin, Kind::kSwitch, "the Windows key is locked"},
    {"wasd-swap", key::kWasdMode, Kind::kSwitch, "W A S D and the arrow keys swap places"},
    {"sleep-time", key::kSleepTime, Kind::kSleepTime,
     "minutes without use before the keyboard sleeps"},
    {"key-response", key::kKeyResponse, Kind::kKeyResponse, "the keys' response time"},
    {"knob-mode", key::kEncoderMode, Kind::kSwitch, "the knob acts as a knob, not as a key", true},
};

std::span<const SettingChoice> ChoicesOf(Kind kind) {
  if (kind == Kind::kSleepTime) return SleepTimeChoices();
  if (kind == Kind::kKeyResponse) return KeyResponseChoices();
  return {};
}

}  // namespace

std::span<const SettingName> SettingNames() {
  return kSettings;
}

const SettingName* FindSetting(std::string_view name) {
  for (const SettingName& setting : kSettings) {
    if (setting.name == name) return &setting;
  }
  return nullptr;
}

std::vector<std::string> SettingWords(const SettingName& setting) {
  if (setting.kind == Kind::kSwitch) return {"on", "off"};
  std::vector<std::string> words;
  for (const SettingChoice& choice : ChoicesOf(setting.kind)) words.emplace_back(choice.word);
  return words;
}

std::optional<int> ParseSettingWord(const SettingName& setting, std::string_view word) {
  if (setting.kind == Kind::kSwitch) {
    if (word == "on" || word == "1") return 1;
    if (word == "off" || word == "0") return 0;
    return std::nullopt;
  }
  for (const SettingChoice& choice : ChoicesOf(setting.kind)) {
    if (word == choice.word) return choice.value;
  }
  return std::nullopt;
}

std::optional<std::string> WordOfSetting(const SettingName& setting, int value) {
  if (setting.kind == Kind::kSwitch) {
    if (value == 0 || value == 1) return value == 1 ? "on" : "off";
    return std::nullopt;
  }
  for (const SettingChoice& choice : ChoicesOf(setting.kind)) {
    if (value == choice.value) return choice.word;
  }
  return std::nullopt;
}

std::string AllowedWordsText(const SettingName& setting) {
  const std::vector<std::string> words = SettingWords(setting);
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " or " : ", ";
    text += words[i];
  }
  if (setting.kind == Kind::kSleepTime) text += " (minutes)";
  return text;
}

}  // namespace cli
