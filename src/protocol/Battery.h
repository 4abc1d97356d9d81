#pragma once
// The battery report (command 0x30): data byte 0 the level (0 = the keyboard reports none),
// data byte 1 the charging state. Both are shown as the keyboard sends them.

#include <cstdint>
#include <optional>
#include <span>

namespace protocol {

struct BatteryReport {
  int level = 0;
  int charging = 0;
  bool HasLevel() const { return level != 0; }
  bool operator==(const BatteryReport&) const = default;
};

// From the data part of the report; empty when it holds fewer than two bytes.
std::optional<BatteryReport> ParseBatteryReport(std::span<const std::uint8_t> data);

}  // namespace protocol
