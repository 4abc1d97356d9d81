#pragma once
// The music visualizer: from the wave the audio analysis hands over it computes 256 column
// levels (a 256-point FFT, decay, smoothing) and draws a picture of 256 x 64 pixels on a
// thread of its own every 15 ms: bars of the bar pattern growing from the bottom over the
// background pattern. The effect view samples the finished picture for the keys.
//
// Settings and the wave are handed over under a lock and taken at the start of a frame, so a
// frame is drawn with one consistent set of them; the finished picture is swapped in under
// the same lock. Every public operation is thread-safe.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "lighting/AudioFeed.h"
#include "lighting/VisualizerPatterns.h"

namespace lighting {

struct VisualizerSettings {
  int barPattern = 17;
  int barBrightness = 100;  // 0 to 100
  int backgroundPattern = 0;
  int backgroundBrightness = 100;
  float columnDecay = 0.8f;  // each frame's levels start from the last ones times this
  int smoothingMode = 1;     // 1: running mean over 2w + 1 columns; 0: groups of w; else none
  int smoothingWidth = 8;    // w, 1 to 64
  int windowType = 1;        // 1 Hann, 2 Hamming, 3 Blackman
  float hueSpeed = 5.0f;     // degrees per frame
  float levelFollow = 1.0f;  // how far the shown levels move toward the computed ones, 0 to 1
  friend bool operator==(const VisualizerSettings&, const VisualizerSettings&) = default;
};

// The settings with every value brought into its range (NaN counts as the default).
VisualizerSettings Sanitized(const VisualizerSettings& settings);

class Visualizer : public AudioFeed {
 public:
  static constexpr int kWidth = kVisualizerWidth;
  static constexpr int kHeight = kVisualizerHeight;
  static constexpr std::size_t kPixels = static_cast<std::size_t>(kWidth) * kHeight;
  static constexpr std::size_t kWaveValues = 512;
  static constexpr std::chrono::milliseconds kFramePeriod{15};
  static constexpr std::chrono::milliseconds kIdlePeriod{500};

  Visualizer();
  ~Visualizer() override;
  Visualizer(const Visualizer&) = delete;
  Visualizer& operator=(const Visualizer&) = delete;

  // The frame thread. Start only once at a time; Stop waits for the frame in progress.
  bool Start();
  void Stop();
  // Switched off, the thread draws nothing and checks again every 500 ms (or when switched
  // on).
  void SetEnabled(bool enabled);
  bool IsEnabled() const;

  // Taken at the start of the next frame.
  void SetSettings(const VisualizerSettings& settings);
  VisualizerSettings Settings() const;
  // A music layer: bar pattern and its brightness, background pattern and its brightness.
  void SetMusicLayer(int barPattern, int barBrightness, int backgroundPattern,
                     int backgroundBrightness);
  // Forgets the wave and the column levels (at the start of the next frame).
  void ClearWave();

  // AudioFeed: the newest wave, 256 points as 512 values; at most 512 values are taken, fewer
  // are padded with zeros. Non-finite values count as 0.
  void SetInputWave(std::span<const float> wave) override;

  // The last finished picture, row 0 at the top, 0x00BBGGRR; black before the first frame.
  void CopyPicture(std::span<std::uint32_t, kPixels> out) const;
  std::vector<std::uint32_t> Picture() const;
  // The column levels the last picture was drawn with, 0 to 1.
  std::array<float, kWidth> Levels() const;
  float Hue() const;
  std::uint64_t FrameCount() const;

  // One frame: what the thread does every 15 ms. Callable directly while the thread is not
  // running (tests, benchmarks).
  void RenderFrame();

 private:
  struct Fft;

  void Run();
  void ComputeLevels(const VisualizerSettings& settings, const float* wave);
  void Smooth(const VisualizerSettings& settings);
  void Compose(const VisualizerSettings& settings);

  // Start and Stop one at a time (taken before mutex_).
  std::mutex lifecycleMutex_;
  // Guarded by mutex_.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  VisualizerSettings pending_;
  std::array<float, kWaveValues> pendingWave_{};
  bool waveArrived_ = false;
  bool clearRequested_ = false;
  bool enabled_ = false;
  bool running_ = false;
  bool stopping_ = false;
  std::vector<std::uint32_t> front_;
  std::array<float, kWidth> publishedLevels_{};
  float publishedHue_ = 0;
  std::uint64_t frames_ = 0;

  // The frame's own state: only RenderFrame touches it (one frame at a time).
  std::mutex frameMutex_;
  std::unique_ptr<Fft> fft_;
  std::vector<std::uint32_t> back_;
  std::array<float, kWaveValues> wave_{};
  std::array<float, kWidth> computed_{};
  std::array<float, kWidth> levels_{};
  float hue_ = 0;
  float plasmaPhase_ = 0;

  std::thread thread_;
};

}  // namespace lighting
