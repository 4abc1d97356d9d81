#pragma once
// The controls of the key page (page 4): the Fn layer tabs and the restore buttons below the
// keyboard view, the function card with the picker's tabs, the picker, the macro play options
// and the key combination panel, and the key test beside it.

#include <array>
#include <vector>

#include "ui/tessel/TextBindings.h"
#include "ui/tessel/Types.h"

namespace Tessel {
class PageHost;
}

namespace key_ids {

// The key page's own controls: 1600 onward (1200 + 100 x page id).
enum KeyPage : int {
  kLayerLabel = 1601,
  kLayerTabs = 1602,  // item data: the Fn layer
  kRestoreKeyButton = 1603,
  kRestoreLayerButton = 1604,
  kFunctionCard = 1605,
  kFunctionTabs = 1606,  // item data: the function type the tab lists (13: combinations)
  kPicker = 1607,
  kPageHint = 1608,
  // Macro play options (the macro tab).
  kMacroPanel = 1610,
  kPlayModeLabel = 1611,
  kPlayCount = 1612,  // play modes 0 to 3, radio group kPlayModeGroup
  kPlayUntilKey = 1613,
  kPlayWhileHeld = 1614,
  kPlayToggle = 1615,
  kRepeatLabel = 1616,
  kRepeatCount = 1617,
  // The key combination panel.
  kCombinationPanel = 1620,
  kCaptureHint = 1621,
  kCaptureField = 1622,
  kModifiersLabel = 1623,
  kFirstModifier = 1624,  // eight toggles, left Ctrl (bit 0x01) to right Win (0x80)
  kApplyCombination = 1632,
  // The key test, in the window's key-test area.
  kKeyTestTitle = 1640,
  kKeyTestHint = 1641,
  kKeyTestList = 1642,
};

inline constexpr const char* kPlayModeGroup = "KEY_MACRO_PLAY_MODE";

// The picker's tabs in order, by the function type each lists.
inline constexpr int kTabDefault = 0;
inline constexpr int kTabKeys = 2;
inline constexpr int kTabMacros = 3;
inline constexpr int kTabMouse = 5;
inline constexpr int kTabMedia = 6;
inline constexpr int kTabShortcuts = 7;
inline constexpr int kTabKeyboardFunctions = 12;
inline constexpr int kTabCombination = 13;
inline constexpr std::array<int, 8> kPickerTabs = {
    kTabDefault,           kTabKeys,       kTabMacros, kTabMouse, kTabMedia, kTabShortcuts,
    kTabKeyboardFunctions, kTabCombination};

inline constexpr std::array<int, 4> kPlayModeButtons = {kPlayCount, kPlayUntilKey, kPlayWhileHeld,
                                                        kPlayToggle};
inline constexpr int kModifierCount = 8;

}  // namespace key_ids

void CreateKeyPageControls(Tessel::PageHost& window);
// Where the picker goes in the function card: its whole width, or beside the macro options.
Tessel::Rect PickerRect(bool besideMacroOptions);
std::vector<TextBinding> KeyPageTextBindings();
