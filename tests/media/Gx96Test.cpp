// The screen's stored image format: its exact bytes, and refusal of every damaged field.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "protocol/Gx96.h"

namespace protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 2 x 1 pixels, two frames: red and green raw for 100 ms, then blue twice run-length coded
// for 30 ms.
const Bytes kGolden = {0x47, 0x58, 0x39, 0x36, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00,
                       0x02, 0x00, 0x2F, 0xD4, 0x73, 0x11, 0x64, 0x00, 0x00, 0x00,
                       0x04, 0x00, 0x00, 0x00, 0x1E, 0x00, 0x01, 0x00, 0x03, 0x00,
                       0x00, 0x00, 0x00, 0xF8, 0xE0, 0x07, 0x80, 0x1F, 0x00};

Gx96Image GoldenImage() {
  return {2, 1, {{100, {0xF800, 0x07E0}}, {30, {0x001F, 0x001F}}}};
}

TEST(Gx96, EncodesTheDocumentedBytes) {
  EXPECT_EQ(EncodeGx96(GoldenImage()), kGolden);
}

TEST(Gx96, DecodesTheDocumentedBytes) {
  std::string error;
  const auto image = DecodeGx96(kGolden, &error);
  ASSERT_TRUE(image.has_value()) << error;
  EXPECT_EQ(*image, GoldenImage());
}

TEST(Gx96, RunLengthPacketsSplitRunsFromLiterals) {
  const std::uint16_t a = 0x1234, b = 0xABCD, c = 0x0001;
  const Gx96Image image{5, 1, {{40, {a, a, a, b, c}}}};
  const Bytes bytes = EncodeGx96(image, Gx96Coding::kRunLength);
  const Bytes data(bytes.begin() + 24, bytes.end());
  EXPECT_EQ(data, (Bytes{0x81, 0x34, 0x12, 0x01, 0xCD, 0xAB, 0x01, 0x00}));
  EXPECT_EQ(bytes[18], kGx96CodingRunLength);
  EXPECT_EQ(DecodeGx96(bytes), image);
}

TEST(Gx96, LongRunsAndLongLiteralsRoundTripInEveryCoding) {
  std::mt19937 random(7);
  Gx96Image image{240, 136, {}};
  for (int f = 0; f < 3; ++f) {
    Gx96Frame frame{static_cast<std::uint16_t>(30 + f), {}};
    for (int i = 0; i < 240 * 136; ++i) {
      // long runs, then noise, then short runs
      const int zone = (i / 4000) % 3;
      frame.pixels.push_back(zone == 0   ? static_cast<std::uint16_t>(i / 1000)
                             : zone == 1 ? static_cast<std::uint16_t>(random())
                                         : static_cast<std::uint16_t>(i / 2));
    }
    image.frames.push_back(frame);
  }
  for (const auto coding : {Gx96Coding::kRaw, Gx96Coding::kRunLength, Gx96Coding::kSmallest}) {
    const Bytes bytes = EncodeGx96(image, coding);
    std::string error;
    EXPECT_EQ(DecodeGx96(bytes, &error), image) << error;
  }
  EXPECT_LT(EncodeGx96(image).size(), EncodeGx96(image, Gx96Coding::kRaw).size());
}

TEST(Gx96, ImagesThatCannotBeStoredAreNotEncoded) {
  EXPECT_TRUE(EncodeGx96({0, 1, {{10, {}}}}).empty());
  EXPECT_TRUE(EncodeGx96({1, 1, {}}).empty());
  EXPECT_TRUE(EncodeGx96({1, 1, {{0, {1}}}}).empty());
  EXPECT_TRUE(EncodeGx96({2, 1, {{10, {1}}}}).empty());
  EXPECT_TRUE(EncodeGx96({1025, 1, {{10, std::vector<std::uint16_t>(1025)}}}).empty());
}

TEST(Gx96, Crc32MatchesTheCommonCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
}

TEST(Gx96, Rgb565KeepsTheHighBitsAndRepeatsThemBack) {
  EXPECT_EQ(Rgb565(255, 0, 0), 0xF800);
  EXPECT_EQ(Rgb565(0, 255, 0), 0x07E0);
  EXPECT_EQ(Rgb565(0, 0, 255), 0x001F);
  EXPECT_EQ(FromRgb565(0xF800), (Rgb888{255, 0, 0}));
  EXPECT_EQ(FromRgb565(Rgb565(0x84, 0x82, 0x88)), (Rgb888{0x84, 0x82, 0x8C}));
}

// --- hostile input: each case damages one field and fixes the checksum, so the field's own
// check must catch it ---

struct HostileCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  bool fixChecksum = true;
};

void FixChecksum(Bytes& bytes) {
  if (bytes.size() < kGx96HeaderLength) return;
  const std::uint32_t crc = Crc32(std::span<const std::uint8_t>(bytes).subspan(kGx96HeaderLength));
  for (int i = 0; i < 4; ++i) bytes[12 + static_cast<std::size_t>(i)] = (crc >> (8 * i)) & 0xFF;
}

class HostileGx96 : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileGx96, IsRefused) {
  Bytes bytes = kGolden;
  GetParam().damage(bytes);
  if (GetParam().fixChecksum) FixChecksum(bytes);
  std::string error;
  EXPECT_FALSE(DecodeGx96(bytes, &error).has_value());
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, HostileGx96,
    ::testing::Values(HostileCase{"Empty", [](Bytes& b) { b.clear(); }},
                      HostileCase{"ShorterThanTheHeader", [](Bytes& b) { b.resize(15); }},
                      HostileCase{"WrongMagic", [](Bytes& b) { b[0] = 'g'; }},
                      HostileCase{"LaterVersion", [](Bytes& b) { b[4] = 2; }},
                      HostileCase{"UnknownFlags", [](Bytes& b) { b[5] = 1; }},
                      HostileCase{"ZeroWidth", [](Bytes& b) { b[6] = 0; }},
                      HostileCase{"TooWide", [](Bytes& b) { b[6] = 0x01, b[7] = 0x04; }},
                      HostileCase{"ZeroHeight", [](Bytes& b) { b[8] = 0; }},
                      HostileCase{"NoFrames", [](Bytes& b) { b[10] = 0; }},
                      HostileCase{"MoreFramesThanTheTable", [](Bytes& b) { b[10] = 200; }},
                      HostileCase{"AbsurdFrameCount", [](Bytes& b) { b[10] = 0xFF, b[11] = 0xFF; }},
                      HostileCase{"ChecksumWrong", [](Bytes& b) { b[36] ^= 1; }, false},
                      HostileCase{"ZeroDelay", [](Bytes& b) { b[16] = 0; }},
                      HostileCase{"UnknownCoding", [](Bytes& b) { b[18] = 2; }},
                      HostileCase{"ReservedByteSet", [](Bytes& b) { b[19] = 1; }},
                      HostileCase{"RawLengthWrong", [](Bytes& b) { b[20] = 3, b[28] = 4; }},
                      HostileCase{"LengthBeyondTheFile", [](Bytes& b) { b[31] = 0x80; }},
                      HostileCase{"RunLongerThanTheFrame", [](Bytes& b) { b[36] = 0x81; }},
                      HostileCase{"RunShorterThanTheFrame",
                                  [](Bytes& b) {
                                    // a one-pixel literal where two pixels are needed
                                    b[36] = 0x00;
                                  }},
                      HostileCase{"LiteralCutShort",
                                  [](Bytes& b) {
                                    b[36] = 0x05;  // six pixels announced, one present
                                  }},
                      HostileCase{"BytesAfterTheLastFrame", [](Bytes& b) { b.push_back(0); }},
                      HostileCase{"TableCutShort", [](Bytes& b) { b.resize(20); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace protocol
