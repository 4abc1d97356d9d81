#pragma once
// The windows a user can choose to follow: shown top-level windows with a title whose area is
// at least 100 x 100 pixels, the topmost first.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Xlib's headers define macros (Status, Always, None, ...) that clash with ordinary names:
// this header, which the effect sources' users include, keeps them out.
class X11Connection;

// An X window id; 0 is no window.
using CaptureWindowId = std::uint64_t;

struct CaptureWindowEntry {
  CaptureWindowId id = 0;
  std::string title;  // UTF-8
  int width = 0;
  int height = 0;
  friend bool operator==(const CaptureWindowEntry&, const CaptureWindowEntry&) = default;
};

inline constexpr int kMinCaptureWindowSize = 100;
// Longer titles are cut (at a character boundary) to this many bytes.
inline constexpr std::size_t kMaxWindowTitleBytes = 256;

// From the window manager's stacking list (_NET_CLIENT_LIST_STACKING) when there is one,
// otherwise from the root window's children. Windows that close while the list is made are
// left out.
std::vector<CaptureWindowEntry> ListCaptureWindows(X11Connection& connection);

// The window's title: _NET_WM_NAME, else WM_NAME; empty when it has none or is gone.
std::string WindowTitle(X11Connection& connection, CaptureWindowId window);

// Whether the window still exists.
bool WindowExists(X11Connection& connection, CaptureWindowId window);

}  // namespace platform
