#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "support/TempFolder.h"

namespace qt_test {
namespace {

int g_argc = 1;
char g_name[] = "tests_ui_qt";
char* g_argv[] = {g_name, nullptr};

// Qt's offscreen platform is told of screens of known sizes, so that windows fit them (or are
// scaled to) as they would on a desktop: the primary one, and a smaller one to its right.
void DescribeOffscreenScreens(const std::filesystem::path& file) {
  if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("offscreen")) return;
  const auto screen = [](const char* name, QPoint at, QSize size) {
    return "{\"name\": \"" + std::string(name) + "\", \"x\": " + std::to_string(at.x()) +
           ", \"y\": " + std::to_string(at.y()) + ", \"width\": " + std::to_string(size.width()) +
           ", \"height\": " + std::to_string(size.height()) + "}";
  };
  // The platform orders its screens by name: the first one is the primary screen.
  std::ofstream(file) << "{\"screens\": [" << screen("Screen 1", {0, 0}, kScreenSize) << ", "
                      << screen(kSmallScreenName, {kScreenSize.width(), 0}, kSmallScreenSize)
                      << "]}\n";
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QByteArray::fromStdString(file.string()));
}

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    DescribeOffscreenScreens(folder_ / "screens.json");
    backend_ = std::make_unique<TesselQt::QtBackend>(g_argc, g_argv);
  }
  void TearDown() override { backend_.reset(); }
  TesselQt::QtBackend& Get() { return *backend_; }

 private:
  TempFolder folder_;
  std::unique_ptr<TesselQt::QtBackend> backend_;
};

QtEnvironment* const g_environment = static_cast<QtEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new QtEnvironment));  // gtest owns it

}  // namespace

TesselQt::QtBackend& Backend() {
  return g_environment->Get();
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  return QTest::qWaitFor(done, milliseconds);
}

QWidget* WidgetOf(const Tessel::MWindow& window, int id) {
  Tessel::MControl* control = window.FindControl(id);
  EXPECT_NE(control, nullptr) << "no control " << id;
  if (control == nullptr) return nullptr;
  QWidget* widget = Backend().WidgetOf(*control);
  EXPECT_NE(widget, nullptr) << "no widget for control " << id;
  return widget;
}

}  // namespace qt_test
