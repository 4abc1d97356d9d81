#include "ui/tessel/ImageView.h"

#include <algorithm>
#include <cstdlib>

namespace Tessel {
namespace {

// The colour `over` laid on `under` with a coverage of 0..255.
Color Blend(Color under, Color over, unsigned coverage) {
  auto mix = [coverage](unsigned a, unsigned b) {
    return (a * (255 - coverage) + b * coverage + 127) / 255;
  };
  return Rgb(mix(RedOf(under), RedOf(over)), mix(GreenOf(under), GreenOf(over)),
             mix(BlueOf(under), BlueOf(over)));
}

bool SameSize(const TextMask& mask) {
  return mask.width > 0 && mask.height > 0 &&
         mask.coverage.size() ==
             static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height);
}

}  // namespace

ImageView::ImageView(MWindow& owner, int id)
    : MControl(owner, id, kClassName),
      pixels_(static_cast<std::size_t>(kDefaultWidth) * kDefaultHeight, kErased) {}

void ImageView::SetPicture(int width, int height, std::vector<Color> pixels) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kErased);
  for (Color& pixel : pixels) pixel &= 0xFFFFFF;
  {
    std::lock_guard lock(mutex_);
    width_ = width;
    height_ = height;
    pixels_ = std::move(pixels);
    undo_.clear();
    modified_ = false;
    stroking_ = false;
    BumpVersionLocked();
  }
  NotifyChanged();
}

void ImageView::ClearPicture(int width, int height) {
  SetPicture(width, height, {});
}

int ImageView::GetPictureWidth() const {
  return Read(width_);
}

int ImageView::GetPictureHeight() const {
  return Read(height_);
}

std::vector<Color> ImageView::GetPixels() const {
  return Read(pixels_);
}

Color ImageView::GetPixel(int x, int y) const {
  std::lock_guard lock(mutex_);
  if (!InPictureLocked(x, y)) return kErased;
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

bool ImageView::IsModified() const {
  return Read(modified_);
}

void ImageView::MarkSaved() {
  std::lock_guard lock(mutex_);
  modified_ = false;
}

void ImageView::SetDrawMode(int mode) {
  Assign(mode_, mode);
}

int ImageView::GetDrawMode() const {
  return Read(mode_);
}

void ImageView::SetColorValue(Color color) {
  Assign(color_, color & 0xFFFFFF);
}

Color ImageView::GetColorValue() const {
  return Read(color_);
}

void ImageView::SetPenWidth(int pixels) {
  Assign(penWidth_, std::clamp(pixels, 1, kLargestPenWidth));
}

int ImageView::GetPenWidth() const {
  return Read(penWidth_);
}

void ImageView::SetEraserWidth(int pixels) {
  Assign(eraserWidth_, std::clamp(pixels, 1, kLargestPenWidth));
}

int ImageView::GetEraserWidth() const {
  return Read(eraserWidth_);
}

void ImageView::SetFontSize(int pixels) {
  Assign(fontSize_, std::clamp(pixels, kSmallestFontSize, kLargestFontSize));
}

int ImageView::GetFontSize() const {
  return Read(fontSize_);
}

void ImageView::SetGrid(bool shown) {
  Assign(grid_, shown);
}

bool ImageView::HasGrid() const {
  return Read(grid_);
}

void ImageView::SetText(std::string text) {
  Assign(text_, std::move(text));
}

std::string ImageView::GetText() const {
  return Read(text_);
}

void ImageView::SetTextRasterizer(TextRasterizer rasterizer) {
  std::lock_guard lock(mutex_);
  rasterizer_ = std::move(rasterizer);
}

// Editing ------------------------------------------------------------------------------------

bool ImageView::InPictureLocked(int x, int y) const {
  return x >= 0 && y >= 0 && x < width_ && y < height_;
}

void ImageView::PushUndoLocked() {
  undo_.push_back(pixels_);
  while (undo_.size() > kUndoDepth) undo_.pop_front();
}

void ImageView::StampLocked(int x, int y, int width, Color color) {
  const int left = x - (width - 1) / 2;
  const int top = y - (width - 1) / 2;
  for (int row = std::max(top, 0); row < std::min(top + width, height_); ++row) {
    for (int column = std::max(left, 0); column < std::min(left + width, width_); ++column) {
      pixels_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
              static_cast<std::size_t>(column)] = color;
    }
  }
}

// Every point of the line from one pointer position to the next, so that a quick drag leaves
// no gaps.
void ImageView::LineLocked(int fromX, int fromY, int toX, int toY, int width, Color color) {
  const int dx = std::abs(toX - fromX);
  const int dy = -std::abs(toY - fromY);
  const int stepX = fromX < toX ? 1 : -1;
  const int stepY = fromY < toY ? 1 : -1;
  int error = dx + dy;
  for (int x = fromX, y = fromY;;) {
    StampLocked(x, y, width, color);
    if (x == toX && y == toY) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

bool ImageView::AddText(const std::string& text, int x, int y) {
  TextRasterizer rasterizer;
  int size = 0;
  {
    std::lock_guard lock(mutex_);
    rasterizer = rasterizer_;
    size = fontSize_;
  }
  if (text.empty() || !rasterizer) return false;
  const std::optional<TextMask> mask = rasterizer(text, size);
  if (!mask || !SameSize(*mask)) return false;
  {
    std::lock_guard lock(mutex_);
    PushUndoLocked();
    for (int row = 0; row < mask->height; ++row) {
      for (int column = 0; column < mask->width; ++column) {
        const unsigned coverage =
            mask->coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(mask->width) +
                           static_cast<std::size_t>(column)];
        if (coverage == 0 || !InPictureLocked(x + column, y + row)) continue;
        Color& pixel =
            pixels_[static_cast<std::size_t>(y + row) * static_cast<std::size_t>(width_) +
                    static_cast<std::size_t>(x + column)];
        pixel = Blend(pixel, color_, coverage);
      }
    }
    modified_ = true;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool ImageView::RecoverCurEdit() {
  {
    std::lock_guard lock(mutex_);
    if (undo_.empty()) return false;
    pixels_ = std::move(undo_.back());
    undo_.pop_back();
    stroking_ = false;
    modified_ = true;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool ImageView::CanUndo() const {
  std::lock_guard lock(mutex_);
  return !undo_.empty();
}

// The pointer ----------------------------------------------------------------------------------

void ImageView::UserPress(int x, int y) {
  if (!IsEnabled()) return;
  int mode = kDrawNone;
  std::string text;
  {
    std::lock_guard lock(mutex_);
    mode = mode_;
    text = text_;
    if (mode == kDrawPen || mode == kDrawEraser) {
      if (!InPictureLocked(x, y)) return;
      PushUndoLocked();
      stroking_ = true;
      lastX_ = x;
      lastY_ = y;
      StampLocked(x, y, mode == kDrawPen ? penWidth_ : eraserWidth_,
                  mode == kDrawPen ? color_ : kErased);
      modified_ = true;
      BumpVersionLocked();
    }
  }
  if (mode == kDrawText) {
    if (AddText(text, x, y)) Report(kEventValueChanged, 1);
    return;
  }
  if (mode == kDrawPen || mode == kDrawEraser) NotifyChanged();
}

void ImageView::UserDrag(int x, int y) {
  {
    std::lock_guard lock(mutex_);
    if (!stroking_) return;
    const bool pen = mode_ == kDrawPen;
    LineLocked(lastX_, lastY_, x, y, pen ? penWidth_ : eraserWidth_, pen ? color_ : kErased);
    lastX_ = x;
    lastY_ = y;
    BumpVersionLocked();
  }
  NotifyChanged();
}

void ImageView::UserRelease(int x, int y) {
  {
    std::lock_guard lock(mutex_);
    if (!stroking_) return;
  }
  UserDrag(x, y);
  {
    std::lock_guard lock(mutex_);
    stroking_ = false;
  }
  Report(kEventValueChanged, 1);
}

}  // namespace Tessel
