#pragma once
// Per-profile configuration keys. Every profile gets one row per key with its default when
// it is created; values are decimal texts ("%d") except "version".

#include <span>
#include <string_view>

namespace storage {

namespace config_key {
inline constexpr std::string_view kVersion = "version";
inline constexpr std::string_view kKeyboardLayout = "keyboard_layout";
inline constexpr std::string_view kFnLayer = "fn_layer";
inline constexpr std::string_view kFnSwitch = "fn_switch";
inline constexpr std::string_view kLightMode = "lightmode";
inline constexpr std::string_view kAuroraMode = "aurora_mode";
inline constexpr std::string_view kMatrixLightMode = "matrixlight_mode";
inline constexpr std::string_view kMatrixLightPresetMode = "matrixlight_preset_mode";
inline constexpr std::string_view kMatrixLightAmplitude = "matrixlight_amplitude";
inline constexpr std::string_view kEnableLight = "enable_light";
inline constexpr std::string_view kEnableCustomLight = "enable_customlight";
inline constexpr std::string_view kUserLight = "userlight";
inline constexpr std::string_view kCustomLight = "customlight";
inline constexpr std::string_view kCustomLightRun = "customlight_run";
inline constexpr std::string_view kCustomLightOpen = "customlight_open";
inline constexpr std::string_view kMacMode = "mac_mode";
inline constexpr std::string_view kEncoderMode = "encoder_mode";
inline constexpr std::string_view kWasdMode = "wasd_mode";
inline constexpr std::string_view kGameMode = "game_mode";
inline constexpr std::string_view kLockAltTab = "lock_alttab";
inline constexpr std::string_view kLockAltF4 = "lock_altf4";
inline constexpr std::string_view kLockWin = "lock_win";
inline constexpr std::string_view kSleepTime = "sleep_time";
inline constexpr std::string_view kKeyResponse = "key_keyresponse";
inline constexpr std::string_view kDefaultColor1 = "default_color1";
inline constexpr std::string_view kDefaultColor2 = "default_color2";
inline constexpr std::string_view kDefaultColor3 = "default_color3";
inline constexpr std::string_view kDefaultColor4 = "default_color4";
inline constexpr std::string_view kDefaultColor5 = "default_color5";
inline constexpr std::string_view kDefaultColor6 = "default_color6";
inline constexpr std::string_view kDefaultColor7 = "default_color7";
inline constexpr std::string_view kDefaultColor8 = "default_color8";
inline constexpr std::string_view kReportRate = "reporte_rate";  // stored spelling
}  // namespace config_key

struct ConfigDefault {
  std::string_view key;
  std::string_view value;
};

// The 33 keys in the order a new profile receives them.
std::span<const ConfigDefault> DefaultConfig();

}  // namespace storage
