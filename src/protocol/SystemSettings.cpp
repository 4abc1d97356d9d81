#include "protocol/SystemSettings.h"

#include <algorithm>

namespace protocol {
namespace {

constexpr SystemSettingsLayout kRevision2Layout{38, 39, 40, 41, 42, 46};
constexpr SystemSettingsLayout kEarlyLayout{29, 30, 31, 32, 33, 35};

std::uint8_t LowByte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

const SystemSettingsLayout& SystemSettingsLayoutFor(int protocolRevision) {
  return protocolRevision >= 2 ? kRevision2Layout : kEarlyLayout;
}

SystemSettings ReadSystemSettings(const SettingsBlock& block, int protocolRevision) {
  const SystemSettingsLayout& at = SystemSettingsLayoutFor(protocolRevision);
  SystemSettings settings;
  settings.gameMode = block[at.gameMode];
  settings.macMode = block[at.macMode];
  settings.lockWin = block[at.lockWin];
  settings.wasdMode = block[at.wasdMode];
  settings.keyResponse = block[at.keyResponse];
  const int seconds =
      block[at.sleepTime] | block[at.sleepTime + 1] << 8 | block[at.sleepTime + 2] << 16;
  settings.sleepMinutes = seconds / 60;
  return settings;
}

void PatchSystemSettings(SettingsBlock& block, int protocolRevision,
                         const SystemSettings& settings) {
  const SystemSettingsLayout& at = SystemSettingsLayoutFor(protocolRevision);
  block[at.gameMode] = LowByte(settings.gameMode);
  block[at.macMode] = LowByte(settings.macMode);
  block[at.lockWin] = LowByte(settings.lockWin);
  block[at.wasdMode] = LowByte(settings.wasdMode);
  block[at.keyResponse] = LowByte(settings.keyResponse);
  const int seconds = std::clamp(settings.sleepMinutes, 0, kMaxSleepMinutes) * 60;
  block[at.sleepTime] = LowByte(seconds);
  block[at.sleepTime + 1] = LowByte(seconds >> 8);
  block[at.sleepTime + 2] = LowByte(seconds >> 16);
}

std::optional<SettingsBlock> ToSettingsBlock(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kSettingsBlockLength) return std::nullopt;
  SettingsBlock block{};
  std::copy_n(bytes.begin(), kSettingsBlockLength, block.begin());
  return block;
}

}  // namespace protocol
