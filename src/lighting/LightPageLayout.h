#pragma once
// The controls of the light page (main page 1) and where they sit: three cards below the
// keyboard view: the zones and their modes, the mode's settings, and the colour picker.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

namespace lighting::ids {

enum LightPage : int {
  // The zones and their modes.
  kModesCard = 1301,
  kZoneTabs = 1302,  // item data: the zone
  kLightSwitch = 1303,
  kModeList = 1304,  // item data: the mode
  // The mode's settings.
  kSettingsCard = 1310,
  kBrightnessLabel = 1311,
  kBrightnessSlider = 1312,
  kSpeedLabel = 1313,
  kSpeedSlider = 1314,
  kDirectionLabel = 1315,
  kDirectionLeft = 1316,  // group kDirectionGroup, in this order
  kDirectionRight = 1317,
  kDirectionUp = 1318,
  kDirectionDown = 1319,
  kSingleColorButton = 1320,
  kColorfulCheck = 1321,
  kPreviewSwitch = 1322,
  kApplyButton = 1323,
  kSlotLabel = 1324,
  kSlotCombo = 1325,  // item data: the slot, 128 to 132
  kPaintHint = 1326,
  kSelectAllButton = 1327,
  // The colour picker.
  kColorCard = 1330,
  kColorTitle = 1331,
  kColorWheel = 1332,
  kRedLabel = 1333,
  kRedEdit = 1334,
  kGreenLabel = 1335,
  kGreenEdit = 1336,
  kBlueLabel = 1337,
  kBlueEdit = 1338,
  kPresetLabel = 1339,
  kFirstPreset = 1340,  // the nine preset colours, 1340 to 1348
  kLastPreset = 1348,
  kNotSavedLabel = 1349,
};

inline constexpr const char* kDirectionGroup = "GROUP_LIGHT_DIRECTION";

}  // namespace lighting::ids

namespace lighting {

void CreateLightPageControls(Tessel::PageHost& window);
std::vector<TextBinding> LightPageTextBindings();

}  // namespace lighting
