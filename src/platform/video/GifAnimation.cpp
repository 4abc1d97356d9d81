#include "platform/video/GifAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace platform {
namespace {

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

std::chrono::milliseconds DelayOf(const GraphicsControlBlock& control) {
  if (control.DelayTime <= 0) return GifAnimation::kUnsetFrameDelay;
  return std::max(GifAnimation::kMinFrameDelay, std::chrono::milliseconds(control.DelayTime * 10));
}

// The canvas, 0x00BBGGRR per pixel; transparent pixels leave what was there.
class Canvas {
 public:
  Canvas(int width, int height)
      : picture_{width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)} {}

  // Draws one frame, clipped to the canvas; colour indices beyond the palette are skipped.
  void Draw(const SavedImage& image, const ColorMapObject* palette, int transparent) {
    const GifImageDesc& d = image.ImageDesc;
    if (palette == nullptr || image.RasterBits == nullptr || d.Width <= 0 || d.Height <= 0) return;
    for (int y = 0; y < d.Height; ++y) {
      const int canvasY = d.Top + y;
      if (canvasY < 0 || canvasY >= picture_.height) continue;
      for (int x = 0; x < d.Width; ++x) {
        const int canvasX = d.Left + x;
        if (canvasX < 0 || canvasX >= picture_.width) continue;
        const int index = image.RasterBits[static_cast<std::size_t>(y) * d.Width + x];
        if (index == transparent || index >= palette->ColorCount) continue;
        const GifColorType& c = palette->Colors[index];
        picture_.pixels[static_cast<std::size_t>(canvasY) * picture_.width + canvasX] =
            c.Red | static_cast<std::uint32_t>(c.Green) << 8 |
            static_cast<std::uint32_t>(c.Blue) << 16;
      }
    }
  }

  // The frame's rectangle back to the background (black, as transparent shows).
  void Clear(const GifImageDesc& d) {
    for (int y = std::max(0, d.Top); y < std::min(picture_.height, d.Top + d.Height); ++y) {
      for (int x = std::max(0, d.Left); x < std::min(picture_.width, d.Left + d.Width); ++x) {
        picture_.pixels[static_cast<std::size_t>(y) * picture_.width + x] = 0;
      }
    }
  }

  RgbPicture& Picture() { return picture_; }

 private:
  RgbPicture picture_;
};

}  // namespace

bool LooksLikeGif(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  char magic[6] = {};
  if (!in.read(magic, sizeof magic)) return false;
  return std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0;
}

std::unique_ptr<GifAnimation> GifAnimation::Open(const std::filesystem::path& file, int rows,
                                                 int columns, std::string* error) {
  const auto fail = [&](const std::string& why) -> std::unique_ptr<GifAnimation> {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  if (!IsValidGridSize(rows, columns)) return fail("unusable grid size");
  int code = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileName(file.c_str(), &code));
  if (!gif) return fail(GifErrorString(code) != nullptr ? GifErrorString(code) : "not a GIF");
  // A damaged file still shows the frames read before the damage.
  const bool complete = DGifSlurp(gif.get()) == GIF_OK;
  if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > kMaxCanvasSide ||
      gif->SHeight > kMaxCanvasSide) {
    return fail("unusable canvas size");
  }
  if (gif->ImageCount <= 0 || gif->SavedImages == nullptr) {
    return fail(complete ? "no frames" : "damaged file");
  }
  if (static_cast<std::size_t>(gif->ImageCount) > kMaxFrames) return fail("too many frames");

  std::unique_ptr<GifAnimation> animation(new GifAnimation());
  Canvas canvas(gif->SWidth, gif->SHeight);
  std::chrono::microseconds at{0};
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(gif.get(), i, &control);
    const ColorMapObject* palette =
        image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    const RgbPicture before =
        control.DisposalMode == DISPOSE_PREVIOUS ? canvas.Picture() : RgbPicture{};
    canvas.Draw(image, palette, control.TransparentColor);
    std::optional<ColorGrid> grid = ReduceToGrid(canvas.Picture().View(), rows, columns);
    if (!grid) return fail("unusable frame");
    animation->frames_.push_back({std::move(*grid), at});
    const std::chrono::microseconds delay = DelayOf(control);
    at += delay;
    animation->lastDuration_ = delay;
    if (control.DisposalMode == DISPOSE_BACKGROUND) canvas.Clear(image.ImageDesc);
    if (control.DisposalMode == DISPOSE_PREVIOUS) canvas.Picture() = before;
  }
  return animation;
}

std::optional<GridFrame> GifAnimation::Next() {
  if (next_ >= frames_.size()) return std::nullopt;
  return frames_[next_++];
}

bool GifAnimation::Rewind() {
  next_ = 0;
  return !frames_.empty();
}

std::chrono::microseconds GifAnimation::LastFrameDuration() const {
  return lastDuration_;
}

}  // namespace platform
