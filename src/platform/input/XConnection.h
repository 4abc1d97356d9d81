#pragma once
// A connection of our own to an X display whose errors never end the process. Xlib's default
// handlers print and exit on a protocol error or a lost server; while any XConnection lives, a
// process-wide handler of ours records the errors of our connections instead and passes those
// of other connections on to the handler that was there before. A lost server marks the
// connection broken; its owner then stops using it.
//
// Xlib's handling of a lost server leaves the display locked for the thread whose call found
// it, so a connection is best used, and destroyed, on one thread; CheckServerGone lets a
// thread that polls the connection see the loss first and keep clear of that handling.

#include <X11/Xlib.h>

#include <memory>
#include <string>

namespace platform::input {

class XConnection {
 public:
  // `name` empty: $DISPLAY. Null (with `failure` set) when the display cannot be opened.
  static std::unique_ptr<XConnection> Open(const std::string& name, std::string* failure);
  // Takes over a display just opened with XOpenDisplay.
  XConnection(Display* display, std::string name);
  ~XConnection();
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  Display* Get() const { return display_; }
  int Fd() const { return ConnectionNumber(display_); }
  const std::string& Name() const { return name_; }

  // The error code of the last failed request since the previous call; 0 when none failed.
  int TakeError();
  // The server went away (or the connection broke): every further request is useless.
  bool IsBroken() const;
  // Looks whether the server closed the connection, without reading from it. When it did, the
  // connection is marked broken, for this object and for Xlib, so that no call of ours reaches
  // Xlib's handling of a lost server (see above). True when it is broken.
  bool CheckServerGone();

 private:
  Display* display_;
  std::string name_;
};

}  // namespace platform::input
