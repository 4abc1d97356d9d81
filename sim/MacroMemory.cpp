#include "sim/MacroMemory.h"

namespace sim {
namespace {

constexpr std::size_t kHeader = 8;
constexpr std::size_t kEntry = 2;
constexpr std::size_t kBodyHeader = 4;
constexpr std::size_t kEvent = 4;

std::size_t Word(std::span<const std::uint8_t> memory, std::size_t at) {
  return memory[at] | (static_cast<std::size_t>(memory[at + 1]) << 8);
}

std::optional<MacroMemoryReading> Fail(std::string* problem, std::string text) {
  if (problem != nullptr) *problem = std::move(text);
  return std::nullopt;
}

}  // namespace

std::optional<MacroMemoryReading> ReadMacroMemory(std::span<const std::uint8_t> memory,
                                                  std::string* problem) {
  if (memory.size() < kHeader || memory[0] != 0xAA || memory[1] != 0x55)
    return Fail(problem, "no image marker");
  MacroMemoryReading reading;
  reading.length = Word(memory, 2);
  const std::size_t count = Word(memory, 4);
  if (reading.length > memory.size()) return Fail(problem, "length beyond the memory");
  std::size_t free = kHeader + kEntry * count;  // nothing may start before this
  if (free > reading.length) return Fail(problem, "offset table beyond the length");
  for (std::size_t slot = 0; slot < count; ++slot) {
    auto& events = reading.macros.emplace_back();
    const std::size_t offset = Word(memory, kHeader + kEntry * slot);
    if (offset == 0) continue;
    const std::string name = "slot " + std::to_string(slot);
    if (offset < free) return Fail(problem, name + ": body overlaps what comes before it");
    if (offset + kBodyHeader > reading.length) return Fail(problem, name + ": body beyond length");
    const std::size_t end = offset + kBodyHeader + kEvent * Word(memory, offset);
    if (end > reading.length) return Fail(problem, name + ": events beyond length");
    for (std::size_t at = offset + kBodyHeader; at < end; at += kEvent) {
      events.push_back(
          {static_cast<std::uint16_t>(Word(memory, at)), memory[at + 2], memory[at + 3]});
    }
    free = end;
  }
  return reading;
}

}  // namespace sim
