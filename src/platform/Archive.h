#pragma once
// Unpacking of zip archives (the update package) into a folder, treating the archive as
// hostile: every entry must be a plain file or folder under a relative name that stays inside
// the target folder, sizes are capped, and a damaged entry fails the whole extraction.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ArchiveLimits {
  std::uint64_t maxTotalBytes = std::uint64_t{1} << 30;  // all entries unpacked
  std::uint64_t maxEntryBytes = std::uint64_t{512} << 20;
  std::size_t maxEntries = 4096;
};

enum class ArchiveStatus {
  Ok,
  CannotOpen,   // missing, unreadable or not a zip archive
  UnsafeEntry,  // absolute name, "..", link, device or other special entry, odd characters
  Unsupported,  // encrypted entry or unknown compression
  TooLarge,     // beyond a limit of ArchiveLimits
  Damaged,      // read error, CRC mismatch, size other than the one recorded
  WriteFailed,  // a folder or file could not be created or written inside the target
};

const char* ToString(ArchiveStatus status);

struct ArchiveResult {
  ArchiveStatus status = ArchiveStatus::CannotOpen;
  std::string entry;                   // the entry that failed, when one did
  std::vector<std::string> extracted;  // names of the files written (empty on failure)
};

// Whether a stored name may be written under the target folder: not empty, relative, made of
// '/'-separated parts that are neither empty, "." nor "..", without backslashes or control
// characters, at most 4096 bytes with parts of at most 255. A trailing '/' marks a folder.
bool IsSafeEntryName(std::string_view name);

// Writes every entry of the archive into `folder` (which must exist) under its stored name.
// The archive is checked completely before anything is written. Each file goes to a
// temporary neighbour that replaces the final name only once it is whole and its CRC is
// right; when any entry fails, the files written so far are removed again.
ArchiveResult ExtractArchive(const std::filesystem::path& archive,
                             const std::filesystem::path& folder, const ArchiveLimits& limits = {});

}  // namespace platform
