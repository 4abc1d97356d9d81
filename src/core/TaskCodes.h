#pragma once
// The tasks the UI thread hands to the device worker: their numbers, and what each number
// means to the worker wherever the feature that runs it lives: its name, whether it needs a
// keyboard, and whether the generic wait dialog closes after it.

#include <optional>

namespace task {

enum Code : int {
  kStartUp = 1,
  kDeviceInstall = 2,
  kDeviceUnInstall = 3,
  kReconnect = 4,
  kRefreshProfileView = 5,
  kApplyProfile = 6,
  kLoadKeyAssignments = 7,
  kSendKnobAssignment = 8,
  kSendKeyAssignments = 9,
  kSendMacros = 11,
  kApplyCustomSlot = 12,
  kApplyLightMode = 13,
  kSendMatrixLightMode = 14,
  kReadMatrixPicture = 15,
  kSendMatrixPicture = 16,
  kSendSystemSettings = 17,
  kReadCustomSlotColors = 18,
  kWriteCustomSlotColors = 19,
  kApplyLightModeAgain = 20,
  kFactoryReset = 22,
  kPageSwitch = 23,
  kCloseWaitDialog = 24,
  kNothing = 25,
  kUploadScreenMedia = 26,
  kImportMedia = 27,
  kSyncScreenClock = 29,
  kCheckUpdates = 30,
  kDownloadSoftwareUpdate = 31,
};

constexpr int kFirstCode = 1;
constexpr int kLastCode = 31;

enum class When {
  Always,     // runs in every state
  Connected,  // runs only while a keyboard is present and online; dropped otherwise
};

struct Traits {
  const char* name;
  When when;
  bool waitDialog;  // the generic wait dialog closes after the task, whether it ran or not
};

// The traits of a code; empty for codes without a task (10, 21, 28 and unknown codes).
std::optional<Traits> TraitsOf(int code);

}  // namespace task
