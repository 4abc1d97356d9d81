#pragma once
// The keyboard's system settings inside the 64-byte settings block (commands 0x14 and 0x15).
// Their positions depend on the protocol revision; every other byte of the block belongs to the
// lighting regions or is unused and is written back exactly as it was read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "protocol/Commands.h"

namespace protocol {

using SettingsBlock = std::array<std::uint8_t, kSettingsBlockLength>;

// The six settings as the settings database keeps them: switches 0 or 1, the key response
// value, and the sleep time in minutes (the keyboard counts seconds).
struct SystemSettings {
  int gameMode = 0;      // "game_mode"
  int macMode = 0;       // "mac_mode"
  int lockWin = 0;       // "lock_win"
  int wasdMode = 0;      // "wasd_mode"
  int keyResponse = 0;   // "key_keyresponse"
  int sleepMinutes = 0;  // "sleep_time"
  bool operator==(const SystemSettings&) const = default;
};

// Byte positions of the settings for one revision; the sleep time takes three bytes from
// `sleepTime` on (seconds, little-endian).
struct SystemSettingsLayout {
  std::size_t gameMode;
  std::size_t macMode;
  std::size_t lockWin;
  std::size_t wasdMode;
  std::size_t keyResponse;
  std::size_t sleepTime;
};
const SystemSettingsLayout& SystemSettingsLayoutFor(int protocolRevision);

// The largest sleep time three bytes hold, in whole minutes.
inline constexpr int kMaxSleepMinutes = 0xFFFFFF / 60;

// Reads the settings of a block (minutes rounded down).
SystemSettings ReadSystemSettings(const SettingsBlock& block, int protocolRevision);
// Writes the settings at the revision's positions and leaves every other byte alone. Each
// switch and the key response go in as one byte (cut to its low byte, as the keyboard reads
// it); the sleep time is clamped to 0..kMaxSleepMinutes before it is turned into seconds.
void PatchSystemSettings(SettingsBlock& block, int protocolRevision,
                         const SystemSettings& settings);

// A settings block from a reply buffer; empty when the buffer is shorter than the block.
std::optional<SettingsBlock> ToSettingsBlock(std::span<const std::uint8_t> bytes);

}  // namespace protocol
