#include "platform/input/XlibConnectionState.h"

#include <X11/Xlibint.h>

namespace platform::input {

void MarkXlibConnectionDead(Display* display) {
  display->flags = display->flags | XlibDisplayIOError;
}

}  // namespace platform::input
