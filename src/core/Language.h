#pragma once
// Choosing the user-interface language at start. Languages are Windows language ids (LCIDs),
// the numbers the language tables and the settings file use: 1033 English (United States),
// 2052 Chinese (Simplified), 1028 Chinese (Traditional), and so on.

#include <set>
#include <string_view>

class SettingsStore;

// The language id of a POSIX locale name such as "de_DE.UTF-8" or "zh_TW"; 1033 for "C",
// "POSIX" and names we do not know.
int LcidFromLocale(std::string_view locale);

// The user's language from LC_ALL, LC_MESSAGES or LANG (the first one set).
int SystemUiLanguage();

// The language of this run: the stored "LCID"; on the first run the system language when it is
// supported (else 1033), stored for later runs; a stored language that is not supported is
// replaced by 1033.
int ChooseUiLanguage(SettingsStore& settings, const std::set<int>& supported, int systemLcid);

// Screen scaling. A monitor's DPI as the scale percentage the start-up rule compares.
int ScalePercentFromDpi(int dpi);
// Whether the process should draw at physical pixels itself instead of letting the desktop
// scale it: screens smaller than the 1400 x 788 window, and a 1920 x 1080 screen above 125 %.
bool NeedsDpiAwareness(int screenWidth, int screenHeight, int scalePercent);
