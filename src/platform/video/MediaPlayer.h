#pragma once
// Plays a picture, an animated GIF or a video into the key grid on a decode thread of its
// own: each frame is published when its time comes, and the file starts over at its end.
// A still picture (or a one-frame file) is published once. Every operation is thread-safe.

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/capture/ScreenCapture.h"
#include "platform/video/FrameSource.h"

namespace platform {

enum class MediaState {
  Idle,     // nothing chosen, or stopped
  Opening,  // the file is being opened
  Playing,  // frames are published
  Showing,  // a still picture was published and stays
  Failed,   // the file cannot be read (see Error)
};

const char* MediaStateName(MediaState state);

// The source a file is read with: GIFs by their first bytes, still pictures by their
// extension when a loader is given, everything else by the FFmpeg libraries.
std::unique_ptr<FrameSource> OpenFrameSource(const std::filesystem::path& file, int rows,
                                             int columns, const PictureLoader& loader,
                                             std::string* error = nullptr);

// A single picture as a one-frame source.
std::unique_ptr<FrameSource> MakeStillSource(const RgbPicture& picture, int rows, int columns);

class MediaPlayer {
 public:
  explicit MediaPlayer(PictureLoader loader = {});
  ~MediaPlayer();
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  // Stops what plays and starts the file. False (and nothing changes) when the file is not
  // a regular file or the grid size is outside 1..8 x 1..32; a file that turns out to be
  // unreadable shows as Failed.
  bool Play(const std::filesystem::path& file, int rows, int columns);
  // Plays an already opened source (tests, other readers).
  void PlaySource(std::unique_ptr<FrameSource> source);
  void Stop();

  MediaState State() const;
  std::string Error() const;
  std::optional<CapturedFrame> Latest() const;
  // Completed passes through the file.
  std::uint64_t Loops() const;

 private:
  void Start(std::function<std::unique_ptr<FrameSource>(std::string*)> open);
  void Run(std::function<std::unique_ptr<FrameSource>(std::string*)> open);
  void Publish(std::optional<ColorGrid> grid, MediaState state);
  // Waits until the time or a stop; false on a stop.
  bool SleepUntil(std::chrono::steady_clock::time_point until);

  void StopLocked();

  const PictureLoader loader_;
  // Play and Stop one at a time (taken before mutex_).
  std::mutex lifecycleMutex_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  MediaState state_ = MediaState::Idle;
  std::string error_;
  std::optional<CapturedFrame> latest_;
  std::uint64_t sequence_ = 0;
  std::uint64_t loops_ = 0;
  std::thread thread_;
};

}  // namespace platform
