#pragma once
// What the virtual keyboard finds in its macro memory when a key plays a macro: the macros by
// slot, each a list of events (delay after it, key or button code, flags), read the way the
// firmware reads them. The reading checks everything the firmware would trust: the marker, the
// length against the memory, every offset and count against the length, bodies that overlap.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim {

struct PlayedMacroEvent {
  std::uint16_t delay = 0;
  std::uint8_t code = 0;
  std::uint8_t flags = 0;
  bool operator==(const PlayedMacroEvent&) const = default;
};

struct MacroMemoryReading {
  std::size_t length = 0;                             // the image length the memory says
  std::vector<std::vector<PlayedMacroEvent>> macros;  // by slot; empty for a slot without body
};

// Empty, with what is wrong in `problem`, when the memory holds no consistent image.
std::optional<MacroMemoryReading> ReadMacroMemory(std::span<const std::uint8_t> memory,
                                                  std::string* problem = nullptr);

}  // namespace sim
