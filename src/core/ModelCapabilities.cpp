#include "core/ModelCapabilities.h"

#include <algorithm>

#include "core/SharedState.h"

namespace {

// Keypads take the model numbers 150 to 180.
constexpr int kFirstKeypadModel = 150;
constexpr int kLastKeypadModel = 180;
// The model whose screen is updated only by cable.
constexpr int kScreenByCableModel = 101;
// The model whose keyboard view shows its knob as a key (at this position of its key list,
// with code 255 in knob mode and 74 otherwise).
constexpr int kKnobKeyModel = 103;
constexpr KnobKey kKnobKey{14, 255, 74};
// The model with light strips on both sides (six each) and across the top (ten), on the
// light indices after its keys' (106 to 127).
constexpr int kEdgeLightsModel = 101;
constexpr EdgeLights kEdgeLights{6, 10, 106};
// The model and firmware that take a single changed key only as part of whole layer tables.
constexpr int kWholeLayerKeysModel = 102;
constexpr std::uint16_t kWholeLayerKeysFirmware = 0x115;
// The model whose light zone 2 is a logo, and the one whose zone 2 static mode has no
// single-colour choice.
constexpr int kLogoLightModel = 102;
constexpr int kTopStaticPickerOnlyModel = 103;
// The model whose matrix light plays the frames streamed to it.
constexpr int kMatrixStreamModel = 102;

}  // namespace

std::vector<int> EdgeLights::LightIndices() const {
  std::vector<int> indices;
  const int count = std::max(perSide, 0) * 2 + std::max(top, 0);
  for (int i = 0; i < count; ++i) indices.push_back(firstLightIndex + i);
  return indices;
}

std::optional<int> ModelCapabilities::ProtocolRevision() const {
  if (!device) return std::nullopt;
  return device->protocolRevision;
}

bool ModelCapabilities::WritesKeysAsWholeLayers() const {
  return modelId == kWholeLayerKeysModel && device &&
         device->firmwareVersion == kWholeLayerKeysFirmware;
}

bool ModelCapabilities::ShowsPage(int pageId, int connectionKind) const {
  switch (pageId) {
    case kPageLighting:
      return !keypad;
    case kPageMatrix:
      // Only a keyboard that said it has a matrix light shows its page.
      return !keypad && device && device->matrix.present;
    case kPageScreen:
      // Through the receiver a screen that only takes updates by cable has nothing to offer.
      return !keypad && !(screenByCableOnly && (connectionKind == kConnectionReceiver ||
                                                connectionKind == kConnectionIndirect));
    default:
      return true;
  }
}

ModelCapabilities CapabilitiesOfModel(int modelId) {
  ModelCapabilities capabilities;
  capabilities.modelId = modelId;
  capabilities.keypad = modelId >= kFirstKeypadModel && modelId <= kLastKeypadModel;
  capabilities.screenByCableOnly = modelId == kScreenByCableModel;
  if (modelId == kKnobKeyModel) capabilities.knobKey = kKnobKey;
  if (modelId == kEdgeLightsModel) capabilities.edgeLights = kEdgeLights;
  capabilities.logoLightZone = modelId == kLogoLightModel;
  capabilities.topStaticPickerOnly = modelId == kTopStaticPickerOnlyModel;
  capabilities.streamsMatrix = modelId == kMatrixStreamModel;
  return capabilities;
}

ModelCapabilities CurrentModel::Get() const {
  std::lock_guard lock(mutex_);
  return capabilities_;
}

void CurrentModel::SetModel(int modelId, int gridRows, int gridColumns) {
  ModelCapabilities capabilities = CapabilitiesOfModel(modelId);
  capabilities.gridRows = gridRows;
  capabilities.gridColumns = gridColumns;
  std::lock_guard lock(mutex_);
  // What a keyboard of the same model reported stays until it reports again.
  if (capabilities_.modelId == modelId) capabilities.device = capabilities_.device;
  capabilities_ = std::move(capabilities);
}

void CurrentModel::SetDeviceInfo(int modelId, const protocol::DeviceInfo& info) {
  std::lock_guard lock(mutex_);
  if (capabilities_.modelId != modelId) return;
  capabilities_.device = info;
}
