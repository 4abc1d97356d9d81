#include "QtTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

namespace qt_test {
namespace {

int g_argc = 1;
char g_name[] = "tests_ui_qt";
char* g_argv[] = {g_name, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { backend_ = std::make_unique<TesselQt::QtBackend>(g_argc, g_argv); }
  void TearDown() override { backend_.reset(); }
  TesselQt::QtBackend& Get() { return *backend_; }

 private:
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
