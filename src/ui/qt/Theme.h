#pragma once
// The look of the application: one dark palette and one style sheet, keyed by the style names
// the pages give their controls (MControl::SetStyle).
//
// Style names:
//   areas:   "title-bar" (the draggable window title bar), "card" (a raised panel),
//            "panel" (a flat darker panel), "overlay" (dims what lies below)
//   labels:  "" (body text), "window-title", "dialog-caption", "heading", "secondary", "hint",
//            "accent", "value", "error"
//   buttons: "" (neutral), "primary", "danger", "link", "window-button", "window-close"
//   tabs:    "tab-main" (the main page tabs; TabCtrlEx is always underlined sub-tabs)

#include <QColor>
#include <QFont>
#include <QString>

class QApplication;

namespace TesselQt::theme {

// Colours of the palette.
QColor WindowBackground();
QColor Surface();
QColor SurfaceRaised();
QColor Border();
QColor BorderHover();
QColor Text();
QColor TextSecondary();
QColor TextDisabled();
QColor Accent();
QColor AccentBright();
QColor Focus();
QColor Danger();

// The font families in order of preference; Chinese texts fall back to Noto Sans CJK.
// `traditionalChinese` puts the traditional glyph forms first.
QStringList FontFamilies(bool traditionalChinese);

// The font of a look; `pixels` > 0 and `bold` come from the control and override the look.
QFont FontFor(const QString& style, int pixels = 0, bool bold = false);
QColor TextColorFor(const QString& style);

// The style sheet of the standard widgets, keyed by the "tesselStyle" property.
QString StyleSheet();

// Fusion style, the dark palette, the fonts and the style sheet for the whole application.
void Apply(QApplication& application, bool traditionalChinese = false);

}  // namespace TesselQt::theme
