#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/audio/PcmFrames.h"

namespace platform {
namespace {

std::vector<std::byte> FloatBytes(const std::vector<float>& values) {
  std::vector<std::byte> bytes(values.size() * 4);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

std::vector<std::byte> Int16Bytes(const std::vector<std::int16_t>& values) {
  std::vector<std::byte> bytes(values.size() * 2);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

// Feeds the bytes in chunks of the given size and gathers every frame that comes out.
std::vector<float> Assemble(FrameAssembler& assembler, std::span<const std::byte> bytes,
                            std::size_t chunk) {
  std::vector<float> out;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    const auto frames = assembler.Add(bytes.subspan(at, std::min(chunk, bytes.size() - at)));
    out.insert(out.end(), frames.begin(), frames.end());
  }
  return out;
}

class FrameAssemblerChunks : public testing::TestWithParam<std::size_t> {};

TEST_P(FrameAssemblerChunks, PartialFramesAreCompletedByTheNextBytes) {
  std::vector<float> samples;
  for (int i = 0; i < 200; ++i) samples.push_back(static_cast<float>(i) / 256.0f - 0.3f);
  const auto bytes = FloatBytes(samples);
  FrameAssembler assembler({PcmFormat::Float32Le, 2, 48000});
  EXPECT_EQ(Assemble(assembler, bytes, GetParam()), samples);
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, FrameAssemblerChunks,
                         testing::Values(1u, 3u, 5u, 7u, 8u, 13u, 64u, 799u, 800u));

TEST(FrameAssembler, SixteenBitSamplesAreConvertedNotReadAsFloats) {
  FrameAssembler assembler({PcmFormat::Int16Le, 2, 44100});
  const auto bytes = Int16Bytes({0, 16384, -32768, 32767, -16384, 1});
  EXPECT_EQ(Assemble(assembler, bytes, 5),
            (std::vector<float>{0.0f, 0.5f, -1.0f, 32767.0f / 32768, -0.5f, 1.0f / 32768}));
}

TEST(FrameAssembler, OneChannelGoesToBothSidesAndExtraChannelsAreLeftOut) {
  FrameAssembler mono({PcmFormat::Float32Le, 1, 48000});
  EXPECT_EQ(Assemble(mono, FloatBytes({0.25f, -0.5f}), 3),
            (std::vector<float>{0.25f, 0.25f, -0.5f, -0.5f}));
  FrameAssembler six({PcmFormat::Int32Le, 6, 48000});
  std::vector<std::int32_t> values{1 << 30, -(1 << 30), 5, 6, 7, 8};
  std::vector<std::byte> bytes(values.size() * 4);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  EXPECT_EQ(Assemble(six, bytes, 7), (std::vector<float>{0.5f, -0.5f}));
}

TEST(FrameAssembler, AGapDropsThePartialFrameSoAlignmentIsNotLost) {
  FrameAssembler assembler({PcmFormat::Float32Le, 2, 48000});
  const auto bytes = FloatBytes({0.1f, 0.2f, 0.3f, 0.4f});
  EXPECT_TRUE(assembler.Add(std::span(bytes).first(5)).empty());
  assembler.DropPartialFrame();
  const auto frames = assembler.Add(bytes);
  EXPECT_EQ(std::vector<float>(frames.begin(), frames.end()),
            (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
}

TEST(PcmLayout, ChannelsAndRatesOutOfRangeAreUnusable) {
  EXPECT_TRUE(IsUsableLayout({PcmFormat::Float32Le, 2, 48000}));
  EXPECT_FALSE(IsUsableLayout({PcmFormat::Float32Le, 0, 48000}));
  EXPECT_FALSE(IsUsableLayout({PcmFormat::Float32Le, 33, 48000}));
  EXPECT_FALSE(IsUsableLayout({PcmFormat::Float32Le, 2, 0}));
  EXPECT_FALSE(IsUsableLayout({PcmFormat::Float32Le, 2, 384001}));
}

}  // namespace
}  // namespace platform
