#pragma once
// Diagnostics. They go to standard error when TARVO_DEBUG is set in the environment and
// nowhere otherwise, so a normal run stays quiet.

namespace base {

bool DebugLogEnabled();

// printf-style line; a trailing newline is added when the text has none.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace base
