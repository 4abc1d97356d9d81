#pragma once
// Creators of the feature controls' drawings, one per file.

class QWidget;

namespace Tessel {
class MControl;
}

namespace TesselQt {

class ControlView;

ControlView* CreateDeviceListView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateProfileListView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateKeyboardView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateBatteryView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateKeyFunctionView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateKeyTestView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateColorWheelView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateIconListView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateMatrixScreenView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateImageViewView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateThumbnailListView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateEffectView(Tessel::MControl& control, QWidget* parent);
ControlView* CreateRecordListView(Tessel::MControl& control, QWidget* parent);

}  // namespace TesselQt
