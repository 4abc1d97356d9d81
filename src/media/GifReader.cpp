// Reading GIF files record by record, so that every size is checked before anything is
// allocated for it and frames are composed as they arrive.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/FileIo.h"
#include "media/Gif.h"

namespace media {
namespace {

struct MemoryInput {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  if (wanted <= 0) return 0;
  const std::size_t count =
      std::min(static_cast<std::size_t>(wanted), input->bytes.size() - input->at);
  if (count > 0) std::memcpy(buffer, input->bytes.data() + input->at, count);
  input->at += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifReading = std::unique_ptr<GifFileType, GifCloser>;

// What a graphic control extension says about the next frame.
struct FrameControl {
  int delayCs = 0;
  int disposal = DISPOSAL_UNSPECIFIED;
  int transparent = NO_TRANSPARENT_COLOR;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Decoder {
 public:
  Decoder(GifFileType* gif, const DecodeLimits& limits) : gif_(gif), limits_(limits) {}

  bool Run(Animation& animation, std::string& error);

 private:
  bool Fail(std::string& error, const std::string& what) {
    error = what;
    return false;
  }
  bool ReadExtension(std::string& error);
  bool ReadFrame(Animation& animation, std::string& error);
  bool DrawRows(const Rect& frame, const ColorMapObject& colours, std::string& error);
  void DisposePrevious();

  GifFileType* gif_;
  const DecodeLimits& limits_;
  FrameControl next_;
  Picture canvas_;
  Picture beforeLast_;  // the canvas as it was before the last frame (restore to previous)
  Rect lastRect_;
  int lastDisposal_ = DISPOSAL_UNSPECIFIED;
  bool anyFrame_ = false;
  int loopCount_ = 0;
};

bool Decoder::ReadExtension(std::string& error) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif_, &code, &block) != GIF_OK) return Fail(error, "truncated extension");
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
    GraphicsControlBlock control{};
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
      next_ = {control.DelayTime, control.DisposalMode, control.TransparentColor};
    }
  }
  bool looping = code == APPLICATION_EXT_FUNC_CODE && block != nullptr && block[0] == 11 &&
                 (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 ||
                  std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif_, &block) != GIF_OK) return Fail(error, "truncated extension");
    if (looping && block != nullptr && block[0] >= 3 && block[1] == 1) {
      loopCount_ = block[2] | (block[3] << 8);
      looping = false;
    }
  }
  return true;
}

void Decoder::DisposePrevious() {
  if (!anyFrame_) return;
  if (lastDisposal_ == DISPOSE_PREVIOUS) {
    canvas_ = beforeLast_;
    return;
  }
  if (lastDisposal_ != DISPOSE_BACKGROUND) return;
  const int right = std::min(canvas_.width, lastRect_.left + lastRect_.width);
  const int bottom = std::min(canvas_.height, lastRect_.top + lastRect_.height);
  for (int y = std::max(0, lastRect_.top); y < bottom; ++y) {
    for (int x = std::max(0, lastRect_.left); x < right; ++x) canvas_.Set(x, y, kTransparent);
  }
}

// Rows arrive in file order; interlaced frames store rows 0, 8, ..., then 4, 12, ..., then
// 2, 6, ..., then 1, 3, ...
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  }
  return rows;
}

bool Decoder::DrawRows(const Rect& frame, const ColorMapObject& colours, std::string& error) {
  std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
  for (const int row : RowOrder(frame.height, gif_->Image.Interlace)) {
    if (DGifGetLine(gif_, line.data(), frame.width) != GIF_OK) {
      return Fail(error, "truncated frame data");
    }
    const int y = frame.top + row;
    for (int column = 0; column < frame.width; ++column) {
      const int index = line[static_cast<std::size_t>(column)];
      if (index == next_.transparent) continue;
      if (index >= colours.ColorCount) return Fail(error, "colour index outside the palette");
      const int x = frame.left + column;
      if (!canvas_.Contains(x, y)) continue;  // clipped to the logical screen
      const GifColorType& colour = colours.Colors[index];
      canvas_.Set(x, y, MakeArgb(colour.Red, colour.Green, colour.Blue));
    }
  }
  return true;
}

bool Decoder::ReadFrame(Animation& animation, std::string& error) {
  if (DGifGetImageDesc(gif_) != GIF_OK) return Fail(error, "truncated frame header");
  const GifImageDesc& desc = gif_->Image;
  const Rect frame{desc.Left, desc.Top, desc.Width, desc.Height};
  if (!FitsLimits(frame.width, frame.height, limits_))
    return Fail(error, "frame size out of range");
  const ColorMapObject* colours = desc.ColorMap != nullptr ? desc.ColorMap : gif_->SColorMap;
  if (colours == nullptr || colours->Colors == nullptr || colours->ColorCount <= 0) {
    return Fail(error, "frame without a colour table");
  }
  if (animation.frames.size() >= limits_.maxFrames ||
      (animation.frames.size() + 1) * canvas_.pixels.size() > limits_.maxTotalPixels) {
    return Fail(error, "too many frames");
  }
  DisposePrevious();
  if (next_.disposal == DISPOSE_PREVIOUS) beforeLast_ = canvas_;
  if (!DrawRows(frame, *colours, error)) return false;
  animation.frames.push_back({canvas_, next_.delayCs * 10});
  lastRect_ = frame;
  lastDisposal_ = next_.disposal;
  anyFrame_ = true;
  next_ = {};
  return true;
}

bool Decoder::Run(Animation& animation, std::string& error) {
  if (!FitsLimits(gif_->SWidth, gif_->SHeight, limits_)) {
    return Fail(error, "picture size out of range");
  }
  canvas_ = Picture(gif_->SWidth, gif_->SHeight, kTransparent);
  animation.width = canvas_.width;
  animation.height = canvas_.height;
  while (true) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif_, &type) != GIF_OK) {
      // Many files end without their trailer; what came before it is whole.
      if (!animation.frames.empty() && gif_->Error == D_GIF_ERR_READ_FAILED) break;
      return Fail(error, "truncated file");
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    const bool read = type == IMAGE_DESC_RECORD_TYPE  ? ReadFrame(animation, error)
                      : type == EXTENSION_RECORD_TYPE ? ReadExtension(error)
                                                      : Fail(error, "unknown record");
    if (!read) return false;
  }
  if (animation.frames.empty()) return Fail(error, "no frames");
  animation.loopCount = loopCount_;
  return true;
}

}  // namespace

bool LooksLikeGif(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 ||
                               std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

std::optional<Animation> DecodeGif(std::span<const std::uint8_t> bytes, const DecodeLimits& limits,
                                   std::string* error) {
  std::string reason;
  MemoryInput input{bytes, 0};
  int code = 0;
  GifReading gif(DGifOpen(&input, ReadFromMemory, &code));
  Animation animation;
  if (!gif) {
    reason = std::string("not a readable GIF: ") + GifErrorString(code);
  } else if (Decoder(gif.get(), limits).Run(animation, reason)) {
    return animation;
  }
  if (error != nullptr) *error = reason;
  return std::nullopt;
}

std::optional<Animation> ReadGifFile(const std::filesystem::path& path, const DecodeLimits& limits,
                                     std::string* error) {
  const auto bytes = ReadFileBytes(path, limits.maxFileBytes, error);
  if (!bytes) return std::nullopt;
  std::string reason;
  auto animation = DecodeGif(*bytes, limits, &reason);
  if (!animation && error != nullptr) *error = path.string() + ": " + reason;
  return animation;
}

}  // namespace media
