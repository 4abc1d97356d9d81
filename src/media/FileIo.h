#pragma once
// Whole files in and out. Files are replaced atomically: the bytes go to a temporary file in
// the same folder, which is flushed and then renamed over the target, so a reader sees the
// old file or the new one and never a part.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace media {

// The file's bytes; empty (with the reason in *error) when it cannot be read or is larger
// than maxBytes.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxBytes,
                                                       std::string* error = nullptr);

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr);

}  // namespace media
