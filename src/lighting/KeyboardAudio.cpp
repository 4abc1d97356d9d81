#include "lighting/KeyboardAudio.h"

#include <algorithm>

#include "base/Log.h"

namespace lighting {

KeyboardAudio::KeyboardAudio(std::unique_ptr<platform::AudioSource> source,
                             platform::MonotonicClock clock)
    : source_(std::move(source)), analyser_(std::move(clock)) {
  snapshot_ = analyser_.Results();
}

KeyboardAudio::~KeyboardAudio() {
  StopAudioCapture();
}

bool KeyboardAudio::StartAudioCapture() {
  {
    std::lock_guard lock(runMutex_);
    if (started_) return false;
    started_ = true;
    running_ = true;
  }
  if (source_ &&
      !source_->Start([this](const platform::AudioPacket& packet) { QueuePacket(packet); }))
    base::DebugLog("sound: the source did not start; the analysis stays idle");
  loop_ = std::thread([this] { RunLoop(); });
  return true;
}

void KeyboardAudio::StopAudioCapture() {
  if (source_) source_->Stop();
  {
    std::lock_guard lock(runMutex_);
    running_ = false;
  }
  wake_.notify_all();
  if (loop_.joinable()) loop_.join();
}

void KeyboardAudio::RunLoop() {
  std::unique_lock lock(runMutex_);
  while (running_) {
    lock.unlock();
    CaptureStep();
    lock.lock();
    wake_.wait_for(lock, kStepPeriod, [this] { return !running_; });
  }
}

void KeyboardAudio::AddFeed(AudioFeed& feed) {
  std::lock_guard lock(feedsMutex_);
  if (std::find(feeds_.begin(), feeds_.end(), &feed) == feeds_.end()) feeds_.push_back(&feed);
}

void KeyboardAudio::RemoveFeed(AudioFeed& feed) {
  std::lock_guard lock(feedsMutex_);
  feeds_.erase(std::remove(feeds_.begin(), feeds_.end(), &feed), feeds_.end());
}

void KeyboardAudio::SetWaveGain(int gain) {
  waveGain_.store(std::clamp(gain, 0, AudioAnalyser::kMaxWaveGain));
}

AudioAnalysis KeyboardAudio::Snapshot() const {
  AudioAnalysis copy;
  {
    std::lock_guard lock(snapshotMutex_);
    copy = snapshot_;
  }
  if (source_) copy.source = source_->Status();
  return copy;
}

std::uint64_t KeyboardAudio::FramesDropped() const {
  std::lock_guard lock(queueMutex_);
  return framesDropped_;
}

void KeyboardAudio::QueuePacket(const platform::AudioPacket& packet) {
  const std::size_t frames = std::min(packet.frames, packet.samples.size() / 2);
  if (frames == 0) return;
  QueuedPacket queued{{packet.samples.begin(), packet.samples.begin() + 2 * frames},
                      packet.sampleRate};
  std::lock_guard lock(queueMutex_);
  queuedFrames_ += frames;
  queue_.push_back(std::move(queued));
  while (queuedFrames_ > kMaxQueuedFrames && queue_.size() > 1) {
    const std::size_t oldest = queue_.front().samples.size() / 2;
    queuedFrames_ -= oldest;
    framesDropped_ += oldest;
    queue_.pop_front();
  }
}

bool KeyboardAudio::CaptureStep() {
  std::lock_guard step(stepMutex_);
  {
    std::lock_guard lock(queueMutex_);
    taken_.swap(queue_);
    queuedFrames_ = 0;
  }
  if (taken_.empty()) return false;
  analyser_.SetWaveGain(waveGain_.load());
  for (const QueuedPacket& packet : taken_)
    analyser_.AddPacket({packet.samples, packet.samples.size() / 2, packet.sampleRate});
  taken_.clear();
  const bool sound = analyser_.FinishStep();
  const AudioAnalysis& results = analyser_.Results();
  {
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = results;
  }
  if (sound) FeedEffectViews(results);
  return sound;
}

void KeyboardAudio::FeedEffectViews(const AudioAnalysis& r) {
  std::lock_guard lock(feedsMutex_);
  for (AudioFeed* feed : feeds_) {
    feed->SetAudioData(r.bands);
    feed->SetMasterVolume(kMasterVolume);
    feed->SetInputWave(r.wave);
    feed->SetExternalAudioData(r.level, r.peakHold, r.averageLevel, r.levelPercent, r.rms);
    feed->SetFFTSpectrum(r.bands32, r.bands64);
    feed->SetBeatData(r.beat ? 1 : 0, r.beatIntensity, r.tempo, r.bass, r.mid, r.treble);
  }
}

}  // namespace lighting
