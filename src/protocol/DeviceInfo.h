#pragma once
// The device information block (command 0x12): what the keyboard is. The protocol revision in
// byte 8 decides where the light zone maxima sit from byte 14 on; keyboards below revision 2
// have neither matrix light nor knob.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/Commands.h"

namespace protocol {

using DeviceInfoBlock = std::array<std::uint8_t, kDeviceInfoLength>;

// What a light zone (or the matrix light) allows; speeds travel as the maximum minus the speed.
struct LightLimits {
  bool present = false;
  int maxBrightness = 0;
  int maxSpeed = 0;
  bool operator==(const LightLimits&) const = default;
};

struct DeviceInfo {
  std::uint16_t firmwareVersion = 0;
  int protocolRevision = 0;
  int macroMemoryUnits = 0;  // in units of kMacroMemoryUnit bytes
  LightLimits zone0{true, 0, 0};
  LightLimits zone1{};
  LightLimits zone2{};
  LightLimits matrix{};
  bool knobPresent = false;

  int MacroMemoryBytes() const;
  bool operator==(const DeviceInfo&) const = default;
};

inline constexpr int kMacroMemoryUnit = 256;

// The keyboard's block; empty when the block is shorter than kDeviceInfoLength bytes.
std::optional<DeviceInfo> ParseDeviceInfo(std::span<const std::uint8_t> block);
// The block a keyboard with this information sends (every byte not described is 0). Values are
// cut to a byte; a zone that is not present is written without its maxima.
DeviceInfoBlock BuildDeviceInfoBlock(const DeviceInfo& info);

// The firmware version as lower-case hexadecimal without leading zeros ("115" for 0x115).
std::string FirmwareVersionText(std::uint16_t version);
// "<caption>: v<first character>.<last two characters>" of the version text; a one-character
// text is read with a leading "0" (0x5 shows v0.05).
std::string FirmwareVersionLabel(std::string_view caption, std::uint16_t version);
// The label shown until a keyboard has been read.
std::string PlaceholderFirmwareLabel(std::string_view caption);

}  // namespace protocol
