#pragma once
// Turns PCM bytes as they arrive (any chunking, partial frames included) into interleaved
// stereo float32 frames. Only the formats listed here are decoded; bytes of any other format
// are never reinterpreted as floats.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace platform {

enum class PcmFormat { Float32Le, Int16Le, Int32Le };

struct PcmLayout {
  PcmFormat format = PcmFormat::Float32Le;
  unsigned channels = 2;
  unsigned sampleRate = 48000;
};

constexpr unsigned kMaxPcmChannels = 32;
constexpr unsigned kMinPcmRate = 1000;
constexpr unsigned kMaxPcmRate = 384000;

std::size_t BytesPerSample(PcmFormat format);
// Channels and rate within the limits above.
bool IsUsableLayout(const PcmLayout& layout);

// Decodes whole frames into stereo: a single channel goes to both sides, channels beyond the
// first two are left out. `bytes` must hold exactly `frames` frames of the layout.
void AppendStereoFrames(std::span<const std::byte> bytes, const PcmLayout& layout,
                        std::vector<float>& out);

class FrameAssembler {
 public:
  // The layout must be usable (IsUsableLayout).
  explicit FrameAssembler(const PcmLayout& layout);

  // Takes the next bytes of the stream and returns the stereo frames they complete. A partial
  // frame at the end is kept and completed by the next call. The result stays valid until
  // the next call.
  std::span<const float> Add(std::span<const std::byte> bytes);
  // Forgets a partial frame, after a gap in the stream.
  void DropPartialFrame() { partialBytes_ = 0; }

  const PcmLayout& Layout() const { return layout_; }
  std::size_t FrameBytes() const { return frameBytes_; }

 private:
  PcmLayout layout_;
  std::size_t frameBytes_;
  std::vector<std::byte> partial_;
  std::size_t partialBytes_ = 0;
  std::vector<float> out_;
};

}  // namespace platform
