#pragma once
// Numbers of the tasks the UI thread hands to the device worker.

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

}  // namespace task
