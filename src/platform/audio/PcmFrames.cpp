#include "platform/audio/PcmFrames.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the sample decoding below reads little-endian values in place");

float ReadSample(const std::byte* at, PcmFormat format) {
  switch (format) {
    case PcmFormat::Float32Le: {
      float value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
    case PcmFormat::Int16Le: {
      std::int16_t value;
      std::memcpy(&value, at, sizeof value);
      return static_cast<float>(value) / 32768.0f;
    }
    case PcmFormat::Int32Le: {
      std::int32_t value;
      std::memcpy(&value, at, sizeof value);
      return static_cast<float>(static_cast<double>(value) / 2147483648.0);
    }
  }
  return 0.0f;
}

}  // namespace

std::size_t BytesPerSample(PcmFormat format) {
  switch (format) {
    case PcmFormat::Float32Le:
    case PcmFormat::Int32Le:
      return 4;
    case PcmFormat::Int16Le:
      return 2;
  }
  return 0;
}

bool IsUsableLayout(const PcmLayout& layout) {
  return layout.channels >= 1 && layout.channels <= kMaxPcmChannels &&
         layout.sampleRate >= kMinPcmRate && layout.sampleRate <= kMaxPcmRate &&
         BytesPerSample(layout.format) != 0;
}

void AppendStereoFrames(std::span<const std::byte> bytes, const PcmLayout& layout,
                        std::vector<float>& out) {
  const std::size_t sampleBytes = BytesPerSample(layout.format);
  const std::size_t frameBytes = sampleBytes * layout.channels;
  if (frameBytes == 0) return;
  const std::size_t frames = bytes.size() / frameBytes;
  out.reserve(out.size() + frames * 2);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const std::byte* at = bytes.data() + frame * frameBytes;
    const float left = ReadSample(at, layout.format);
    const float right = layout.channels > 1 ? ReadSample(at + sampleBytes, layout.format) : left;
    out.push_back(left);
    out.push_back(right);
  }
}

FrameAssembler::FrameAssembler(const PcmLayout& layout)
    : layout_(layout), frameBytes_(BytesPerSample(layout.format) * layout.channels) {
  partial_.resize(frameBytes_);
}

std::span<const float> FrameAssembler::Add(std::span<const std::byte> bytes) {
  out_.clear();
  if (frameBytes_ == 0) return {};
  if (partialBytes_ > 0) {
    const std::size_t take = std::min(frameBytes_ - partialBytes_, bytes.size());
    if (take > 0) std::memcpy(partial_.data() + partialBytes_, bytes.data(), take);
    partialBytes_ += take;
    bytes = bytes.subspan(take);
    if (partialBytes_ < frameBytes_) return {};
    AppendStereoFrames(partial_, layout_, out_);
    partialBytes_ = 0;
  }
  const std::size_t whole = bytes.size() / frameBytes_ * frameBytes_;
  AppendStereoFrames(bytes.first(whole), layout_, out_);
  const auto rest = bytes.subspan(whole);
  if (!rest.empty()) std::memcpy(partial_.data(), rest.data(), rest.size());
  partialBytes_ = rest.size();
  return out_;
}

}  // namespace platform
