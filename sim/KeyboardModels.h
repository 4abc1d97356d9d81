#pragma once
// The simulator's firmware knowledge of each catalogue model (features, versions) and the
// factory state a new keyboard of a model starts from.

#include <array>
#include <cstdint>
#include <string>

#include "sim/CatalogueReader.h"
#include "sim/KeyboardState.h"

namespace sim {

// How a keyboard shows up on the USB bus.
struct KeyboardHardware {
  int modelId = 0;
  std::uint16_t vendorId = 0;
  std::uint16_t cableProductId = 0;     // 0: the model has no cable mode
  std::uint16_t receiverProductId = 0;  // 0: the model has no receiver
  std::string cableProductString;
  std::string receiverProductString;
  std::uint16_t releaseNumber = 0x0100;
};

struct ModelFeatures {
  DeviceInformation info;
  bool battery = false;
  bool screen = false;
};

// Models 101 (full size, knob, screen, three light zones), 102 (matrix light, screen),
// 103 (75 %, knob); every other model is a small revision-1 keyboard such as the keypad 160.
ModelFeatures FeaturesOfModel(int modelId);

// Ids from the catalogue: the cable mode (0) and the receiver (mode 1, else mode 2).
KeyboardHardware HardwareOf(const CatalogueModel& model);

// The key entry a key code has in a factory layer table.
std::array<std::uint8_t, 3> FactoryEntryForCode(int code);

KeyboardState MakeFactoryState(const KeyboardHardware& hardware, const ModelFeatures& features,
                               const Layout& layout);

}  // namespace sim
