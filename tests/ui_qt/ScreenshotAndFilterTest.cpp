#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <set>

#include "QtTestSupport.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/qt/FileFilter.h"
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

class MainFrame : public qt_test::RecordingDialog {
 public:
  MainFrame() : RecordingDialog([](Tessel::MWindow& w) { CreateMainWindowControls(w); }, "Main") {}
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
  frame.ShowWindow(Tessel::kShow);

  QTemporaryDir folder;
  const std::filesystem::path png = std::filesystem::path(folder.path().toStdString()) / "main.png";
  ASSERT_TRUE(qt_test::Backend().SaveScreenshot(frame, png));
  QImage image(QString::fromStdString(png.string()));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(kMainWindowWidth, kMainWindowHeight));
  // Text, tabs and the backgrounds give many colours; a blank grab has one.
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3) {
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 50u);
  // A window the backend does not draw has no screenshot.
  qt_test::RecordingDialog never;
  EXPECT_FALSE(qt_test::Backend().SaveScreenshot(never, png));
  frame.DestroyWindow();
}

}  // namespace
