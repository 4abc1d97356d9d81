#include "sim/KeyboardState.h"

#include <algorithm>

namespace sim {

namespace {

void PutLittleEndian16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// First byte (the leading 0) of each zone's region in the settings block.
std::size_t RegionStart(LightZone zone) {
  switch (zone) {
    case LightZone::kZone0:
      return 1;
    case LightZone::kZone2:
      return 11;
    case LightZone::kZone1:
      return 20;
    case LightZone::kMatrix:
      return 29;
  }
  return 1;
}

}  // namespace

InformationBlock EncodeInformationBlock(const DeviceInformation& info, std::uint16_t vendorId,
                                        std::uint16_t productId) {
  InformationBlock block{};
  PutLittleEndian16(block, 2, vendorId);
  PutLittleEndian16(block, 4, productId);
  PutLittleEndian16(block, 6, info.firmwareVersion);
  block[8] = info.protocolRevision;
  block[13] = info.macroMemoryUnits;
  block[16] = info.zone0.maxBrightness;
  block[17] = info.zone0.maxSpeed;
  block[19] = info.zone2.present ? 1 : 0;
  block[25] = info.zone1.present ? 1 : 0;
  if (info.protocolRevision >= 2) {
    block[22] = info.zone2.maxBrightness;
    block[23] = info.zone2.maxSpeed;
    block[28] = info.zone1.maxBrightness;
    block[29] = info.zone1.maxSpeed;
    block[31] = info.matrix.present ? 1 : 0;
    block[35] = info.matrix.maxBrightness;
    block[36] = info.matrix.maxSpeed;
    block[37] = info.knob ? 1 : 0;
  } else {
    block[21] = info.zone2.maxBrightness;
    block[22] = info.zone2.maxSpeed;
    block[27] = info.zone1.maxBrightness;
    block[28] = info.zone1.maxSpeed;
  }
  return block;
}

LightRegion ReadLightRegion(const SettingsBlock& block, LightZone zone) {
  const std::size_t at = RegionStart(zone);
  LightRegion region;
  region.mode = block[at + 1];
  region.brightness = block[at + 2];
  region.speed = block[at + 3];
  region.colorful = block[at + 4];
  region.colorIndex = block[at + 5];
  region.red = block[at + 6];
  region.green = block[at + 7];
  region.blue = block[at + 8];
  return region;
}

void WriteLightRegion(SettingsBlock& block, LightZone zone, const LightRegion& region) {
  const std::size_t at = RegionStart(zone);
  block[at] = 0;
  block[at + 1] = region.mode;
  block[at + 2] = region.brightness;
  block[at + 3] = region.speed;
  block[at + 4] = region.colorful;
  block[at + 5] = region.colorIndex;
  block[at + 6] = region.red;
  block[at + 7] = region.green;
  block[at + 8] = region.blue;
}

SystemSettingsLayout SystemSettingsLayoutFor(std::uint8_t protocolRevision) {
  if (protocolRevision >= 2) return {38, 39, 40, 41, 42, 46};
  return {29, 30, 31, 32, 33, 35};
}

SystemSettings ReadSystemSettings(const SettingsBlock& block, std::uint8_t protocolRevision) {
  const SystemSettingsLayout at = SystemSettingsLayoutFor(protocolRevision);
  SystemSettings settings;
  settings.gameMode = block[at.gameMode];
  settings.macMode = block[at.macMode];
  settings.lockWin = block[at.lockWin];
  settings.wasdSwap = block[at.wasdSwap];
  settings.keyResponse = block[at.keyResponse];
  settings.sleepSeconds = block[at.sleepSeconds] | (block[at.sleepSeconds + 1] << 8) |
                          (block[at.sleepSeconds + 2] << 16);
  return settings;
}

void WriteSystemSettings(SettingsBlock& block, std::uint8_t protocolRevision,
                         const SystemSettings& settings) {
  const SystemSettingsLayout at = SystemSettingsLayoutFor(protocolRevision);
  block[at.gameMode] = settings.gameMode;
  block[at.macMode] = settings.macMode;
  block[at.lockWin] = settings.lockWin;
  block[at.wasdSwap] = settings.wasdSwap;
  block[at.keyResponse] = settings.keyResponse;
  block[at.sleepSeconds] = static_cast<std::uint8_t>(settings.sleepSeconds & 0xFF);
  block[at.sleepSeconds + 1] = static_cast<std::uint8_t>((settings.sleepSeconds >> 8) & 0xFF);
  block[at.sleepSeconds + 2] = static_cast<std::uint8_t>((settings.sleepSeconds >> 16) & 0xFF);
}

std::vector<std::uint8_t> ScreenFlash::Read(std::uint32_t address, std::uint32_t length) const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(length);
  for (std::uint64_t at = address; at < std::uint64_t{address} + length; ++at) {
    if (at >= size) break;
    const auto block = blocks.find(static_cast<std::uint32_t>(at / kBlockSize));
    bytes.push_back(block == blocks.end() ? 0xFF : block->second[at % kBlockSize]);
  }
  return bytes;
}

bool ScreenFlash::Erase(std::uint32_t firstBlock, std::uint32_t blockCount) {
  const std::uint64_t end = std::uint64_t{firstBlock} + blockCount;
  if (end * kBlockSize > size) return false;
  for (std::uint64_t block = firstBlock; block < end; ++block) {
    blocks.erase(static_cast<std::uint32_t>(block));
  }
  operations.push_back(
      {FlashOperation::Kind::kErase, firstBlock * kBlockSize, blockCount * kBlockSize});
  return true;
}

bool ScreenFlash::Program(std::uint32_t address, std::span<const std::uint8_t> data) {
  if (std::uint64_t{address} + data.size() > size) return false;
  const std::vector<std::uint8_t> current = Read(address, static_cast<std::uint32_t>(data.size()));
  const auto erased = [](std::uint8_t byte) { return byte == 0xFF; };
  if (!std::all_of(current.begin(), current.end(), erased)) {
    ++writesOverUnerased;
    return false;
  }
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::uint32_t at = address + static_cast<std::uint32_t>(i);
    auto& block = blocks[at / kBlockSize];
    if (block.empty()) block.assign(kBlockSize, 0xFF);
    block[at % kBlockSize] &= data[i];
  }
  operations.push_back(
      {FlashOperation::Kind::kWrite, address, static_cast<std::uint32_t>(data.size())});
  return true;
}

void ScreenFlash::Preload(std::uint32_t address, std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i < data.size() && std::uint64_t{address} + i < size; ++i) {
    const std::uint32_t at = address + static_cast<std::uint32_t>(i);
    auto& block = blocks[at / kBlockSize];
    if (block.empty()) block.assign(kBlockSize, 0xFF);
    block[at % kBlockSize] = data[i];
  }
}

void KeyboardState::FactoryReset() {
  layers = factoryLayers;
  settings = factorySettings;
  customSlots = factoryCustomSlots;
  matrixPicture = factoryMatrixPicture;
  std::fill(macroMemory.begin(), macroMemory.end(), 0);
  lastScreenSyncFrame.reset();
  ++counters.factoryResets;
}

}  // namespace sim
