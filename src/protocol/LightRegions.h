#pragma once
// The lighting regions of the settings block: one region per light zone (0, 2 and 1) and, from
// protocol revision 2 on, one for the matrix light (zone 16). Each region is a leading 0, the
// mode, brightness, speed (sent as the maximum minus the speed), colorful flag, colour index
// and colour (red, green, blue); zone 0 also carries the custom slot number.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/SystemSettings.h"

namespace protocol {

inline constexpr int kZone0 = 0;
inline constexpr int kZone1 = 1;
inline constexpr int kZone2 = 2;
inline constexpr int kMatrixZone = 16;

// Mode byte of zone 0 while a custom slot (modes 128 to 132) is shown.
inline constexpr std::uint8_t kCustomSlotModeByte = 0xFD;
// Zone-0 mode bytes from this value on are reported as the custom slot mode kFirstCustomSlot.
inline constexpr int kFirstCustomModeByte = 30;

// Byte positions of a region; `slot` is only meaningful for zone 0.
struct LightRegionLayout {
  std::size_t leading;
  std::size_t mode;
  std::size_t brightness;
  std::size_t speed;
  std::size_t colorful;
  std::size_t colorIndex;
  std::size_t color;  // red, then green, then blue
};
// The region of a zone; empty for a zone the block does not hold (the matrix region needs
// protocol revision 2).
std::optional<LightRegionLayout> LightRegionLayoutFor(int zone, int protocolRevision);
inline constexpr std::size_t kCustomSlotByte = 10;

// What a region carries of a light record. The colour is 0x00BBGGRR.
struct LightRegionValues {
  int mode = 0;
  int brightness = 0;
  int speed = 0;
  int colorful = 0;
  int colorIndex = 0;
  std::uint32_t color = 0;
  bool operator==(const LightRegionValues&) const = default;
};

// Fills a zone's region. Zone 0 with a mode of 128 or above writes kCustomSlotModeByte, and
// for the custom slots 128 to 132 also the slot number. Values are clamped to a byte (the
// speed after subtracting it from `maxSpeed`). False, and the block unchanged, for a zone the
// block does not hold.
bool PatchLightRegion(SettingsBlock& block, int zone, int protocolRevision,
                      const LightRegionValues& values, int maxSpeed);
// Shows a custom slot (128 to 132) in zone 0 with the record's settings, whatever zone the
// record belongs to. False, and the block unchanged, for any other slot.
bool PatchCustomSlot(SettingsBlock& block, int slot, const LightRegionValues& values, int maxSpeed);
// Reads a region back (speed = maxSpeed minus the byte; a zone-0 custom slot as its mode).
std::optional<LightRegionValues> ReadLightRegion(const SettingsBlock& block, int zone,
                                                 int protocolRevision, int maxSpeed);

// The active modes as the keyboard reports them; a zone-0 mode byte of 30 or above counts as
// custom slot 128.
struct ActiveLightModes {
  int zone0 = 0;
  int zone1 = 0;
  int zone2 = 0;
  bool operator==(const ActiveLightModes&) const = default;
};
ActiveLightModes ReadActiveLightModes(const SettingsBlock& block);

}  // namespace protocol
