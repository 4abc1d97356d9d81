#pragma once
// The size and pixel density of the user's screen, and whether there is a display at all, read
// before the toolkit starts (which ends the process when it finds none).

#include <optional>
#include <string>

namespace platform {

struct ScreenInfo {
  int width = 0;  // pixels
  int height = 0;
  int dpi = 96;  // the desktop's font DPI (Xft.dpi), else computed from the screen's size in mm
};

// The primary X11 screen; empty without an X display (Wayland-only sessions, offscreen runs).
std::optional<ScreenInfo> ReadPrimaryScreen();

// Why the toolkit would find no display to draw on, as a message for the user; none when one
// of the displays it may use answers (X11 through DISPLAY, Wayland through WAYLAND_DISPLAY, as
// QT_QPA_PLATFORM allows) or when QT_QPA_PLATFORM names a platform without a display server
// ("offscreen", "vnc", ...).
std::optional<std::string> FindDisplayProblem();

}  // namespace platform
