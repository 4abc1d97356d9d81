#include "macros/MacroRecorder.h"

#include <algorithm>
#include <utility>

#include "protocol/MacroImage.h"

namespace macros {

void MacroRecorder::Begin(std::vector<MacroEvent> events, Settings settings) {
  events_ = std::move(events);
  settings_ = settings;
  added_.clear();
  heldButtons_.clear();
  lastEvent_.reset();
  active_ = true;
}

int MacroRecorder::DelayBefore(Clock::time_point when) {
  switch (settings_.delayType) {
    case kDelayRecorded: {
      const std::optional<Clock::time_point> last = std::exchange(lastEvent_, when);
      if (!last) return 0;
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(when - *last);
      return static_cast<int>(std::clamp<long long>(elapsed.count(), 0, kMaxRecordedDelay));
    }
    case kDelayFixed:
      return settings_.fixedDelay;
    default:
      return 0;
  }
}

MacroRecorder::Outcome MacroRecorder::Add(const keys::KeyEvent& event, Clock::time_point when) {
  if (!active_) return Outcome::kIgnored;
  const bool mouse = event.kind == keys::event_kind::kMouse;
  if (!mouse && event.kind != keys::event_kind::kKey) return Outcome::kIgnored;
  const bool down = event.direction == keys::kDirectionDown;
  // The release of the click that started the recording has no press here.
  if (mouse && !down && !heldButtons_.contains(event.value)) return Outcome::kIgnored;
  if (events_.size() >= settings_.maxEvents) return Outcome::kFull;
  if (when == Clock::time_point{}) when = clock_();
  const int delay = DelayBefore(when);
  Added added{events_.size(), 0, false};
  // The first event of an empty list has no event before it to take the delay.
  if (delay != 0 && !events_.empty()) {
    added.previousDelay = std::exchange(events_.back().delay, delay);
    added.setPrevious = true;
  }
  if (mouse) {
    events_.push_back(MakeButtonEvent(event.value, down));
    events_.back().text = EventText(events_.back().type, event.name);
    if (down) {
      heldButtons_.insert(event.value);
    } else {
      heldButtons_.erase(event.value);
    }
  } else {
    events_.push_back(MakeKeyEvent(event.value, down));
    events_.back().text = EventText(events_.back().type, event.name);
  }
  added_.push_back(added);
  return events_.size() >= settings_.maxEvents ? Outcome::kFull : Outcome::kAdded;
}

void MacroRecorder::DropUnfinishedPresses() {
  while (!added_.empty() && added_.back().index + 1 == events_.size()) {
    const MacroEvent& last = events_.back();
    if (last.type != protocol::macro_event::kButtonDown || !heldButtons_.contains(last.value))
      break;
    heldButtons_.erase(last.value);
    events_.pop_back();
    if (added_.back().setPrevious && !events_.empty())
      events_.back().delay = added_.back().previousDelay;
    added_.pop_back();
  }
}

std::vector<MacroEvent> MacroRecorder::End() {
  if (active_) DropUnfinishedPresses();
  active_ = false;
  added_.clear();
  heldButtons_.clear();
  return events_;
}

}  // namespace macros
