// The drawings of the light page's own controls: the colour wheel answers the pointer with the
// colour under it, the mode tiles report the tile clicked, and every mode has its picture.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <memory>

#include "QtTestSupport.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/Manager.h"

namespace {

using qt_test::Backend;
const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";
constexpr int kWheel = 11;
constexpr int kModes = 12;
// The wheel's control is 150 x 132: a 132 px circle and the value bar at the right.
constexpr int kWheelSide = 132;

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

class LightViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Backend();
    Tessel::Manager::SetResourceFolder(kData);
    dialog = std::make_unique<qt_test::RecordingDialog>([](Tessel::MWindow& w) {
      w.Add<Tessel::ColorWheel>(kWheel)->SetRect(Tessel::Rect::FromSize(10, 10, 150, kWheelSide));
      auto* modes = w.Add<Tessel::IconList>(kModes);
      modes->SetRect(Tessel::Rect::FromSize(10, 160, 250, 110));
      modes->SetTileSize(77, 48);
      for (int mode = 0; mode < 5; ++mode) {
        modes->AddIconItem("Mode " + std::to_string(mode), 100 + mode,
                           "icon\\light_zone_icon_" + std::to_string(mode) + ".png");
      }
    });
    ASSERT_TRUE(dialog->Create(nullptr, "Light", Tessel::Rect::FromSize(40, 40, 300, 300)));
    dialog->ShowWindow(Tessel::kShow);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Backend().WidgetOf(*dialog)));
    Backend().FlushChanges();
  }
  void TearDown() override {
    dialog->DestroyWindow();
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::unique_ptr<qt_test::RecordingDialog> dialog;
};

TEST_F(LightViewsTest, TheWheelPicksTheColourUnderThePointer) {
  QWidget* wheel = qt_test::WidgetOf(*dialog, kWheel);
  const QPoint centre(kWheelSide / 2, kWheelSide / 2);
  // The rim at the right is red, the rim at the top (a quarter turn on) yellowish green, the
  // centre white; the drag ends where the button is released.
  SendMouse(wheel, QEvent::MouseButtonPress, centre + QPoint(kWheelSide / 2 - 1, 0),
            Qt::LeftButton);
  SendMouse(wheel, QEvent::MouseMove, centre + QPoint(0, -(kWheelSide / 2 - 1)), Qt::LeftButton);
  SendMouse(wheel, QEvent::MouseButtonRelease, centre, Qt::NoButton);
  ASSERT_EQ(dialog->events.size(), 3u);
  const auto colour = [&](std::size_t i) {
    return static_cast<Tessel::Color>(dialog->events[i].arg1);
  };
  EXPECT_GT(Tessel::RedOf(colour(0)), 240u);
  EXPECT_LT(Tessel::GreenOf(colour(0)), 12u);
  EXPECT_GT(Tessel::GreenOf(colour(1)), 240u);
  EXPECT_LT(Tessel::BlueOf(colour(1)), 12u);
  EXPECT_NEAR(Tessel::RedOf(colour(1)), 128, 12);
  for (unsigned channel :
       {Tessel::RedOf(colour(2)), Tessel::GreenOf(colour(2)), Tessel::BlueOf(colour(2))}) {
    EXPECT_GT(channel, 245u) << "near white";
  }
  EXPECT_EQ(dialog->events[1].arg2, 0);
  EXPECT_EQ(dialog->events[2].arg2, 1) << "the release ends the pick";
  // The value bar: its bottom is black.
  SendMouse(wheel, QEvent::MouseButtonPress, QPoint(150 - 8, kWheelSide - 1), Qt::LeftButton);
  SendMouse(wheel, QEvent::MouseButtonRelease, QPoint(150 - 8, kWheelSide - 1), Qt::NoButton);
  EXPECT_EQ(dialog->GetControl<Tessel::ColorWheel>(kWheel)->GetColor(), 0u);
}

TEST_F(LightViewsTest, AClickedTileIsChosenAndThePicturesAreShown) {
  QWidget* modes = qt_test::WidgetOf(*dialog, kModes);
  // Three tiles fit in a row of 250 px: the fifth sits in the second row, second column.
  SendMouse(modes, QEvent::MouseButtonPress, QPoint(125, 75), Qt::LeftButton);
  ASSERT_EQ(dialog->events.size(), 1u);
  EXPECT_EQ(dialog->events[0].id, kModes);
  EXPECT_EQ(dialog->events[0].arg1, 4);
  EXPECT_EQ(dialog->events[0].arg2, 104);
  EXPECT_EQ(dialog->GetControl<Tessel::IconList>(kModes)->GetCurSel(), 4);
  // Each tile draws its picture: the picture's violet-to-cyan ink shows on the tile.
  Backend().FlushChanges();
  const QImage drawn = modes->grab().toImage();
  int inked = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 77; ++x) inked += QColor(drawn.pixel(x, y)).blue() > 160 ? 1 : 0;
  }
  EXPECT_GT(inked, 20);
}

TEST(LightPicturesTest, EveryModeHasItsPicture) {
  Backend();
  std::vector<std::string> names;
  for (int mode = 0; mode <= 20; ++mode) names.push_back("light_icon_" + std::to_string(mode));
  names.push_back("light_icon_128");
  for (int mode = 0; mode <= 4; ++mode) names.push_back("light_zone_icon_" + std::to_string(mode));
  for (const std::string& name : names) {
    const QImage picture(QString::fromStdString((kData / "icon" / (name + ".png")).string()));
    EXPECT_EQ(picture.size(), QSize(48, 48)) << name;
    EXPECT_TRUE(picture.hasAlphaChannel()) << name;
  }
}

}  // namespace
