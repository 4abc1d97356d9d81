#pragma once
// Programmable misbehaviour of a simulated device, for testing how the host copes.

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/Firmware.h"

namespace sim {

enum class FaultKind {
  kSilence,       // the frame is lost: not executed, no reply
  kDropReply,     // executed, the reply is lost
  kRefuse,        // not executed, answered 0x0F
  kGarbage,       // executed, answered with bytes that are no frame
  kWrongEcho,     // executed, answered 0x55 with a wrong offset echo
  kDelay,         // executed, answered after `delay` (late when beyond the host's time-out)
  kNotification,  // executed, a link-state notification arrives instead of the reply
  kWriteError,    // the write itself fails (-1)
  kUnplug,        // the device is pulled out as the frame arrives
  kUnplugReplug,  // pulled out as the frame arrives, plugged in again after `delay`
};

struct FaultRule {
  FaultKind kind = FaultKind::kSilence;
  std::optional<std::uint8_t> command;  // empty: any command
  std::optional<Link> link;             // empty: any link of the keyboard
  int skip = 0;                         // matching frames let through before the fault starts
  int count = 1;                        // frames affected; negative: every frame from now on
  std::chrono::milliseconds delay{0};
};

// Shorthands for the common cases.
FaultRule RefuseNext(std::uint8_t command, int frames);
FaultRule SilenceNext(std::uint8_t command, int frames);
FaultRule DropRepliesFromNowOn();
FaultRule DelayReplies(std::optional<std::uint8_t> command, int frames,
                       std::chrono::milliseconds delay);

// The rules of one keyboard, consulted in the order they were added.
class FaultPlan {
 public:
  void Add(const FaultRule& rule) { rules_.push_back(rule); }
  void Clear() { rules_.clear(); }
  bool Empty() const { return rules_.empty(); }
  std::size_t Size() const { return rules_.size(); }

  // The fault for this frame, if any; consumes one frame of the rule that applies.
  std::optional<FaultRule> Take(Link link, std::uint8_t command);

 private:
  std::vector<FaultRule> rules_;
};

}  // namespace sim
