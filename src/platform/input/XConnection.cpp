#include "platform/input/XConnection.h"

#include <poll.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

#include "platform/input/XlibConnectionState.h"

namespace platform::input {
namespace {

struct ConnectionState {
  // A display closed by one connection may come back at the same address for the next one.
  const XConnection* owner = nullptr;
  int lastError = 0;
  bool broken = false;
};

// What the handlers need. The handler runs inside Xlib on whichever thread read the error, so
// the map's mutex is never held across an Xlib call: the install mutex guards installing.
struct ErrorRegistry {
  std::mutex mutex;  // guards `connections`
  std::map<const Display*, ConnectionState> connections;
  std::atomic<XErrorHandler> previous{nullptr};
  std::atomic<XIOErrorHandler> previousIo{nullptr};

  std::mutex installMutex;  // guards `users` and the installing of the handler
  int users = 0;
};

ErrorRegistry& Registry() {
  static ErrorRegistry registry;
  return registry;
}

int OnXError(Display* display, XErrorEvent* error) {
  ErrorRegistry& registry = Registry();
  {
    std::lock_guard lock(registry.mutex);
    auto found = registry.connections.find(display);
    if (found != registry.connections.end()) {
      found->second.lastError = error->error_code;
      return 0;
    }
  }
  if (XErrorHandler previous = registry.previous.load()) return previous(display, error);
  return 0;
}

// Marks one of our connections broken; false for other connections.
bool MarkBroken(Display* display) {
  ErrorRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto found = registry.connections.find(display);
  if (found == registry.connections.end()) return false;
  found->second.broken = true;
  return true;
}

// A lost server. Xlib's own handler would print and end the process; for our connections
// this returns, and the exit handler below returns too, after which Xlib marks the connection
// dead and every further call on it fails quietly.
int OnXConnectionLost(Display* display) {
  if (MarkBroken(display)) return 0;
  if (XIOErrorHandler previous = Registry().previousIo.load()) return previous(display);
  return 0;
}

void OnXConnectionLostExit(Display* display, void*) {
  MarkBroken(display);
}

void AddUser() {
  ErrorRegistry& registry = Registry();
  std::lock_guard lock(registry.installMutex);
  if (registry.users++ != 0) return;
  registry.previous.store(XSetErrorHandler(OnXError));
  registry.previousIo.store(XSetIOErrorHandler(OnXConnectionLost));
}

void RemoveUser() {
  ErrorRegistry& registry = Registry();
  std::lock_guard lock(registry.installMutex);
  if (--registry.users != 0) return;
  XErrorHandler previous = registry.previous.exchange(nullptr);
  // Somebody else may have put in a handler of their own meanwhile: leave theirs in place.
  if (XErrorHandler current = XSetErrorHandler(previous); current != OnXError) {
    XSetErrorHandler(current);
  }
  XIOErrorHandler previousIo = registry.previousIo.exchange(nullptr);
  if (XIOErrorHandler current = XSetIOErrorHandler(previousIo); current != OnXConnectionLost) {
    XSetIOErrorHandler(current);
  }
}

}  // namespace

std::unique_ptr<XConnection> XConnection::Open(const std::string& name, std::string* failure) {
  const char* fromEnvironment = std::getenv("DISPLAY");
  const std::string displayName =
      !name.empty() ? name : (fromEnvironment != nullptr ? fromEnvironment : "");
  if (displayName.empty()) {
    if (failure != nullptr) *failure = "no X display is set (DISPLAY is empty)";
    return nullptr;
  }
  Display* display = XOpenDisplay(displayName.c_str());
  if (display == nullptr) {
    if (failure != nullptr) *failure = "the X display " + displayName + " cannot be opened";
    return nullptr;
  }
  return std::make_unique<XConnection>(display, displayName);
}

XConnection::XConnection(Display* display, std::string name)
    : display_(display), name_(std::move(name)) {
  AddUser();
  {
    std::lock_guard lock(Registry().mutex);
    Registry().connections[display_] = {this};
  }
  XSetIOErrorExitHandler(display_, OnXConnectionLostExit, nullptr);
}

XConnection::~XConnection() {
  CheckServerGone();  // closing a connection to a server that has gone must not write to it
  XCloseDisplay(display_);
  {
    std::lock_guard lock(Registry().mutex);
    auto found = Registry().connections.find(display_);
    if (found != Registry().connections.end() && found->second.owner == this) {
      Registry().connections.erase(found);
    }
  }
  RemoveUser();
}

int XConnection::TakeError() {
  std::lock_guard lock(Registry().mutex);
  auto found = Registry().connections.find(display_);
  if (found == Registry().connections.end()) return 0;
  return std::exchange(found->second.lastError, 0);
}

bool XConnection::IsBroken() const {
  std::lock_guard lock(Registry().mutex);
  auto found = Registry().connections.find(display_);
  return found != Registry().connections.end() && found->second.broken;
}

bool XConnection::CheckServerGone() {
  if (IsBroken()) return true;
  // The server's end closing shows even while some of what it sent is still unread.
  pollfd state{Fd(), POLLRDHUP, 0};
  if (::poll(&state, 1, 0) <= 0 || (state.revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
    return false;
  }
  // Xlib's flag makes its calls, closing included, skip the connection.
  MarkXlibConnectionDead(display_);
  MarkBroken(display_);
  return true;
}

}  // namespace platform::input
