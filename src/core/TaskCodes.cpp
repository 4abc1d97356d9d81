#include "core/TaskCodes.h"

#include <array>

namespace task {

namespace {

struct Entry {
  int code;
  Traits traits;
};

constexpr When A = When::Always;
constexpr When C = When::Connected;

constexpr Entry kTasks[] = {
    {kStartUp, {"StartUp", A, false}},
    {kDeviceInstall, {"DeviceInstall", A, false}},
    {kDeviceUnInstall, {"DeviceUnInstall", A, false}},
    {kReconnect, {"Reconnect", A, false}},
    {kRefreshProfileView, {"RefreshProfileView", C, false}},
    {kApplyProfile, {"ApplyProfile", C, true}},
    {kLoadKeyAssignments, {"LoadKeyAssignments", C, true}},
    {kSendKnobAssignment, {"SendKnobAssignment", C, true}},
    {kSendKeyAssignments, {"SendKeyAssignments", C, true}},
    {kSendMacros, {"SendMacros", C, true}},
    {kApplyCustomSlot, {"TaskApplyCustomSlot", C, false}},
    {kApplyLightMode, {"TaskApplyLightMode", C, false}},
    {kSendMatrixLightMode, {"SendMatrixLightMode", C, false}},
    {kReadMatrixPicture, {"ReadMatrixPicture", C, false}},
    {kSendMatrixPicture, {"SendMatrixPicture", C, false}},
    {kSendSystemSettings, {"SendSystemSettings", C, false}},
    {kReadCustomSlotColors, {"TaskReadCustomSlotColors", C, false}},
    {kWriteCustomSlotColors, {"TaskWriteCustomSlotColors", C, true}},
    {kApplyLightModeAgain, {"TaskApplyLightMode", C, false}},
    {kFactoryReset, {"FactoryReset", C, true}},
    {kPageSwitch, {"PageSwitch", C, false}},
    {kCloseWaitDialog, {"CloseWaitDialog", C, false}},
    {kNothing, {"Nothing", C, false}},
    {kUploadScreenMedia, {"TaskUploadScreenMedia", C, false}},
    {kImportMedia, {"TaskImportMedia", C, false}},
    {kSyncScreenClock, {"TaskSyncScreenClock", C, false}},
    {kCheckUpdates, {"CheckUpdates", A, false}},
    {kDownloadSoftwareUpdate, {"DownloadSoftwareUpdate", A, false}},
};

}  // namespace

std::optional<Traits> TraitsOf(int code) {
  for (const Entry& entry : kTasks) {
    if (entry.code == code) return entry.traits;
  }
  return std::nullopt;
}

}  // namespace task
