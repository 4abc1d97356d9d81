#pragma once
// The media library's files: a picture or animation taken apart into numbered PNG frames
// (import), and frames put together again as a looping GIF of the screen's size (a screen's
// animation, or an export).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace screen {

struct LibraryFrame {
  std::filesystem::path file;  // a picture file (PNG, or anything the readers take)
  int delayMs = 0;
  bool operator==(const LibraryFrame&) const = default;
};

struct ImportDelays {
  int stillMs = 10;     // the one frame of a picture without a delay
  int missingMs = 100;  // a frame of an animation that names no delay
};

// Decodes a GIF, PNG or JPEG into the folder (created when missing) as 0.png, 1.png, ...; the
// frames in order with their delays. Empty, with the reason in *error, when the file cannot
// be read or a frame cannot be written.
std::optional<std::vector<LibraryFrame>> ImportPictureFrames(const std::filesystem::path& picture,
                                                             const std::filesystem::path& folder,
                                                             const ImportDelays& delays = {},
                                                             std::string* error = nullptr);

// Writes the frames, each fitted into width x height, as a GIF that loops forever; the file is
// replaced whole or not at all. False, with the reason, when a frame cannot be read.
bool WriteFramesAsGif(const std::vector<LibraryFrame>& frames, const std::filesystem::path& gif,
                      int width, int height, std::string* error = nullptr);

}  // namespace screen
