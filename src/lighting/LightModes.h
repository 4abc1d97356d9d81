#pragma once
// The light modes of the light zones: what each stored mode offers (its capability mask), the
// rows a profile starts with, and the names and pictures the page shows for them. Pure data and
// arithmetic; no database, keyboard or controls.

#include <cstdint>
#include <string>
#include <vector>

#include "storage/Records.h"

namespace lighting {

// Light zones (the `type` of a light record). Zone 10 is stored like zone 2 but not shown.
inline constexpr int kZoneKeys = 0;
inline constexpr int kZoneSide = 1;
inline constexpr int kZoneTop = 2;
inline constexpr int kZoneHidden = 10;
inline constexpr int kZoneMatrix = 16;

// Modes. Mode 0 of zone 0 switches the light off; 128 to 132 are the custom per-key slots,
// of which only 128 is listed (it stands for "custom").
inline constexpr int kModeOff = 0;
inline constexpr int kDefaultMode = 1;
inline constexpr int kFirstSlot = 128;
inline constexpr int kLastSlot = 132;
inline constexpr int kSlotCount = kLastSlot - kFirstSlot + 1;

// What a mode offers (`config_func`).
namespace offers {
inline constexpr int kBrightness = 0x001;
inline constexpr int kSpeed = 0x002;
inline constexpr int kLeftRight = 0x004;
inline constexpr int kUpDown = 0x008;  // only when kLeftRight is clear
inline constexpr int kColorPicker = 0x010;
inline constexpr int kSingleColor = 0x020;  // the colour swatch, "colorful" and Apply
inline constexpr int kPerKey = 0x100;       // a custom slot: painting the keys
}  // namespace offers

// Directions as stored.
inline constexpr int kDirectionRight = 0;
inline constexpr int kDirectionLeft = 1;
inline constexpr int kDirectionUp = 2;
inline constexpr int kDirectionDown = 3;

inline bool IsCustomMode(int mode) {
  return mode >= kFirstSlot;
}
inline bool IsSlot(int mode) {
  return mode >= kFirstSlot && mode <= kLastSlot;
}

// The zones a profile must hold before the light page can show it (zone 10 comes with them).
inline constexpr int kSeededZones[] = {kZoneKeys, kZoneSide, kZoneTop, kZoneHidden};

// What differs between keyboard models in the seeded rows.
struct SeedOptions {
  // The static mode of zone 2 offers brightness and the colour picker only (no single-colour
  // swatch, no "colorful", no Apply).
  bool topStaticPickerOnly = false;
};

// The rows a profile starts with, in insertion order: zone 0 (modes 0 to 20, slots 128 to
// 132), zone 1, zone 2 and zone 10 (modes 0 to 4). None is active; see kActiveAfterSeed.
std::vector<storage::LightSettingRecord> SeedRows(int profile, const SeedOptions& options);
// The zones whose mode 1 becomes active once a profile has been seeded.
inline constexpr int kActiveAfterSeed[] = {kZoneKeys, kZoneSide, kZoneTop};

// The picture of a mode in the mode list, relative to the application folder. Zone 0 has a
// picture per mode; the side and top lights have their own five.
std::string ModeIconPath(int zone, int mode);

// A text id stored as the record's name ("121"); 0 when the name holds no number.
int ModeTextId(const storage::LightSettingRecord& record);

// The nine preset colours (0x00BBGGRR) of the colour picker, in button order.
inline constexpr std::uint32_t kPresetColors[] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFF0000,
                                                  0xFFFF00, 0xFF00FF, 0xFFFFFF, 0xFF00FF};

// A slider position as a fraction of its maximum, 0 to 1. Without a maximum (none reported
// yet, or reported as 0) the position counts as full.
double BrightnessRatio(int value, int maximum);

}  // namespace lighting
