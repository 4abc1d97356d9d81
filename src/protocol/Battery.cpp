#include "protocol/Battery.h"

namespace protocol {

std::optional<BatteryReport> ParseBatteryReport(std::span<const std::uint8_t> data) {
  if (data.size() < 2) return std::nullopt;
  return BatteryReport{data[0], data[1]};
}

}  // namespace protocol
