#include "storage/ConfigKeys.h"

namespace storage {
namespace {

namespace key = config_key;

// Colours are 0x00BBGGRR, the form the colour buttons take.
constexpr ConfigDefault kDefaults[] = {
    {key::kVersion, "1.0.1"},
    {key::kKeyboardLayout, "1"},
    {key::kFnLayer, "0"},
    {key::kFnSwitch, "0"},
    {key::kLightMode, "1"},
    {key::kAuroraMode, "1"},
    {key::kMatrixLightMode, "1"},
    {key::kMatrixLightPresetMode, "1"},
    {key::kMatrixLightAmplitude, "50"},
    {key::kEnableLight, "1"},
    {key::kEnableCustomLight, "1"},
    {key::kUserLight, "0"},
    {key::kCustomLight, "0"},
    {key::kCustomLightRun, "0"},
    {key::kCustomLightOpen, "1"},
    {key::kMacMode, "0"},
    {key::kEncoderMode, "0"},
    {key::kWasdMode, "0"},
    {key::kGameMode, "0"},
    {key::kLockAltTab, "0"},
    {key::kLockAltF4, "0"},
    {key::kLockWin, "0"},
    {key::kSleepTime, "2"},
    {key::kKeyResponse, "2"},
    {key::kDefaultColor1, "8331093"},   // 0x7F1F55
    {key::kDefaultColor2, "4114939"},   // 0x3EC9FB
    {key::kDefaultColor3, "65280"},     // 0x00FF00 green
    {key::kDefaultColor4, "16776960"},  // 0xFFFF00
    {key::kDefaultColor5, "255"},       // 0x0000FF red
    {key::kDefaultColor6, "14237951"},  // 0xD940FF
    {key::kDefaultColor7, "14237951"},  // same as colour 6
    {key::kDefaultColor8, "16777215"},  // white
    {key::kReportRate, "4"},
};

}  // namespace

std::span<const ConfigDefault> DefaultConfig() {
  return kDefaults;
}

}  // namespace storage
