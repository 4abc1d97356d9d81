#include "platform/capture/WindowList.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "base/Text.h"
#include "platform/capture/X11Connection.h"

namespace platform {
namespace {

struct XFreeDeleter {
  void operator()(void* data) const {
    if (data != nullptr) XFree(data);
  }
};

// A window property of 8- or 32-bit items; Xlib hands 32-bit items over as longs.
struct Property {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  std::unique_ptr<unsigned char, XFreeDeleter> data;
};

std::optional<Property> ReadProperty(Display* display, Window window, Atom name, Atom type,
                                     long maxItems) {
  Property property;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status =
      XGetWindowProperty(display, window, name, 0, maxItems, False, type, &property.type,
                         &property.format, &property.count, &after, &data);
  property.data.reset(data);
  if (status != Success || property.type == None || data == nullptr) return std::nullopt;
  return property;
}

// Bytes that are not UTF-8 are taken as Latin-1 (what a plain WM_NAME holds).
std::string AsUtf8(std::string_view bytes) {
  if (base::IsValidUtf8(bytes)) return std::string(bytes);
  std::string text;
  for (const char c : bytes) base::AppendUtf8(text, static_cast<unsigned char>(c));
  return text;
}

std::string CutTitle(std::string title) {
  if (title.size() <= kMaxWindowTitleBytes) return title;
  std::size_t end = kMaxWindowTitleBytes;
  while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80) --end;
  title.resize(end);
  return title;
}

std::string TextOf(const Property& property) {
  if (property.format != 8) return {};
  const auto* bytes = reinterpret_cast<const char*>(property.data.get());
  std::string_view text(bytes, property.count);
  // Some clients end the text with a zero byte.
  text = text.substr(0, text.find('\0'));
  return AsUtf8(text);
}

std::vector<Window> StackingList(Display* display, Window root) {
  const Atom stacking = XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False);
  constexpr long kMaxWindows = 4096;
  std::optional<Property> list = ReadProperty(display, root, stacking, XA_WINDOW, kMaxWindows);
  std::vector<Window> windows;
  if (list && list->format == 32) {
    const auto* ids = reinterpret_cast<const unsigned long*>(list->data.get());
    windows.assign(ids, ids + list->count);
    return windows;
  }
  Window rootReturn = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
    std::unique_ptr<Window, XFreeDeleter> owned(children);
    if (children != nullptr) windows.assign(children, children + count);
  }
  return windows;
}

}  // namespace

std::string WindowTitle(X11Connection& connection, CaptureWindowId id) {
  Display* display = connection.Get();
  const auto window = static_cast<Window>(id);
  constexpr long kMaxTitleItems = 1024;
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  if (auto name = ReadProperty(display, window, netName, utf8, kMaxTitleItems)) {
    if (std::string title = TextOf(*name); !title.empty()) return CutTitle(std::move(title));
  }
  if (auto name = ReadProperty(display, window, XA_WM_NAME, AnyPropertyType, kMaxTitleItems)) {
    return CutTitle(TextOf(*name));
  }
  return {};
}

bool WindowExists(X11Connection& connection, CaptureWindowId window) {
  connection.SyncAndTakeErrors();
  XWindowAttributes attributes;
  const bool found =
      XGetWindowAttributes(connection.Get(), static_cast<Window>(window), &attributes) != 0;
  return !connection.SyncFailed() && found;
}

std::vector<CaptureWindowEntry> ListCaptureWindows(X11Connection& connection) {
  Display* display = connection.Get();
  connection.SyncAndTakeErrors();
  std::vector<Window> windows = StackingList(display, DefaultRootWindow(display));
  // Both lists run from the bottom of the stack up; the topmost window comes first.
  std::reverse(windows.begin(), windows.end());
  std::vector<CaptureWindowEntry> entries;
  for (const Window window : windows) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) continue;
    if (attributes.map_state != IsViewable || attributes.c_class != InputOutput) continue;
    if (attributes.width < kMinCaptureWindowSize || attributes.height < kMinCaptureWindowSize) {
      continue;
    }
    std::string title = WindowTitle(connection, window);
    if (title.empty()) continue;
    entries.push_back({window, std::move(title), attributes.width, attributes.height});
  }
  // A window that closed during the walk left errors behind; they are of no further use.
  connection.SyncAndTakeErrors();
  return entries;
}

}  // namespace platform
