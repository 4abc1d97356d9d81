#pragma once
// The choices offered for the keyboard's sleep time and key response: the text the settings
// page shows, the word the command line takes, and the number stored (and sent). The fourth
// sleep item and the third key response item store another number than they show, as stored
// settings have always had it.

#include <span>

struct SettingChoice {
  const char* text;  // the settings page's item
  const char* word;  // what `tarvoctl settings set` takes and `settings show` prints
  int value;         // stored for the profile
};

std::span<const SettingChoice> SleepTimeChoices();
std::span<const SettingChoice> KeyResponseChoices();

inline constexpr int kDefaultSleepTime = 2;
inline constexpr int kDefaultKeyResponse = 8;
