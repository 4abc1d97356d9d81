#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <set>

#include "QtTestSupport.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/pages/WindowHost.h"
#include "ui/qt/FileFilter.h"
#include "ui/qt/Painting.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Manager.h"

namespace {

TEST(FileFilterTest, PageFiltersBecomeQtFilters) {
  const std::pair<const char*, const char*> cases[] = {
      {"Image Files (*.jpg;*.jpeg;*.png)", "Image Files (*.jpg *.jpeg *.png)"},
      {"Image Files (*.jpg;*.jpeg;*.png;*.gif)", "Image Files (*.jpg *.jpeg *.png *.gif)"},
      {"Profiles (*.xml);;All Files (*.*)", "Profiles (*.xml);;All Files (*)"},
      {"Profiles|*.xml|All Files|*.*||", "Profiles (*.xml);;All Files (*)"},
      {"Pictures (*.png)|*.png;*.bmp|", "Pictures (*.png *.bmp)"},
      {"Text (*.txt *.log)", "Text (*.txt *.log)"},
      {" (*.gif) ", "(*.gif)"},
      {"Everything", "Everything"},
      {"", ""},
      {"Broken|", ""},
  };
  for (const auto& [page, qt] : cases) EXPECT_EQ(TesselQt::ToQtFileFilter(page), qt) << page;
}

TEST(PicturePlacementTest, EachFitShowsThePictureAsItPromises) {
  using Fit = Tessel::PictureFit;
  struct Case {
    Fit fit;
    QSizeF picture;
    QRectF target, expectedTarget, expectedSource;
  };
  const Case cases[] = {
      // A 200 x 100 picture in a 100 x 100 box.
      {Fit::Stretch, {200, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}, {0, 0, 200, 100}},
      {Fit::Contain, {200, 100}, {0, 0, 100, 100}, {0, 25, 100, 50}, {0, 0, 200, 100}},
      {Fit::Cover, {200, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}, {50, 0, 100, 100}},
      {Fit::Center, {200, 100}, {0, 0, 100, 100}, {0, 0, 100, 100}, {50, 0, 100, 100}},
      // A small picture in a large box keeps its size only when centred.
      {Fit::Center, {20, 10}, {10, 10, 100, 100}, {50, 55, 20, 10}, {0, 0, 20, 10}},
      {Fit::Contain, {20, 10}, {10, 10, 100, 100}, {10, 35, 100, 50}, {0, 0, 20, 10}},
      // Nothing to draw.
      {Fit::Cover, {0, 0}, {0, 0, 100, 100}, {}, {}},
      {Fit::Cover, {10, 10}, {0, 0, 0, 0}, {}, {}},
  };
  for (const Case& c : cases) {
    const TesselQt::Placement placement = TesselQt::PlacePicture(c.picture, c.target, c.fit);
    EXPECT_EQ(placement.target, c.expectedTarget) << static_cast<int>(c.fit);
    EXPECT_EQ(placement.source, c.expectedSource) << static_cast<int>(c.fit);
  }
}

TEST(ColourTest, ToolkitColoursKeepRedInTheLowByte) {
  const Tessel::Color colour = Tessel::Rgb(0x12, 0x34, 0x56);
  EXPECT_EQ(TesselQt::ToQColor(colour), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(TesselQt::FromQColor(QColor(0x12, 0x34, 0x56)), colour);
}

class MainFrame : public qt_test::RecordingDialog {
 public:
  MainFrame()
      : RecordingDialog(
            [](Tessel::MWindow& w) {
              WindowHost host(w);
              CreateMainWindowControls(host);
            },
            "Main") {}
};

TEST(ScreenshotTest, AMainWindowScreenshotIsAPictureOfTheWholeWindow) {
  qt_test::Backend();
  Tessel::Manager::SetResourceFolder(std::filesystem::path(TARVO_SOURCE_DIR) / "data");
  MainFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, "Tarvo",
                           Tessel::Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight)));
  auto* tabs = frame.GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  for (int i = 0; i < tabs->GetCount(); ++i) tabs->SetItemText(i, "Page " + std::to_string(i));
  frame.GetControl<Tessel::MControlFont>(ids::kProductTitle)->SetTitle("Tarvo");
  QTemporaryDir folder;
  const std::filesystem::path png = std::filesystem::path(folder.path().toStdString()) / "main.png";
  auto check = [&png] {
    QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(kMainWindowWidth, kMainWindowHeight));
    // Text, tabs and the backgrounds give many colours; a blank grab has one.
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
      for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50u);
  };
  // Before the window is first shown (a start that only takes a screenshot) and after.
  ASSERT_TRUE(qt_test::Backend().SaveScreenshot(frame, png));
  check();
  frame.ShowWindow(Tessel::kShow);
  ASSERT_TRUE(qt_test::Backend().SaveScreenshot(frame, png));
  check();
  // A window the backend does not draw has no screenshot.
  qt_test::RecordingDialog never;
  EXPECT_FALSE(qt_test::Backend().SaveScreenshot(never, png));
  frame.DestroyWindow();
}

}  // namespace
