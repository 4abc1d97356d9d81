#pragma once
// Another program's window on a test X server: mapped, given the focus, and counting the keys
// the server sends it (to tell whether a grab kept them away).

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace test_support {

class FocusedXWindow {
 public:
  explicit FocusedXWindow(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (display_ == nullptr) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 200, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do {
      XWindowEvent(display_, window_, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
  }
  ~FocusedXWindow() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  FocusedXWindow(const FocusedXWindow&) = delete;
  FocusedXWindow& operator=(const FocusedXWindow&) = delete;

  bool IsOpen() const { return display_ != nullptr; }

  // Key presses delivered since the last call, as key symbols.
  std::vector<KeySym> TakeKeyPresses() {
    std::vector<KeySym> presses;
    std::vector<XEvent> events = TakeKeyEvents();
    for (XEvent& event : events) {
      if (event.type == KeyPress) presses.push_back(XLookupKeysym(&event.xkey, 0));
    }
    return presses;
  }

  // Key presses and releases delivered since the last call.
  std::vector<XEvent> TakeKeyEvents() {
    XSync(display_, False);  // everything the server sent before now is in the queue
    std::vector<XEvent> events;
    XEvent event;
    while (XCheckWindowEvent(display_, window_, KeyPressMask | KeyReleaseMask, &event))
      events.push_back(event);
    return events;
  }

 private:
  ::Display* display_;
  Window window_ = 0;
};

}  // namespace test_support
