#include <gtest/gtest.h>

#include "macros/MacroEvents.h"
#include "macros/MacroFile.h"

namespace {

using macros::MacroEvent;
namespace me = protocol::macro_event;

TEST(MacroEvents, TextFormReadsKeysButtonsPausesAndDelays) {
  std::string error;
  const auto events =
      macros::ParseEvents("down:A 50 up:a 20 click:left wait:300 tap:PageUp", &error);
  ASSERT_TRUE(events) << error;
  ASSERT_EQ(events->size(), 7u);
  EXPECT_EQ((*events)[0], (MacroEvent{me::kKeyDown, 'A', 50, "\xE2\x86\x93  A"}));
  EXPECT_EQ((*events)[1], (MacroEvent{me::kKeyUp, 'A', 20, "\xE2\x86\x91  A"}));
  EXPECT_EQ((*events)[2].type, me::kButtonDown);
  EXPECT_EQ((*events)[2].text, "\xE2\x86\x93  MouseL");
  EXPECT_EQ((*events)[3].type, me::kButtonUp);
  EXPECT_EQ((*events)[4], (MacroEvent{me::kDelay, 300, 10, "300 ms"}));
  EXPECT_EQ((*events)[5].value, 33);  // Page Up
  EXPECT_EQ((*events)[6].type, me::kKeyUp);
  // What is written reads back the same.
  EXPECT_EQ(macros::ParseEvents(macros::FormatEvents(*events), &error), events);
}

TEST(MacroEvents, ShiftIsRecordedAsTheLeftKeyAndCodesWithoutNamesAreWrittenAsCodes) {
  std::string error;
  const auto events = macros::ParseEvents("down:Shift up:RShift down:vk:0x65", &error);
  ASSERT_TRUE(events) << error;
  EXPECT_EQ((*events)[0].value, 160);
  EXPECT_EQ((*events)[1].value, 161);
  EXPECT_EQ((*events)[2].value, 0x65);  // keypad 5, whose name the NumLock-off key shares
  EXPECT_EQ(macros::ParseEvents(macros::FormatEvents(*events), &error), events);
}

struct BadText {
  const char* text;
  const char* reason;
};

class RefusedText : public ::testing::TestWithParam<BadText> {};

TEST_P(RefusedText, NamesTheWordAtFault) {
  std::string error;
  EXPECT_FALSE(macros::ParseEvents(GetParam().text, &error));
  EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Words, RefusedText,
    ::testing::Values(BadText{"50 down:A", "needs an event"}, BadText{"down:A 31001", "'31001'"},
                      BadText{"down:NoSuchKey", "no such key"},
                      BadText{"click:thumb", "no such mouse button"}, BadText{"wait:0", "'wait:0'"},
                      BadText{"wait:10001", "'wait:10001'"}, BadText{"press", "not an event"}));

TEST(MacroEvents, APressFindsItsReleaseAndBack) {
  const std::vector<MacroEvent> events = {
      macros::MakeKeyEvent('A', true), macros::MakeKeyEvent('B', true),
      macros::MakeKeyEvent('A', false), macros::MakeKeyEvent('A', true),
      macros::MakeKeyEvent('B', false)};
  EXPECT_EQ(macros::PartnerOf(events, 0), 2u);
  EXPECT_EQ(macros::PartnerOf(events, 2), 0u);
  EXPECT_EQ(macros::PartnerOf(events, 1), 4u);
  EXPECT_FALSE(macros::PartnerOf(events, 3));  // no release after it
  EXPECT_FALSE(macros::PartnerOf(events, 9));
}

TEST(MacroEvents, TheImageTakesTheUsageOfKeysAndTheWheelFromTheText) {
  const protocol::MacroImageEvent key = macros::ImageEventOf(macros::MakeKeyEvent('A', true));
  EXPECT_EQ(key.usage, 0x04);
  MacroEvent scroll = macros::MakeButtonEvent(macros::button::kLeft, false);
  scroll.text = macros::EventText(me::kButtonUp, "Scroll Down");
  EXPECT_EQ(macros::ImageEventOf(scroll).wheel, protocol::WheelStep::kDown);
}

TEST(MacroFile, KeepsAMacroAndRefusesValuesOutOfRange) {
  macros::MacroFileContent content;
  content.macro.name = "Build";
  content.macro.delay_type = 2;
  content.macro.delay_time = 40;
  content.macro.play_times = 3;
  content.events = {macros::MakeKeyEvent(0xA0, true), macros::MakeButtonEvent(16, true),
                    macros::MakePauseEvent(250)};
  content.events[0].delay = 31000;
  const std::string text = macros::WriteMacroFile(content);
  std::string error;
  const auto read = macros::ReadMacroFile(text, &error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->events, content.events);
  EXPECT_EQ(read->macro.name, "Build");
  EXPECT_EQ(read->macro.delay_time, 40);

  const std::pair<std::string, std::string> edits[] = {
      {"\"value\": 160", "\"value\": 4096"},       // no such key
      {"\"value\": 16,", "\"value\": 3,"},         // no such button
      {"\"value\": 250,", "\"value\": 0,"},        // a pause of nothing
      {"\"delay\": 31000", "\"delay\": 70000"},    // beyond 16 bits
      {"\"delay_type\": 2", "\"delay_type\": 7"},  // no such option
      {"\"name\": \"Build\"", "\"name\": \"\""},   // no name
      {"\"tarvo_macro\": 1", "\"tarvo_macro\": 2"}};
  for (const auto& [from, to] : edits) {
    std::string bad = text;
    const std::size_t at = bad.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bad.replace(at, from.size(), to);
    EXPECT_FALSE(macros::ReadMacroFile(bad, &error)) << to;
  }
}

}  // namespace
