#pragma once
// An animated GIF read with giflib, every frame composed onto the canvas as the format says
// (transparency, disposal) and reduced to the key grid when the file is opened.

#include <memory>
#include <string>
#include <vector>

#include "platform/video/FrameSource.h"

namespace platform {

class GifAnimation : public FrameSource {
 public:
  // Canvases larger than this in either direction, and files with more frames, are refused.
  static constexpr int kMaxCanvasSide = 4096;
  static constexpr std::size_t kMaxFrames = 2000;
  // A frame without a delay (or a shorter one) stays this long, as browsers show it.
  static constexpr std::chrono::milliseconds kMinFrameDelay{20};
  static constexpr std::chrono::milliseconds kUnsetFrameDelay{100};

  static std::unique_ptr<GifAnimation> Open(const std::filesystem::path& file, int rows,
                                            int columns, std::string* error = nullptr);

  std::optional<GridFrame> Next() override;
  bool Rewind() override;
  std::chrono::microseconds LastFrameDuration() const override;

  std::size_t FrameCount() const { return frames_.size(); }

 private:
  GifAnimation() = default;

  std::vector<GridFrame> frames_;
  std::chrono::microseconds lastDuration_{0};
  std::size_t next_ = 0;
};

// Whether the file starts like a GIF ("GIF87a" or "GIF89a").
bool LooksLikeGif(const std::filesystem::path& file);

}  // namespace platform
