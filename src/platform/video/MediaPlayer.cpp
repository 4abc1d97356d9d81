#include "platform/video/MediaPlayer.h"

#include <algorithm>
#include <string_view>

#include "base/Text.h"
#include "platform/video/GifAnimation.h"
#include "platform/video/VideoFile.h"

namespace platform {
namespace {

class StillSource : public FrameSource {
 public:
  explicit StillSource(ColorGrid grid) : grid_(std::move(grid)) {}
  std::optional<GridFrame> Next() override {
    if (given_) return std::nullopt;
    given_ = true;
    return GridFrame{grid_, std::chrono::microseconds(0)};
  }
  bool Rewind() override {
    given_ = false;
    return true;
  }
  std::chrono::microseconds LastFrameDuration() const override { return {}; }

 private:
  ColorGrid grid_;
  bool given_ = false;
};

bool IsStillPictureName(const std::filesystem::path& file) {
  const std::string extension = base::ToLowerAscii(file.extension().string());
  return extension == ".jpg" || extension == ".jpeg" || extension == ".png" || extension == ".bmp";
}

// A pass that falls this far behind its clock starts the clock again instead of hurrying.
constexpr std::chrono::milliseconds kMaxLag{500};

}  // namespace

const char* MediaStateName(MediaState state) {
  switch (state) {
    case MediaState::Idle:
      return "idle";
    case MediaState::Opening:
      return "opening";
    case MediaState::Playing:
      return "playing";
    case MediaState::Showing:
      return "showing";
    case MediaState::Failed:
      return "failed";
  }
  return "unknown";
}

std::unique_ptr<FrameSource> MakeStillSource(const RgbPicture& picture, int rows, int columns) {
  std::optional<ColorGrid> grid = ReduceToGrid(picture.View(), rows, columns);
  if (!grid) return nullptr;
  return std::make_unique<StillSource>(std::move(*grid));
}

std::unique_ptr<FrameSource> OpenFrameSource(const std::filesystem::path& file, int rows,
                                             int columns, const PictureLoader& loader,
                                             std::string* error) {
  if (LooksLikeGif(file)) return GifAnimation::Open(file, rows, columns, error);
  if (loader && IsStillPictureName(file)) {
    if (std::optional<RgbPicture> picture = loader(file)) {
      if (auto still = MakeStillSource(*picture, rows, columns)) return still;
    }
    // The loader could not read it; the FFmpeg libraries may.
  }
  return VideoFile::Open(file, rows, columns, error);
}

MediaPlayer::MediaPlayer(PictureLoader loader) : loader_(std::move(loader)) {}

MediaPlayer::~MediaPlayer() {
  Stop();
}

bool MediaPlayer::Play(const std::filesystem::path& file, int rows, int columns) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(file, code) || !IsValidGridSize(rows, columns)) {
    return false;
  }
  Start([this, file, rows, columns](std::string* error) {
    return OpenFrameSource(file, rows, columns, loader_, error);
  });
  return true;
}

void MediaPlayer::PlaySource(std::unique_ptr<FrameSource> source) {
  auto shared = std::make_shared<std::unique_ptr<FrameSource>>(std::move(source));
  Start([shared](std::string*) { return std::move(*shared); });
}

void MediaPlayer::Start(std::function<std::unique_ptr<FrameSource>(std::string*)> open) {
  std::lock_guard lifecycle(lifecycleMutex_);
  StopLocked();
  std::lock_guard lock(mutex_);
  stopping_ = false;
  state_ = MediaState::Opening;
  error_.clear();
  latest_.reset();
  loops_ = 0;
  thread_ = std::thread([this, open = std::move(open)] { Run(open); });
}

void MediaPlayer::Stop() {
  std::lock_guard lifecycle(lifecycleMutex_);
  StopLocked();
}

void MediaPlayer::StopLocked() {
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) return;
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  std::lock_guard lock(mutex_);
  state_ = MediaState::Idle;
  latest_.reset();
}

MediaState MediaPlayer::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string MediaPlayer::Error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

std::optional<CapturedFrame> MediaPlayer::Latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

std::uint64_t MediaPlayer::Loops() const {
  std::lock_guard lock(mutex_);
  return loops_;
}

void MediaPlayer::Publish(std::optional<ColorGrid> grid, MediaState state) {
  std::lock_guard lock(mutex_);
  if (stopping_) return;
  state_ = state;
  if (grid) latest_ = CapturedFrame{std::move(*grid), ++sequence_};
}

bool MediaPlayer::SleepUntil(std::chrono::steady_clock::time_point until) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_until(lock, until, [&] { return stopping_; });
}

void MediaPlayer::Run(std::function<std::unique_ptr<FrameSource>(std::string*)> open) {
  std::string error;
  const std::unique_ptr<FrameSource> source = open(&error);
  if (!source) {
    std::lock_guard lock(mutex_);
    state_ = MediaState::Failed;
    error_ = error.empty() ? "the file cannot be read" : error;
    return;
  }
  using Clock = std::chrono::steady_clock;
  Clock::time_point passStart = Clock::now();
  std::size_t framesThisPass = 0;
  std::chrono::microseconds lastAt{0};
  while (true) {
    std::optional<GridFrame> frame = source->Next();
    if (!frame) {
      if (framesThisPass <= 1) {
        // A still picture (or nothing at all) needs no clock: it stays until stopped.
        Publish(std::nullopt, framesThisPass == 0 ? MediaState::Failed : MediaState::Showing);
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_; });
        return;
      }
      passStart += lastAt + source->LastFrameDuration();
      if (!source->Rewind()) return Publish(std::nullopt, MediaState::Failed);
      framesThisPass = 0;
      std::lock_guard lock(mutex_);
      ++loops_;
      continue;
    }
    ++framesThisPass;
    lastAt = frame->at;
    const Clock::time_point due = passStart + frame->at;
    if (Clock::now() - due > kMaxLag) passStart = Clock::now() - frame->at;
    if (!SleepUntil(due)) return;
    Publish(std::move(frame->grid), MediaState::Playing);
  }
}

}  // namespace platform
