#include "screen/MediaFiles.h"

#include <system_error>

#include "media/Gif.h"
#include "media/ImageFiles.h"
#include "media/Resample.h"

namespace screen {

namespace fs = std::filesystem;

std::optional<std::vector<LibraryFrame>> ImportPictureFrames(const fs::path& picture,
                                                             const fs::path& folder,
                                                             const ImportDelays& delays,
                                                             std::string* error) {
  const auto animation = media::ReadImageFile(picture, {}, error);
  if (!animation) return std::nullopt;
  std::error_code created;
  fs::create_directories(folder, created);
  std::vector<LibraryFrame> frames;
  const bool still = animation->frames.size() == 1;
  for (std::size_t i = 0; i < animation->frames.size(); ++i) {
    const media::Frame& frame = animation->frames[i];
    const fs::path file = folder / (std::to_string(i) + ".png");
    if (!media::WritePngFile(file, frame.picture, error)) return std::nullopt;
    const int missing = still ? delays.stillMs : delays.missingMs;
    frames.push_back({file, frame.delayMs > 0 ? frame.delayMs : missing});
  }
  return frames;
}

bool WriteFramesAsGif(const std::vector<LibraryFrame>& frames, const fs::path& gif, int width,
                      int height, std::string* error) {
  if (frames.empty()) {
    if (error != nullptr) *error = "no frames";
    return false;
  }
  media::Animation animation;
  animation.width = width;
  animation.height = height;
  for (const LibraryFrame& frame : frames) {
    const auto read = media::ReadImageFile(frame.file, {}, error);
    if (!read) return false;
    animation.frames.push_back(
        {media::FitInto(read->frames.front().picture, width, height), frame.delayMs});
  }
  return media::WriteGifFile(gif, animation, error);
}

}  // namespace screen
