#include "sim/KeyboardModels.h"

#include <algorithm>

#include "sim/ScreenMedia.h"

namespace sim {

namespace {

// Fn layer 1 puts media functions on F1 to F12 (HID usages 0x3A to 0x45); each value is a
// consumer usage sent as 0x30, low byte, high byte.
constexpr std::array<std::uint16_t, 12> kFnLayerMedia = {
    0x0183, 0x00CD, 0x00B6, 0x00B5, 0x00B7, 0x00E2, 0x00EA, 0x00E9, 0x018A, 0x0192, 0x0194, 0x0223};
constexpr int kF1Usage = 0x3A;

// Knob actions 0, 1, 2: volume down, volume up, mute.
constexpr std::array<std::uint16_t, 3> kKnobMedia = {0x00EA, 0x00E9, 0x00E2};

constexpr std::uint32_t kFactorySleepSeconds = 120;
constexpr std::uint8_t kFactoryKeyResponse = 2;
constexpr std::uint8_t kFactorySpeed = 3;

std::array<std::uint8_t, 3> MediaEntry(std::uint16_t usage) {
  return {0x30, static_cast<std::uint8_t>(usage & 0xFF), static_cast<std::uint8_t>(usage >> 8)};
}

void PutEntry(LayerTable& table, int keyIndex, const std::array<std::uint8_t, 3>& entry) {
  if (keyIndex < 0 || keyIndex >= static_cast<int>(kKeyCount)) return;
  std::copy(entry.begin(), entry.end(), table.begin() + keyIndex * 3);
}

LightRegion FactoryRegion(const ZoneLimits& limits) {
  LightRegion region;
  region.mode = 1;
  region.brightness = limits.maxBrightness;
  region.speed = static_cast<std::uint8_t>(
      limits.maxSpeed > kFactorySpeed ? limits.maxSpeed - kFactorySpeed : 0);
  region.colorful = 1;
  region.red = 0xFF;
  return region;
}

SettingsBlock FactorySettings(const DeviceInformation& info) {
  SettingsBlock block{};
  WriteLightRegion(block, LightZone::kZone0, FactoryRegion(info.zone0));
  if (info.zone1.present) WriteLightRegion(block, LightZone::kZone1, FactoryRegion(info.zone1));
  if (info.zone2.present) WriteLightRegion(block, LightZone::kZone2, FactoryRegion(info.zone2));
  if (info.protocolRevision >= 2 && info.matrix.present) {
    WriteLightRegion(block, LightZone::kMatrix, FactoryRegion(info.matrix));
  }
  SystemSettings system;
  system.keyResponse = kFactoryKeyResponse;
  system.sleepSeconds = kFactorySleepSeconds;
  WriteSystemSettings(block, info.protocolRevision, system);
  return block;
}

// Slots 0 to 4 ship red, green, blue, white and a rainbow across the light indices.
std::array<ColourTable, kCustomSlotCount> FactorySlots() {
  std::array<ColourTable, kCustomSlotCount> slots{};
  constexpr std::array<std::array<std::uint8_t, 3>, 4> kSolid = {
      {{0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}, {0xFF, 0xFF, 0xFF}}};
  for (std::size_t light = 0; light < kKeyCount; ++light) {
    for (std::size_t slot = 0; slot < kSolid.size(); ++slot) {
      std::copy(kSolid[slot].begin(), kSolid[slot].end(), slots[slot].begin() + light * 3);
    }
    const auto step = static_cast<std::uint8_t>(light * 2);
    slots[4][light * 3] = step;
    slots[4][light * 3 + 1] = static_cast<std::uint8_t>(255 - step);
    slots[4][light * 3 + 2] = static_cast<std::uint8_t>(light % 2 == 0 ? 0x80 : 0x20);
  }
  return slots;
}

MatrixPicture FactoryMatrix() {
  MatrixPicture picture{};
  for (std::size_t cell = 0; cell < kMatrixCells; ++cell) {
    picture[cell * 3] = static_cast<std::uint8_t>((cell / 7) * 40);
    picture[cell * 3 + 1] = static_cast<std::uint8_t>((cell % 7) * 40);
    picture[cell * 3 + 2] = 0x80;
  }
  return picture;
}

// The keyboard keeps its own media entries at fixed key map positions no layout key takes:
// the knob's actions (turn left, turn right, press) and the calculator.
constexpr std::array<std::uint8_t, 3> kKnobIndices = {86, 84, 83};
constexpr int kCalculatorIndex = 88;

void BuildLayers(KeyboardState& state, const Layout& layout) {
  LayerTable base{};
  for (const LayoutKey& key : layout.keys)
    PutEntry(base, key.keyIndex, FactoryEntryForCode(key.code));
  if (state.info.knob) {
    for (std::size_t action = 0; action < 3; ++action) {
      PutEntry(base, state.knobIndices[action], MediaEntry(kKnobMedia[action]));
    }
    PutEntry(base, kCalculatorIndex, MediaEntry(0x0192));
  }
  state.factoryLayers.fill(base);
  for (const LayoutKey& key : layout.keys) {
    const int function = key.code - kF1Usage;
    if (function >= 0 && function < static_cast<int>(kFnLayerMedia.size())) {
      PutEntry(state.factoryLayers[1], key.keyIndex, MediaEntry(kFnLayerMedia[function]));
    }
  }
}

}  // namespace

ModelFeatures FeaturesOfModel(int modelId) {
  ModelFeatures features;
  DeviceInformation& info = features.info;
  switch (modelId) {
    case 101:
      info.firmwareVersion = 0x0122;
      info.zone1.present = true;
      info.zone2.present = true;
      info.knob = true;
      features.battery = true;
      features.screen = true;
      break;
    case 102:
      info.firmwareVersion = 0x0116;
      info.zone2.present = true;
      info.matrix.present = true;
      features.battery = true;
      features.screen = true;
      break;
    case 103:
      info.firmwareVersion = 0x0105;
      info.macroMemoryUnits = 8;
      info.zone2.present = true;
      info.knob = true;
      break;
    default:
      info.firmwareVersion = 0x0104;
      info.protocolRevision = 1;
      info.macroMemoryUnits = 4;
      break;
  }
  return features;
}

KeyboardHardware HardwareOf(const CatalogueModel& model) {
  KeyboardHardware hardware;
  hardware.modelId = model.modelId;
  const CatalogueMode* cable = model.Mode(0);
  const CatalogueMode* receiver = model.Mode(1) != nullptr ? model.Mode(1) : model.Mode(2);
  if (cable != nullptr) {
    hardware.vendorId = cable->vendorId;
    hardware.cableProductId = cable->productId;
    hardware.cableProductString = cable->productName.empty() ? model.name : cable->productName;
  }
  if (receiver != nullptr) {
    if (hardware.vendorId == 0) hardware.vendorId = receiver->vendorId;
    hardware.receiverProductId = receiver->productId;
    hardware.receiverProductString =
        receiver->productName.empty() ? model.name + " Receiver" : receiver->productName;
  }
  return hardware;
}

std::array<std::uint8_t, 3> FactoryEntryForCode(int code) {
  if (code >= 0xE0 && code <= 0xE7) return {0x10, static_cast<std::uint8_t>(1 << (code - 0xE0)), 0};
  switch (code) {
    case 0xF0:  // Fn
      return {0x50, 0x02, 0x00};
    case 0xD1:  // calculator
      return MediaEntry(0x0192);
    case 0xD2:  // mute
      return MediaEntry(0x00E2);
    case 0xD3:  // volume down
      return MediaEntry(0x00EA);
    case 0xD4:  // volume up
      return MediaEntry(0x00E9);
    default:
      break;
  }
  if (code > 0 && code < 0xE0) return {0x10, 0x00, static_cast<std::uint8_t>(code)};
  return {0, 0, 0};
}

KeyboardState MakeFactoryState(const KeyboardHardware& hardware, const ModelFeatures& features,
                               const Layout& layout) {
  KeyboardState state;
  state.modelId = hardware.modelId;
  state.vendorId = hardware.vendorId;
  state.productId =
      hardware.cableProductId != 0 ? hardware.cableProductId : hardware.receiverProductId;
  state.info = features.info;
  state.hasBattery = features.battery;
  state.batteryLevel = features.battery ? 80 : 0;
  state.screen.present = features.screen;
  if (features.screen) LoadFactoryScreen(state.screen);
  state.lightIndices.fill(static_cast<std::uint8_t>(kNoLight));
  for (const LayoutKey& key : layout.keys) {
    if (key.keyIndex >= 0 && key.keyIndex < static_cast<int>(kKeyCount) && key.lightIndex >= 0 &&
        key.lightIndex < static_cast<int>(kKeyCount)) {
      state.lightIndices[key.keyIndex] = static_cast<std::uint8_t>(key.lightIndex);
    }
  }
  if (state.info.knob) state.knobIndices = kKnobIndices;
  BuildLayers(state, layout);
  state.layers = state.factoryLayers;
  state.factorySettings = FactorySettings(state.info);
  state.settings = state.factorySettings;
  state.factoryCustomSlots = FactorySlots();
  state.customSlots = state.factoryCustomSlots;
  if (state.info.matrix.present) state.factoryMatrixPicture = FactoryMatrix();
  state.matrixPicture = state.factoryMatrixPicture;
  state.macroMemory.assign(std::size_t{state.info.macroMemoryUnits} * 256, 0);
  return state;
}

}  // namespace sim
