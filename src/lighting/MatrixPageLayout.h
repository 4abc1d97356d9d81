#pragma once
// The controls of the matrix light page (main page 3) and where they sit: the matrix view on
// its card left, the modes above, the mode's settings and the colour picker below them.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

namespace lighting::matrix_ids {

enum MatrixPage : int {
  // The view.
  kViewCard = 1501,
  kViewTitle = 1502,
  kMatrixView = 1503,
  kDrawHint = 1504,
  kSoundStatus = 1505,
  // The modes.
  kModesCard = 1510,
  kMatrixSwitch = 1511,
  kModeList = 1512,  // item data: the mode
  // The mode's settings.
  kSettingsCard = 1520,
  kPresetLabel = 1521,
  kPresetCombo = 1522,  // item data: the preset
  kBrightnessLabel = 1523,
  kBrightnessSlider = 1524,
  kSpeedLabel = 1525,
  kSpeedSlider = 1526,
  kAmplitudeLabel = 1527,
  kAmplitudeSlider = 1528,
  kDirectionLabel = 1529,
  kDirectionLeft = 1530,  // group kDirectionGroup, in this order
  kDirectionRight = 1531,
  kDirectionUp = 1532,
  kDirectionDown = 1533,
  kSingleColorButton = 1534,
  kColorfulCheck = 1535,
  kNotSavedLabel = 1536,
  // The colour picker.
  kColorCard = 1540,
  kColorTitle = 1541,
  kColorWheel = 1542,
  kRedLabel = 1543,
  kRedEdit = 1544,
  kGreenLabel = 1545,
  kGreenEdit = 1546,
  kBlueLabel = 1547,
  kBlueEdit = 1548,
  kPresetColorLabel = 1549,
  kFirstPresetColor = 1550,  // the nine preset colours, 1550 to 1558
  kLastPresetColor = 1558,
  kLastId = kLastPresetColor,
};

// The light page has its own group: a choice here must not clear one there.
inline constexpr const char* kDirectionGroup = "GROUP_MATRIX_LIGHT_DIRECTION";

}  // namespace lighting::matrix_ids

namespace lighting {

void CreateMatrixPageControls(Tessel::PageHost& window);
// Stacks the settings the shown mode offers from the top of their card, so that hidden ones
// leave no gaps.
void ArrangeMatrixSettings(Tessel::PageHost& window);
std::vector<TextBinding> MatrixPageTextBindings();

}  // namespace lighting
