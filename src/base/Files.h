#pragma once
// Files replaced whole: a reader sees the old content or the new one, never a mixture, and a
// write that fails (full disk, missing folder, no permission) leaves the old file untouched.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace base {

// Writes `bytes` to a new file beside `path` and renames it over `path`. A new file gets
// `mode` (before the umask); a file that exists keeps its own permissions. False, with a
// reason in `error` when given, when anything failed.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error = nullptr, mode_t mode = 0644);

}  // namespace base
