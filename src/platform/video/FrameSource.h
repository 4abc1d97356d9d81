#pragma once
// A moving (or still) picture reduced to the key grid frame by frame: a video, an animated
// GIF or a still picture. The media player paces and loops whatever backs it.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/capture/ColorGrid.h"

namespace platform {

struct GridFrame {
  ColorGrid grid;
  // When the frame is due, from the start of the pass through the file.
  std::chrono::microseconds at{0};
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // The next frame; empty at the end of the file (or where the file is damaged).
  virtual std::optional<GridFrame> Next() = 0;
  // Back to the first frame; false when that is not possible.
  virtual bool Rewind() = 0;
  // How long the last frame stays (the gap before the first frame of the next pass).
  virtual std::chrono::microseconds LastFrameDuration() const = 0;
};

// Reads a still picture file into pixels; empty when it cannot. The toolkit's front end
// brings one (its image reader knows the common formats); without one, stills are read
// like videos.
using PictureLoader = std::function<std::optional<RgbPicture>(const std::filesystem::path&)>;

}  // namespace platform
