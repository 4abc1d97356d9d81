#include "platform/audio/PacedDelivery.h"

#include <algorithm>

namespace platform {
namespace {

// How often the delivery thread looks at the clock. Short against the 16 ms analysis step.
constexpr std::chrono::milliseconds kPollPeriod{4};

}  // namespace

PacedDelivery::PacedDelivery(unsigned sampleRate, std::size_t packetFrames, MonotonicClock clock,
                             std::string device)
    : sampleRate_(std::max(1u, sampleRate)),
      packetFrames_(std::max<std::size_t>(1, packetFrames)),
      clock_(std::move(clock)) {
  status_.device = std::move(device);
  status_.sampleRate = sampleRate_;
}

PacedDelivery::~PacedDelivery() {
  Stop();
}

bool PacedDelivery::Start(Producer producer, AudioSource::PacketHandler handler) {
  std::lock_guard lock(mutex_);
  if (started_ || !producer || !handler || !clock_) return false;
  started_ = true;
  running_ = true;
  producer_ = std::move(producer);
  handler_ = std::move(handler);
  buffer_.assign(packetFrames_ * 2, 0.0f);
  status_.state = AudioSourceState::Capturing;
  const auto start = clock_();  // the pace counts from the call, not from the thread's start
  thread_ = std::thread([this, start] { Run(start); });
  return true;
}

void PacedDelivery::Stop() {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  if (status_.state != AudioSourceState::Finished) status_.state = AudioSourceState::Stopped;
}

AudioSourceStatus PacedDelivery::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::size_t PacedDelivery::FramesDue(std::chrono::nanoseconds elapsed) const {
  if (elapsed.count() <= 0) return 0;
  // Whole seconds and the rest apart, so that the product cannot overflow on a long run.
  const auto seconds = elapsed.count() / 1'000'000'000;
  const auto rest = elapsed.count() % 1'000'000'000;
  return static_cast<std::size_t>(seconds) * sampleRate_ +
         static_cast<std::size_t>(rest * sampleRate_ / 1'000'000'000);
}

bool PacedDelivery::DeliverPacket(std::size_t frames) {
  const std::size_t made = std::min(frames, producer_(std::span(buffer_).first(frames * 2)));
  if (made > 0) {
    handler_(AudioPacket{std::span<const float>(buffer_).first(made * 2), made, sampleRate_});
    std::lock_guard lock(mutex_);
    ++status_.packets;
  }
  return made == frames;
}

void PacedDelivery::SetState(AudioSourceState state) {
  std::lock_guard lock(mutex_);
  status_.state = state;
}

void PacedDelivery::Run(std::chrono::nanoseconds start) {
  std::size_t delivered = 0;
  std::unique_lock lock(mutex_);
  while (running_) {
    lock.unlock();
    const std::size_t due = FramesDue(clock_() - start);
    bool more = true;
    while (more && delivered < due) {
      const std::size_t frames = std::min(packetFrames_, due - delivered);
      more = DeliverPacket(frames);
      delivered += frames;
      std::lock_guard check(mutex_);
      if (!running_) break;
    }
    if (!more) {
      SetState(AudioSourceState::Finished);
      return;
    }
    lock.lock();
    wake_.wait_for(lock, kPollPeriod, [this] { return !running_; });
  }
}

}  // namespace platform
