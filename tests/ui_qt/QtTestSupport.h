#pragma once
// One Qt backend for the whole test program (Qt allows one application object at a time), and
// a dialog that records what its controls report.

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ui/qt/QtBackend.h"
#include "ui/tessel/MWindow.h"

namespace qt_test {

TesselQt::QtBackend& Backend();

// The screens of the offscreen platform the tests run on: the primary one, and a smaller one
// to its right.
inline const QSize kScreenSize(1920, 1080);
inline const QSize kSmallScreenSize(1280, 720);
inline constexpr const char* kSmallScreenName = "Screen 2";

// Runs the event loop until `done` holds (at most five seconds); returns `done()`.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000);

struct Event {
  int id, code;
  std::intptr_t arg1, arg2;
  friend bool operator==(const Event&, const Event&) = default;
};

class RecordingDialog : public Tessel::MDialog {
 public:
  explicit RecordingDialog(std::function<void(Tessel::MWindow&)> build = {},
                           std::string name = "Recording")
      : MDialog(std::move(name)), build_(std::move(build)) {}

  std::vector<Event> events;
  std::vector<int> ticks;
  std::vector<std::thread::id> tickThreads;

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    events.push_back({id, code, arg1, arg2});
  }
  void OnTimer(int id) override {
    ticks.push_back(id);
    tickThreads.push_back(std::this_thread::get_id());
  }

 protected:
  void CreateControls() override {
    if (build_) build_(*this);
  }

 private:
  std::function<void(Tessel::MWindow&)> build_;
};

// The widget of a control (fails the test when there is none).
QWidget* WidgetOf(const Tessel::MWindow& window, int id);

}  // namespace qt_test
