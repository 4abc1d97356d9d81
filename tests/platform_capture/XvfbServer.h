#pragma once
// The private X server of the tests, and a small client that opens plain coloured windows on
// it.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/capture/X11Connection.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"

using test_support::XvfbServer;

// 0x00BBGGRR as the pixel of a depth-24 true-colour screen.
inline unsigned long PixelOf(std::uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// The other program on the screen: opens windows of one colour each.
class TestClient {
 public:
  explicit TestClient(const std::string& display)
      : connection_(platform::X11Connection::Open(display.c_str())) {}

  bool Connected() const { return connection_ != nullptr; }
  ::Display* Get() const { return connection_->Get(); }
  Window Root() const { return DefaultRootWindow(Get()); }

  // A shown window; `title` empty leaves it without a name; `utf8Title` sets _NET_WM_NAME.
  Window Open(int x, int y, int width, int height, std::uint32_t color, const std::string& title,
              bool utf8Title = false, bool map = true) {
    ::Display* display = Get();
    XSetWindowAttributes attributes{};
    attributes.background_pixel = PixelOf(color);
    attributes.override_redirect = False;
    const Window window = XCreateWindow(display, Root(), x, y, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, CopyFromParent,
                                        InputOutput, CopyFromParent, CWBackPixel, &attributes);
    if (!title.empty()) {
      if (utf8Title) {
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
      } else {
        XStoreName(display, window, title.c_str());
      }
    }
    if (map) XMapRaised(display, window);
    XSync(display, False);
    return window;
  }

  void Close(Window window) {
    XDestroyWindow(Get(), window);
    XSync(Get(), False);
  }

  void Move(Window window, int x, int y) {
    XMoveWindow(Get(), window, x, y);
    XSync(Get(), False);
  }

  // What a window manager announces: the client windows from the bottom of the stack up.
  void SetStackingList(const std::vector<Window>& windows) {
    std::vector<unsigned long> ids(windows.begin(), windows.end());
    XChangeProperty(Get(), Root(), XInternAtom(Get(), "_NET_CLIENT_LIST_STACKING", False),
                    XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(ids.data()),
                    static_cast<int>(ids.size()));
    XSync(Get(), False);
  }

 private:
  std::unique_ptr<platform::X11Connection> connection_;
};
