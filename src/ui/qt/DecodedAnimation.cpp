#include "ui/qt/DecodedAnimation.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>

namespace TesselQt {
namespace {

// Unchanged pixels this close together are copied along with the changes around them: one run
// instead of many short ones.
constexpr int kJoinGap = 8;

bool AllOpaque(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    if (!std::all_of(row, row + image.width(), [](QRgb pixel) { return qAlpha(pixel) == 255; }))
      return false;
  }
  return true;
}

int DelayOf(int milliseconds) {
  return milliseconds < DecodedAnimation::kShortestDelayMs ? DecodedAnimation::kDefaultDelayMs
                                                           : milliseconds;
}

}  // namespace

DecodedAnimation::DecodedAnimation(std::size_t stepBudget) : stepBudget_(stepBudget) {}

DecodedAnimation::~DecodedAnimation() = default;

bool DecodedAnimation::Open(const QString& path, double scale) {
  Clear();
  scale_ = std::clamp(scale, 0.01, 1.0);
  file_ = std::make_unique<QFile>(path);
  if (!file_->open(QIODevice::ReadOnly) || !StartReading()) {
    Clear();
    return false;
  }
  return true;
}

void DecodedAnimation::Clear() {
  reader_.reset();
  file_.reset();
  canvas_ = QImage();
  first_ = QImage();
  delays_.clear();
  steps_.clear();
  stepBytes_ = 0;
  opaque_ = true;
  streaming_ = false;
  finished_ = false;
  frame_ = 0;
  framesInFile_ = 0;
  loopsLeft_ = -1;
  scale_ = 1.0;
}

bool DecodedAnimation::StartReading() {
  reader_ = std::make_unique<QImageReader>(file_.get());
  if (!reader_->supportsAnimation() || reader_->imageCount() == 1) return false;
  if (const QSize size = reader_->size(); scale_ < 1.0 && !size.isEmpty()) {
    const QSize scaled = (QSizeF(size) * scale_).toSize().expandedTo(QSize(1, 1));
    reader_->setScaledSize(scaled);  // scaled smoothly by the reader where the format cannot
    scale_ = static_cast<double>(scaled.width()) / size.width();
  } else {
    scale_ = 1.0;
  }
  if (delays_.empty()) loopsLeft_ = reader_->loopCount();
  framesInFile_ = reader_->imageCount();  // 0 when the format cannot tell
  QImage first;
  if (!ReadFrame(first)) return false;
  if (delays_.empty()) {
    delays_.push_back(DelayOf(reader_->nextImageDelay()));
    opaque_ = AllOpaque(first);
    ShowFrame(std::move(first));
    first_ = canvas_;
  } else {
    ShowFrame(std::move(first));
  }
  frame_ = 0;
  return true;
}

bool DecodedAnimation::ReadFrame(QImage& frame) {
  if (!reader_->read(&frame)) return false;
  // 32 bits a pixel: a row is exactly `width` pixels long, so a pixel's offset is y * width + x.
  frame = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  frame.setDevicePixelRatio(scale_);
  // Every frame of a file has the picture's size; a damaged one may not.
  return !frame.isNull() && (canvas_.isNull() || frame.size() == canvas_.size());
}

int DecodedAnimation::DelayMs() const {
  if (frame_ < 0 || frame_ >= FramesRead()) return kDefaultDelayMs;
  return delays_[static_cast<std::size_t>(frame_)];
}

bool DecodedAnimation::HasNext() const {
  if (!IsOpen() || finished_) return false;
  // The last frame of an animation played once, known before the end of the file is met.
  const bool last = frame_ == (reader_ != nullptr ? framesInFile_ : FramesRead()) - 1;
  return !(loopsLeft_ == 0 && last);
}

QRegion DecodedAnimation::Advance() {
  if (!HasNext()) return {};
  return reader_ != nullptr ? AdvanceReading() : AdvanceKept();
}

QRegion DecodedAnimation::AdvanceReading() {
  QImage next;
  if (ReadFrame(next)) {
    ++frame_;
    if (frame_ >= FramesRead()) delays_.push_back(DelayOf(reader_->nextImageDelay()));
    return Keep(std::move(next));
  }
  // The end of the file (or a frame that cannot be read, which ends the animation there).
  if (FramesRead() < 2 || loopsLeft_ == 0) {
    Finish();
    return {};
  }
  if (loopsLeft_ > 0) --loopsLeft_;
  if (streaming_) {
    const QImage last = canvas_;
    if (file_->isSequential() || !file_->seek(0) || !StartReading()) {
      Finish();
      return {};
    }
    return Diff(last, canvas_, opaque_).changed;
  }
  steps_.push_back(Diff(canvas_, first_, opaque_));
  ShowFrame(std::move(first_));
  first_ = QImage();
  reader_.reset();
  file_.reset();
  frame_ = 0;
  return steps_.back().changed;
}

QRegion DecodedAnimation::AdvanceKept() {
  const int count = FramesRead();
  if (count < 2 || static_cast<int>(steps_.size()) != count) {
    finished_ = true;
    return {};
  }
  if (frame_ == count - 1) {
    if (loopsLeft_ == 0) {
      finished_ = true;
      return {};
    }
    if (loopsLeft_ > 0) --loopsLeft_;
  }
  const Step& step = steps_[static_cast<std::size_t>(frame_)];
  Apply(step);
  frame_ = (frame_ + 1) % count;
  return step.changed;
}

QRegion DecodedAnimation::Keep(QImage next) {
  Step step = Diff(canvas_, next, opaque_);
  QRegion changed = step.changed;
  if (!streaming_) {
    stepBytes_ += step.runs.size() * sizeof(Run) + step.pixels.size() * sizeof(QRgb);
    if (stepBytes_ <= stepBudget_) {
      steps_.push_back(std::move(step));
    } else {
      // Too much to keep: every pass reads the file from here on.
      streaming_ = true;
      steps_ = {};
      stepBytes_ = 0;
      first_ = QImage();
    }
  }
  ShowFrame(std::move(next));
  return changed;
}

DecodedAnimation::Step DecodedAnimation::Diff(const QImage& from, const QImage& to, bool& opaque) {
  Step step;
  const int width = from.width();
  const int height = from.height();
  const int tilesAcross = (width + kTile - 1) / kTile;
  std::vector<QRect> tiles;
  std::vector<char> marked(static_cast<std::size_t>(tilesAcross));
  for (int tileTop = 0; tileTop < height; tileTop += kTile) {
    std::fill(marked.begin(), marked.end(), 0);
    const int tileBottom = std::min(tileTop + kTile, height);
    for (int y = tileTop; y < tileBottom; ++y) {
      const auto* before = reinterpret_cast<const QRgb*>(from.constScanLine(y));
      const auto* after = reinterpret_cast<const QRgb*>(to.constScanLine(y));
      for (int x = 0; x < width;) {
        if (before[x] == after[x]) {
          ++x;
          continue;
        }
        int last = x;
        for (int probe = x + 1; probe < width && probe - last <= kJoinGap; ++probe) {
          if (before[probe] != after[probe]) last = probe;
        }
        step.runs.push_back(
            {static_cast<std::uint32_t>(y * width + x), static_cast<std::uint32_t>(last - x + 1)});
        step.pixels.insert(step.pixels.end(), after + x, after + last + 1);
        if (opaque &&
            !std::all_of(after + x, after + last + 1, [](QRgb p) { return qAlpha(p) == 255; }))
          opaque = false;
        for (int tile = x / kTile; tile <= last / kTile; ++tile)
          marked[static_cast<std::size_t>(tile)] = 1;
        x = last + 1;
      }
    }
    // The marked squares of this band, side by side ones joined: rectangles in the order and
    // bands QRegion::setRects expects.
    for (int tile = 0; tile < tilesAcross;) {
      if (marked[static_cast<std::size_t>(tile)] == 0) {
        ++tile;
        continue;
      }
      int end = tile;
      while (end < tilesAcross && marked[static_cast<std::size_t>(end)] != 0) ++end;
      const int left = tile * kTile;
      tiles.emplace_back(left, tileTop, std::min(end * kTile, width) - left, tileBottom - tileTop);
      tile = end;
    }
  }
  step.changed.setRects(tiles.data(), static_cast<int>(tiles.size()));
  return step;
}

void DecodedAnimation::ShowFrame(QImage frame) {
  // The same bits either way; pixels known to be opaque are copied to the screen instead of
  // being blended with what lies below.
  frame.reinterpretAsFormat(opaque_ ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
  canvas_ = std::move(frame);
}

void DecodedAnimation::Apply(const Step& step) {
  auto* pixels = reinterpret_cast<QRgb*>(canvas_.bits());
  const std::size_t total = static_cast<std::size_t>(canvas_.width()) * canvas_.height();
  std::size_t source = 0;
  for (const Run& run : step.runs) {
    if (run.offset + std::size_t{run.length} > total || source + run.length > step.pixels.size()) {
      return;
    }
    std::copy_n(step.pixels.begin() + static_cast<std::ptrdiff_t>(source), run.length,
                pixels + run.offset);
    source += run.length;
  }
}

void DecodedAnimation::Finish() {
  finished_ = true;
  reader_.reset();
  file_.reset();
  first_ = QImage();
}

}  // namespace TesselQt
