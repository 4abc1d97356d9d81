#pragma once
// A connection to the X server that belongs to one thread, with errors that are recorded
// instead of ending the process.
//
// Xlib's error handler is one per process, and its default prints the error and exits: a
// window that closes between two requests would end the application. The first connection
// installs one routing handler for the whole process (once; it is never removed); each error
// goes to the connection whose display it names, where the owning thread reads it. Errors of
// displays that are not ours go to the handler installed before ours (or are logged when that
// was Xlib's default). A lost connection of ours (the server went away) marks the connection
// broken instead of exiting; other displays keep the lost-connection handling they had.

#include <X11/Xlib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

struct X11Error {
  unsigned long serial = 0;
  int errorCode = 0;    // BadWindow, BadMatch, ...
  int requestCode = 0;  // the major opcode of the failed request
  int minorCode = 0;
  unsigned long resource = 0;
};

class X11Connection {
 public:
  // Opens the display named (or $DISPLAY when null); empty when there is none.
  static std::unique_ptr<X11Connection> Open(const char* name = nullptr);
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  Display* Get() const { return display_; }

  // Waits until the server has handled every request sent so far, so that their errors have
  // arrived, and returns the errors recorded since the previous call.
  std::vector<X11Error> SyncAndTakeErrors();
  // Whether any error arrived since the previous SyncAndTakeErrors (after a round trip).
  bool SyncFailed() { return !SyncAndTakeErrors().empty(); }

  // The server closed the connection or it broke; every further request is a no-op.
  bool Broken() const { return broken_.load(); }

  // Called by the routing handler (any thread that uses this display).
  void RecordError(const XErrorEvent& event);
  void MarkBroken() { broken_.store(true); }

 private:
  explicit X11Connection(Display* display);

  Display* display_;
  std::atomic<bool> broken_{false};
  std::mutex mutex_;
  std::vector<X11Error> errors_;
};

}  // namespace platform
