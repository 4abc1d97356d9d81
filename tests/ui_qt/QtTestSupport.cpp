#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <memory>

#include "support/TempFolder.h"

namespace qt_test {
namespace {

int g_argc = 1;
char g_name[] = "tests_ui_qt";
char* g_argv[] = {g_name, nullptr};

// Qt's offscreen platform is told of a screen of a known size, so that windows fit it (or are
// scaled to) as they would on a desktop.
void DescribeOffscreenScreen(const std::filesystem::path& file) {
  if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("offscreen")) return;
  std::ofstream(file) << "{\"screens\": [{\"name\": \"Test screen\", \"x\": 0, \"y\": 0, "
                      << "\"width\": " << kScreenSize.width()
                      << ", \"height\": " << kScreenSize.height() << "}]}\n";
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QByteArray::fromStdString(file.string()));
}

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    DescribeOffscreenScreen(folder_ / "screens.json");
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
