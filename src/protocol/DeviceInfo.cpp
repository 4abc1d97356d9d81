#include "protocol/DeviceInfo.h"

#include <cstdio>

namespace protocol {
namespace {

namespace info_byte {
constexpr std::size_t kFirmwareLow = 6;
constexpr std::size_t kFirmwareHigh = 7;
constexpr std::size_t kRevision = 8;
constexpr std::size_t kMacroMemory = 13;
constexpr std::size_t kZone0Brightness = 16;
constexpr std::size_t kZone0Speed = 17;
constexpr std::size_t kZone2Present = 19;
constexpr std::size_t kZone1Present = 25;
constexpr std::size_t kMatrixPresent = 31;
constexpr std::size_t kMatrixBrightness = 35;
constexpr std::size_t kMatrixSpeed = 36;
constexpr std::size_t kKnobPresent = 37;
}  // namespace info_byte

// Where the zone 2 and zone 1 maxima sit for a revision.
struct ZonePositions {
  std::size_t zone2Brightness;
  std::size_t zone2Speed;
  std::size_t zone1Brightness;
  std::size_t zone1Speed;
};

constexpr ZonePositions kRevision2Zones{22, 23, 28, 29};
constexpr ZonePositions kEarlyZones{21, 22, 27, 28};

bool HasRevision2Layout(int revision) {
  return revision >= 2;
}

const ZonePositions& ZonesFor(int revision) {
  return HasRevision2Layout(revision) ? kRevision2Zones : kEarlyZones;
}

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

int DeviceInfo::MacroMemoryBytes() const {
  return macroMemoryUnits * kMacroMemoryUnit;
}

std::optional<DeviceInfo> ParseDeviceInfo(std::span<const std::uint8_t> block) {
  if (block.size() < kDeviceInfoLength) return std::nullopt;
  using namespace info_byte;
  DeviceInfo info;
  info.firmwareVersion =
      static_cast<std::uint16_t>(block[kFirmwareLow] | block[kFirmwareHigh] << 8);
  info.protocolRevision = block[kRevision];
  info.macroMemoryUnits = block[kMacroMemory];
  info.zone0 = {true, block[kZone0Brightness], block[kZone0Speed]};
  const ZonePositions& zones = ZonesFor(info.protocolRevision);
  info.zone2 = {block[kZone2Present] == 1, block[zones.zone2Brightness], block[zones.zone2Speed]};
  info.zone1 = {block[kZone1Present] == 1, block[zones.zone1Brightness], block[zones.zone1Speed]};
  if (HasRevision2Layout(info.protocolRevision)) {
    info.matrix = {block[kMatrixPresent] != 0, block[kMatrixBrightness], block[kMatrixSpeed]};
    info.knobPresent = block[kKnobPresent] != 0;
  }
  return info;
}

DeviceInfoBlock BuildDeviceInfoBlock(const DeviceInfo& info) {
  using namespace info_byte;
  DeviceInfoBlock block{};
  block[kFirmwareLow] = Byte(info.firmwareVersion);
  block[kFirmwareHigh] = Byte(info.firmwareVersion >> 8);
  block[kRevision] = Byte(info.protocolRevision);
  block[kMacroMemory] = Byte(info.macroMemoryUnits);
  block[kZone0Brightness] = Byte(info.zone0.maxBrightness);
  block[kZone0Speed] = Byte(info.zone0.maxSpeed);
  const ZonePositions& zones = ZonesFor(info.protocolRevision);
  if (info.zone2.present) {
    block[kZone2Present] = 1;
    block[zones.zone2Brightness] = Byte(info.zone2.maxBrightness);
    block[zones.zone2Speed] = Byte(info.zone2.maxSpeed);
  }
  if (info.zone1.present) {
    block[kZone1Present] = 1;
    block[zones.zone1Brightness] = Byte(info.zone1.maxBrightness);
    block[zones.zone1Speed] = Byte(info.zone1.maxSpeed);
  }
  if (HasRevision2Layout(info.protocolRevision)) {
    if (info.matrix.present) {
      block[kMatrixPresent] = 1;
      block[kMatrixBrightness] = Byte(info.matrix.maxBrightness);
      block[kMatrixSpeed] = Byte(info.matrix.maxSpeed);
    }
    block[kKnobPresent] = info.knobPresent ? 1 : 0;
  }
  return block;
}

std::string FirmwareVersionText(std::uint16_t version) {
  char text[8];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(version));
  return text;
}

std::string FirmwareVersionLabel(std::string_view caption, std::uint16_t version) {
  std::string text = FirmwareVersionText(version);
  if (text.size() < 2) text.insert(0, "0");
  std::string label(caption);
  label += ": v";
  label += text.front();
  label += '.';
  label += text.substr(text.size() - 2);
  return label;
}

std::string PlaceholderFirmwareLabel(std::string_view caption) {
  std::string label(caption);
  label += ": v1.00";
  return label;
}

}  // namespace protocol
