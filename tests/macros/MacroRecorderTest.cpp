#include <gtest/gtest.h>

#include "macros/MacroRecorder.h"

namespace {

using macros::MacroRecorder;
using Clock = MacroRecorder::Clock;
using Outcome = MacroRecorder::Outcome;
using std::chrono::milliseconds;

keys::KeyEvent Key(int code, bool down, const char* name) {
  return {keys::event_kind::kKey, down ? keys::kDirectionDown : keys::kDirectionUp, code, name};
}
keys::KeyEvent Repeat(int code, const char* name) {
  return {keys::event_kind::kIgnored, keys::kDirectionDown, code, name};
}
keys::KeyEvent Left(bool down) {
  return {keys::event_kind::kMouse, down ? keys::kDirectionDown : keys::kDirectionUp, 1, "MouseL"};
}

class MacroRecorderTest : public ::testing::Test {
 protected:
  // A clock the test moves; every event without its own time takes it.
  MacroRecorder recorder{[this] { return now; }};
  Clock::time_point now = Clock::time_point{} + std::chrono::hours(1);

  void Begin(int delayType, int fixedDelay = 10, std::size_t maxEvents = 100,
             std::vector<macros::MacroEvent> events = {}) {
    recorder.Begin(std::move(events), {delayType, fixedDelay, maxEvents});
  }
  Outcome At(int millisecondsLater, const keys::KeyEvent& event) {
    now += milliseconds(millisecondsLater);
    return recorder.Add(event);
  }
  std::vector<int> Delays() const {
    std::vector<int> delays;
    for (const auto& event : recorder.Events()) delays.push_back(event.delay);
    return delays;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& event : recorder.Events()) texts.push_back(event.text);
    return texts;
  }
};

TEST_F(MacroRecorderTest, RecordedDelaysAreTheTimeToTheNextEvent) {
  Begin(macros::kDelayRecorded);
  At(0, Key('A', true, "A"));
  At(120, Key('A', false, "A"));
  At(40, Repeat('A', "A"));  // a held key repeating adds nothing
  At(260, Key('B', true, "B"));
  At(75, Key('B', false, "B"));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A",
                                               "\xE2\x86\x93  B", "\xE2\x86\x91  B"}));
  EXPECT_EQ(Delays(), (std::vector<int>{120, 300, 75, 10}));
}

TEST_F(MacroRecorderTest, APauseOfFortySecondsIsStoredAs31000) {
  Begin(macros::kDelayRecorded);
  At(0, Key('A', true, "A"));
  At(40000, Key('A', false, "A"));
  EXPECT_EQ(Delays(), (std::vector<int>{31000, 10}));
}

TEST_F(MacroRecorderTest, TheSourcesTimeWinsOverTheClock) {
  Begin(macros::kDelayRecorded);
  const Clock::time_point seen = now - milliseconds(500);
  recorder.Add(Key('A', true, "A"), seen);
  recorder.Add(Key('A', false, "A"), seen + milliseconds(33));
  EXPECT_EQ(Delays(), (std::vector<int>{33, 10}));
}

TEST_F(MacroRecorderTest, NoDelaysOrFixedDelaysFollowTheOption) {
  Begin(macros::kDelayNone);
  At(0, Key('A', true, "A"));
  At(900, Key('A', false, "A"));
  EXPECT_EQ(Delays(), (std::vector<int>{10, 10}));
  // The fixed delay reaches every event but the last; the first event of an empty list has no
  // event before it to take one.
  Begin(macros::kDelayFixed, 50);
  At(0, Key('A', true, "A"));
  At(900, Key('A', false, "A"));
  At(5, Key('B', true, "B"));
  EXPECT_EQ(Delays(), (std::vector<int>{50, 50, 10}));
}

TEST_F(MacroRecorderTest, StopsAtTheRoomLeftCountingTheEventsThereBefore) {
  std::vector<macros::MacroEvent> stored(3, macros::MakeKeyEvent('X', true));
  Begin(macros::kDelayRecorded, 10, 5, stored);
  EXPECT_EQ(At(0, Key('A', true, "A")), Outcome::kAdded);
  EXPECT_EQ(At(10, Key('A', false, "A")), Outcome::kFull);
  EXPECT_EQ(At(10, Key('B', true, "B")), Outcome::kFull);
  EXPECT_EQ(recorder.End().size(), 5u);
}

TEST_F(MacroRecorderTest, ClicksThatStartAndStopTheRecordingAreNotKept) {
  Begin(macros::kDelayRecorded, 10, 100, {macros::MakeKeyEvent('X', true)});
  EXPECT_EQ(At(0, Left(false)), Outcome::kIgnored);  // the release of the record click
  At(30, Left(true));
  At(70, Left(false));
  At(200, Left(true));  // the press on the stop button
  const std::vector<macros::MacroEvent> events = recorder.End();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].text, "\xE2\x86\x93  MouseL");
  // The last click's delay is undone with the press that followed it.
  EXPECT_EQ(events[2].delay, 10);
  EXPECT_EQ(events[1].delay, 70);
  EXPECT_FALSE(recorder.Active());
}

}  // namespace
