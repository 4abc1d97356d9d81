#include "ui/qt/Theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace TesselQt::theme {
namespace {

struct Look {
  const char* style;
  int pixels;
  QFont::Weight weight;
  QColor (*color)();
};

// Label and text looks; the first entry is the default.
const Look kLooks[] = {
    {"", 14, QFont::Normal, Text},
    {"window-title", 17, QFont::DemiBold, Text},
    {"dialog-caption", 16, QFont::DemiBold, Text},
    {"heading", 20, QFont::DemiBold, Text},
    {"page-title", 22, QFont::DemiBold, Text},
    {"card-title", 16, QFont::DemiBold, Text},
    {"empty-title", 24, QFont::DemiBold, Text},
    {"secondary", 13, QFont::Normal, TextSecondary},
    {"hint", 12, QFont::Normal, TextSecondary},
    {"accent", 14, QFont::DemiBold, AccentBright},
    {"value", 14, QFont::DemiBold, Focus},
    {"error", 13, QFont::Normal, Danger},
    {"tab-main", 15, QFont::DemiBold, TextSecondary},
    {"primary", 14, QFont::DemiBold, Text},
    {"danger", 14, QFont::DemiBold, Text},
    {"link", 14, QFont::Normal, AccentBright},
};

const Look& LookOf(const QString& style) {
  for (const Look& look : kLooks) {
    if (style == QLatin1String(look.style)) return look;
  }
  return kLooks[0];
}

QStringList& Families() {
  static QStringList families = FontFamilies(false);
  return families;
}

const char* const kStyleSheet = R"(
QToolTip { color: #e9ecf5; background: #1c202c; border: 1px solid #2a3040; padding: 6px 8px; }

QPushButton {
  color: #e9ecf5; background: #1c202c; border: 2px solid #262b3a; border-radius: 8px;
  padding: 0 14px;
}
QPushButton:hover { background: #242938; border-color: #3d4560; }
QPushButton:pressed { background: #151821; }
QPushButton[keyboardFocus="true"] { border-color: #38d9f5; }
QPushButton:disabled { color: #596075; background: #151821; border-color: #1c202c; }

QPushButton[tesselStyle="primary"] {
  color: #ffffff; border-color: transparent;
  background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #8a6dff, stop:1 #5b7cff);
}
QPushButton[tesselStyle="primary"]:hover {
  background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #9d85ff, stop:1 #7592ff);
}
QPushButton[tesselStyle="primary"]:pressed {
  background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #6f55e0, stop:1 #4a68e0);
}
QPushButton[tesselStyle="primary"][keyboardFocus="true"] { border-color: #38d9f5; }
QPushButton[tesselStyle="primary"]:disabled { color: #8a8fa3; background: #2a2f40; }

QPushButton[tesselStyle="danger"] { color: #ffffff; background: #b8323a; border-color: transparent; }
QPushButton[tesselStyle="danger"]:hover { background: #d23f48; }
QPushButton[tesselStyle="danger"]:pressed { background: #992830; }
QPushButton[tesselStyle="danger"][keyboardFocus="true"] { border-color: #38d9f5; }

QPushButton[tesselStyle="link"] {
  color: #9d8bff; background: transparent; border: 2px solid transparent; padding: 0 4px;
}
QPushButton[tesselStyle="link"]:hover { color: #c4b8ff; text-decoration: underline; }
QPushButton[tesselStyle="link"][keyboardFocus="true"] { border-color: #38d9f5; }

QPushButton[tesselStyle="window-button"], QPushButton[tesselStyle="window-close"] {
  background: transparent; border: 2px solid transparent; border-radius: 8px; padding: 0;
}
QPushButton[tesselStyle="window-button"]:hover { background: rgba(255, 255, 255, 22); }
QPushButton[tesselStyle="window-button"]:pressed { background: rgba(255, 255, 255, 12); }
QPushButton[tesselStyle="window-close"]:hover { background: #e5484d; }
QPushButton[tesselStyle="window-close"]:pressed { background: #b8323a; }
QPushButton[tesselStyle="window-button"][keyboardFocus="true"],
QPushButton[tesselStyle="window-close"][keyboardFocus="true"] {
  border-color: #38d9f5;
}

QLineEdit {
  color: #e9ecf5; background: #151821; border: 2px solid #262b3a; border-radius: 8px;
  padding: 0 10px; selection-background-color: #7b61ff; selection-color: #ffffff;
}
QLineEdit:hover { border-color: #3d4560; }
QLineEdit:focus { border-color: #38d9f5; }
QLineEdit:read-only { background: #11131a; }
QLineEdit:disabled { color: #596075; border-color: #1c202c; }

QComboBox QAbstractItemView {
  color: #e9ecf5; background: #1c202c; border: 1px solid #2a3040; outline: 0; padding: 4px;
  selection-background-color: #7b61ff; selection-color: #ffffff;
}
QComboBox QAbstractItemView::item { min-height: 30px; padding: 0 10px; }

QSlider { background: transparent; }
QSlider::groove:horizontal { height: 6px; background: #262b3a; border-radius: 3px; }
QSlider::sub-page:horizontal {
  border-radius: 3px; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #7b61ff, stop:1 #38d9f5);
}
QSlider::add-page:horizontal { background: #262b3a; border-radius: 3px; }
QSlider::handle:horizontal {
  width: 14px; height: 14px; margin: -6px 0; border-radius: 9px; background: #e9ecf5;
  border: 2px solid #7b61ff;
}
QSlider::groove:vertical { width: 6px; background: #262b3a; border-radius: 3px; }
QSlider::add-page:vertical {
  border-radius: 3px; background: qlineargradient(x1:0, y1:1, x2:0, y2:0, stop:0 #7b61ff, stop:1 #38d9f5);
}
QSlider::handle:vertical {
  width: 14px; height: 14px; margin: 0 -6px; border-radius: 9px; background: #e9ecf5;
  border: 2px solid #7b61ff;
}
QSlider::handle:hover { background: #ffffff; border-color: #9d8bff; }
QSlider[keyboardFocus="true"]::handle { border-color: #38d9f5; background: #ffffff; }
QSlider::handle:disabled { background: #596075; border-color: #2a3040; }
QSlider::sub-page:horizontal:disabled { background: #2a3040; }

QProgressBar {
  color: #e9ecf5; background: #151821; border: 1px solid #262b3a; border-radius: 7px;
  text-align: center;
}
QProgressBar::chunk {
  border-radius: 6px; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #7b61ff, stop:1 #38d9f5);
}

QMenu { color: #e9ecf5; background: #1c202c; border: 1px solid #2a3040; padding: 6px; }
QMenu::item { padding: 8px 28px 8px 14px; border-radius: 6px; }
QMenu::item:selected { background: #7b61ff; color: #ffffff; }
QMenu::item:disabled { color: #596075; }
QMenu::separator { height: 1px; background: #2a3040; margin: 4px 8px; }

QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }
QScrollBar::handle:vertical { background: #2f3547; border-radius: 3px; min-height: 24px; }
QScrollBar::handle:vertical:hover { background: #3d4560; }
QScrollBar:horizontal { background: transparent; height: 10px; margin: 2px; }
QScrollBar::handle:horizontal { background: #2f3547; border-radius: 3px; min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
)";

}  // namespace

QColor WindowBackground() {
  return QColor(0x0d, 0x0f, 0x15);
}
QColor Surface() {
  return QColor(0x15, 0x18, 0x21);
}
QColor SurfaceRaised() {
  return QColor(0x1c, 0x20, 0x2c);
}
QColor Border() {
  return QColor(0x2a, 0x30, 0x40);
}
QColor BorderHover() {
  return QColor(0x3d, 0x45, 0x60);
}
QColor Text() {
  return QColor(0xe9, 0xec, 0xf5);
}
QColor TextSecondary() {
  return QColor(0x9b, 0xa3, 0xb8);
}
QColor TextDisabled() {
  return QColor(0x59, 0x60, 0x75);
}
QColor Accent() {
  return QColor(0x7b, 0x61, 0xff);
}
QColor AccentBright() {
  return QColor(0x9d, 0x8b, 0xff);
}
QColor Focus() {
  return QColor(0x38, 0xd9, 0xf5);
}
QColor Danger() {
  return QColor(0xe5, 0x48, 0x4d);
}

QStringList FontFamilies(bool traditionalChinese) {
  // Noto Sans CJK carries good Latin letters too, so one family gives every text one voice.
  QStringList cjk = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK TC")};
  if (traditionalChinese) cjk.swapItemsAt(0, 1);
  return cjk + QStringList{QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans"),
                           QStringLiteral("sans-serif")};
}

QFont FontFor(const QString& style, int pixels, bool bold) {
  const Look& look = LookOf(style);
  QFont font;
  font.setFamilies(Families());
  font.setPixelSize(pixels > 0 ? pixels : look.pixels);
  font.setWeight(bold ? QFont::Bold : look.weight);
  return font;
}

QColor TextColorFor(const QString& style) {
  return LookOf(style).color();
}

QString StyleSheet() {
  return QString::fromLatin1(kStyleSheet);
}

namespace {

QPalette DarkPalette() {
  QPalette palette;
  palette.setColor(QPalette::Window, WindowBackground());
  palette.setColor(QPalette::WindowText, Text());
  palette.setColor(QPalette::Base, Surface());
  palette.setColor(QPalette::AlternateBase, SurfaceRaised());
  palette.setColor(QPalette::Text, Text());
  palette.setColor(QPalette::Button, SurfaceRaised());
  palette.setColor(QPalette::ButtonText, Text());
  palette.setColor(QPalette::BrightText, Qt::white);
  palette.setColor(QPalette::Highlight, Accent());
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::ToolTipBase, SurfaceRaised());
  palette.setColor(QPalette::ToolTipText, Text());
  palette.setColor(QPalette::PlaceholderText, TextDisabled());
  palette.setColor(QPalette::Link, AccentBright());
  palette.setColor(QPalette::Light, BorderHover());
  palette.setColor(QPalette::Midlight, Border());
  palette.setColor(QPalette::Mid, Border());
  palette.setColor(QPalette::Dark, Surface());
  palette.setColor(QPalette::Shadow, Qt::black);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, TextDisabled());
  }
  return palette;
}

}  // namespace

void Apply(QApplication& application, bool traditionalChinese) {
  Families() = FontFamilies(traditionalChinese);
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
    application.setStyle(fusion);
  application.setPalette(DarkPalette());
  application.setFont(FontFor(QString()));
  application.setStyleSheet(StyleSheet());
}

}  // namespace TesselQt::theme
