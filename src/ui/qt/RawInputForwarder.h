#pragma once
// Reports the keys and mouse buttons of the main window to Tessel::ReportRawInput. It watches
// the events Qt hands to the main window's QWindow: each arrives there once, before Qt passes
// it on to the widget with the focus or under the pointer.

#include <QObject>

namespace TesselQt {

class RawInputForwarder : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace TesselQt
