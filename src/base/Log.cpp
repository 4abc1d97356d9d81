#include "base/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace base {

bool DebugLogEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("TARVO_DEBUG");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
  }();
  return enabled;
}

namespace {

void WriteLine(const char* prefix, const char* format, va_list args) {
  char line[1024];
  std::vsnprintf(line, sizeof line, format, args);
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const std::size_t length = std::strlen(line);
  std::fprintf(stderr, "%s%s%s", prefix, line, length > 0 && line[length - 1] == '\n' ? "" : "\n");
}

}  // namespace

void DebugLog(const char* format, ...) {
  if (!DebugLogEnabled()) return;
  va_list args;
  va_start(args, format);
  WriteLine("", format, args);
  va_end(args);
}

void ErrorLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteLine("tarvo: ", format, args);
  va_end(args);
}

}  // namespace base
