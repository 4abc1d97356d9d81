#include "protocol/LightRegions.h"

#include <algorithm>

#include "protocol/Colors.h"

namespace protocol {
namespace {

constexpr LightRegionLayout kZone0Region{1, 2, 3, 4, 5, 6, 7};
constexpr LightRegionLayout kZone2Region{11, 12, 13, 14, 15, 16, 17};
constexpr LightRegionLayout kZone1Region{20, 21, 22, 23, 24, 25, 26};
constexpr LightRegionLayout kMatrixRegion{29, 30, 31, 32, 33, 34, 35};

std::uint8_t ClampedByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 0xFF));
}

// The speed travels as the maximum minus the speed; a stored speed of any size gives a byte.
std::uint8_t SpeedByte(int maxSpeed, int speed) {
  const long long sent = static_cast<long long>(maxSpeed) - speed;
  return static_cast<std::uint8_t>(std::clamp<long long>(sent, 0, 0xFF));
}

bool IsCustomSlot(int mode) {
  return mode >= kFirstCustomSlot && mode <= kLastCustomSlot;
}

void FillRegion(SettingsBlock& block, const LightRegionLayout& at, const LightRegionValues& values,
                int maxSpeed) {
  block[at.leading] = 0;
  block[at.mode] = ClampedByte(values.mode);
  block[at.brightness] = ClampedByte(values.brightness);
  block[at.speed] = SpeedByte(maxSpeed, values.speed);
  block[at.colorful] = ClampedByte(values.colorful);
  block[at.colorIndex] = ClampedByte(values.colorIndex);
  const Rgb rgb = RgbOf(values.color);
  block[at.color] = rgb.red;
  block[at.color + 1] = rgb.green;
  block[at.color + 2] = rgb.blue;
}

}  // namespace

std::optional<LightRegionLayout> LightRegionLayoutFor(int zone, int protocolRevision) {
  switch (zone) {
    case kZone0:
      return kZone0Region;
    case kZone1:
      return kZone1Region;
    case kZone2:
      return kZone2Region;
    case kMatrixZone:
      if (protocolRevision >= 2) return kMatrixRegion;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

bool PatchLightRegion(SettingsBlock& block, int zone, int protocolRevision,
                      const LightRegionValues& values, int maxSpeed) {
  const auto at = LightRegionLayoutFor(zone, protocolRevision);
  if (!at) return false;
  FillRegion(block, *at, values, maxSpeed);
  if (zone == kZone0 && values.mode >= kFirstCustomSlot) {
    block[at->mode] = kCustomSlotModeByte;
    if (IsCustomSlot(values.mode)) {
      block[kCustomSlotByte] = static_cast<std::uint8_t>(values.mode - kFirstCustomSlot);
    }
  }
  return true;
}

bool PatchCustomSlot(SettingsBlock& block, int slot, const LightRegionValues& values,
                     int maxSpeed) {
  if (!IsCustomSlot(slot)) return false;
  FillRegion(block, kZone0Region, values, maxSpeed);
  block[kZone0Region.mode] = kCustomSlotModeByte;
  block[kCustomSlotByte] = static_cast<std::uint8_t>(slot - kFirstCustomSlot);
  return true;
}

std::optional<LightRegionValues> ReadLightRegion(const SettingsBlock& block, int zone,
                                                 int protocolRevision, int maxSpeed) {
  const auto at = LightRegionLayoutFor(zone, protocolRevision);
  if (!at) return std::nullopt;
  LightRegionValues values;
  values.mode = block[at->mode];
  if (zone == kZone0 && block[at->mode] == kCustomSlotModeByte) {
    values.mode = kFirstCustomSlot + block[kCustomSlotByte];
  }
  values.brightness = block[at->brightness];
  values.speed = maxSpeed - block[at->speed];
  values.colorful = block[at->colorful];
  values.colorIndex = block[at->colorIndex];
  values.color = ColorOf({block[at->color], block[at->color + 1], block[at->color + 2]});
  return values;
}

ActiveLightModes ReadActiveLightModes(const SettingsBlock& block) {
  ActiveLightModes modes;
  const int zone0 = block[kZone0Region.mode];
  modes.zone0 = zone0 >= kFirstCustomModeByte ? kFirstCustomSlot : zone0;
  modes.zone1 = block[kZone1Region.mode];
  modes.zone2 = block[kZone2Region.mode];
  return modes;
}

}  // namespace protocol
