#include "platform/input/SourceChoice.h"

#include <cstdlib>
#include <string_view>

#include "base/Log.h"
#include "platform/input/EvdevInputSource.h"
#include "platform/input/FakeInputSource.h"
#include "platform/input/WindowInputSource.h"
#include "platform/input/X11InputSource.h"

namespace platform::input {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

InputProbe ProbeInput(const std::filesystem::path& evdevFolder) {
  InputProbe probe;
  probe.waylandSession =
      !Environment("WAYLAND_DISPLAY").empty() || Environment("XDG_SESSION_TYPE") == "wayland";
  std::string failure;
  probe.x11 = X11InputSource::IsAvailable({}, &failure);
  if (!probe.x11) base::DebugLog("input: %s", failure.c_str());
  probe.evdev = EvdevInputSource::HasReadableKeyboard(evdevFolder);
  return probe;
}

SourceKind ChooseSourceKind(const InputProbe& probe) {
  if (probe.x11 && !probe.waylandSession) return SourceKind::kX11;
  if (probe.evdev) return SourceKind::kEvdev;
  return SourceKind::kWindow;
}

bool SeesOtherPrograms(SourceKind kind) {
  return kind == SourceKind::kX11 || kind == SourceKind::kEvdev;
}

std::unique_ptr<InputSource> CreateInputSource(SourceKind kind,
                                               std::shared_ptr<WindowInputFeed> feed) {
  switch (kind) {
    case SourceKind::kX11:
      return std::make_unique<X11InputSource>();
    case SourceKind::kEvdev:
      return std::make_unique<EvdevInputSource>();
    case SourceKind::kWindow:
      return std::make_unique<WindowInputSource>(std::move(feed));
    case SourceKind::kFake:
      break;
  }
  return std::make_unique<FakeInputSource>();
}

std::unique_ptr<InputSource> ChooseInputSource(std::shared_ptr<WindowInputFeed> feed) {
  const SourceKind kind = ChooseSourceKind(ProbeInput());
  base::DebugLog("input: observing keys through %s", SourceKindName(kind));
  return CreateInputSource(kind, std::move(feed));
}

}  // namespace platform::input
