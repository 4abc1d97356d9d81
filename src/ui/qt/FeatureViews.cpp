// The list of the application's own control drawings.

#include "ui/qt/FeatureViews.h"

#include "ui/qt/ControlView.h"

namespace TesselQt {

std::vector<std::pair<std::string, ViewRegistry::Creator>> FeatureViews() {
  return {
      {"DeviceList", CreateDeviceListView},
      {"ProfileList", CreateProfileListView},
      {"KeyboardCtrl", CreateKeyboardView},
      {"BatteryCtrl", CreateBatteryView},
      // The key page.
      {"KeyFuncValue", CreateKeyFunctionView},
      {"KeyTestCtrl", CreateKeyTestView},
      // The light page.
      {"ColorWheel", CreateColorWheelView},
      {"IconList", CreateIconListView},
      // The matrix light page.
      {"MatrixScreen", CreateMatrixScreenView},
      // The screen page.
      {"ImageView", CreateImageViewView},
      {"ThumbnailList", CreateThumbnailListView},
      // The screen-sync and music page.
      {"AuroraEffect", CreateEffectView},
      // The macro page.
      {"MacroList", CreateProfileListView},
      {"RecordList", CreateRecordListView},
  };
}

}  // namespace TesselQt
