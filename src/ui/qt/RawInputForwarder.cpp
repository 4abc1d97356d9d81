#include "ui/qt/RawInputForwarder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "ui/qt/WindowWidget.h"
#include "ui/tessel/RawInput.h"

namespace TesselQt {
namespace {

bool IsMainWindow(const QObject* watched) {
  const auto* window = qobject_cast<const QWindow*>(watched);
  if (window == nullptr) return false;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() != window) continue;
    const auto* model = dynamic_cast<const WindowWidget*>(widget);
    return model != nullptr && !model->IsDialog();
  }
  return false;
}

// The number the window system gives a button (X11 numbering); 0 for others.
int NativeButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::MiddleButton:
      return 2;
    case Qt::RightButton:
      return 3;
    case Qt::BackButton:
      return 8;
    case Qt::ForwardButton:
      return 9;
    default:
      return 0;
  }
}

// Keypad keys say what they typed: a digit or the decimal point with NumLock on, a movement
// key without it.
bool TypedDigit(const QKeyEvent& key) {
  return (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9) || key.key() == Qt::Key_Period ||
         key.key() == Qt::Key_Comma;
}

void ReportKey(const QKeyEvent& key) {
  Tessel::RawInputEvent raw;
  raw.device = Tessel::RawInputEvent::Device::kKey;
  raw.nativeCode = static_cast<int>(key.nativeScanCode());
  raw.pressed = key.type() == QEvent::KeyPress;
  raw.autoRepeat = key.isAutoRepeat();
  raw.numLock = (key.modifiers() & Qt::KeypadModifier) != 0 && TypedDigit(key);
  if (raw.nativeCode != 0) Tessel::ReportRawInput(raw);
}

void ReportButton(const QMouseEvent& mouse) {
  Tessel::RawInputEvent raw;
  raw.device = Tessel::RawInputEvent::Device::kButton;
  raw.nativeCode = NativeButton(mouse.button());
  raw.pressed = mouse.type() == QEvent::MouseButtonPress;
  if (raw.nativeCode != 0) Tessel::ReportRawInput(raw);
}

}  // namespace

bool RawInputForwarder::eventFilter(QObject* watched, QEvent* event) {
  // Keys and buttons reach a window first. Other receivers' events are not even looked at:
  // work posted from other threads passes here too, before its receiver takes it over.
  if (watched == nullptr || !watched->isWindowType()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      if (IsMainWindow(watched)) ReportKey(*static_cast<QKeyEvent*>(event));
      break;
    case QEvent::MouseButtonPress:  // a double click's second press comes as a press too
    case QEvent::MouseButtonRelease:
      if (IsMainWindow(watched)) ReportButton(*static_cast<QMouseEvent*>(event));
      break;
    default:
      break;
  }
  return false;
}

}  // namespace TesselQt
