#include "platform/input/X11InputSource.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>

#include <bitset>
#include <chrono>
#include <future>
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

// Waits for the connection or the stop signal; false when stopped or the server went away.
bool WaitForEvents(XConnection& connection, const StopSignal& stop) {
  pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {connection.Fd(), POLLIN, 0}};
  while (::poll(fds, 2, -1) < 0) {
    if (errno != EINTR) return false;
  }
  if (fds[0].revents != 0) return false;
  return !connection.CheckServerGone();
}

// Handles what the server sent. Each read is preceded by a look whether the server is still
// there: a read that finds it gone would take Xlib's lost-server path (see XConnection).
void HandleEvents(XConnection& connection, int xinputOpcode, RawEventReader* reader) {
  Display* display = connection.Get();
  for (;;) {
    if (XEventsQueued(display, QueuedAlready) == 0 &&
        (connection.CheckServerGone() || XEventsQueued(display, QueuedAfterReading) == 0)) {
      return;
    }
    if (connection.IsBroken()) return;
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
}

// Handles events until stopped or the server goes away.
void ServeEvents(XConnection& connection, const StopSignal& stop, int xinputOpcode,
                 RawEventReader* reader) {
  do {
    HandleEvents(connection, xinputOpcode, reader);
  } while (WaitForEvents(connection, stop));
}

// A write to a server that has gone raises SIGPIPE in the writing thread; blocked there, the
// write fails and Xlib reports it instead of the signal ending the process.
void BlockBrokenPipeSignal() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

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

// The keyboard held by a connection of its own. Its thread opens the connection, grabs, takes
// the keys the grab brings, lets go and closes: every call on the connection happens there.
class X11GrabHolder : public KeyboardGrab::Holder {
 public:
  // Empty when the keyboard is held, otherwise why not.
  std::string Begin(const std::string& displayName) {
    std::promise<std::string> grabbed;
    std::future<std::string> result = grabbed.get_future();
    thread_ = std::thread(
        [this, displayName, grabbed = std::move(grabbed)]() mutable { Run(displayName, grabbed); });
    std::string failure = result.get();
    if (!failure.empty()) thread_.join();
    return failure;
  }

  ~X11GrabHolder() override {
    if (!thread_.joinable()) return;
    stop_.Raise();
    // The server has let go when this returns: keys typed next reach their windows.
    thread_.join();
  }

 private:
  void Run(const std::string& displayName, std::promise<std::string>& grabbed) {
    BlockBrokenPipeSignal();
    std::string failure;
    std::unique_ptr<XConnection> connection = XConnection::Open(displayName, &failure);
    if (connection) {
      const int status = TryGrab(connection->Get());
      if (status != GrabSuccess || connection->IsBroken()) {
        failure = std::string("keyboard not grabbed: ") + GrabFailureText(status);
      }
    }
    grabbed.set_value(failure);
    if (!failure.empty()) return;
    ServeEvents(*connection, stop_, 0, nullptr);
    if (connection->CheckServerGone()) return;
    XUngrabKeyboard(connection->Get(), CurrentTime);
    XSync(connection->Get(), True);
  }

  StopSignal stop_;
  std::thread thread_;
};

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
  if (!stop_.IsValid()) {
    startFailure_ = "no event descriptor for the input thread";
    return false;
  }
  stop_.Clear();
  std::promise<std::string> started;
  std::future<std::string> result = started.get_future();
  thread_ = std::thread([this, callback = std::move(callback),
                         started = std::move(started)]() mutable { Run(callback, started); });
  startFailure_ = result.get();
  if (startFailure_.empty()) return true;
  thread_.join();
  base::DebugLog("input: %s", startFailure_.c_str());
  return false;
}

// The connection lives and dies on this thread: see XConnection.
void X11InputSource::Run(InputCallback& callback, std::promise<std::string>& started) {
  BlockBrokenPipeSignal();
  std::string failure;
  int xinputOpcode = 0;
  std::unique_ptr<XConnection> connection =
      OpenWithRawEvents(displayName_, &xinputOpcode, &failure);
  if (connection && !SelectRawEvents(*connection)) {
    failure = "the X display " + connection->Name() + " refused raw input events";
  }
  std::optional<RawEventReader> reader;
  if (failure.empty()) reader.emplace(*connection, callback);
  started.set_value(failure);
  if (!failure.empty()) return;
  ServeEvents(*connection, stop_, xinputOpcode, &*reader);
  if (connection->IsBroken()) base::DebugLog("input: the X display went away");
}

void X11InputSource::Stop() {
  if (!thread_.joinable()) return;
  stop_.Raise();
  thread_.join();
}

KeyboardGrab X11InputSource::GrabKeyboard() {
  auto holder = std::make_unique<X11GrabHolder>();
  std::string failure = holder->Begin(displayName_);
  if (!failure.empty()) return KeyboardGrab::Failed(std::move(failure));
  return KeyboardGrab::Held(std::move(holder));
}

}  // namespace platform::input
