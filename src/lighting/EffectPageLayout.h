#pragma once
// The controls of the screen-sync and music page (main page 2) and where they sit: below the
// effect view, the effect card (the mode tabs and the chosen mode's panel) and the colour card
// of the music colours.

#include <vector>

#include "ui/tessel/TextBindings.h"
#include "ui/tessel/Types.h"

namespace Tessel {
class PageHost;
}

namespace lighting::effect_ids {

enum EffectPage : int {
  // The effect card: the mode tabs, a line about the mode, a notice when it cannot work.
  kEffectCard = 1401,
  kModeTabs = 1402,  // item data: the effect mode
  kModeHint = 1403,
  kNotice = 1404,
  kNotSavedLabel = 1405,
  // Mode 1: the music layer.
  kMusicPanel = 1410,
  kForegroundLabel = 1411,
  kForegroundCombo = 1412,  // item data: the pattern (100: no bars)
  kBackgroundLabel = 1413,
  kBackgroundCombo = 1414,  // item data: the pattern
  kAmplitudeLabel = 1415,
  kAmplitudeSlider = 1416,  // shows the stored amplitude / 10
  kBackBrightnessLabel = 1417,
  kBackBrightnessSlider = 1418,
  kLightBrightnessLabel = 1419,
  kLightBrightnessSlider = 1420,
  // Mode 2: the picture, GIF or video.
  kMediaPanel = 1430,
  kFileButton = 1431,
  kFileName = 1432,
  // Mode 4: the window chooser.
  kWindowPanel = 1440,
  kWindowLabel = 1441,
  kWindowCombo = 1442,  // item data: the window
  kRefreshButton = 1443,
  // Mode 5: the light layers.
  kLayersPanel = 1450,
  kLayerCheck = 1451,
  // The music colours (modes 1 and 5 to 7).
  kColorCard = 1460,
  kColorTitle = 1461,
  kColorfulCheck = 1462,
  kColorWheel = 1463,
  kRedLabel = 1464,
  kRedEdit = 1465,
  kGreenLabel = 1466,
  kGreenEdit = 1467,
  kBlueLabel = 1468,
  kBlueEdit = 1469,
  kPresetLabel = 1470,
  kFirstPreset = 1471,  // the nine preset colours, 1471 to 1479
  kLastPreset = 1479,
};

inline constexpr int kFirstId = kEffectCard;
inline constexpr int kLastId = kLastPreset;
inline constexpr const char* kPresetGroup = "IDC_AURORA_STC_DEFAULTCOLOR";

}  // namespace lighting::effect_ids

namespace lighting {

// The effect card's place: narrower while the colour card shows beside it.
Tessel::Rect EffectCardRect(bool besideColorCard);

void CreateEffectPageControls(Tessel::PageHost& window);
std::vector<TextBinding> EffectPageTextBindings();

}  // namespace lighting
