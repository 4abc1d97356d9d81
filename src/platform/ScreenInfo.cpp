#include "platform/ScreenInfo.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform {
namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// Xft.dpi from the resource database, as desktops set it for their scale factor.
std::optional<int> ResourceDpi(Display* display) {
  const char* resources = XResourceManagerString(display);
  if (resources == nullptr) return std::nullopt;
  const std::string text(resources);
  const std::string key = "Xft.dpi:";
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return std::nullopt;
  const double value = std::strtod(text.c_str() + at + key.size(), nullptr);
  if (value < 24 || value > 1000) return std::nullopt;
  return static_cast<int>(std::lround(value));
}

}  // namespace

std::optional<ScreenInfo> ReadPrimaryScreen() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return std::nullopt;
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(name));
  if (!display) return std::nullopt;
  const int screen = DefaultScreen(display.get());
  ScreenInfo info;
  info.width = DisplayWidth(display.get(), screen);
  info.height = DisplayHeight(display.get(), screen);
  if (std::optional<int> dpi = ResourceDpi(display.get())) {
    info.dpi = *dpi;
  } else if (const int mm = DisplayWidthMM(display.get(), screen); mm > 0) {
    info.dpi = static_cast<int>(std::lround(info.width * 25.4 / mm));
  }
  return info;
}

}  // namespace platform
