#pragma once
// A colour wheel: hue around the circle, saturation from the centre (white) to the rim, and a
// value (brightness) bar beside it. It keeps its colour as hue, saturation and value, so that a
// colour taken darker and back keeps its hue.
//
// The user's picks are reported as kEventValueChanged with the colour (0x00BBGGRR) in arg1 and
// 1 in arg2 when the pointer was released (the end of a drag), else 0. Setting the colour from
// a page reports nothing. Any thread may read and set it; the User* operations are the
// backend's (UI thread).

#include "ui/tessel/MControl.h"

namespace Tessel {

struct Hsv {
  double hue = 0.0;         // degrees, 0 (red) up to 360
  double saturation = 0.0;  // 0 (white) to 1 (full colour)
  double value = 1.0;       // 0 (black) to 1
  friend bool operator==(const Hsv&, const Hsv&) = default;
};

// Conversions between the two forms; out-of-range parts are wrapped (hue) or clamped.
Color ColorOfHsv(const Hsv& hsv);
Hsv HsvOfColor(Color color);

class ColorWheel : public MControl {
 public:
  ColorWheel(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ColorWheel";

  // The colour shown. A grey keeps the hue the wheel had.
  void SetColor(Color color);
  Color GetColor() const;
  Hsv GetHsv() const;

  // The user chose a point on the wheel (a value of 0 becomes full brightness, so that the
  // chosen hue shows) or on the value bar.
  void UserPickHueSaturation(double hue, double saturation, bool final);
  void UserPickValue(double value, bool final);

 private:
  void Pick(const Hsv& hsv, bool final);

  Hsv hsv_{0.0, 1.0, 1.0};
};

}  // namespace Tessel
