#include <gtest/gtest.h>

#include <fstream>

#include "core/Language.h"
#include "core/SettingsStore.h"
#include "support/TempFolder.h"

namespace {

TEST(LcidFromLocale, MapsCommonLocales) {
  const struct {
    const char* locale;
    int lcid;
  } cases[] = {
      {"en_US.UTF-8", 1033}, {"de_DE.UTF-8", 1031}, {"de_DE@euro", 1031}, {"zh_CN.UTF-8", 2052},
      {"zh_TW.UTF-8", 1028}, {"zh_HK.UTF-8", 1028}, {"zh_SG", 4100},      {"fr_CA", 3084},
      {"ja_JP.eucJP", 1041}, {"de_LI.UTF-8", 1031}, {"zh", 2052},         {"pt-BR", 1046},
      {"C", 1033},           {"POSIX", 1033},       {"C.UTF-8", 1033},    {"xx_YY", 1033},
  };
  for (const auto& c : cases) EXPECT_EQ(LcidFromLocale(c.locale), c.lcid) << c.locale;
}

TEST(SystemUiLanguage, PrefersLcAllThenLcMessagesThenLang) {
  setenv("LANG", "fr_FR.UTF-8", 1);
  setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  setenv("LC_ALL", "zh_TW.UTF-8", 1);
  EXPECT_EQ(SystemUiLanguage(), 1028);
  unsetenv("LC_ALL");
  EXPECT_EQ(SystemUiLanguage(), 1031);
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(SystemUiLanguage(), 1036);
  unsetenv("LANG");
  EXPECT_EQ(SystemUiLanguage(), 1033);
}

struct ChoiceCase {
  const char* storedLcid;  // null: no settings file yet
  std::set<int> supported;
  int system;
  int used;
  const char* storedAfter;
};

TEST(ChooseUiLanguage, FirstRunAndLaterRuns) {
  const ChoiceCase cases[] = {
      {nullptr, {2052, 1033, 1028, 1031}, 1031, 1031, "1031"},  // German system, German listed
      {nullptr, {2052, 1033, 1028}, 1031, 1033, "1033"},        // German system, not listed
      {"2052", {1033}, 1031, 1033, "1033"},                     // stored but no longer supported
      {"1028", {2052, 1033, 1028}, 1031, 1028, "1028"},         // a later run keeps the stored one
      {"abc", {2052, 1033, 1028}, 2052, 2052, "2052"},          // unreadable counts as missing
  };
  for (const ChoiceCase& c : cases) {
    TempFolder folder;
    SettingsStore store(folder / "settings.ini");
    if (c.storedLcid != nullptr) {
      std::ofstream(folder / "settings.ini") << "[settings]\nLCID=" << c.storedLcid << "\n";
    }
    EXPECT_EQ(ChooseUiLanguage(store, c.supported, c.system), c.used)
        << (c.storedLcid ? c.storedLcid : "none");
    EXPECT_EQ(store.GetRegString("LCID"), c.storedAfter);
  }
}

TEST(DpiRule, SmallScreensAndScaledFullHdDrawThemselves) {
  const struct {
    int width, height, dpi;
    bool aware;
  } cases[] = {
      {1920, 1080, 144, true}, {1920, 1080, 120, false}, {1920, 1080, 96, false},
      {1366, 768, 96, true},   {1366, 768, 144, true},   {1399, 900, 96, true},
      {1400, 788, 96, false},  {2560, 1440, 192, false}, {1920, 1080, 100, false},
      {1920, 1080, 192, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NeedsDpiAwareness(c.width, c.height, ScalePercentFromDpi(c.dpi)), c.aware)
        << c.width << "x" << c.height << " at " << c.dpi;
  }
  EXPECT_EQ(ScalePercentFromDpi(72), 100);
  EXPECT_EQ(ScalePercentFromDpi(120), 125);
  EXPECT_EQ(ScalePercentFromDpi(130), 100);
}

}  // namespace
