#pragma once
// An animated picture (GIF) decoded once. The first pass through the animation reads it frame
// by frame and keeps, for every step from one frame to the next (and from the last back to the
// first), only the runs of pixels that change; from then on a frame costs copying those runs
// instead of decoding a whole picture. Each step also tells which part of the picture changed,
// so that only that part is drawn again.
//
// A full-window background of 48 frames changes a few per cent of its pixels per frame: the
// steps take a few megabytes where the decoded frames would take two hundred.

#include <QImage>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class QImageReader;

namespace TesselQt {

class DecodedAnimation {
 public:
  // Frames shown for less than this (or for no time at all) are shown for the usual tenth of a
  // second, as browsers do: such files rely on it.
  static constexpr int kShortestDelayMs = 20;
  static constexpr int kDefaultDelayMs = 100;
  // Changed pixels are reported in squares of this side: fewer, larger parts to draw.
  static constexpr int kTile = 32;

  // Beyond this many bytes of steps (a long animation that changes most of its pixels) the
  // steps are dropped and the file is read again on every pass instead.
  static constexpr std::size_t kDefaultStepBudget = 64u << 20;

  explicit DecodedAnimation(std::size_t stepBudget = kDefaultStepBudget);
  ~DecodedAnimation();
  DecodedAnimation(const DecodedAnimation&) = delete;
  DecodedAnimation& operator=(const DecodedAnimation&) = delete;

  // Reads the first frame of an animation, its frames scaled by `scale` (at most 1: the size the
  // picture takes on the screen, so that showing a frame is a plain copy). The frames keep the
  // picture's own size as their device-independent size (their pixel ratio is the scale).
  // False when the file cannot be read or holds a single picture (then nothing is kept).
  bool Open(const QString& path, double scale = 1.0);
  double Scale() const { return scale_; }

  bool IsOpen() const { return !canvas_.isNull(); }
  // True while every pixel shown so far has been fully opaque.
  bool IsOpaque() const { return opaque_; }
  // The frame shown now, the whole picture: 32 bits a pixel, premultiplied ARGB, or RGB while
  // every pixel has been opaque.
  const QImage& Frame() const { return canvas_; }
  int FrameIndex() const { return frame_; }
  // How long the current frame stays, in milliseconds.
  int DelayMs() const;
  // False once an animation that does not repeat forever has played its last frame.
  bool HasNext() const;
  // Moves to the next frame; returns the part of the picture that changed (in squares of
  // kTile pixels, clipped to the picture). Empty when nothing changed or nothing is left.
  QRegion Advance();
  // Frames known so far; the frame count once the whole animation has been read.
  int FramesRead() const { return static_cast<int>(delays_.size()); }
  // True once every step is kept and the file is no longer read.
  bool FullyRead() const { return reader_ == nullptr && !streaming_; }
  // Bytes kept for the steps.
  std::size_t StepBytes() const { return stepBytes_; }

 private:
  // The pixels of one step: runs of changed pixels in the canvas, their new values in order.
  struct Run {
    std::uint32_t offset;  // y * width + x
    std::uint32_t length;
  };
  struct Step {
    std::vector<Run> runs;
    std::vector<QRgb> pixels;
    QRegion changed;
  };

  // The step from one frame to the next; clears `opaque` when a changed pixel is not opaque.
  static Step Diff(const QImage& from, const QImage& to, bool& opaque);
  // Reads the next frame of the file; false at its end or at a frame that cannot be read.
  bool ReadFrame(QImage& frame);
  bool StartReading();
  QRegion AdvanceReading();
  QRegion AdvanceKept();
  // Shows `next`, keeping the step to it while the budget allows.
  QRegion Keep(QImage next);
  void ShowFrame(QImage frame);
  void Apply(const Step& step);
  // Stops reading; the frame shown stays.
  void Finish();
  void Clear();

  const std::size_t stepBudget_;
  double scale_ = 1.0;  // of the frames' pixels to the picture's
  std::unique_ptr<QIODevice> file_;
  std::unique_ptr<QImageReader> reader_;  // while the file is read
  QImage canvas_;
  QImage first_;  // the first frame, until the step back to it is known
  std::vector<int> delays_;
  std::vector<Step> steps_;  // steps_[i] leads from frame i to the frame after it
  std::size_t stepBytes_ = 0;
  bool opaque_ = true;
  bool streaming_ = false;  // over budget: every pass reads the file
  bool finished_ = false;
  int frame_ = 0;
  int framesInFile_ = 0;  // as the file's header tells; 0 when unknown
  int loopsLeft_ = -1;    // further passes; -1: forever
};

}  // namespace TesselQt
