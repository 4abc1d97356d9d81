// The colour wheel's model: colours and hue/saturation/value, picks and what they report.

#include <gtest/gtest.h>

#include <vector>

#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace Tessel {
namespace {

TEST(ColorWheelTest, EveryByteColourSurvivesTheRoundTrip) {
  for (unsigned r = 0; r < 256; r += 15) {
    for (unsigned g = 0; g < 256; g += 17) {
      for (unsigned b = 0; b < 256; b += 51) {
        const Color color = Rgb(r, g, b);
        ASSERT_EQ(ColorOfHsv(HsvOfColor(color)), color) << r << " " << g << " " << b;
      }
    }
  }
  EXPECT_EQ(ColorOfHsv({0, 1, 1}), 0x0000FFu);    // red
  EXPECT_EQ(ColorOfHsv({120, 1, 1}), 0x00FF00u);  // green
  EXPECT_EQ(ColorOfHsv({240, 1, 1}), 0xFF0000u);  // blue
  EXPECT_EQ(ColorOfHsv({-120, 1, 1}), 0xFF0000u) << "hue wraps";
  EXPECT_EQ(ColorOfHsv({60, 2, -1}), 0u) << "parts clamp";
}

class Recorder : public MWindow {
 public:
  Recorder() : MWindow("recorder") {}
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    events.push_back({id, code, arg1, arg2});
  }
  struct Event {
    int id, code;
    std::intptr_t arg1, arg2;
  };
  std::vector<Event> events;
};

class ColorWheelModelTest : public ::testing::Test {
 protected:
  ColorWheelModelTest() { Manager::SetBackend(&backend_); }
  ~ColorWheelModelTest() override { Manager::SetBackend(nullptr); }
  HeadlessBackend backend_;
  Recorder window_;
  ColorWheel wheel_{window_, 7};
};

TEST_F(ColorWheelModelTest, GreysKeepTheHueTheWheelPointsAt) {
  wheel_.SetColor(0x00FF00);
  EXPECT_DOUBLE_EQ(wheel_.GetHsv().hue, 120.0);
  wheel_.SetColor(0);  // black
  EXPECT_DOUBLE_EQ(wheel_.GetHsv().hue, 120.0);
  EXPECT_DOUBLE_EQ(wheel_.GetHsv().saturation, 1.0);
  // Back to full brightness the green returns.
  wheel_.UserPickValue(1.0, true);
  EXPECT_EQ(wheel_.GetColor(), 0x00FF00u);
  EXPECT_TRUE(window_.events.size() == 1);
}

TEST_F(ColorWheelModelTest, PicksReportTheColourAndTheEndOfADrag) {
  wheel_.SetColor(0x0000FF);
  EXPECT_TRUE(window_.events.empty()) << "a page setting the colour is no user action";
  wheel_.UserPickHueSaturation(240.0, 0.5, false);
  wheel_.UserPickHueSaturation(240.0, 1.0, true);
  ASSERT_EQ(window_.events.size(), 2u);
  EXPECT_EQ(window_.events[0].code, kEventValueChanged);
  EXPECT_EQ(window_.events[0].arg1, static_cast<std::intptr_t>(Rgb(128, 128, 255)));
  EXPECT_EQ(window_.events[0].arg2, 0);
  EXPECT_EQ(window_.events[1].arg1, 0xFF0000);
  EXPECT_EQ(window_.events[1].arg2, 1);
  // A pick on a black wheel shows the hue at full brightness.
  wheel_.SetColor(0);
  wheel_.UserPickHueSaturation(0.0, 1.0, true);
  EXPECT_EQ(wheel_.GetColor(), 0x0000FFu);
  wheel_.SetEnabled(false);
  wheel_.UserPickValue(0.2, true);
  EXPECT_EQ(window_.events.size(), 3u) << "a disabled wheel takes no picks";
}

}  // namespace
}  // namespace Tessel
