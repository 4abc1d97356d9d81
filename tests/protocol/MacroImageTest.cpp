#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "protocol/Commands.h"
#include "protocol/Frame.h"
#include "protocol/MacroImage.h"

namespace {

using protocol::BuildMacroImage;
using protocol::EncodedMacroEvent;
using protocol::MacroImageEvent;
using protocol::WheelStep;
namespace me = protocol::macro_event;

using Bytes = std::vector<std::uint8_t>;
using Macro = std::vector<MacroImageEvent>;

MacroImageEvent Key(int type, int virtualKey, int usage, int delay) {
  return {type, virtualKey, delay, usage, WheelStep::kNone};
}
MacroImageEvent Button(int type, int bit, int delay, WheelStep wheel = WheelStep::kNone) {
  return {type, bit, delay, 0, wheel};
}
// A macro of `count` key events of A.
Macro Keys(std::size_t count) {
  return Macro(count, Key(me::kKeyDown, 0x41, 0x04, 10));
}

struct EncodingCase {
  const char* what;
  MacroImageEvent event;
  EncodedMacroEvent encoded;
};

// Named by what they are in the test listing.
void PrintTo(const EncodingCase& encodingCase, std::ostream* out) {
  *out << encodingCase.what;
}

class EventEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(EventEncoding, WritesTheCodeAndFlagsTheKeyboardPlays) {
  EXPECT_EQ(protocol::EncodeMacroEvent(GetParam().event), GetParam().encoded) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventEncoding,
    ::testing::Values(
        EncodingCase{"A down", Key(me::kKeyDown, 0x41, 0x04, 50), {50, 0x04, 0x81}},
        EncodingCase{"A up", Key(me::kKeyUp, 0x41, 0x04, 10), {10, 0x04, 0x01}},
        EncodingCase{"left shift down", Key(me::kKeyDown, 0xA0, 0xE1, 10), {10, 0xA0, 0x82}},
        EncodingCase{"right alt up", Key(me::kKeyUp, 0xA5, 0xE6, 7), {7, 0xA5, 0x02}},
        EncodingCase{"left windows down", Key(me::kKeyDown, 0x5B, 0xE3, 1), {1, 0x5B, 0x82}},
        EncodingCase{"right mouse down", Button(me::kButtonDown, 2, 20), {20, 0x02, 0x83}},
        EncodingCase{"right mouse up", Button(me::kButtonUp, 2, 10), {10, 0x02, 0x03}},
        EncodingCase{
            "wheel step down", Button(me::kButtonDown, 1, 5, WheelStep::kUp), {5, 0x44, 0x07}},
        EncodingCase{"scroll up", Button(me::kButtonUp, 1, 5, WheelStep::kUp), {5, 0x44, 0x01}},
        EncodingCase{"scroll down", Button(me::kButtonUp, 1, 5, WheelStep::kDown), {5, 0x44, 0xFF}},
        EncodingCase{"a pause waits its milliseconds and its delay",
                     {me::kDelay, 500, 10, 0, WheelStep::kNone},
                     {510, 0x00, 0x00}},
        EncodingCase{
            "a delay beyond 16 bits", Key(me::kKeyDown, 0x41, 0x04, 70000), {65535, 0x04, 0x81}}));

TEST(MacroImage, ThreeMacrosWithAnEmptySecondOneGiveTheDocumentedBytes) {
  const std::vector<Macro> macros = {
      {Key(me::kKeyDown, 0x41, 0x04, 50), Key(me::kKeyUp, 0x41, 0x04, 10)},
      {},
      {Key(me::kKeyDown, 0xA0, 0xE1, 10), Button(me::kButtonDown, 1, 20),
       Button(me::kButtonUp, 1, 300)}};
  const auto image = BuildMacroImage(macros, 4096);
  ASSERT_TRUE(image);
  const Bytes expected = {
      0xAA, 0x55, 42,   0x00, 0x03, 0x00, 0x00, 0x00,  // header: length 42, three macros
      0x0E, 0x00, 0x00, 0x00, 0x1A, 0x00,              // offsets 14, none, 26
      0x02, 0x00, 0x00, 0x00,                          // macro 1: two events
      0x32, 0x00, 0x04, 0x81, 0x0A, 0x00, 0x04, 0x01,  //
      0x03, 0x00, 0x00, 0x00,                          // macro 3: three events
      0x0A, 0x00, 0xA0, 0x82, 0x14, 0x00, 0x01, 0x83, 0x2C, 0x01, 0x01, 0x03};
  EXPECT_EQ(image->bytes, expected);
  EXPECT_TRUE(image->complete);
  EXPECT_EQ(image->eventsWritten, (std::vector<std::size_t>{2, 0, 3}));
}

TEST(MacroImage, An112ByteImageGoesOutInThreeCableFramesAndFiveReceiverFrames) {
  // Two macros of 11 and 12 events: 8 + 4 + 8 + 23 x 4 = 112 bytes.
  const auto image = BuildMacroImage(std::vector<Macro>{Keys(11), Keys(12)}, 4096);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->bytes.size(), 112u);
  using protocol::Chunk;
  EXPECT_EQ(protocol::DownloadChunks(image->bytes.size(), protocol::kLongChunkSize),
            (std::vector<Chunk>{{0, 56}, {56, 56}, {112, 0}}));
  EXPECT_EQ(protocol::DownloadChunks(image->bytes.size(), protocol::kShortChunkSize),
            (std::vector<Chunk>{{0, 24}, {24, 24}, {48, 24}, {72, 24}, {96, 16}}));
}

TEST(MacroImage, StopsAtTheLastWholeEventThatFits) {
  // A 1024-byte memory and 1500 bytes of events: only whole events, counts that match them.
  const auto image = BuildMacroImage(std::vector<Macro>{Keys(200), Keys(170)}, 1024);
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->complete);
  EXPECT_LE(image->bytes.size(), 1024u);
  EXPECT_EQ(image->bytes[2] | image->bytes[3] << 8, static_cast<int>(image->bytes.size()));
  const auto parsed = protocol::ParseMacroImage(image->bytes);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->macros.size(), 2u);
  EXPECT_EQ(parsed->macros[0].size(), 200u);
  EXPECT_EQ(parsed->macros[0].size() + parsed->macros[1].size(), (1024u - 12 - 8) / 4);
  EXPECT_EQ(image->eventsWritten[1], parsed->macros[1].size());
}

TEST(MacroImage, AMacroWhoseBodyDoesNotFitKeepsOffsetZero) {
  const auto image = BuildMacroImage(std::vector<Macro>{Keys(3), Keys(1)}, 12 + 16 + 7);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bytes.size(), 28u);
  EXPECT_EQ(image->bytes[10], 0);
  EXPECT_EQ(image->bytes[11], 0);
  EXPECT_FALSE(image->complete);
}

TEST(MacroImage, NothingWhenNotEvenTheTableFitsOrTheMemoryIsUnknown) {
  EXPECT_FALSE(BuildMacroImage(std::vector<Macro>{Keys(1), Keys(1)}, 11));
  EXPECT_FALSE(BuildMacroImage(std::vector<Macro>{Keys(1)}, 0));
}

TEST(MacroImage, AFullImageNeverGrowsBeyond4224Bytes) {
  std::vector<Macro> macros(10, Keys(400));
  const auto image = BuildMacroImage(macros, 65536);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bytes.size(), protocol::kMacroImageMaxLength);
  const auto parsed = protocol::ParseMacroImage(image->bytes);
  ASSERT_TRUE(parsed);
  std::size_t events = 0;
  for (const auto& macro : parsed->macros) events += macro.size();
  // Three bodies fill it: 400, 400 and the 246 whole events that are left.
  EXPECT_EQ(events, (4224u - 28 - 3 * 4) / 4);
  EXPECT_EQ(image->eventsWritten, (std::vector<std::size_t>{400, 400, 246, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(MacroImage, RoomForAMacroCountsItsOwnBodyHeader) {
  // Ten macros, nine with events: the tenth may take what is left after its own body header.
  std::vector<std::size_t> counts(10, 100);
  counts[9] = 0;
  const std::size_t fit = protocol::MacroEventsThatFit(counts, 9, 4096);
  EXPECT_EQ(fit, (4096u - 8 - 20 - 40 - 900 * 4) / 4);
  std::vector<Macro> macros(9, Keys(100));
  macros.push_back(Keys(fit));
  EXPECT_TRUE(BuildMacroImage(macros, 4096)->complete);
  macros.back() = Keys(fit + 1);
  EXPECT_FALSE(BuildMacroImage(macros, 4096)->complete);
  EXPECT_EQ(protocol::MacroEventsThatFit(counts, 0, 64), 0u);
}

TEST(MacroImage, WhatIsBuiltReadsBackAsTheEventsItWasBuiltFrom) {
  const std::vector<Macro> macros = {
      {Key(me::kKeyDown, 0xA2, 0xE0, 30), Key(me::kKeyDown, 0x43, 0x06, 15),
       Key(me::kKeyUp, 0x43, 0x06, 0), Key(me::kKeyUp, 0xA2, 0xE0, 10)},
      {},
      {},
      {{me::kDelay, 2500, 10, 0, WheelStep::kNone},
       Button(me::kButtonDown, 4, 40),
       Button(me::kButtonUp, 4, 40),
       Button(me::kButtonUp, 1, 5, WheelStep::kDown)},
      Keys(37)};
  const auto image = BuildMacroImage(macros, protocol::kMacroImageMaxLength);
  ASSERT_TRUE(image);
  // The keyboard reads its whole memory back: what follows the image must not matter.
  Bytes memory = image->bytes;
  memory.resize(protocol::kMacroImageMaxLength, 0xEE);
  std::string problem;
  const auto parsed = protocol::ParseMacroImage(memory, &problem);
  ASSERT_TRUE(parsed) << problem;
  EXPECT_EQ(parsed->length, image->bytes.size());
  ASSERT_EQ(parsed->macros.size(), macros.size());
  for (std::size_t m = 0; m < macros.size(); ++m) {
    std::vector<EncodedMacroEvent> expected;
    for (const MacroImageEvent& event : macros[m])
      expected.push_back(protocol::EncodeMacroEvent(event));
    EXPECT_EQ(parsed->macros[m], expected) << "macro " << m + 1;
  }
}

struct HostileImage {
  const char* what;
  Bytes bytes;
};

void PrintTo(const HostileImage& image, std::ostream* out) {
  *out << image.what;
}

class HostileImages : public ::testing::TestWithParam<HostileImage> {};

// Every field that says where or how much is at its worst; the reader stays inside the bytes
// it was given (the address sanitizer build checks that) and says what is wrong.
TEST_P(HostileImages, AreRefusedWithoutReadingPastTheirBytes) {
  const Bytes& bytes = GetParam().bytes;
  std::string problem;
  EXPECT_FALSE(protocol::ParseMacroImage(bytes, &problem));
  EXPECT_FALSE(problem.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HostileImages,
    ::testing::Values(
        HostileImage{"shorter than a header", {0xAA, 0x55, 8, 0, 0, 0, 0}},
        HostileImage{"a length beyond the bytes", {0xAA, 0x55, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0}},
        HostileImage{"a length inside the header", {0xAA, 0x55, 4, 0, 0, 0, 0, 0}},
        HostileImage{"65535 macros", {0xAA, 0x55, 10, 0, 0xFF, 0xFF, 0, 0, 0, 0}},
        HostileImage{"a body at the end of the address space",
                     {0xAA, 0x55, 10, 0, 1, 0, 0, 0, 0xFF, 0xFF}},
        HostileImage{"a body inside the offset table",
                     {0xAA, 0x55, 14, 0, 1, 0, 0, 0, 8, 0, 1, 0, 0, 0}},
        HostileImage{"a body header cut by the length",
                     {0xAA, 0x55, 12, 0, 1, 0, 0, 0, 10, 0, 0, 0, 0, 0}},
        HostileImage{"65535 events in a short body",
                     {0xAA, 0x55, 18, 0, 1, 0, 0, 0, 10, 0, 0xFF, 0xFF, 0, 0, 1, 0, 4, 0x81}},
        HostileImage{"a last event cut in half",
                     {0xAA, 0x55, 16, 0, 1, 0, 0, 0, 10, 0, 1, 0, 0, 0, 1, 0, 4, 0x81}}));

TEST(MacroImage, TheReaderRefusesImagesThatPointOutside) {
  const Bytes good = BuildMacroImage(std::vector<Macro>{Keys(2), Keys(1)}, 4096)->bytes;
  ASSERT_TRUE(protocol::ParseMacroImage(good));
  Bytes longCount = good;
  longCount[12] = 9;  // the first body claims nine events
  Bytes overlapping = good;
  overlapping[10] = 14;  // the second body starts inside the first
  Bytes shortLength = good;
  shortLength[2] = 20;
  Bytes marker = good;
  marker[1] = 0x54;
  for (const Bytes& bad : {longCount, overlapping, shortLength, marker}) {
    std::string problem;
    EXPECT_FALSE(protocol::ParseMacroImage(bad, &problem));
    EXPECT_FALSE(problem.empty());
  }
  EXPECT_FALSE(protocol::ParseMacroImage(Bytes(good.begin(), good.begin() + 5)));
}

}  // namespace
