#pragma once
// Which input source this session can offer, and the source itself.
//
//   auto source = platform::input::ChooseInputSource(feed);
//   if (!platform::input::SeesOtherPrograms(source->Kind()))
//     ...  // say that only this window's keys are recorded

#include <filesystem>
#include <memory>
#include <string>

#include "platform/input/InputSource.h"

namespace platform::input {

class WindowInputFeed;

struct InputProbe {
  bool x11 = false;             // the X display opens and offers raw events during grabs
  bool waylandSession = false;  // the desktop is a Wayland compositor (X11 is then XWayland)
  bool evdev = false;           // a keyboard node of /dev/input can be read
};

// Looks at the session: $DISPLAY, $WAYLAND_DISPLAY and $XDG_SESSION_TYPE, /dev/input.
InputProbe ProbeInput(const std::filesystem::path& evdevFolder = "/dev/input");

// X11 on an X session; evdev when it can be read; otherwise the application window alone.
// Under Wayland the X display is XWayland, which only sees keys typed into X programs, so
// evdev or the window come first there.
SourceKind ChooseSourceKind(const InputProbe& probe);

// Whether a source of this kind observes keys typed into other programs.
bool SeesOtherPrograms(SourceKind kind);

// A source of that kind; the window source runs on `feed`. kFake gives a FakeInputSource.
std::unique_ptr<InputSource> CreateInputSource(SourceKind kind,
                                               std::shared_ptr<WindowInputFeed> feed);

// CreateInputSource(ChooseSourceKind(ProbeInput()), feed); the choice is logged.
std::unique_ptr<InputSource> ChooseInputSource(std::shared_ptr<WindowInputFeed> feed);

}  // namespace platform::input
