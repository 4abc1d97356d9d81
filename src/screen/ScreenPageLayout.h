#pragma once
// The controls of the screen page (main page 6) and where they sit: four cards right of the
// profile column: the screens with the upload and clock buttons, the frame editor (tools,
// canvas, text tool, the frames of the animation), the library of animations, and the colours.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

namespace screen::ids {

enum ScreenPage : int {
  // The screens.
  kScreensCard = 1801,
  kScreensTitle = 1802,
  kScreenList = 1803,  // item data: the screen, 0 to 2
  kUploadButton = 1804,
  kClockButton = 1805,
  // The frame editor.
  kEditorCard = 1810,
  kPenTool = 1811,  // group kToolGroup, in this order
  kEraserTool = 1812,
  kTextTool = 1813,
  kUndoButton = 1814,
  kGridCheck = 1815,
  kCanvas = 1816,
  kTextEdit = 1817,
  kFontSizeLabel = 1818,
  kFontSizeEdit = 1819,
  kTextHint = 1820,
  kFramesTitle = 1821,
  kFrameList = 1822,  // item data: the position of the frame when the list was filled
  kAddPictureButton = 1823,
  kCopyFrameButton = 1824,
  kDeleteFrameButton = 1825,
  kSaveButton = 1826,
  kSaveHint = 1827,
  // The library.
  kLibraryCard = 1830,
  kLibraryTitle = 1831,
  kLibraryList = 1832,  // item data: the item's led_id
  kImportButton = 1833,
  kNewButton = 1834,
  kDeleteButton = 1835,
  kExportButton = 1836,
  // The colours.
  kColorCard = 1840,
  kColorTitle = 1841,
  kColorWheel = 1842,
  kRedLabel = 1843,
  kRedEdit = 1844,
  kGreenLabel = 1845,
  kGreenEdit = 1846,
  kBlueLabel = 1847,
  kBlueEdit = 1848,
  kPresetLabel = 1849,
  kFirstPreset = 1850,  // the six preset colours, group kPresetGroup
  kLastPreset = 1855,
  kLastId = kLastPreset,
};

inline constexpr const char* kToolGroup = "LCD_DRAW_TOOL";
inline constexpr const char* kPresetGroup = "IDC_LCD_DEFAULTCOLOR";
inline constexpr int kPresetCount = kLastPreset - kFirstPreset + 1;

}  // namespace screen::ids

namespace screen {

void CreateScreenPageControls(Tessel::PageHost& window);
std::vector<TextBinding> ScreenPageTextBindings();

}  // namespace screen
