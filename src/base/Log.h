#pragma once
// Diagnostics. Debug lines go to standard error when TARVO_DEBUG is set in the environment and
// nowhere otherwise, so a normal run stays quiet; failures are written always.

namespace base {

bool DebugLogEnabled();

// printf-style line; a trailing newline is added when the text has none.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A failure worth a line on standard error in every run ("tarvo: " in front).
void ErrorLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace base
