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

void DebugLog(const char* format, ...) {
  if (!DebugLogEnabled()) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const std::size_t length = std::strlen(line);
  std::fprintf(stderr, "%s%s", line, length > 0 && line[length - 1] == '\n' ? "" : "\n");
}

}  // namespace base
