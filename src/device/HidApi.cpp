#include "device/HidApi.h"

#include <cstdio>

#include "base/Text.h"

namespace device {

void HidApi::SetHotPlugListener(HotPlugListener listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = std::move(listener);
}

void HidApi::NotifyHotPlug(HotPlugEvent event, const std::string& interfacePath) {
  // The listener mutex is held during the call so that removing a listener waits for a call
  // in flight; it is recursive so that a listener may replace itself.
  std::lock_guard lock(listenerMutex_);
  if (listener_) listener_(event, interfacePath);
}

std::string MakeInterfacePath(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              std::string_view instance) {
  char ids[48];
  if (interfaceNumber >= 0 && interfaceNumber <= 0xFF) {
    std::snprintf(ids, sizeof ids, "HID#VID_%04X&PID_%04X&MI_%02X#", vendorId, productId,
                  interfaceNumber);
  } else {
    std::snprintf(ids, sizeof ids, "HID#VID_%04X&PID_%04X#", vendorId, productId);
  }
  return ids + base::ToUpperAscii(instance);
}

namespace {

// Exactly `digits` hexadecimal digits at the start of `text`.
std::optional<unsigned> FixedHex(std::string_view text, std::size_t digits) {
  if (text.size() < digits) return std::nullopt;
  unsigned value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = text[i];
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return value;
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::optional<InterfacePathParts> ParseInterfacePath(std::string_view path) {
  const std::string upper = base::ToUpperAscii(path);
  std::string_view text = upper;
  ConsumePrefix(text, "\\\\?\\");
  if (!ConsumePrefix(text, "HID#VID_")) return std::nullopt;
  InterfacePathParts parts;
  const auto vendor = FixedHex(text, 4);
  if (!vendor) return std::nullopt;
  text.remove_prefix(4);
  if (!ConsumePrefix(text, "&PID_")) return std::nullopt;
  const auto product = FixedHex(text, 4);
  if (!product) return std::nullopt;
  text.remove_prefix(4);
  parts.vendorId = static_cast<std::uint16_t>(*vendor);
  parts.productId = static_cast<std::uint16_t>(*product);
  if (ConsumePrefix(text, "&MI_")) {
    const auto number = FixedHex(text, 2);
    if (!number) return std::nullopt;
    text.remove_prefix(2);
    parts.interfaceNumber = static_cast<int>(*number);
  }
  const std::size_t hash = text.find('#');
  if (hash == std::string_view::npos) return std::nullopt;
  parts.instance = std::string(text.substr(hash + 1));
  return parts;
}

}  // namespace device
