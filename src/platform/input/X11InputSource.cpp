#include "platform/input/X11InputSource.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <poll.h>

#include <bitset>
#include <chrono>
#include <optional>
#include <utility>

#include "base/Log.h"
#include "platform/input/NativeCodes.h"
#include "platform/input/XConnection.h"

namespace platform::input {
namespace {

// Opens the display and checks for raw events that keep coming during grabs.
std::unique_ptr<XConnection> OpenWithRawEvents(const std::string& name, int* opcode,
                                               std::string* failure) {
  std::unique_ptr<XConnection> connection = XConnection::Open(name, failure);
  if (!connection) return nullptr;
  int event = 0;
  int error = 0;
  if (!XQueryExtension(connection->Get(), "XInputExtension", opcode, &event, &error)) {
    *failure = "the X display " + connection->Name() + " has no XInput extension";
    return nullptr;
  }
  int major = 2;
  int minor = 2;
  if (XIQueryVersion(connection->Get(), &major, &minor) != Success || (major == 2 && minor < 1) ||
      major < 2) {
    *failure = "the X display " + connection->Name() + " has no XInput 2.1";
    return nullptr;
  }
  return connection;
}

bool SelectRawEvents(XConnection& connection) {
  Display* display = connection.Get();
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  XISetMask(bits, XI_RawButtonPress);
  XISetMask(bits, XI_RawButtonRelease);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
  XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
  XSync(display, False);
  return connection.TakeError() == 0 && !connection.IsBroken();
}

// Turns raw events into InputEvents; keeps which keys are down to tell repeats.
class RawEventReader {
 public:
  RawEventReader(XConnection& connection, InputCallback& callback)
      : connection_(connection), callback_(callback) {
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    xkb_ = XkbQueryExtension(connection.Get(), &opcode, &event, &error, &major, &minor);
    if (xkb_) numLockMask_ = XkbKeysymToModifiers(connection.Get(), XK_Num_Lock);
    if (numLockMask_ == 0) numLockMask_ = Mod2Mask;
    // Keys already down when observing starts are reported when they come up.
    char keys[32] = {};
    XQueryKeymap(connection.Get(), keys);
    for (std::size_t keycode = 0; keycode < held_.size(); ++keycode) {
      held_[keycode] = (static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1U;
    }
  }

  void Handle(int type, const XIRawEvent& raw) {
    InputEvent event;
    event.source = SourceKind::kX11;
    event.time = std::chrono::steady_clock::now();
    const bool press = type == XI_RawKeyPress || type == XI_RawButtonPress;
    if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
      event.code = LinuxKeyOfNativeKeycode(raw.detail);
      if (event.code == 0) return;
      const std::optional<InputAction> action = KeyAction(raw, press);
      if (!action) return;
      event.action = *action;
      if (IsKeypadKey(event.code)) event.numLock = NumLockIsOn();
    } else {
      event.device = DeviceKind::kMouse;
      event.code = LinuxButtonOfNativeButton(raw.detail);
      if (event.code == 0) return;  // the wheel
      event.action = press ? InputAction::kPress : InputAction::kRelease;
    }
    callback_(event);
  }

 private:
  // Nothing for the release of a key that is not down: the server reports a second release
  // when a client lets a key go twice.
  std::optional<InputAction> KeyAction(const XIRawEvent& raw, bool press) {
    const auto keycode = static_cast<std::size_t>(raw.detail);  // 9..255, checked by the caller
    if (!press) {
      if (!held_.test(keycode)) return std::nullopt;
      held_.reset(keycode);
      return InputAction::kRelease;
    }
    const bool repeat = held_.test(keycode) || (raw.flags & XIKeyRepeat) != 0;
    held_.set(keycode);
    return repeat ? InputAction::kRepeat : InputAction::kPress;
  }

  bool NumLockIsOn() {
    if (!xkb_) return false;
    XkbStateRec state{};
    if (XkbGetState(connection_.Get(), XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & numLockMask_) != 0;
  }

  XConnection& connection_;
  InputCallback& callback_;
  std::bitset<256> held_;
  bool xkb_ = false;
  unsigned numLockMask_ = 0;
};

// Reads what has arrived; false when the connection broke.
bool DrainEvents(XConnection& connection, int xinputOpcode, RawEventReader* reader) {
  Display* display = connection.Get();
  while (!connection.IsBroken() && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    XGenericEventCookie& cookie = event.xcookie;
    if (reader == nullptr || cookie.type != GenericEvent || cookie.extension != xinputOpcode ||
        !XGetEventData(display, &cookie)) {
      continue;
    }
    reader->Handle(cookie.evtype, *static_cast<const XIRawEvent*>(cookie.data));
    XFreeEventData(display, &cookie);
  }
  return !connection.IsBroken();
}

// Waits for the connection or the stop signal; false when stopped or the connection closed.
bool WaitForEvents(XConnection& connection, const StopSignal& stop) {
  pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {connection.Fd(), POLLIN, 0}};
  while (::poll(fds, 2, -1) < 0) {
    if (errno != EINTR) return false;
  }
  if (fds[0].revents != 0) return false;
  // A hung-up connection is still read once so that Xlib notices and marks it broken.
  return true;
}

// The keyboard held by a connection of its own; its thread takes the keys the grab brings.
class X11GrabHolder : public KeyboardGrab::Holder {
 public:
  explicit X11GrabHolder(std::unique_ptr<XConnection> connection)
      : connection_(std::move(connection)) {
    thread_ = std::thread([this] {
      while (DrainEvents(*connection_, 0, nullptr) && WaitForEvents(*connection_, stop_)) {
      }
      if (connection_->IsBroken()) connection_.reset();  // see XConnection
    });
  }

  ~X11GrabHolder() override {
    stop_.Raise();
    thread_.join();
    if (connection_ && !connection_->IsBroken()) {
      XUngrabKeyboard(connection_->Get(), CurrentTime);
      // The server has let go when this returns: keys typed next reach their windows.
      XSync(connection_->Get(), True);
    }
  }

 private:
  std::unique_ptr<XConnection> connection_;
  StopSignal stop_;
  std::thread thread_;
};

const char* GrabFailureText(int status) {
  switch (status) {
    case AlreadyGrabbed:
      return "another program holds the keyboard";
    case GrabFrozen:
      return "the keyboard is frozen by another program's grab";
    case GrabNotViewable:
      return "the root window is not viewable";
    case GrabInvalidTime:
      return "the grab time is invalid";
    default:
      return "the X server refused the grab";
  }
}

// Another program may hold the keyboard for a moment (a menu closing): a few short tries.
int TryGrab(Display* display) {
  constexpr int kTries = 10;
  int status = GrabSuccess;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    status = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                           CurrentTime);
    if (status != AlreadyGrabbed && status != GrabFrozen) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return status;
}

}  // namespace

X11InputSource::X11InputSource(std::string displayName) : displayName_(std::move(displayName)) {}

X11InputSource::~X11InputSource() {
  Stop();
}

bool X11InputSource::IsAvailable(const std::string& displayName, std::string* failure) {
  std::string reason;
  int opcode = 0;
  const bool available = OpenWithRawEvents(displayName, &opcode, &reason) != nullptr;
  if (failure != nullptr) *failure = reason;
  return available;
}

bool X11InputSource::Start(InputCallback callback) {
  Stop();
  startFailure_.clear();
  if (!stop_.IsValid()) {
    startFailure_ = "no event descriptor for the input thread";
    return false;
  }
  connection_ = OpenWithRawEvents(displayName_, &xinputOpcode_, &startFailure_);
  if (connection_ && !SelectRawEvents(*connection_)) {
    startFailure_ = "the X display " + connection_->Name() + " refused raw input events";
    connection_.reset();
  }
  if (!connection_) {
    base::DebugLog("input: %s", startFailure_.c_str());
    return false;
  }
  stop_.Clear();
  thread_ = std::thread([this, callback = std::move(callback)]() mutable { Run(callback); });
  return true;
}

void X11InputSource::Run(InputCallback callback) {
  RawEventReader reader(*connection_, callback);
  while (DrainEvents(*connection_, xinputOpcode_, &reader) && WaitForEvents(*connection_, stop_)) {
  }
  if (connection_->IsBroken()) {
    base::DebugLog("input: the X display went away");
    connection_.reset();  // see XConnection
  }
}

void X11InputSource::Stop() {
  if (!thread_.joinable()) return;
  stop_.Raise();
  thread_.join();
  connection_.reset();
}

KeyboardGrab X11InputSource::GrabKeyboard() {
  std::string failure;
  std::unique_ptr<XConnection> connection = XConnection::Open(displayName_, &failure);
  if (!connection) return KeyboardGrab::Failed(failure);
  const int status = TryGrab(connection->Get());
  if (status != GrabSuccess || connection->IsBroken()) {
    return KeyboardGrab::Failed(std::string("keyboard not grabbed: ") + GrabFailureText(status));
  }
  return KeyboardGrab::Held(std::make_unique<X11GrabHolder>(std::move(connection)));
}

}  // namespace platform::input
