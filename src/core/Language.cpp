#include "core/Language.h"

#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "core/SettingsStore.h"

namespace {

constexpr int kEnglishUnitedStates = 1033;

struct LocaleId {
  std::string_view name;
  int lcid;
};

// Full locale names first, then bare languages for locales not listed.
constexpr LocaleId kLocales[] = {
    {"en_us", 1033}, {"en_gb", 2057},  {"en_au", 3081}, {"en_ca", 4105}, {"en_nz", 5129},
    {"en_ie", 6153}, {"de_de", 1031},  {"de_ch", 2055}, {"de_at", 3079}, {"de_lu", 4103},
    {"fr_fr", 1036}, {"fr_be", 2060},  {"fr_ca", 3084}, {"fr_ch", 4108}, {"es_es", 3082},
    {"es_mx", 2058}, {"es_ar", 11274}, {"it_it", 1040}, {"it_ch", 2064}, {"pt_br", 1046},
    {"pt_pt", 2070}, {"nl_nl", 1043},  {"nl_be", 2067}, {"zh_cn", 2052}, {"zh_sg", 4100},
    {"zh_tw", 1028}, {"zh_hk", 1028},  {"zh_mo", 1028}, {"ja_jp", 1041}, {"ko_kr", 1042},
    {"ru_ru", 1049}, {"uk_ua", 1058},  {"pl_pl", 1045}, {"cs_cz", 1029}, {"sk_sk", 1051},
    {"hu_hu", 1038}, {"ro_ro", 1048},  {"bg_bg", 1026}, {"el_gr", 1032}, {"tr_tr", 1055},
    {"sv_se", 1053}, {"da_dk", 1030},  {"nb_no", 1044}, {"nn_no", 2068}, {"fi_fi", 1035},
    {"et_ee", 1061}, {"lv_lv", 1062},  {"lt_lt", 1063}, {"sl_si", 1060}, {"hr_hr", 1050},
    {"sr_rs", 9242}, {"ar_sa", 1025},  {"he_il", 1037}, {"th_th", 1054}, {"vi_vn", 1066},
    {"id_id", 1057}, {"ms_my", 1086},  {"hi_in", 1081}, {"en", 1033},    {"de", 1031},
    {"fr", 1036},    {"es", 3082},     {"it", 1040},    {"pt", 2070},    {"nl", 1043},
    {"zh", 2052},    {"ja", 1041},     {"ko", 1042},    {"ru", 1049},    {"uk", 1058},
    {"pl", 1045},    {"cs", 1029},     {"sk", 1051},    {"hu", 1038},    {"ro", 1048},
    {"bg", 1026},    {"el", 1032},     {"tr", 1055},    {"sv", 1053},    {"da", 1030},
    {"nb", 1044},    {"no", 1044},     {"fi", 1035},    {"et", 1061},    {"lv", 1062},
    {"lt", 1063},    {"sl", 1060},     {"hr", 1050},    {"sr", 9242},    {"ar", 1025},
    {"he", 1037},    {"th", 1054},     {"vi", 1066},    {"id", 1057},    {"ms", 1086},
    {"hi", 1081},
};

int Lookup(std::string_view name) {
  for (const LocaleId& entry : kLocales) {
    if (entry.name == name) return entry.lcid;
  }
  return 0;
}

}  // namespace

int LcidFromLocale(std::string_view locale) {
  // "de_DE.UTF-8@euro" -> "de_de"; "zh-TW" is accepted too.
  const std::size_t end = locale.find_first_of(".@");
  std::string name = base::ToLowerAscii(locale.substr(0, end));
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  if (const int lcid = Lookup(name)) return lcid;
  if (const int lcid = Lookup(name.substr(0, name.find('_')))) return lcid;
  return kEnglishUnitedStates;
}

int SystemUiLanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LcidFromLocale(value);
  }
  return kEnglishUnitedStates;
}

int ChooseUiLanguage(SettingsStore& settings, const std::set<int>& supported, int systemLcid) {
  int lcid = settings.ReadLcid();
  if (lcid == 0) {
    lcid = systemLcid;
    settings.WriteLcid(supported.contains(lcid) ? lcid : kEnglishUnitedStates);
  }
  if (!supported.contains(lcid)) {
    settings.WriteLcid(kEnglishUnitedStates);
    lcid = kEnglishUnitedStates;
  }
  return lcid;
}

int ScalePercentFromDpi(int dpi) {
  switch (dpi) {
    case 120:
      return 125;
    case 144:
    case 168:
    case 192:
      return dpi;
    default:
      return 100;
  }
}

bool NeedsDpiAwareness(int screenWidth, int screenHeight, int scalePercent) {
  if (screenWidth < 1400 || screenHeight < 788) return true;
  return screenWidth == 1920 && screenHeight == 1080 && scalePercent > 125;
}
