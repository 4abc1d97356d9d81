#include <gtest/gtest.h>

#include <functional>

#include "platform/audio/WavFile.h"
#include "platform_audio/WavBytes.h"
#include "support/TempFolder.h"

namespace platform {
namespace {

const std::vector<float> kStereo{0.5f, -0.5f, 0.25f, 0.0f};

struct HostileCase {
  friend void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }
  const char* name;
  std::function<WavBytes()> make;
  const char* reason;  // part of the error text
};

WavBytes WithFields(const WavFields& fields) {
  WavBytes wav;
  wav.Riff(0).Format(fields).Data16(kStereo).FixRiffSize();
  return wav;
}

WavFields Fields(std::function<void(WavFields&)> change) {
  WavFields fields;
  change(fields);
  return fields;
}

class HostileWav : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileWav, IsRefusedWithAReason) {
  const auto result = ParseWav(GetParam().make().Bytes());
  EXPECT_FALSE(result.audio.has_value());
  EXPECT_NE(result.error.find(GetParam().reason), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileWav,
    testing::Values(
        HostileCase{"Empty", [] { return WavBytes(); }, "not a RIFF WAVE"},
        HostileCase{"OnlyTheMagic", [] { return WavBytes().Text("RIFF"); }, "not a RIFF WAVE"},
        HostileCase{"AnotherRiffType", [] { return WavBytes().Text("RIFF").U32(4).Text("AVI "); },
                    "not a RIFF WAVE"},
        HostileCase{"RiffSizeTooSmall", [] { return WavBytes().Text("RIFF").U32(2).Text("WAVE"); },
                    "too small"},
        HostileCase{
            "FormatChunkTooShort",
            [] { return WavBytes().Riff(30).Text("fmt ").U32(14).U32(0).U32(0).U32(0).U16(0); },
            "too short"},
        HostileCase{"TwentyFourBits",
                    [] { return WithFields(Fields([](WavFields& f) { f.bitsPerSample = 24; })); },
                    "only 16-bit"},
        HostileCase{"SixteenBitFloats",
                    [] { return WithFields(Fields([](WavFields& f) { f.formatTag = 3; })); },
                    "only 16-bit"},
        HostileCase{"CompressedFormat",
                    [] { return WithFields(Fields([](WavFields& f) { f.formatTag = 2; })); },
                    "only 16-bit"},
        HostileCase{"NoChannels",
                    [] { return WithFields(Fields([](WavFields& f) { f.channels = 0; })); },
                    "out of range"},
        HostileCase{"FortyChannels",
                    [] { return WithFields(Fields([](WavFields& f) { f.channels = 40; })); },
                    "out of range"},
        HostileCase{"RateZero",
                    [] { return WithFields(Fields([](WavFields& f) { f.sampleRate = 0; })); },
                    "out of range"},
        HostileCase{
            "RateHuge",
            [] { return WithFields(Fields([](WavFields& f) { f.sampleRate = 4000000000u; })); },
            "out of range"},
        HostileCase{"BlockSizeWrong",
                    [] { return WithFields(Fields([](WavFields& f) { f.blockAlign = 3; })); },
                    "block size"},
        HostileCase{"ByteRateWrong",
                    [] { return WithFields(Fields([](WavFields& f) { f.byteRate = 1000; })); },
                    "byte rate"},
        HostileCase{"DataBeforeFormat",
                    [] {
                      WavBytes wav;
                      wav.Riff(0).Data16(kStereo).Format(WavFields{}).FixRiffSize();
                      return wav;
                    },
                    "before its format"},
        HostileCase{
            "TwoFormats",
            [] {
              WavBytes wav;
              wav.Riff(0).Format(WavFields{}).Format(WavFields{}).Data16(kStereo).FixRiffSize();
              return wav;
            },
            "two format"},
        HostileCase{"DataRunsPastTheEnd",
                    [] {
                      WavBytes wav;
                      wav.Riff(0).Format(WavFields{}).Text("data").U32(1000).U32(0).FixRiffSize();
                      return wav;
                    },
                    "past the end"},
        HostileCase{
            "HugeChunkSize",
            [] {
              WavBytes wav;
              wav.Riff(0).Format(WavFields{}).Text("LIST").U32(0xFFFFFFF0u).U32(0).FixRiffSize();
              return wav;
            },
            "past the end"},
        HostileCase{"NoData",
                    [] {
                      WavBytes wav;
                      wav.Riff(0).Format(WavFields{}).FixRiffSize();
                      return wav;
                    },
                    "no sound data"},
        HostileCase{"NoFormat",
                    [] {
                      WavBytes wav;
                      wav.Riff(0).Text("LIST").U32(2).U16(0).FixRiffSize();
                      return wav;
                    },
                    "no format"}),
    [](const auto& info) { return info.param.name; });

TEST(WavFile, SixteenBitStereoIsReadAsFloats) {
  const auto result = ParseWav(Wav16(kStereo, 44100).Bytes());
  ASSERT_TRUE(result.audio) << result.error;
  EXPECT_EQ(result.audio->sampleRate, 44100u);
  EXPECT_EQ(result.audio->channels, 2u);
  ASSERT_EQ(result.audio->samples.size(), kStereo.size());
  for (std::size_t i = 0; i < kStereo.size(); ++i)
    EXPECT_NEAR(result.audio->samples[i], kStereo[i], 1e-4f);
}

TEST(WavFile, FloatMonoAfterAnOddSizedChunkIsReadToBothSides) {
  WavFields fields;
  fields.formatTag = 3;
  fields.channels = 1;
  fields.bitsPerSample = 32;
  WavBytes wav;
  wav.Riff(0).Text("LIST").U32(3).U16(0x4141).Raw(
      std::vector<std::byte>{std::byte{0x41}, std::byte{0}});
  wav.Format(fields).Text("data").U32(10).U32(0x3F000000u).U32(0xBF800000u).U16(0x1234);
  const auto result = ParseWav(wav.FixRiffSize().Bytes());
  ASSERT_TRUE(result.audio) << result.error;
  // The two-byte tail is not a whole frame.
  EXPECT_EQ(result.audio->samples, (std::vector<float>{0.5f, 0.5f, -1.0f, -1.0f}));
}

TEST(WavFile, AnExtensibleHeaderIsResolvedToItsSubFormat) {
  WavBytes wav;
  wav.Riff(0).Text("fmt ").U32(40).U16(0xFFFE).U16(2).U32(48000).U32(192000).U16(4).U16(16);
  wav.U16(22).U16(16).U32(3).U16(1);  // size of the extension, valid bits, channel mask, PCM
  wav.Raw(std::vector<std::byte>{std::byte{0x00}, std::byte{0x00}, std::byte{0x00}, std::byte{0x00},
                                 std::byte{0x10}, std::byte{0x00}, std::byte{0x80}, std::byte{0x00},
                                 std::byte{0x00}, std::byte{0xAA}, std::byte{0x00}, std::byte{0x38},
                                 std::byte{0x9B}, std::byte{0x71}});
  wav.Data16(kStereo);
  const auto result = ParseWav(wav.FixRiffSize().Bytes());
  ASSERT_TRUE(result.audio) << result.error;
  EXPECT_EQ(result.audio->Frames(), 2u);
}

TEST(WavFile, ARiffSizeBeyondTheFileIsBoundedByTheFile) {
  WavBytes wav;
  wav.Riff(0xFFFFFFFFu).Format(WavFields{}).Data16(kStereo);
  const auto result = ParseWav(wav.Bytes());
  ASSERT_TRUE(result.audio) << result.error;
  EXPECT_EQ(result.audio->Frames(), 2u);
}

TEST(WavFile, MissingAndOversizedFilesAreRefused) {
  TempFolder folder;
  EXPECT_FALSE(ReadWavFile(folder / "missing.wav").audio);
  const auto huge = folder / "huge.wav";
  Wav16(kStereo, 48000).Save(huge);
  std::filesystem::resize_file(huge, kMaxWavFileBytes + 1);  // sparse: costs no disk
  const auto result = ReadWavFile(huge);
  EXPECT_FALSE(result.audio);
  EXPECT_NE(result.error.find("too large"), std::string::npos);
  const auto fine = folder / "fine.wav";
  Wav16(kStereo, 48000).Save(fine);
  EXPECT_TRUE(ReadWavFile(fine).audio);
}

TEST(WavFileSource, PlaysEveryFrameAtTheClocksPaceAndFinishes) {
  WavAudio audio;
  audio.sampleRate = 1000;
  audio.channels = 2;
  for (int i = 0; i < 250; ++i) {
    audio.samples.push_back(static_cast<float>(i));
    audio.samples.push_back(-static_cast<float>(i));
  }
  ManualClock clock;
  WavFileSource source(audio, 64, clock.Clock());
  std::mutex mutex;
  std::vector<float> heard;
  ASSERT_TRUE(source.Start([&](const AudioPacket& packet) {
    std::lock_guard lock(mutex);
    EXPECT_EQ(packet.sampleRate, 1000u);
    EXPECT_LE(packet.frames, 64u);
    heard.insert(heard.end(), packet.samples.begin(), packet.samples.end());
  }));
  clock.Advance(std::chrono::milliseconds(100));
  auto heardFrames = [&] {
    std::lock_guard lock(mutex);
    return heard.size() / 2;
  };
  for (int i = 0; i < 2000 && heardFrames() < 100; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(heardFrames(), 100u);  // no more than the clock allows
  clock.Advance(std::chrono::seconds(1));
  for (int i = 0; i < 2000 && source.Status().state != AudioSourceState::Finished; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(source.Status().state, AudioSourceState::Finished);
  source.Stop();
  EXPECT_EQ(heard, audio.samples);
}

}  // namespace
}  // namespace platform
