#include "lighting/MatrixModes.h"

#include <algorithm>
#include <string>

#include "core/TextIds.h"

namespace lighting {
namespace {

constexpr int kSeedBrightness = 80;
constexpr int kSeedSpeed = 3;
constexpr int kSeedColor = 0x0000FF;  // red

constexpr int kPlain = offers::kBrightness | offers::kSpeed | offers::kColorPicker;  // 0x013
constexpr int kRegular = kPlain | offers::kSingleColor;                              // 0x033
constexpr int kDrawing =
    offers::kBrightness | offers::kColorPicker | offers::kSingleColor | offers::kPerKey;  // 0x131
constexpr int kPresets = kRegular | offers::kPresetList;                                  // 0x433

struct SeedMode {
  int mode;
  int textId;
  int offers;
};
constexpr SeedMode kSeedModes[] = {
    {0, text::kMatrixModeFirst, kPlain},
    {1, text::kMatrixModeFirst + 1, kRegular},
    {2, text::kMatrixModeFirst + 2, kRegular},
    {3, text::kMatrixModeFirst + 3, kRegular},
    {4, text::kMatrixModeFirst + 4, kRegular},
    {5, text::kMatrixModeDrawing, kDrawing},
    {6, text::kMatrixModeFirst + 6, kDrawing},
    {kMatrixPresetMode, text::kMatrixModePresets, kPresets},
};

constexpr std::array<MatrixPresetEntry, kMatrixPresetCount> kPresetList = {{
    {921, 4},
    {922, 22},
    {923, 23},
    {924, 24},
    {925, 25},
    {926, 26},
    {927, 27},
    {928, 2},
    {929, 6},
    {930, 7},
    {931, 8},
    {932, 9},
    {933, 10},
    {934, 12},
    {935, 13},
    {936, 14},
    {937, 16},
    {938, 21},
}};
static_assert(kPresetList.front().textId == text::kMatrixPresetFirst);
static_assert(kPresetList.back().textId == text::kMatrixPresetLast);

}  // namespace

std::vector<storage::LightSettingRecord> MatrixSeedRows(int profile) {
  std::vector<storage::LightSettingRecord> rows;
  for (const SeedMode& seed : kSeedModes) {
    storage::LightSettingRecord row;
    row.profile = profile;
    row.name = std::to_string(seed.textId);
    row.type = kZoneMatrix;
    row.mode = seed.mode;
    row.brightness = kSeedBrightness;
    row.speed = kSeedSpeed;
    row.direction = kDirectionRight;
    row.colorful = 1;
    row.colorindex = 0;
    row.color_value = kSeedColor;
    row.config_func = seed.offers;
    row.reserved = 0;
    row.status = 0;
    rows.push_back(std::move(row));
  }
  return rows;
}

const std::array<MatrixPresetEntry, kMatrixPresetCount>& MatrixPresetList() {
  return kPresetList;
}

bool IsListedMatrixPreset(int preset) {
  return std::any_of(kPresetList.begin(), kPresetList.end(),
                     [preset](const MatrixPresetEntry& entry) { return entry.preset == preset; });
}

int FirstMatrixPreset() {
  return kPresetList.front().preset;
}

}  // namespace lighting
