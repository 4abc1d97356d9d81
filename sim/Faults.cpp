#include "sim/Faults.h"

namespace sim {

FaultRule RefuseNext(std::uint8_t command, int frames) {
  FaultRule rule;
  rule.kind = FaultKind::kRefuse;
  rule.command = command;
  rule.count = frames;
  return rule;
}

FaultRule SilenceNext(std::uint8_t command, int frames) {
  FaultRule rule;
  rule.kind = FaultKind::kSilence;
  rule.command = command;
  rule.count = frames;
  return rule;
}

FaultRule DropRepliesFromNowOn() {
  FaultRule rule;
  rule.kind = FaultKind::kDropReply;
  rule.count = -1;
  return rule;
}

FaultRule DelayReplies(std::optional<std::uint8_t> command, int frames,
                       std::chrono::milliseconds delay) {
  FaultRule rule;
  rule.kind = FaultKind::kDelay;
  rule.command = command;
  rule.count = frames;
  rule.delay = delay;
  return rule;
}

std::optional<FaultRule> FaultPlan::Take(Link link, std::uint8_t command) {
  for (auto rule = rules_.begin(); rule != rules_.end(); ++rule) {
    if (rule->link && *rule->link != link) continue;
    if (rule->command && *rule->command != command) continue;
    if (rule->count == 0) continue;
    if (rule->skip > 0) {
      --rule->skip;
      continue;
    }
    const FaultRule applied = *rule;
    if (rule->count > 0 && --rule->count == 0) rules_.erase(rule);
    return applied;
  }
  return std::nullopt;
}

}  // namespace sim
