#pragma once
// The controls of the macro page (page 5), in three cards right of the profile column: the
// macro list with its buttons; the selected macro's events with the record and edit buttons;
// the delay options and the editor of the selected event.

#include <array>
#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

namespace macro_ids {

// The macro page's own controls: 1700 onward (1200 + 100 x page id).
enum MacroPage : int {
  // The macro list.
  kMacrosCard = 1701,
  kMacrosTitle = 1702,
  kMacroCount = 1703,  // "3 / 10"
  kMacroList = 1704,   // item data: the macro id
  kNewMacro = 1705,
  kCopyMacro = 1706,
  kRenameMacro = 1707,
  kDeleteMacro = 1708,
  // The events of the selected macro.
  kEventsCard = 1720,
  kEventsTitle = 1721,
  kRoomLabel = 1722,  // how many more events fit
  kEventList = 1723,
  kEmptyHint = 1724,  // over the empty list: how to record
  kRecordButton = 1725,
  kInsertButton = 1726,
  kDeleteEvent = 1727,
  kMoveUp = 1728,
  kMoveDown = 1729,
  kClearEvents = 1730,
  kRecordingState = 1731,  // while recording: whether other programs get the keys
  // The delay options.
  kSettingsCard = 1740,
  kDelayTitle = 1741,
  kDelayNone = 1742,  // radio group kDelayGroup: delay types 0, 1, 2
  kDelayRecorded = 1743,
  kDelayFixed = 1744,
  kFixedDelayLabel = 1745,
  kFixedDelayField = 1746,
  kFixedDelayUnit = 1747,
  // The editor of the selected event.
  kEditorArea = 1750,
  kEditorTitle = 1751,
  kEventKindLabel = 1752,
  kEventKind = 1753,  // one item: the kind of the selected event (1 mouse, 2 key, 3 pause)
  kKeyField = 1754,
  kPauseField = 1755,
  kPauseUnit = 1756,
  kMouseButton = 1757,  // item data: the button bit
  kKeyFieldHint = 1758,
  // Below the editor.
  kSourceHint = 1760,  // shown when only the window's own keys can be recorded
};

inline constexpr const char* kDelayGroup = "MACRO_DELAY_TYPE";
inline constexpr std::array<int, 3> kDelayOptions = {kDelayNone, kDelayRecorded, kDelayFixed};

// The kinds of the event editor.
inline constexpr int kKindMouse = 1;
inline constexpr int kKindKey = 2;
inline constexpr int kKindPause = 3;

// What the page disables while a recording runs (the record button stays usable).
inline constexpr std::array<int, 18> kLockedWhileRecording = {
    kMacroList,     kNewMacro,    kCopyMacro,       kRenameMacro, kDeleteMacro, kEventList,
    kInsertButton,  kDeleteEvent, kMoveUp,          kMoveDown,    kClearEvents, kDelayNone,
    kDelayRecorded, kDelayFixed,  kFixedDelayField, kKeyField,    kPauseField,  kMouseButton};

}  // namespace macro_ids

void CreateMacroPageControls(Tessel::PageHost& window);
std::vector<TextBinding> MacroPageTextBindings();
