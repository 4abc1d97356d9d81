#pragma once
// The drawing of one model control: a widget and the code that copies the control's state into
// it. Views are created by class name from a registry, so a feature adds the drawing of its own
// controls (keyboard view, device list, effect views...) without touching the backend.
//
// Views are QWidgets owned by their parent widget (Qt's ownership rule); the backend keeps
// them alive exactly as long as the model window they belong to.

#include <QEvent>
#include <QFocusEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt/Painting.h"

class QWidget;

namespace Tessel {
class MControl;
}

namespace TesselQt {

class ControlView {
 public:
  explicit ControlView(Tessel::MControl& control) : control_(&control) {}
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  virtual QWidget* Widget() = 0;

  // Copies the model's state into the widget: geometry, visibility, enabled state, tool tip,
  // look, then what the class adds. UI thread.
  void Sync();
  // The model control is going away: the view stops reading it and stops reporting.
  void Detach() { control_ = nullptr; }
  Tessel::MControl* Control() const { return control_; }

 protected:
  // What the class adds to Sync.
  virtual void SyncState() {}
  // Called when the control's look (its style name) changed.
  virtual void StyleChanged() {}

  // True while Sync writes into the widget: widget signals seen then are not user actions.
  bool IsSyncing() const { return syncing_; }
  template <class T>
  T* ModelAs() const {
    return dynamic_cast<T*>(control_);
  }
  const QString& StyleName() const { return style_; }

 private:
  void SyncCommon();

  Tessel::MControl* control_;
  bool syncing_ = false;
  QString style_;
  bool firstSync_ = true;
};

// A QWidget class W that draws a control.
template <class W>
class View : public W, public ControlView {
 public:
  View(Tessel::MControl& control, QWidget* parent) : W(parent), ControlView(control) {}
  QWidget* Widget() override { return this; }
};

// A view that draws its focus ring only while the focus came from the keyboard (Tab, arrows),
// not from a click.
template <class W>
class FocusRingView : public View<W> {
 public:
  using View<W>::View;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    keyboardFocus_ = IsKeyboardFocusReason(event->reason());
    this->update();
  }
  void focusOutEvent(QFocusEvent*) override {
    keyboardFocus_ = false;
    this->update();
  }
  bool ShowsFocusRing() const { return keyboardFocus_ && this->hasFocus(); }

 private:
  bool keyboardFocus_ = false;
};

// A view whose drawing is kept (PaintCache): Draw runs again only when the view's look changed.
// A view calls Redraw where it changed its own state; the changes Qt reports (pointer, focus,
// enabled, size, style, font) redraw by themselves, and a view whose look also depends on what
// Qt keeps (a button's pressed state) tells it through Look.
template <class W>
class CachedView : public View<W> {
 public:
  using View<W>::View;

 protected:
  // Draws the whole view.
  virtual void Draw(QPainter& painter) = 0;
  // A number that changes whenever the look does for reasons not covered above.
  virtual std::size_t Look() const { return 0; }
  // True when the view draws nothing at all (an area that only holds other controls): it then
  // keeps no picture of itself.
  virtual bool DrawsNothing() const { return false; }

  void Redraw() {
    cache_.Invalidate();
    this->update();
  }

  void paintEvent(QPaintEvent* event) override {
    if (DrawsNothing()) {
      cache_ = PaintCache();
      return;
    }
    QPainter painter(this);
    cache_.Paint(*this, painter, event->region(), Look(), [this](QPainter& on) { Draw(on); });
  }

  bool event(QEvent* event) override {
    switch (event->type()) {
      case QEvent::Enter:
      case QEvent::Leave:
      case QEvent::HoverEnter:
      case QEvent::HoverLeave:
      case QEvent::FocusIn:
      case QEvent::FocusOut:
      case QEvent::EnabledChange:
      case QEvent::StyleChange:
      case QEvent::FontChange:
      case QEvent::PaletteChange:
      case QEvent::Resize:
      case QEvent::DynamicPropertyChange:
        cache_.Invalidate();
        break;
      case QEvent::Hide:
        cache_ = PaintCache();  // a page not shown keeps no pictures of its controls
        break;
      default:
        break;
    }
    return W::event(event);
  }

 private:
  PaintCache cache_;
};

class ViewRegistry {
 public:
  // Makes the view of a control as a child of `parent`; owned by `parent`.
  using Creator = std::function<ControlView*(Tessel::MControl& control, QWidget* parent)>;

  // Registers (or replaces) the drawing of a class name. Any thread.
  static void Register(std::string className, Creator creator);
  static bool IsRegistered(const std::string& className);
  // The view of a control. A class without a registered drawing gets a view that draws
  // nothing and lets the pointer through, so its children still sit where they belong.
  static ControlView* Create(Tessel::MControl& control, QWidget* parent);
};

// The drawings of the toolkit's generic controls (StandardViews.cpp).
std::vector<std::pair<std::string, ViewRegistry::Creator>> StandardViews();
// The drawings of the application's own controls: device list, keyboard view, effect views.
std::vector<std::pair<std::string, ViewRegistry::Creator>> FeatureViews();

}  // namespace TesselQt
