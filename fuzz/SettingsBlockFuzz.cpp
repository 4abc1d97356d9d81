// Feeds arbitrary bytes to the readers of the keyboard's settings block: the system settings
// and the lighting regions. Reading a block and patching what was read into it again may only
// normalise what the reader documents (the sleep time to whole minutes, a region's leading
// byte); every other byte is written back as it was read.
//
// Input: the protocol revision byte, the maximum speed byte, then the 64-byte block (short
// blocks are refused as the reply reader refuses them), then values to patch in.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz/FuzzSupport.h"
#include "protocol/LightRegions.h"
#include "protocol/SystemSettings.h"

namespace {

using fuzz::Require;
using protocol::SettingsBlock;

constexpr std::array kZones{
    protocol::kZone0, protocol::kZone1, protocol::kZone2, protocol::kMatrixZone, 3, -1};

// The bytes where two blocks differ, as a mask.
std::array<bool, protocol::kSettingsBlockLength> Differences(const SettingsBlock& a,
                                                             const SettingsBlock& b) {
  std::array<bool, protocol::kSettingsBlockLength> differs{};
  for (std::size_t i = 0; i < a.size(); ++i) differs[i] = a[i] != b[i];
  return differs;
}

void CheckSystemSettings(const SettingsBlock& block, int revision) {
  const protocol::SystemSettings read = protocol::ReadSystemSettings(block, revision);
  Require(read.sleepMinutes >= 0 && read.sleepMinutes <= protocol::kMaxSleepMinutes,
          "the sleep time fits three bytes of seconds");
  SettingsBlock patched = block;
  protocol::PatchSystemSettings(patched, revision, read);
  Require(protocol::ReadSystemSettings(patched, revision) == read, "settings read back");
  const auto& at = protocol::SystemSettingsLayoutFor(revision);
  const auto differs = Differences(block, patched);
  for (std::size_t i = 0; i < differs.size(); ++i) {
    if (differs[i]) Require(i >= at.sleepTime && i < at.sleepTime + 3, "only seconds round");
  }
}

void CheckRegion(const SettingsBlock& block, int zone, int revision, int maxSpeed) {
  const auto layout = protocol::LightRegionLayoutFor(zone, revision);
  const auto read = protocol::ReadLightRegion(block, zone, revision, maxSpeed);
  Require(read.has_value() == layout.has_value(), "a region is read where the block has it");
  if (!read) return;
  Require(layout->color + 2 < protocol::kSettingsBlockLength, "a region lies inside the block");
  SettingsBlock patched = block;
  Require(protocol::PatchLightRegion(patched, zone, revision, *read, maxSpeed),
          "a region that reads can be patched");
  // Zone 0 writes every mode from 128 on as a custom slot.
  const bool slotMode = zone == protocol::kZone0 && read->mode >= protocol::kFirstCustomSlot;
  const auto reread = protocol::ReadLightRegion(patched, zone, revision, maxSpeed);
  Require(reread.has_value(), "a patched region reads");
  if (slotMode) {
    Require(patched[layout->mode] == protocol::kCustomSlotModeByte, "a slot mode is sent as such");
    Require(reread->mode >= protocol::kFirstCustomSlot, "a slot mode reads as a slot");
  } else {
    Require(reread == read, "a region reads back");
  }
  const auto differs = Differences(block, patched);
  for (std::size_t i = 0; i < differs.size(); ++i) {
    if (differs[i] && i != layout->leading) {
      Require(slotMode && (i == layout->mode || i == protocol::kCustomSlotByte),
              "patching what was read keeps the region");
    }
  }
}

void CheckActiveModes(const SettingsBlock& block) {
  const protocol::ActiveLightModes modes = protocol::ReadActiveLightModes(block);
  Require((modes.zone0 >= 0 && modes.zone0 < protocol::kFirstCustomModeByte) ||
              modes.zone0 == protocol::kFirstCustomSlot,
          "zone 0 reports a plain mode or the first custom slot");
  Require(modes.zone1 >= 0 && modes.zone1 <= 0xFF && modes.zone2 >= 0 && modes.zone2 <= 0xFF,
          "modes are bytes");
}

// Values from the input patched into the block: clamped, and only inside the region.
void CheckPatch(const SettingsBlock& block, int revision, fuzz::InputReader& input) {
  const int zone = kZones[input.Byte() % kZones.size()];
  const int maxSpeed = input.Byte();
  protocol::LightRegionValues values;
  values.mode = input.Int();
  values.brightness = input.Int();
  values.speed = input.Int();
  values.colorful = input.Int();
  values.colorIndex = input.Int();
  values.color = input.Word32();
  SettingsBlock patched = block;
  const bool slot = protocol::PatchCustomSlot(patched, values.mode, values, maxSpeed);
  Require(slot == (values.mode >= protocol::kFirstCustomSlot &&
                   values.mode <= protocol::kLastCustomSlot),
          "only the five custom slots are shown in zone 0");
  if (slot) {
    const auto shown = protocol::ReadLightRegion(patched, protocol::kZone0, revision, maxSpeed);
    Require(shown && shown->mode == values.mode, "a custom slot reads back as its mode");
  }
  patched = block;
  if (!protocol::PatchLightRegion(patched, zone, revision, values, maxSpeed)) {
    Require(patched == block, "a refused patch leaves the block alone");
    return;
  }
  const auto layout = protocol::LightRegionLayoutFor(zone, revision);
  const auto differs = Differences(block, patched);
  for (std::size_t i = 0; i < differs.size(); ++i) {
    const bool inRegion = i >= layout->leading && i <= layout->color + 2;
    if (differs[i]) Require(inRegion || i == protocol::kCustomSlotByte, "a patch stays inside");
  }
  const protocol::SystemSettings settings{input.Int(), input.Int(), input.Int(),
                                          input.Int(), input.Int(), input.Int()};
  protocol::PatchSystemSettings(patched, revision, settings);
  const protocol::SystemSettings back = protocol::ReadSystemSettings(patched, revision);
  Require(back.gameMode == (settings.gameMode & 0xFF) &&
              back.sleepMinutes == std::clamp(settings.sleepMinutes, 0, protocol::kMaxSleepMinutes),
          "settings are stored as documented");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputReader input(data, size);
  const int revision = input.Byte();
  const int maxSpeed = input.Byte();
  const auto block = protocol::ToSettingsBlock(input.Bytes(protocol::kSettingsBlockLength));
  if (!block) return 0;
  CheckSystemSettings(*block, revision);
  for (const int zone : kZones) CheckRegion(*block, zone, revision, maxSpeed);
  CheckActiveModes(*block);
  CheckPatch(*block, revision, input);
  return 0;
}
