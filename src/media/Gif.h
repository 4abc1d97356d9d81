#pragma once
// GIF files: reading every frame composed onto the logical screen, and writing animations.
//
// Reading honours the disposal methods (keep, restore to background, restore to previous),
// transparency and per-frame delays; frames that reach outside the logical screen are
// clipped to it. A file is refused when a frame has no colour table, a pixel names a colour
// the table does not have, the data ends inside a frame, or the sizes or the frame count pass
// the limits. The background of the logical screen is transparent, as browsers show it.
//
// Writing uses one palette for all frames (the exact colours when there are at most 255,
// else a median-cut palette with a fixed dither), the NETSCAPE2.0 loop block ahead of the
// first frame, and frames after the first store only the pixels that changed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/Limits.h"
#include "media/Picture.h"

namespace media {

std::optional<Animation> DecodeGif(std::span<const std::uint8_t> bytes,
                                   const DecodeLimits& limits = {}, std::string* error = nullptr);
std::optional<Animation> ReadGifFile(const std::filesystem::path& path,
                                     const DecodeLimits& limits = {}, std::string* error = nullptr);

// Every frame must have the animation's size; delays are rounded to hundredths of a second.
std::optional<std::vector<std::uint8_t>> EncodeGif(const Animation& animation,
                                                   std::string* error = nullptr);
bool WriteGifFile(const std::filesystem::path& path, const Animation& animation,
                  std::string* error = nullptr);

// Whether the bytes start like a GIF file.
bool LooksLikeGif(std::span<const std::uint8_t> bytes);

}  // namespace media
