#pragma once
// The size and pixel density of the user's screen, read before the toolkit starts.

#include <optional>

namespace platform {

struct ScreenInfo {
  int width = 0;  // pixels
  int height = 0;
  int dpi = 96;  // the desktop's font DPI (Xft.dpi), else computed from the screen's size in mm
};

// The primary X11 screen; empty without an X display (Wayland-only sessions, offscreen runs).
std::optional<ScreenInfo> ReadPrimaryScreen();

}  // namespace platform
