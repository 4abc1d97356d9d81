#pragma once
// What a recording makes of the keys and buttons the user presses: events appended to the
// macro's list, each with the delay that followed it, until the list holds as many events as
// the keyboard's memory has room for. UI thread; no input of its own (the page feeds it).
//
// Delays follow the macro's delay option: none (every event keeps 10 ms), as recorded (the
// time from one event to the next, at most 31000 ms; the last event keeps 10 ms) or fixed (every
// event but the last gets the fixed delay). The time of an event is the moment the input source
// saw it; an event without one takes the recorder's clock.
//
// Clicks are recorded in whole: the release of the click that started the recording has no
// press recorded before it and is left out, and the press of the click that ends it has no
// release recorded after it and is taken out again when the recording ends.

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "keys/InputEvents.h"
#include "macros/MacroEvents.h"

namespace macros {

// The delay options of a macro (its delay_type).
enum DelayType : int {
  kDelayNone = 0,
  kDelayRecorded = 1,
  kDelayFixed = 2,
};

class MacroRecorder {
 public:
  using Clock = std::chrono::steady_clock;
  using ClockSource = std::function<Clock::time_point()>;

  struct Settings {
    int delayType = kDelayRecorded;
    int fixedDelay = kNewEventDelay;  // for kDelayFixed
    std::size_t maxEvents = 0;        // the most events the list may hold
  };

  enum class Outcome {
    kIgnored,  // nothing to record (a repeat, a release without its press, not recording)
    kAdded,
    kFull,  // the list holds as many events as fit: the recording should end
  };

  explicit MacroRecorder(ClockSource clock = Clock::now) : clock_(std::move(clock)) {}

  // Starts appending to `events` (the macro's events so far).
  void Begin(std::vector<MacroEvent> events, Settings settings);
  bool Active() const { return active_; }
  // One observed key or button event (keys::NameHookKeyEvent, NameHookMouseEvent) and when it
  // happened (a default time point: now, by the recorder's clock).
  Outcome Add(const keys::KeyEvent& event, Clock::time_point when = {});
  // The list as it is now.
  const std::vector<MacroEvent>& Events() const { return events_; }
  // Ends the recording: presses still waiting for their release are taken out again. The list.
  std::vector<MacroEvent> End();

 private:
  struct Added {
    std::size_t index;
    int previousDelay;  // of the event before it, which this event's arrival set
    bool setPrevious;
  };

  int DelayBefore(Clock::time_point when);
  void DropUnfinishedPresses();

  ClockSource clock_;
  bool active_ = false;
  Settings settings_;
  std::vector<MacroEvent> events_;
  std::vector<Added> added_;  // what this recording added, in order
  std::set<int> heldButtons_;
  std::optional<Clock::time_point> lastEvent_;
};

}  // namespace macros
