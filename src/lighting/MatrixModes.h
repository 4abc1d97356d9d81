#pragma once
// The matrix light's modes and presets: the rows a profile starts with, what each mode offers,
// and the preset list of the animated mode. Pure data; no database, keyboard or controls.

#include <array>
#include <vector>

#include "lighting/LightModes.h"
#include "storage/Records.h"

namespace lighting {

// The matrix light's modes (light records of zone 16). Mode 0 is also what the keyboard is
// sent while the matrix light is switched off.
inline constexpr int kMatrixModeOff = 0;
inline constexpr int kMatrixDrawingMode = 5;
inline constexpr int kMatrixPresetMode = 128;

namespace offers {
// Matrix modes only: the preset list (the animated mode).
inline constexpr int kPresetList = 0x400;
}  // namespace offers

// The rows a profile without matrix modes is given, in insertion order: modes 0 to 6 and 128.
// Mode 0 becomes the active one.
std::vector<storage::LightSettingRecord> MatrixSeedRows(int profile);

// An entry of the preset list: the text it shows and the preset the view renders.
struct MatrixPresetEntry {
  int textId = 0;
  int preset = 0;
};
inline constexpr std::size_t kMatrixPresetCount = 18;
const std::array<MatrixPresetEntry, kMatrixPresetCount>& MatrixPresetList();
bool IsListedMatrixPreset(int preset);
// The preset the list starts with, and the one shown when a stored value names no preset of
// the list.
int FirstMatrixPreset();
// The presets that follow the music use the amplitude slider instead of the speed slider.
inline bool PresetFollowsMusic(int preset) {
  return preset >= 22;
}

// The position the amplitude slider has before anything is read.
inline constexpr int kInitialAmplitude = 60;
inline constexpr int kMaxAmplitude = 100;

}  // namespace lighting
