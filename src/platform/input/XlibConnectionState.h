#pragma once
// Xlib's own record of a connection, kept apart: its internal header defines macros (min, max)
// that break the standard library headers.

#include <X11/Xlib.h>

namespace platform::input {

// Sets Xlib's flag of a lost connection: Xlib then sends and reads nothing more on it, and
// closing it does no I/O.
void MarkXlibConnectionDead(Display* display);

}  // namespace platform::input
