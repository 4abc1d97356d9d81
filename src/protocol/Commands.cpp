#include "protocol/Commands.h"

namespace protocol {
namespace {

bool IsLayer(int layer) {
  return layer >= 0 && layer < kLayerCount;
}
bool IsSlot(int slot) {
  return slot >= kFirstCustomSlot && slot <= kLastCustomSlot;
}

}  // namespace

std::optional<std::uint8_t> FactoryLayerReadCommand(int layer) {
  if (!IsLayer(layer)) return std::nullopt;
  return static_cast<std::uint8_t>(command::kReadFactoryLayer0 + layer);
}

std::optional<std::uint8_t> LayerReadCommand(int layer) {
  if (!IsLayer(layer)) return std::nullopt;
  return static_cast<std::uint8_t>(command::kReadLayer0 + 2 * layer);
}

std::optional<std::uint8_t> LayerWriteCommand(int layer) {
  if (!IsLayer(layer)) return std::nullopt;
  return static_cast<std::uint8_t>(command::kWriteLayer0 + 2 * layer);
}

std::optional<std::uint8_t> SlotReadCommand(int slot) {
  if (!IsSlot(slot)) return std::nullopt;
  return static_cast<std::uint8_t>(command::kReadSlot128 + 2 * (slot - kFirstCustomSlot));
}

std::optional<std::uint8_t> SlotWriteCommand(int slot) {
  if (!IsSlot(slot)) return std::nullopt;
  return static_cast<std::uint8_t>(command::kWriteSlot128 + 2 * (slot - kFirstCustomSlot));
}

std::uint8_t LiveColorReadCommand(int protocolRevision) {
  return protocolRevision >= 2 ? command::kReadLiveColors : command::kReadLiveColorsBeforeRevision2;
}

}  // namespace protocol
