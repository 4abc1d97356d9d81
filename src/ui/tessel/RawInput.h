#pragma once
// The keys and mouse buttons the main window receives, as the window system reported them,
// for one observer outside the toolkit (the input layer's window source). The backend reports;
// whoever wires the application sets the observer.

#include <functional>

namespace Tessel {

struct RawInputEvent {
  enum class Device { kKey, kButton };
  Device device = Device::kKey;
  // Keys: the window system's key code (X11 and Wayland: the Linux key code + 8).
  // Buttons: 1 left, 2 middle, 3 right, 8 back, 9 forward.
  int nativeCode = 0;
  bool pressed = true;
  bool autoRepeat = false;  // keys: made by holding the key down
  bool numLock = false;     // keypad keys: they typed digits
};

using RawInputObserver = std::function<void(const RawInputEvent&)>;

// Replaces the observer; an empty function removes it. When this returns, the previous
// observer is neither running nor called again. Not to be called from inside the observer.
void SetRawInputObserver(RawInputObserver observer);

// Hands an event to the observer, if there is one. Called by the backend.
void ReportRawInput(const RawInputEvent& event);

}  // namespace Tessel
