#include "platform/capture/X11Connection.h"

#include <cstdlib>
#include <map>

#include "base/Log.h"

namespace platform {
namespace {

// The connections of this process by display; guarded by RegistryMutex().
std::map<Display*, X11Connection*>& Registry() {
  static std::map<Display*, X11Connection*> registry;
  return registry;
}

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

// The handler that was installed before ours, when it was not Xlib's default (which exits).
std::atomic<XErrorHandler> previousHandler{nullptr};

int RouteError(Display* display, XErrorEvent* event) {
  if (event == nullptr) return 0;
  {
    std::lock_guard lock(RegistryMutex());
    const auto found = Registry().find(display);
    if (found != Registry().end()) {
      found->second->RecordError(*event);
      return 0;
    }
  }
  if (const XErrorHandler previous = previousHandler.load()) return previous(display, event);
  base::DebugLog("X error %d (request %d.%d) on a display of another part of the process",
                 event->error_code, event->request_code, event->minor_code);
  return 0;
}

// The process-wide handler of lost connections that was installed before ours (Xlib's
// default prints a line and exits).
std::atomic<XIOErrorHandler> previousIoHandler{nullptr};

// A lost connection of ours is marked broken and the process goes on; other displays keep
// the handling they had.
int RouteIoError(Display* display) {
  {
    std::lock_guard lock(RegistryMutex());
    const auto found = Registry().find(display);
    if (found != Registry().end()) {
      found->second->MarkBroken();
      return 0;
    }
  }
  if (const XIOErrorHandler previous = previousIoHandler.load()) return previous(display);
  return 0;
}

// Called after the handler above returned, instead of exiting; the display is not used
// afterwards (Xlib turns further requests into no-ops).
void ConnectionLost(Display* display, void* connection) {
  base::ErrorLog("the connection to the X server %s was lost", DisplayString(display));
  static_cast<X11Connection*>(connection)->MarkBroken();
}

void InstallRoutingHandlerOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Setting none installs Xlib's default; the next call hands back its address.
    const XErrorHandler before = XSetErrorHandler(nullptr);
    const XErrorHandler xlibDefault = XSetErrorHandler(before);
    const XErrorHandler replaced = XSetErrorHandler(RouteError);
    if (replaced != xlibDefault && replaced != RouteError) previousHandler.store(replaced);
    previousIoHandler.store(XSetIOErrorHandler(RouteIoError));
  });
}

}  // namespace

std::unique_ptr<X11Connection> X11Connection::Open(const char* name) {
  if (name == nullptr) {
    name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
  }
  InstallRoutingHandlerOnce();
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return nullptr;
  return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display) : display_(display) {
  {
    std::lock_guard lock(RegistryMutex());
    Registry()[display_] = this;
  }
  XSetIOErrorExitHandler(display_, ConnectionLost, this);
}

X11Connection::~X11Connection() {
  // Errors of requests still in flight must find us while we close.
  XCloseDisplay(display_);
  std::lock_guard lock(RegistryMutex());
  // A display opened meanwhile by another thread may have the same address.
  const auto found = Registry().find(display_);
  if (found != Registry().end() && found->second == this) Registry().erase(found);
}

std::vector<X11Error> X11Connection::SyncAndTakeErrors() {
  if (!broken_.load()) XSync(display_, False);
  std::lock_guard lock(mutex_);
  std::vector<X11Error> taken;
  taken.swap(errors_);
  if (broken_.load()) taken.push_back(X11Error{});
  return taken;
}

void X11Connection::RecordError(const XErrorEvent& event) {
  std::lock_guard lock(mutex_);
  // A connection that errs on every frame must not grow without bound.
  constexpr std::size_t kMaxKept = 64;
  if (errors_.size() >= kMaxKept) errors_.erase(errors_.begin());
  errors_.push_back(
      {event.serial, event.error_code, event.request_code, event.minor_code, event.resourceid});
}

}  // namespace platform
