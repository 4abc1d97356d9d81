#pragma once
// Listens to what the computer plays and keeps the music-following views fed: a thread takes
// the sound source's packets every 16 ms, analyses them (AudioAnalyser) and hands the results
// to every registered AudioFeed.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "lighting/AudioAnalyser.h"
#include "lighting/AudioFeed.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/MonotonicClock.h"

namespace lighting {

class KeyboardAudio {
 public:
  static constexpr std::chrono::milliseconds kStepPeriod{16};
  static constexpr float kMasterVolume = 1.0f;
  // Sound waiting for the next step beyond this is dropped, oldest first (a stalled step
  // loop must not hoard memory).
  static constexpr std::size_t kMaxQueuedFrames = 48000;

  // Without a source the loop runs and finds nothing to do.
  explicit KeyboardAudio(std::unique_ptr<platform::AudioSource> source,
                         platform::MonotonicClock clock = platform::SteadyClock());
  ~KeyboardAudio();
  KeyboardAudio(const KeyboardAudio&) = delete;
  KeyboardAudio& operator=(const KeyboardAudio&) = delete;

  // Starts the source and the 16 ms step loop. Only once: later calls return false.
  bool StartAudioCapture();
  // Stops the source and waits for the loop to end. Safe to call more than once.
  void StopAudioCapture();

  // Feeds are called after every step that received sound. RemoveFeed waits for a call in
  // progress; once it returns the feed is not called again. Both are thread-safe.
  void AddFeed(AudioFeed& feed);
  void RemoveFeed(AudioFeed& feed);

  // Scale of the wave points (the music layer's amplitude). Thread-safe.
  void SetWaveGain(int gain);

  // A consistent copy of every result and of the source's state. Thread-safe.
  AudioAnalysis Snapshot() const;

  // What the loop does, callable directly too (tests, tools); both are thread-safe.
  // QueuePacket is what the source's thread calls.
  void QueuePacket(const platform::AudioPacket& packet);
  // Analyses the queued packets; when sound was among them, feeds the views. Returns
  // whether it did. One step at a time: a direct call waits for the loop's step.
  bool CaptureStep();

  std::uint64_t FramesDropped() const;

 private:
  struct QueuedPacket {
    std::vector<float> samples;
    unsigned sampleRate = 0;
  };

  void RunLoop();
  void FeedEffectViews(const AudioAnalysis& results);

  const std::unique_ptr<platform::AudioSource> source_;
  std::mutex stepMutex_;  // the step's own state below
  AudioAnalyser analyser_;
  std::deque<QueuedPacket> taken_;

  mutable std::mutex queueMutex_;
  std::deque<QueuedPacket> queue_;
  std::size_t queuedFrames_ = 0;
  std::uint64_t framesDropped_ = 0;

  std::mutex feedsMutex_;
  std::vector<AudioFeed*> feeds_;

  std::atomic<int> waveGain_{AudioAnalyser::kDefaultWaveGain};

  mutable std::mutex snapshotMutex_;
  AudioAnalysis snapshot_;

  std::mutex runMutex_;
  std::condition_variable wake_;
  bool started_ = false;
  bool running_ = false;
  std::thread loop_;
};

}  // namespace lighting
