#include "lighting/LightModes.h"

#include <algorithm>

#include "base/Text.h"

namespace lighting {
namespace {

// Every seeded row starts like this.
constexpr int kSeedBrightness = 200;
constexpr int kSeedSpeed = 3;
constexpr int kSeedColor = 0x0000FF;  // red

// Text ids of the mode names: zone 0 mode m is 120 + m, the slots share 141, zone 1 mode m is
// 150 + m, zones 2 and 10 mode m are 160 + m.
constexpr int kZone0NameBase = 120;
constexpr int kSlotName = 141;
constexpr int kZone1NameBase = 150;
constexpr int kZone2NameBase = 160;
constexpr int kLastZone0Mode = 20;

constexpr int kRegular =
    offers::kBrightness | offers::kSpeed | offers::kColorPicker | offers::kSingleColor;  // 0x33
constexpr int kPlain = offers::kBrightness | offers::kSpeed;                             // 0x03
constexpr int kStatic = offers::kBrightness | offers::kColorPicker |                     // 0x31
                        offers::kSingleColor;
constexpr int kStaticPickerOnly = offers::kBrightness | offers::kColorPicker;        // 0x11
constexpr int kSlot = offers::kBrightness | offers::kColorPicker | offers::kPerKey;  // 0x111

storage::LightSettingRecord Row(int profile, int zone, int mode, int nameId, int configFunc) {
  storage::LightSettingRecord row;
  row.profile = profile;
  row.name = std::to_string(nameId);
  row.type = zone;
  row.mode = mode;
  row.brightness = kSeedBrightness;
  row.speed = kSeedSpeed;
  row.direction = kDirectionRight;
  row.colorful = 1;
  row.colorindex = 0;
  row.color_value = kSeedColor;
  row.config_func = configFunc;
  row.reserved = 0;
  row.status = 0;
  return row;
}

int Zone0Offers(int mode) {
  if (mode == kModeOff) return 0;
  if (mode == 2 || mode == 6 || mode == 12) return kPlain;
  if (mode == 4) return kStatic;
  return kRegular;
}

void AddFiveModes(std::vector<storage::LightSettingRecord>& rows, int profile, int zone,
                  int nameBase, int staticOffers) {
  const int configs[] = {kRegular, kRegular, kPlain, kRegular, staticOffers};
  for (int mode = 0; mode < 5; ++mode) {
    rows.push_back(Row(profile, zone, mode, nameBase + mode, configs[mode]));
  }
}

}  // namespace

std::vector<storage::LightSettingRecord> SeedRows(int profile, const SeedOptions& options) {
  std::vector<storage::LightSettingRecord> rows;
  for (int mode = kModeOff; mode <= kLastZone0Mode; ++mode) {
    rows.push_back(Row(profile, kZoneKeys, mode, kZone0NameBase + mode, Zone0Offers(mode)));
  }
  for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
    rows.push_back(Row(profile, kZoneKeys, slot, kSlotName, kSlot));
  }
  AddFiveModes(rows, profile, kZoneSide, kZone1NameBase, kStatic);
  AddFiveModes(rows, profile, kZoneTop, kZone2NameBase,
               options.topStaticPickerOnly ? kStaticPickerOnly : kStatic);
  AddFiveModes(rows, profile, kZoneHidden, kZone2NameBase, kStatic);
  return rows;
}

std::string ModeIconPath(int zone, int mode) {
  if (zone == kZoneKeys) return "icon\\light_icon_" + std::to_string(mode) + ".png";
  return "icon\\light_zone_icon_" + std::to_string(mode) + ".png";
}

int ModeTextId(const storage::LightSettingRecord& record) {
  return base::ToInt(record.name);
}

double BrightnessRatio(int value, int maximum) {
  if (maximum <= 0) return 1.0;
  return std::clamp(static_cast<double>(value) / maximum, 0.0, 1.0);
}

}  // namespace lighting
