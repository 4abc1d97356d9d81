#pragma once
// Still pictures (PNG, JPEG) and the choice of reader by what a file holds, not by its name.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/Limits.h"
#include "media/Picture.h"

namespace media {

std::optional<Picture> DecodePng(std::span<const std::uint8_t> bytes,
                                 const DecodeLimits& limits = {}, std::string* error = nullptr);
std::optional<Picture> DecodeJpeg(std::span<const std::uint8_t> bytes,
                                  const DecodeLimits& limits = {}, std::string* error = nullptr);

std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture,
                                                   std::string* error = nullptr);
bool WritePngFile(const std::filesystem::path& path, const Picture& picture,
                  std::string* error = nullptr);

// A GIF with all its frames, or a PNG or JPEG as an animation of one frame without delay.
std::optional<Animation> DecodeImage(std::span<const std::uint8_t> bytes,
                                     const DecodeLimits& limits = {}, std::string* error = nullptr);
std::optional<Animation> ReadImageFile(const std::filesystem::path& path,
                                       const DecodeLimits& limits = {},
                                       std::string* error = nullptr);

}  // namespace media
