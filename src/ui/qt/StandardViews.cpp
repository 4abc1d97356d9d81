// The drawings of the toolkit's generic controls.

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QHashFunctions>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "ui/qt/ControlView.h"
#include "ui/qt/DecodedAnimation.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/qt/WindowWidget.h"
#include "ui/tessel/Controls.h"

namespace TesselQt {
namespace {

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

Qt::Alignment ToQtAlign(Tessel::TextAlign align) {
  switch (align) {
    case Tessel::TextAlign::Center:
      return Qt::AlignHCenter;
    case Tessel::TextAlign::Right:
      return Qt::AlignRight;
    case Tessel::TextAlign::Left:
      break;
  }
  return Qt::AlignLeft;
}

// Font and colour of a control with a title, from its look and its own settings.
QFont FontOf(const Tessel::MControlFont& control, const QString& style) {
  return theme::FontFor(style, control.GetFontSize(), control.IsBold());
}

QColor TextColorOf(const Tessel::MControlFont& control, const QString& style) {
  if (!control.IsEnabled()) return theme::TextDisabled();
  return control.HasTextColor() ? ToQColor(control.GetTextColor()) : theme::TextColorFor(style);
}

// Remembers whether the keyboard gave a widget its focus, to show the focus ring only then.
class FocusTracker {
 public:
  void In(const QFocusEvent& event) { keyboard_ = IsKeyboardFocusReason(event.reason()); }
  void Out() { keyboard_ = false; }
  bool ShowRing(const QWidget& widget) const { return keyboard_ && widget.hasFocus(); }

 private:
  bool keyboard_ = false;
};

// Style sheets see keyboard focus as the "keyboardFocus" property (":focus" would also light
// up after a mouse click or when the window opens).
void SetKeyboardFocusProperty(QWidget& widget, bool keyboard) {
  if (widget.property("keyboardFocus").toBool() == keyboard) return;
  widget.setProperty("keyboardFocus", keyboard);
  widget.style()->unpolish(&widget);
  widget.style()->polish(&widget);
  widget.update();
}

// Buttons answer Enter as well as Space, as keyboard users expect of every button here.
bool ActivatesButton(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

// Label -------------------------------------------------------------------------------------

class LabelView : public CachedView<QWidget> {
 public:
  LabelView(Tessel::MControl& control, QWidget* parent) : CachedView(control, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void SyncState() override {
    auto* label = ModelAs<Tessel::MControlFont>();
    if (label == nullptr) return;
    text_ = ToQString(label->GetTitle());
    font_ = FontOf(*label, StyleName());
    color_ = TextColorOf(*label, StyleName());
    align_ = ToQtAlign(label->GetAlign());
    wrap_ = label->GetWordWrap();
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setFont(font_);
    painter.setPen(color_);
    if (wrap_) {
      painter.drawText(rect(), static_cast<int>(align_ | Qt::AlignTop | Qt::TextWordWrap), text_);
      return;
    }
    // One line: a text too long for its place ends in an ellipsis instead of being cut.
    const QString shown = painter.fontMetrics().elidedText(text_, Qt::ElideRight, width());
    painter.drawText(rect(), static_cast<int>(align_ | Qt::AlignVCenter), shown);
  }

  bool DrawsNothing() const override { return text_.isEmpty(); }

 private:
  QString text_;
  QFont font_;
  QColor color_;
  Qt::Alignment align_ = Qt::AlignLeft;
  bool wrap_ = false;
};

// Push button ----------------------------------------------------------------------------

class ButtonView : public CachedView<QPushButton> {
 public:
  ButtonView(Tessel::MControl& control, QWidget* parent) : CachedView(control, parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] {
      if (auto* button = ModelAs<Tessel::MButton>()) button->UserClick();
    });
  }

 protected:
  void SyncState() override {
    auto* button = ModelAs<Tessel::MButton>();
    if (button == nullptr) return;
    const QString title = ToQString(button->GetTitle());
    if (text() != title) setText(title);
    setFont(FontOf(*button, StyleName().isEmpty() ? QStringLiteral("primary") : StyleName()));
    SyncIcon(button->GetIcon());
    const QString color =
        button->HasTextColor() ? ToQColor(button->GetTextColor()).name() : QString();
    if (color != textColor_) {
      textColor_ = color;
      setStyleSheet(color.isEmpty() ? QString() : QStringLiteral("color: %1;").arg(color));
    }
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (ActivatesButton(*event)) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }

  void focusInEvent(QFocusEvent* event) override {
    QPushButton::focusInEvent(event);
    SetKeyboardFocusProperty(*this, IsKeyboardFocusReason(event->reason()));
  }
  void focusOutEvent(QFocusEvent* event) override {
    QPushButton::focusOutEvent(event);
    SetKeyboardFocusProperty(*this, false);
  }

  // What QPushButton draws, with the close mark of a close button that has no picture.
  void Draw(QPainter& painter) override {
    QStyleOptionButton option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    if (icon().isNull() && text().isEmpty() && StyleName() == QLatin1String("window-close"))
      DrawCross(painter);
  }

  // The button's own states (pressed, under the pointer, its text and picture) and its style.
  std::size_t Look() const override {
    return qHashMulti(0, isDown(), isChecked(), underMouse(), hasFocus(), text(), icon().cacheKey(),
                      iconSize().width(), iconSize().height(), styleSheet());
  }

 private:
  void SyncIcon(const std::string& name) {
    if (name != iconName_) {
      iconName_ = name;
      setIcon(name.empty() ? QIcon() : QIcon(PicturePath(name)));
    }
    const int side = std::min(width(), height());
    const bool iconOnly = text().isEmpty();
    const int iconSide = iconOnly ? std::max(12, side - 12) : std::min(24, std::max(12, side - 16));
    setIconSize(QSize(iconSide, iconSide));
  }

  void DrawCross(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(isEnabled() ? theme::Text() : theme::TextDisabled(), 1.8, Qt::SolidLine,
                        Qt::RoundCap));
    const QPointF c = QRectF(rect()).center();
    const qreal r = std::min(width(), height()) * 0.18;
    painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
  }

  std::string iconName_;
  QString textColor_;
};

// A button drawn by hand: taken by Tab, pressed with Enter or Space, and showing the focus
// ring only when the keyboard gave it the focus.
class DrawnButtonView : public CachedView<QAbstractButton> {
 public:
  DrawnButtonView(Tessel::MControl& control, QWidget* parent) : CachedView(control, parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (ActivatesButton(*event)) {
      click();
      return;
    }
    QAbstractButton::keyPressEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    focus_.In(*event);
    QAbstractButton::focusInEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    focus_.Out();
    QAbstractButton::focusOutEvent(event);
  }

  FocusTracker focus_;
};

// Switch, check box, radio button ------------------------------------------------------------

class CheckableView : public DrawnButtonView {
 public:
  enum class Kind { Switch, Check, Radio };

  CheckableView(Tessel::MControl& control, QWidget* parent, Kind kind)
      : DrawnButtonView(control, parent), kind_(kind) {
    // The model toggles; the widget only shows the model's state.
    connect(this, &QAbstractButton::clicked, this, [this] {
      if (auto* checkable = ModelAs<Tessel::MCheckable>()) checkable->UserClick();
    });
  }

 protected:
  void SyncState() override {
    auto* checkable = ModelAs<Tessel::MCheckable>();
    if (checkable == nullptr) return;
    checked_ = checkable->GetCheck();
    title_ = ToQString(checkable->GetTitle());
    font_ = FontOf(*checkable, StyleName());
    color_ = TextColorOf(*checkable, StyleName());
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const QRectF indicator = IndicatorRect();
    switch (kind_) {
      case Kind::Switch:
        DrawSwitch(painter, indicator);
        break;
      case Kind::Check:
        DrawCheck(painter, indicator);
        break;
      case Kind::Radio:
        DrawRadio(painter, indicator);
        break;
    }
    if (focus_.ShowRing(*this))
      DrawFocusRing(painter, indicator.adjusted(-4, -4, 4, 4), indicator.height() / 2 + 4);
    if (title_.isEmpty()) return;
    const QRectF textRect(indicator.right() + 10, 0, width() - indicator.right() - 10, height());
    painter.setFont(font_);
    painter.setPen(color_);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(title_, Qt::ElideRight,
                                                      static_cast<int>(textRect.width())));
  }

 private:
  QRectF IndicatorRect() const {
    const QSizeF size = kind_ == Kind::Switch ? QSizeF(40, 22) : QSizeF(18, 18);
    return QRectF(QPointF(4, (height() - size.height()) / 2), size);
  }

  void DrawSwitch(QPainter& painter, const QRectF& track) {
    const qreal radius = track.height() / 2;
    if (checked_) {
      QLinearGradient fill(track.topLeft(), track.topRight());
      fill.setColorAt(0, theme::Accent());
      fill.setColorAt(1, theme::Focus());
      painter.setBrush(fill);
      painter.setPen(Qt::NoPen);
    } else {
      painter.setBrush(underMouse() ? theme::BorderHover() : theme::Border());
      painter.setPen(Qt::NoPen);
    }
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 6;
    const qreal x = checked_ ? track.right() - 3 - knob : track.left() + 3;
    painter.setBrush(checked_ ? QColor(Qt::white) : theme::TextSecondary());
    painter.drawEllipse(QRectF(x, track.top() + 3, knob, knob));
  }

  void DrawCheck(QPainter& painter, const QRectF& box) {
    if (checked_) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(theme::Accent());
      painter.drawRoundedRect(box, 4, 4);
      QPainterPath mark;
      mark.moveTo(box.left() + 4.5, box.center().y());
      mark.lineTo(box.left() + 7.5, box.bottom() - 5);
      mark.lineTo(box.right() - 4, box.top() + 5);
      painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.setBrush(Qt::NoBrush);
      painter.drawPath(mark);
      return;
    }
    painter.setBrush(theme::Surface());
    painter.setPen(QPen(underMouse() ? theme::AccentBright() : theme::BorderHover(), 2));
    painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4, 4);
  }

  void DrawRadio(QPainter& painter, const QRectF& circle) {
    painter.setBrush(theme::Surface());
    const QColor ring =
        checked_ ? theme::Accent() : (underMouse() ? theme::AccentBright() : theme::BorderHover());
    painter.setPen(QPen(ring, 2));
    painter.drawEllipse(circle.adjusted(1, 1, -1, -1));
    if (!checked_) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::AccentBright());
    painter.drawEllipse(circle.adjusted(5, 5, -5, -5));
  }

  Kind kind_;
  bool checked_ = false;
  QString title_;
  QFont font_;
  QColor color_;
};

// Colour swatch ------------------------------------------------------------------------------

class ColorButtonView : public DrawnButtonView {
 public:
  ColorButtonView(Tessel::MControl& control, QWidget* parent) : DrawnButtonView(control, parent) {
    connect(this, &QAbstractButton::clicked, this, [this] {
      if (auto* button = ModelAs<Tessel::CColorButton>()) button->UserClick();
    });
  }

 protected:
  void SyncState() override {
    auto* button = ModelAs<Tessel::CColorButton>();
    if (button == nullptr) return;
    color_ = ToQColor(button->GetColor());
    selected_ = button->IsSelected();
    title_ = ToQString(button->GetTitle());
    font_ = FontOf(*button, StyleName());
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const qreal side = title_.isEmpty() ? std::min(width(), height()) : height();
    QRectF swatch = title_.isEmpty() ? QRectF(rect()) : QRectF(0, 0, side, side);
    const qreal radius = std::min(swatch.width(), swatch.height()) / 4;
    if (selected_ || underMouse()) {
      painter.setPen(QPen(selected_ ? QColor(Qt::white) : theme::BorderHover(), 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(swatch.adjusted(1, 1, -1, -1), radius, radius);
    }
    const QRectF inner = swatch.adjusted(4, 4, -4, -4);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.setBrush(color_);
    painter.drawRoundedRect(inner, radius - 2, radius - 2);
    if (focus_.ShowRing(*this)) DrawFocusRing(painter, swatch, radius);
    if (title_.isEmpty()) return;
    painter.setFont(font_);
    painter.setPen(isEnabled() ? theme::Text() : theme::TextDisabled());
    painter.drawText(QRectF(side + 8, 0, width() - side - 8, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, title_);
  }

 private:
  QColor color_;
  bool selected_ = false;
  QString title_;
  QFont font_;
};

// Slider -------------------------------------------------------------------------------------

class SliderView : public View<QSlider> {
 public:
  SliderView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QSlider::valueChanged, this, [this](int value) {
      if (IsSyncing()) return;
      if (auto* slider = ModelAs<Tessel::MSlider>()) slider->UserSetValue(value, !isSliderDown());
    });
    connect(this, &QSlider::sliderReleased, this, [this] {
      if (auto* slider = ModelAs<Tessel::MSlider>()) slider->UserSetValue(value(), true);
    });
  }

 protected:
  void SyncState() override {
    auto* slider = ModelAs<Tessel::MSlider>();
    if (slider == nullptr) return;
    setOrientation(height() > width() ? Qt::Vertical : Qt::Horizontal);
    setRange(slider->GetMinimum(), slider->GetMaximum());
    const int span = slider->GetMaximum() - slider->GetMinimum();
    setPageStep(std::max(1, span / 10));
    // While the user holds the handle the widget leads; the model follows it.
    if (!isSliderDown()) setValue(slider->GetProgress());
  }

  void focusInEvent(QFocusEvent* event) override {
    QSlider::focusInEvent(event);
    SetKeyboardFocusProperty(*this, IsKeyboardFocusReason(event->reason()));
  }
  void focusOutEvent(QFocusEvent* event) override {
    QSlider::focusOutEvent(event);
    SetKeyboardFocusProperty(*this, false);
  }

  // The wheel changes a slider only when it has the focus, so scrolling past it is harmless.
  void wheelEvent(QWheelEvent* event) override {
    if (hasFocus()) {
      QSlider::wheelEvent(event);
    } else {
      event->ignore();
    }
  }
};

// Edit field ---------------------------------------------------------------------------------

class EditView : public View<QLineEdit> {
 public:
  EditView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
      if (auto* edit = ModelAs<Tessel::MEdit>()) edit->UserSetText(text.toStdString());
    });
    connect(this, &QLineEdit::returnPressed, this, [this] {
      if (auto* edit = ModelAs<Tessel::MEdit>()) edit->UserCommit(true);
    });
  }

 protected:
  void SyncState() override {
    auto* edit = ModelAs<Tessel::MEdit>();
    if (edit == nullptr) return;
    const QString text = ToQString(edit->GetEditText());
    if (this->text() != text) setText(text);
    const int limit = edit->GetMaxLength();
    setMaxLength(limit > 0 ? limit * 2 : 32767);  // the model counts characters, Qt UTF-16 units
    setReadOnly(edit->IsReadOnly());
    setPlaceholderText(ToQString(edit->GetPlaceholder()));
    setFont(FontOf(*edit, StyleName()));
    setAlignment(ToQtAlign(edit->GetAlign()) | Qt::AlignVCenter);
    const std::uint64_t requests = edit->GetFocusRequests();
    if (requests != focusRequests_) {
      focusRequests_ = requests;
      setFocus(Qt::OtherFocusReason);
    }
  }

  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    if (!IsWindowSwitch(event->reason())) {
      if (auto* edit = ModelAs<Tessel::MEdit>()) edit->UserFocus(true);
    }
  }

  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (IsWindowSwitch(event->reason())) return;
    if (auto* edit = ModelAs<Tessel::MEdit>()) {
      edit->UserFocus(false);
      edit->UserCommit(false);
    }
  }

 private:
  // Another window or a pop-up took the focus for a while: the field is not left.
  static bool IsWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
  }

  std::uint64_t focusRequests_ = 0;
};

// Combo box ----------------------------------------------------------------------------------

class ComboView : public View<QComboBox> {
 public:
  ComboView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int position) {
      if (auto* combo = ModelAs<Tessel::MComboBox>()) combo->UserSelect(position);
    });
  }

 protected:
  void SyncState() override {
    auto* combo = ModelAs<Tessel::MComboBox>();
    if (combo == nullptr) return;
    setFont(FontOf(*combo, StyleName()));
    std::vector<Tessel::ListItem> items = combo->GetItems();
    const int current = combo->GetCurSel();
    const QSignalBlocker blocker(this);
    if (items != items_) {
      items_ = std::move(items);
      clear();
      for (const Tessel::ListItem& item : items_) addItem(ToQString(item.text));
    }
    setCurrentIndex(current);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    QColor edge = hasFocus() ? theme::Focus()
                             : (underMouse() ? theme::BorderHover() : QColor(0x26, 0x2b, 0x3a));
    if (!isEnabled()) edge = theme::SurfaceRaised();
    painter.setPen(QPen(edge, 2));
    painter.setBrush(underMouse() && isEnabled() ? QColor(0x24, 0x29, 0x38)
                                                 : theme::SurfaceRaised());
    painter.drawRoundedRect(box, 8, 8);

    const qreal arrowX = width() - 22;
    painter.setPen(QPen(isEnabled() ? theme::TextSecondary() : theme::TextDisabled(), 1.8,
                        Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal cy = height() / 2.0;
    QPainterPath chevron;
    chevron.moveTo(arrowX - 5, cy - 2.5);
    chevron.lineTo(arrowX, cy + 2.5);
    chevron.lineTo(arrowX + 5, cy - 2.5);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);

    const QRectF textRect(12, 0, arrowX - 12 - 12, height());
    painter.setFont(font());
    painter.setPen(isEnabled() ? theme::Text() : theme::TextDisabled());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(currentText(), Qt::ElideRight,
                                              static_cast<int>(textRect.width())));
  }

  // Scrolling past a closed list does not change its choice.
  void wheelEvent(QWheelEvent* event) override { event->ignore(); }

  void focusInEvent(QFocusEvent* event) override {
    focus_.In(*event);
    QComboBox::focusInEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    // The open list takes the focus for a while; the ring stays for keyboard users.
    if (event->reason() != Qt::PopupFocusReason) focus_.Out();
    QComboBox::focusOutEvent(event);
  }

 private:
  std::vector<Tessel::ListItem> items_;
  FocusTracker focus_;
};

// Tabs ---------------------------------------------------------------------------------------

class TabsView : public CachedView<QWidget> {
 public:
  TabsView(Tessel::MControl& control, QWidget* parent, bool underlined)
      : CachedView(control, parent), underlined_(underlined) {
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void SyncState() override {
    auto* tabs = ModelAs<Tessel::MTabCtrl>();
    if (tabs == nullptr) return;
    items_ = tabs->GetItems();
    current_ = tabs->GetCurSel();
    font_ = FontOf(*tabs, IsMainLook() ? QStringLiteral("tab-main") : StyleName());
    Layout();
    Redraw();
  }

  void resizeEvent(QResizeEvent*) override { Layout(); }

  void mouseMoveEvent(QMouseEvent* event) override {
    const int hovered = TabAt(event->position().toPoint());
    if (hovered != hovered_) {
      hovered_ = hovered;
      Redraw();
    }
  }

  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    Redraw();
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const int position = TabAt(event->position().toPoint());
    if (position >= 0) Select(position);
  }

  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Left:
        Select(NextVisible(current_, -1));
        break;
      case Qt::Key_Right:
        Select(NextVisible(current_, +1));
        break;
      case Qt::Key_Home:
        Select(NextVisible(-1, +1));
        break;
      case Qt::Key_End:
        Select(NextVisible(static_cast<int>(items_.size()), -1));
        break;
      default:
        QWidget::keyPressEvent(event);
    }
  }

  void focusInEvent(QFocusEvent* event) override {
    focus_.In(*event);
    Redraw();
  }
  void focusOutEvent(QFocusEvent*) override {
    focus_.Out();
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font_);
    if (!IsMainLook() && !underlined_) DrawSegmentTrack(painter);
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (!items_[i].visible || rects_[i].isEmpty()) continue;
      DrawTab(painter, static_cast<int>(i));
    }
  }

 private:
  bool IsMainLook() const { return StyleName() == QLatin1String("tab-main"); }
  int Padding() const { return IsMainLook() ? 22 : (underlined_ ? 14 : 16); }

  // Tabs sit side by side with their natural widths; when they do not fit, they share the
  // width equally and long titles end in an ellipsis.
  void Layout() {
    rects_.assign(items_.size(), QRect());
    const QFontMetrics metrics(font_);
    const int gap = IsMainLook() ? 6 : (underlined_ ? 8 : 0);
    std::vector<int> widths;
    int total = 0;
    for (const Tessel::ListItem& item : items_) {
      const int natural =
          item.visible ? std::max(IsMainLook() ? 96 : 64,
                                  metrics.horizontalAdvance(ToQString(item.text)) + 2 * Padding())
                       : 0;
      widths.push_back(natural);
      total += natural > 0 ? natural + gap : 0;
    }
    const int shown = static_cast<int>(
        std::count_if(items_.begin(), items_.end(), [](auto& i) { return i.visible; }));
    const bool squeeze = total - gap > width() && shown > 0;
    int x = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (widths[i] == 0) continue;
      const int w = squeeze ? (width() - gap * (shown - 1)) / shown : widths[i];
      rects_[i] = QRect(x, 0, w, height());
      x += w + gap;
    }
  }

  int TabAt(QPoint point) const {
    for (std::size_t i = 0; i < rects_.size(); ++i) {
      if (items_[i].visible && rects_[i].contains(point)) return static_cast<int>(i);
    }
    return -1;
  }

  int NextVisible(int from, int step) const {
    for (int i = from + step; i >= 0 && i < static_cast<int>(items_.size()); i += step) {
      if (items_[static_cast<std::size_t>(i)].visible) return i;
    }
    return -1;
  }

  void Select(int position) {
    if (position < 0) return;
    if (auto* tabs = ModelAs<Tessel::MTabCtrl>()) tabs->UserSelect(position);
  }

  void DrawSegmentTrack(QPainter& painter) {
    painter.setPen(QPen(theme::Border(), 1));
    painter.setBrush(theme::Surface());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
  }

  void DrawTab(QPainter& painter, int i) {
    const QRectF r = rects_[static_cast<std::size_t>(i)];
    const bool selected = i == current_;
    const bool hovered = i == hovered_ && isEnabled();
    if (IsMainLook()) {
      if (selected || hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(selected ? QColor(123, 97, 255, 46) : QColor(255, 255, 255, 14));
        painter.drawRoundedRect(r.adjusted(0, 4, 0, -4), 10, 10);
      }
      if (selected)
        DrawUnderline(painter, QRectF(r.left() + 18, r.bottom() - 3, r.width() - 36, 3));
    } else if (underlined_) {
      if (selected) DrawUnderline(painter, QRectF(r.left() + 6, r.bottom() - 2, r.width() - 12, 2));
    } else if (selected) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(theme::Accent());
      painter.drawRoundedRect(r.adjusted(3, 3, -3, -3), 8, 8);
    }
    if (focus_.ShowRing(*this) && selected) DrawFocusRing(painter, r.adjusted(0, 2, 0, -2), 10);
    QColor color = selected ? (IsMainLook() || underlined_ ? theme::Text() : QColor(Qt::white))
                            : (hovered ? theme::Text() : theme::TextSecondary());
    if (!isEnabled()) color = theme::TextDisabled();
    painter.setPen(color);
    const QRectF textRect = r.adjusted(Padding() / 2.0, 0, -Padding() / 2.0, 0);
    const QString text = ToQString(items_[static_cast<std::size_t>(i)].text);
    painter.drawText(
        textRect, Qt::AlignCenter,
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(textRect.width())));
  }

  void DrawUnderline(QPainter& painter, const QRectF& bar) {
    QLinearGradient fill(bar.topLeft(), bar.topRight());
    fill.setColorAt(0, theme::Accent());
    fill.setColorAt(1, theme::Focus());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
  }

  bool underlined_;
  std::vector<Tessel::ListItem> items_;
  std::vector<QRect> rects_;
  int current_ = -1;
  int hovered_ = -1;
  QFont font_;
  FocusTracker focus_;
};

// Progress -----------------------------------------------------------------------------------

class ProgressView : public View<QProgressBar> {
 public:
  ProgressView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setRange(0, 100);
  }

 protected:
  void SyncState() override {
    auto* progress = ModelAs<Tessel::MProgress>();
    if (progress == nullptr) return;
    if (progress->IsBusy()) {
      setRange(0, 0);
    } else {
      setRange(0, 100);
      setValue(progress->GetProgress());
    }
    const QString title = ToQString(progress->GetTitle());
    setTextVisible(!title.isEmpty());
    setFormat(title);
    setFont(FontOf(*progress, QStringLiteral("hint")));
  }
};

// Pictures -----------------------------------------------------------------------------------

class PictureView : public View<QWidget> {
 public:
  PictureView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {}

 protected:
  void SyncState() override {
    auto* picture = ModelAs<Tessel::MPicture>();
    if (picture == nullptr) return;
    const Tessel::PictureFit fit = picture->GetFit();
    const std::string name = picture->GetImage();
    // A change of anything else leaves the picture as it is drawn.
    if (fit == fit_ && name == name_) return;
    fit_ = fit;
    if (name != name_) {
      name_ = name;
      Load(PicturePath(name));
    }
    ShowsOpaque(!still_.isNull() && !still_.hasAlphaChannel());
    update();
  }

  virtual void Load(const QString& path) { still_ = path.isEmpty() ? QPixmap() : QPixmap(path); }
  Tessel::PictureFit Fit() const { return fit_; }

  // A picture without transparency that fills the whole control hides what lies below it,
  // which then is not drawn at all.
  void ShowsOpaque(bool opaquePicture) {
    const bool fills = fit_ == Tessel::PictureFit::Cover || fit_ == Tessel::PictureFit::Stretch;
    setAttribute(Qt::WA_OpaquePaintEvent, opaquePicture && fills);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    DrawPicture(painter, still_, rect(), fit_);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
    if (auto* picture = ModelAs<Tessel::MPicture>()) picture->UserClick();
  }

 private:
  std::string name_;
  QPixmap still_;
  Tessel::PictureFit fit_ = Tessel::PictureFit::Cover;
};

// An animated picture plays while it can be seen and its control says so: decoded once, each
// frame at the animation's own pace, drawing again only the part of the picture that changed.
class GifView : public PictureView {
 public:
  GifView(Tessel::MControl& control, QWidget* parent) : PictureView(control, parent) {
    nextFrame_.setSingleShot(true);
    connect(&nextFrame_, &QTimer::timeout, this, [this] { ShowNextFrame(); });
    // A minimised window stays "visible" to Qt, and the views of a scaled window hear nothing
    // of their window being shown or hidden: the window's own events tell.
    WindowWidget::TopLevelOf(*this).installEventFilter(this);
  }

 protected:
  void SyncState() override {
    PictureView::SyncState();
    if (animation_) ShowsOpaque(animation_->IsOpaque());
    if (auto* gif = ModelAs<Tessel::CGifPicture>()) playing_ = gif->IsPlaying();
    UpdatePlaying();
  }

  void Load(const QString& path) override {
    animation_.reset();
    nextFrame_.stop();
    path_ = path;
    requestedScale_ = 1.0;
    PictureView::Load({});
    if (path.isEmpty() || Decode(1.0)) return;
    PictureView::Load(path);
  }

  void paintEvent(QPaintEvent* event) override {
    if (!animation_) {
      PictureView::paintEvent(event);
      return;
    }
    QPainter painter(this);
    const QImage& frame = animation_->Frame();
    const Placement placement = PlacePicture(frame.deviceIndependentSize(), rect(), Fit());
    if (placement.target.isEmpty()) return;
    const qreal ratio = frame.devicePixelRatio();
    const QRect part =
        QRectF(placement.source.topLeft() * ratio, placement.source.size() * ratio).toRect();
    const std::optional<QRect> pixels = DevicePixels(painter, placement.target);
    if (pixels && std::abs(pixels->width() - part.width()) <= 1 &&
        std::abs(pixels->height() - part.height()) <= 1) {
      CopyParts(painter, event->region(), *pixels, part.topLeft() - pixels->topLeft());
      return;
    }
    DrawPicture(painter, frame, rect(), Fit());
    // Frames of the size the picture takes on the screen make the next paints plain copies.
    if (pixels && Fit() != Tessel::PictureFit::Center)
      DecodeLater(pixels->width() / placement.source.width());
  }

  void showEvent(QShowEvent*) override { UpdatePlaying(); }
  void hideEvent(QHideEvent*) override { UpdatePlaying(); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowStateChange || type == QEvent::Show || type == QEvent::Hide)
      UpdatePlaying();
    return PictureView::eventFilter(watched, event);
  }

 private:
  bool CanBeSeen() {
    const QWidget& window = WindowWidget::TopLevelOf(*this);
    return isVisible() && window.isVisible() && !window.isMinimized();
  }

  void UpdatePlaying() {
    const bool play = animation_ && playing_ && animation_->HasNext() && CanBeSeen();
    if (!play) {
      nextFrame_.stop();
    } else if (!nextFrame_.isActive()) {
      nextFrame_.start(animation_->DelayMs());
    }
  }

  bool Decode(double scale) {
    auto animation = std::make_unique<DecodedAnimation>();
    if (!animation->Open(path_, scale)) return false;
    animation_ = std::move(animation);
    return true;
  }

  // Decodes the animation again at a scale (never above its own size), once the current paint
  // is over; it starts again from its first frame.
  void DecodeLater(double scale) {
    scale = std::min(scale, 1.0);
    if (std::abs(scale - animation_->Scale()) < 0.002 || scale == requestedScale_) return;
    requestedScale_ = scale;
    QTimer::singleShot(0, this, [this, scale] {
      if (!animation_ || !Decode(scale)) return;
      nextFrame_.stop();
      update();
      UpdatePlaying();
    });
  }

  // Pixel for pixel: only the parts being drawn are copied.
  void CopyParts(QPainter& painter, const QRegion& exposed, const QRect& pixels, QPoint toFrame) {
    const QImage& frame = animation_->Frame();
    const std::optional<QRegion> parts = DeviceRegion(painter, exposed);
    if (!parts) return;
    const QRegion copied = *parts & (frame.rect().translated(-toFrame) & pixels);
    const DeviceCoordinates device(painter);
    for (const QRect& part : copied)
      painter.drawImage(part.topLeft(), frame, part.translated(toFrame));
  }

  void ShowNextFrame() {
    if (!animation_) return;
    const QRegion changed = animation_->Advance();
    if (testAttribute(Qt::WA_OpaquePaintEvent) && !animation_->IsOpaque()) {
      ShowsOpaque(false);  // a frame with transparency: what lies below shows again
      update();
    } else if (!changed.isEmpty()) {
      WindowWidget::UpdateRegion(*this, InWidget(changed));
    }
    UpdatePlaying();
  }

  // Parts of the frame where they are drawn in the widget, a pixel larger on every side for
  // what smoothing spreads when the frame is scaled.
  QRegion InWidget(const QRegion& changed) const {
    const QImage& frame = animation_->Frame();
    const Placement placement = PlacePicture(frame.deviceIndependentSize(), rect(), Fit());
    if (placement.source.isEmpty()) return {};
    // Frame pixels to picture units, then picture units to widget pixels.
    const qreal ratio = frame.devicePixelRatio();
    const qreal across = placement.target.width() / placement.source.width() / ratio;
    const qreal down = placement.target.height() / placement.source.height() / ratio;
    const QPointF origin = placement.source.topLeft() * ratio;
    QRegion region;
    for (const QRect& part : changed) {
      const QRectF drawn(placement.target.left() + (part.left() - origin.x()) * across,
                         placement.target.top() + (part.top() - origin.y()) * down,
                         part.width() * across, part.height() * down);
      region += drawn.toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    return region & rect();
  }

  QString path_;
  std::unique_ptr<DecodedAnimation> animation_;
  double requestedScale_ = 1.0;
  QTimer nextFrame_{this};  // a child, so that it can be found
  bool playing_ = true;
};

// Area ---------------------------------------------------------------------------------------

class AreaView : public CachedView<QWidget> {
 public:
  AreaView(Tessel::MControl& control, QWidget* parent) : CachedView(control, parent) {}

 protected:
  void SyncState() override {
    auto* area = ModelAs<Tessel::MArea>();
    if (area == nullptr) return;
    hasColor_ = area->HasBackgroundColor();
    color_ = ToQColor(area->GetBackgroundColor());
    const std::string image = area->GetBackgroundImage();
    if (image != imageName_) {
      imageName_ = image;
      image_ = image.empty() ? QPixmap() : QPixmap(PicturePath(image));
    }
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setRenderHint(QPainter::Antialiasing);
    const QString& style = StyleName();
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (style == QLatin1String("title-bar")) {
      QLinearGradient fill(0, 0, 0, height());
      fill.setColorAt(0, QColor(8, 10, 15, 235));
      fill.setColorAt(1, QColor(8, 10, 15, 170));
      painter.fillRect(rect(), fill);
      painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(255, 255, 255, 20));
    } else if (style == QLatin1String("card")) {
      painter.setPen(QPen(theme::Border(), 1));
      painter.setBrush(QColor(28, 32, 44, 225));
      painter.drawRoundedRect(r, 12, 12);
    } else if (style == QLatin1String("panel")) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(17, 19, 26, 215));
      painter.drawRoundedRect(r, 10, 10);
    } else if (style == QLatin1String("overlay")) {
      painter.fillRect(rect(), QColor(0, 0, 0, 150));
    }
    if (hasColor_) painter.fillRect(rect(), color_);
    DrawPicture(painter, image_, rect(), Tessel::PictureFit::Cover);
  }

  bool DrawsNothing() const override {
    static const QStringList kDrawnLooks = {QStringLiteral("title-bar"), QStringLiteral("card"),
                                            QStringLiteral("panel"), QStringLiteral("overlay")};
    return !hasColor_ && image_.isNull() && !kDrawnLooks.contains(StyleName());
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (IsTitleBar()) drag_.Press(*this, *event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (IsTitleBar()) drag_.Move(*this, *event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool moved = drag_.Release();
    if (moved || event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
      return;
    if (auto* area = ModelAs<Tessel::MArea>()) area->UserClick();
  }

 private:
  bool IsTitleBar() const { return StyleName() == QLatin1String("title-bar"); }

  bool hasColor_ = false;
  QColor color_;
  std::string imageName_;
  QPixmap image_;
  WindowDrag drag_;
};

template <class V, class... Extra>
ViewRegistry::Creator Make(Extra... extra) {
  return [=](Tessel::MControl& control, QWidget* parent) -> ControlView* {
    return new V(control, parent, extra...);  // owned by `parent`
  };
}

}  // namespace

std::vector<std::pair<std::string, ViewRegistry::Creator>> StandardViews() {
  using Kind = CheckableView::Kind;
  return {
      {Tessel::MArea::kClassName, Make<AreaView>()},
      {Tessel::MControlFont::kClassName, Make<LabelView>()},
      {Tessel::MButton::kClassName, Make<ButtonView>()},
      {Tessel::CSwitchButton::kClassName, Make<CheckableView>(Kind::Switch)},
      {Tessel::CCheckButton::kClassName, Make<CheckableView>(Kind::Check)},
      {Tessel::CRadioButton::kClassName, Make<CheckableView>(Kind::Radio)},
      {Tessel::CColorButton::kClassName, Make<ColorButtonView>()},
      {Tessel::MSlider::kClassName, Make<SliderView>()},
      {Tessel::MEdit::kClassName, Make<EditView>()},
      {Tessel::MComboBox::kClassName, Make<ComboView>()},
      {Tessel::MTabCtrl::kClassName, Make<TabsView>(false)},
      {Tessel::TabCtrlEx::kClassName, Make<TabsView>(true)},
      {Tessel::MProgress::kClassName, Make<ProgressView>()},
      {Tessel::MPicture::kClassName, Make<PictureView>()},
      {Tessel::CGifPicture::kClassName, Make<GifView>()},
  };
}

}  // namespace TesselQt
