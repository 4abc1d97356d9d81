#pragma once
// How a window whose layout has a fixed size fits the screen: the factor it is drawn at and
// where it goes so that it stays whole on the screen's free area (without panels and docks).

#include <QPoint>
#include <QRect>
#include <QSize>

namespace TesselQt {

// Below this a layout made for a desktop screen is no longer readable: a smaller area shows
// part of the window instead.
constexpr double kSmallestWindowScale = 0.5;

// The factor a window of `layout` size is drawn at to fit `area`: 1 when it fits (windows are
// never enlarged), otherwise the largest factor at which both sides fit, but not below
// kSmallestWindowScale. An empty layout or area leaves the window as it is (1).
double ScaleToFit(QSize layout, QSize area);

// The window's size at `scale`: whole pixels, never more than the scaled layout (so the
// drawing fits it), at least one pixel.
QSize ScaledSize(QSize layout, double scale);

// Where a window with `frame` goes so that as much of it as possible lies inside `area`: its
// top left corner (and so its title bar) first when it is larger than the area.
QPoint KeepInside(const QRect& frame, const QRect& area);

}  // namespace TesselQt
