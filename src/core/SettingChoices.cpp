#include "core/SettingChoices.h"

namespace {

constexpr SettingChoice kSleepTimes[] = {
    {"1 Min", "1", 1},    {"2 Min", "2", 2},    {"3 Min", "3", 3},    {"4 Min", "4", 5},
    {"10 Min", "10", 10}, {"15 Min", "15", 15}, {"20 Min", "20", 20}, {"25 Min", "25", 25},
    {"30 Min", "30", 30}, {"60 Min", "60", 60},
};

constexpr SettingChoice kKeyResponses[] = {
    {"1", "1", 1}, {"2", "2", 2}, {"3", "3", 4}, {"8", "8", 8}, {"16", "16", 16}, {"20", "20", 20},
};

}  // namespace

std::span<const SettingChoice> SleepTimeChoices() {
  return kSleepTimes;
}

std::span<const SettingChoice> KeyResponseChoices() {
  return kKeyResponses;
}
