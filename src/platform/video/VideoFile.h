#pragma once
// A video (or any picture file the FFmpeg libraries read) decoded frame by frame and scaled
// straight to the key grid, with each frame's presentation time.

#include <memory>
#include <string>

#include "platform/video/FrameSource.h"

namespace platform {

class VideoFile : public FrameSource {
 public:
  // Empty when the file cannot be opened or has no video stream; `error` says why.
  static std::unique_ptr<VideoFile> Open(const std::filesystem::path& file, int rows, int columns,
                                         std::string* error = nullptr);
  ~VideoFile() override;

  std::optional<GridFrame> Next() override;
  bool Rewind() override;
  std::chrono::microseconds LastFrameDuration() const override;

 private:
  struct Decoder;
  explicit VideoFile(std::unique_ptr<Decoder> decoder);

  std::unique_ptr<Decoder> decoder_;
};

}  // namespace platform
