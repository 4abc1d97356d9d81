#pragma once
// The words of tarvoctl's light and slot commands: light zones ("keys", "side", "top"), the
// modes of each zone ("wave", "breathing", ...), directions, colours written as RRGGBB, the
// custom slots 128 to 132 and "KEY=RRGGBB" pairs. Like the other command words they do not
// follow the interface language. What a keyboard has (a zone, a maximum) is for the command to
// judge.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Light zones: 0 the keys, 1 the side lights, 2 the top light (a logo on some models); the
// numbers are taken too.
std::optional<int> ParseZone(std::string_view word);
std::string ZoneWord(int zone);
std::vector<std::string> ZoneWords();

// The modes of a zone by name or number; empty for a word that names none of the zone's modes.
std::optional<int> ParseLightMode(int zone, std::string_view word);
// The name of a zone's mode; its number as text when it has no name.
std::string LightModeWord(int zone, int mode);
std::vector<std::string> LightModeWords(int zone);

// Directions as stored: right 0, left 1, up 2, down 3.
std::optional<int> ParseDirection(std::string_view word);
std::string DirectionWord(int direction);
std::vector<std::string> DirectionWords();

// A colour written RRGGBB (hex, any case, with or without a leading '#') as the keyboard's
// records keep it, 0x00BBGGRR; empty for anything else.
std::optional<std::uint32_t> ParseColour(std::string_view word);
// A colour kept as 0x00BBGGRR written RRGGBB.
std::string ColourWord(std::uint32_t color);

// The custom per-key slots.
inline constexpr int kFirstSlotNumber = 128;
inline constexpr int kLastSlotNumber = 132;
std::optional<int> ParseSlot(std::string_view word);

// "A=FF0000": a key's word and its colour; empty colour when the part after '=' is none.
struct KeyColourWord {
  std::string key;
  std::optional<std::uint32_t> color;
};
std::optional<KeyColourWord> SplitKeyColour(std::string_view word);

}  // namespace cli
