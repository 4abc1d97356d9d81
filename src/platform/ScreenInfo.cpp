#include "platform/ScreenInfo.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"

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

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool X11DisplayAnswers() {
  const std::string name = Environment("DISPLAY");
  if (name.empty()) return false;
  return std::unique_ptr<Display, DisplayCloser>(XOpenDisplay(name.c_str())) != nullptr;
}

// The compositor listens on $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY (or on an absolute
// WAYLAND_DISPLAY); WAYLAND_SOCKET hands over a connection already made.
bool WaylandDisplayAnswers() {
  if (!Environment("WAYLAND_SOCKET").empty()) return true;
  const std::string name = Environment("WAYLAND_DISPLAY");
  if (name.empty()) return false;
  std::string path = name;
  if (name.front() != '/') {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    path = runtime + "/" + name;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return fd.IsValid() &&
         ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

std::optional<std::string> FindDisplayProblem() {
  const std::string platform = Environment("QT_QPA_PLATFORM");
  const bool mayUseX11 = platform.empty() || platform.find("xcb") != std::string::npos;
  const bool mayUseWayland = platform.empty() || platform.find("wayland") != std::string::npos;
  if (!mayUseX11 && !mayUseWayland) return std::nullopt;
  if (mayUseWayland && WaylandDisplayAnswers()) return std::nullopt;
  if (mayUseX11 && X11DisplayAnswers()) return std::nullopt;
  std::string tried;
  if (mayUseX11 && !Environment("DISPLAY").empty()) {
    tried = "the X display \"" + Environment("DISPLAY") + "\"";
  }
  if (mayUseWayland && !Environment("WAYLAND_DISPLAY").empty()) {
    tried += (tried.empty() ? "" : " or ") + std::string("the Wayland display \"") +
             Environment("WAYLAND_DISPLAY") + "\"";
  }
  const std::string what = tried.empty() ? "no display found" : "cannot open " + tried;
  return what +
         "; start it in a desktop session, or run with --headless, or set "
         "QT_QPA_PLATFORM=offscreen";
}

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
