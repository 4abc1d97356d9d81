#pragma once
// Plain types shared by every part of the toolkit model.

#include <cstdint>

namespace Tessel {

// Colours are 0x00BBGGRR: red in the low byte.
using Color = std::uint32_t;
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned RedOf(Color c) {
  return c & 0xFF;
}
constexpr unsigned GreenOf(Color c) {
  return (c >> 8) & 0xFF;
}
constexpr unsigned BlueOf(Color c) {
  return (c >> 16) & 0xFF;
}

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool Contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  static constexpr Rect FromSize(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
  }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// What a control reports to its window's OnControlEvent.
enum EventCode : int {
  kEventClick = 2,         // a button, switch, check, radio or list item was clicked
  kEventValueChanged = 3,  // a slider moved (arg1 = value) or a colour was picked (arg1 = colour)
  kEventSelChanged = 4,    // a combo box, tab or list changed its selection (arg1 = position)
  kEventDragOver = 5,      // the pointer was dragged over an item (arg1 = item)
  kEventTextChanged = 6,   // an edit field changed its text
  kEventDoubleClick = 7,   // an item was double-clicked (arg1 = item)
  kEventFocus = 8,         // an edit field gained (arg1 = 1) or lost (arg1 = 0) the focus
  kEventRightClick = 9,    // an item was clicked with the right button (arg1 = item)
  kEventCommit = 10,       // an edit field was confirmed with Enter (arg1 = 1) or left (arg1 = 0)
};

// Show commands of MWindow::ShowWindow.
enum ShowCommand : int {
  kHide = 0,
  kShowNormal = 1,
  kShowMinimized = 2,
  kShow = 5,
  kMinimize = 6,
  kRestore = 9,
};

// Results that end a modal run.
enum ModalResult : int {
  kResultNone = 0,
  kResultOK = 1,
  kResultCancel = 2,
};

// Window messages the toolkit itself defines. Applications add their own above kUserMessage.
enum WindowMessage : unsigned {
  WM_CLOSE = 0x0010,
  // Posted after a window's show state changed (by the program or the window system); wParam
  // is the new show command.
  WM_SHOWWINDOW = 0x0018,
  WM_INPUT = 0x00FF,
  WM_COMMAND = 0x0111,
  WM_TIMER = 0x0113,
  WM_POWERBROADCAST = 0x0218,
  WM_DEVICECHANGE = 0x0219,
  kUserMessage = 0x0400,
};

}  // namespace Tessel
