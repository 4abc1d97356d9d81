#include "cli/LightWords.h"

#include <array>

#include "cli/CommandTable.h"
#include "cli/Words.h"

namespace cli {
namespace {

constexpr std::array<std::string_view, 3> kZoneWords = {"keys", "side", "top"};
constexpr int kTopZone = 2;

// The modes of the key lights, 0 to 20, and the custom mode.
constexpr std::array<std::string_view, 21> kKeyModes = {
    "off",    "wave",      "rainbow",   "breathing", "static", "reactive", "spectrum-cycle",
    "ripple", "raindrops", "starlight", "marquee",   "cross",  "neon",     "fireworks",
    "snake",  "heartbeat", "aurora",    "tide",      "laser",  "flash",    "sine-wave"};
constexpr std::string_view kCustomMode = "custom";
constexpr int kCustomModeNumber = kFirstSlotNumber;
// The modes of the side and top lights, 0 to 4.
constexpr std::array<std::string_view, 5> kEdgeModes = {"flow", "breathing", "rainbow", "flash",
                                                        "static"};

constexpr std::array<std::string_view, 4> kDirectionWords = {"right", "left", "up", "down"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int> ParseZone(std::string_view word) {
  for (std::size_t zone = 0; zone < kZoneWords.size(); ++zone) {
    if (SameWord(word, kZoneWords[zone]) || word == std::to_string(zone))
      return static_cast<int>(zone);
  }
  if (SameWord(word, "logo")) return kTopZone;
  return std::nullopt;
}

std::string ZoneWord(int zone) {
  if (zone < 0 || zone >= static_cast<int>(kZoneWords.size())) return std::to_string(zone);
  return std::string(kZoneWords[static_cast<std::size_t>(zone)]);
}

std::vector<std::string> ZoneWords() {
  return {kZoneWords.begin(), kZoneWords.end()};
}

std::optional<int> ParseLightMode(int zone, std::string_view word) {
  if (zone == 0 && SameWord(word, kCustomMode)) return kCustomModeNumber;
  const std::vector<std::string> words = LightModeWords(zone);
  for (std::size_t mode = 0; mode < words.size(); ++mode) {
    if (SameWord(word, words[mode])) return static_cast<int>(mode);
  }
  // A number names a mode the zone has a name for.
  const std::optional<int> number = ParseNumber(word);
  if (number && LightModeWord(zone, *number) != std::to_string(*number)) return number;
  return std::nullopt;
}

std::string LightModeWord(int zone, int mode) {
  if (zone == 0 && mode == kCustomModeNumber) return std::string(kCustomMode);
  if (zone == 0 && mode >= 0 && mode < static_cast<int>(kKeyModes.size()))
    return std::string(kKeyModes[static_cast<std::size_t>(mode)]);
  if ((zone == 1 || zone == kTopZone) && mode >= 0 && mode < static_cast<int>(kEdgeModes.size()))
    return std::string(kEdgeModes[static_cast<std::size_t>(mode)]);
  return std::to_string(mode);
}

std::vector<std::string> LightModeWords(int zone) {
  if (zone == 0) {
    std::vector<std::string> words(kKeyModes.begin(), kKeyModes.end());
    words.emplace_back(kCustomMode);
    return words;
  }
  if (zone == 1 || zone == kTopZone) return {kEdgeModes.begin(), kEdgeModes.end()};
  return {};
}

std::optional<int> ParseDirection(std::string_view word) {
  for (std::size_t direction = 0; direction < kDirectionWords.size(); ++direction) {
    if (SameWord(word, kDirectionWords[direction])) return static_cast<int>(direction);
  }
  return std::nullopt;
}

std::string DirectionWord(int direction) {
  if (direction < 0 || direction >= static_cast<int>(kDirectionWords.size()))
    return std::to_string(direction);
  return std::string(kDirectionWords[static_cast<std::size_t>(direction)]);
}

std::vector<std::string> DirectionWords() {
  return {kDirectionWords.begin(), kDirectionWords.end()};
}

std::optional<std::uint32_t> ParseColour(std::string_view word) {
  if (!word.empty() && word.front() == '#') word.remove_prefix(1);
  if (word.size() != 6) return std::nullopt;
  std::uint32_t rgb = 0;
  for (char c : word) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
  }
  const std::uint32_t red = rgb >> 16 & 0xFF;
  const std::uint32_t green = rgb >> 8 & 0xFF;
  const std::uint32_t blue = rgb & 0xFF;
  return blue << 16 | green << 8 | red;
}

std::string ColourWord(std::uint32_t color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::uint32_t channels[] = {color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF};
  std::string text;
  for (std::uint32_t channel : channels) {
    text += kDigits[channel >> 4];
    text += kDigits[channel & 0xF];
  }
  return text;
}

std::optional<int> ParseSlot(std::string_view word) {
  const std::optional<int> slot = ParseNumber(word);
  if (!slot || *slot < kFirstSlotNumber || *slot > kLastSlotNumber) return std::nullopt;
  return slot;
}

std::optional<KeyColourWord> SplitKeyColour(std::string_view word) {
  // The key may be "=" itself: the colour follows the last '='.
  const std::size_t at = word.rfind('=');
  if (at == std::string_view::npos || at == 0) return std::nullopt;
  return KeyColourWord{std::string(word.substr(0, at)), ParseColour(word.substr(at + 1))};
}

}  // namespace cli
