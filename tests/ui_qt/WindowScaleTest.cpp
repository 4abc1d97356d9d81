#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

#include "QtTestSupport.h"
#include "ui/qt/WindowScale.h"
#include "ui/qt/WindowWidget.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/Manager.h"

namespace {

using qt_test::Backend;
using qt_test::Event;
using qt_test::RecordingDialog;
using qt_test::WaitFor;
using Tessel::Rect;

TEST(WindowScaleTest, AWindowIsScaledDownOnlyAsFarAsTheScreenNeedsAndNeverUp) {
  const struct {
    QSize layout, area;
    double scale;
  } cases[] = {
      {{1400, 788}, {1920, 1040}, 1.0},            // fits: drawn as laid out, never enlarged
      {{1400, 788}, {1400, 788}, 1.0},             // fits exactly
      {{1400, 788}, {1280, 720}, 720.0 / 788},     // the height is what limits
      {{1400, 788}, {1366, 768}, 768.0 / 788},     // 1366 / 1400 would still leave it too tall
      {{1400, 788}, {1280, 1024}, 1280.0 / 1400},  // here the width limits
      {{1400, 788}, {1366, 736}, 736.0 / 788},     // a panel takes 32 pixels of a 1366 x 768 one
      {{1400, 788}, {320, 240}, 0.5},              // no smaller than can still be read
      {{1400, 788}, {0, 0}, 1.0},                  // no area known: left as it is
      {{0, 0}, {1280, 720}, 1.0},                  // nothing to scale
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(TesselQt::ScaleToFit(c.layout, c.area), c.scale) << c.area.width();
  }
}

TEST(WindowScaleTest, TheScaledWindowFitsInWholePixels) {
  using TesselQt::ScaledSize;
  EXPECT_EQ(ScaledSize({1400, 788}, 720.0 / 788), QSize(1279, 720));
  EXPECT_EQ(ScaledSize({1400, 788}, 768.0 / 788), QSize(1364, 768));
  EXPECT_EQ(ScaledSize({1400, 788}, 0.5), QSize(700, 394));
  EXPECT_EQ(ScaledSize({1400, 788}, 1.0), QSize(1400, 788));
  EXPECT_EQ(ScaledSize({1, 1}, 0.5), QSize(1, 1));
  for (int height = 600; height <= 800; ++height) {
    const QSize size = ScaledSize({1400, 788}, TesselQt::ScaleToFit({1400, 788}, {2000, height}));
    EXPECT_LE(size.height(), height);
    EXPECT_GE(size.height(), std::min(height, 788) - 1);
  }
}

TEST(WindowScaleTest, AWindowIsMovedToLieOnTheScreenTitleBarFirst) {
  using TesselQt::KeepInside;
  const QRect screen(0, 32, 1280, 688);                                   // a panel at the top
  EXPECT_EQ(KeepInside({100, 100, 400, 300}, screen), QPoint(100, 100));  // already inside
  EXPECT_EQ(KeepInside({1100, 600, 400, 300}, screen), QPoint(880, 420));
  EXPECT_EQ(KeepInside({-50, 0, 400, 300}, screen), QPoint(0, 32));
  // Larger than the area: its top left corner (the title bar) stays on the screen.
  EXPECT_EQ(KeepInside({200, 100, 1400, 788}, screen), QPoint(0, 32));
  EXPECT_EQ(KeepInside({200, 100, 400, 300}, QRect()), QPoint(200, 100));
}

// Windows drawn on the test screen, one of them larger than its free area.
class ScaledWindowTest : public ::testing::Test {
 protected:
  enum Id : int { kTopButton = 2, kBottomButton, kTabs, kCombo };

  void SetUp() override {
    const QSize area = QGuiApplication::primaryScreen()->availableGeometry().size();
    // A layout a quarter larger than the screen in both directions: drawn at 0.8.
    layout = area * 5 / 4;
    dialog = std::make_unique<RecordingDialog>([this](Tessel::MWindow& w) { Build(w); });
    ASSERT_TRUE(
        dialog->Create(nullptr, "Large", Rect::FromSize(0, 0, layout.width(), layout.height())));
    dialog->CenterWindow();
    dialog->ShowWindow(Tessel::kShow);
    window = dynamic_cast<TesselQt::WindowWidget*>(Backend().WidgetOf(*dialog));
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }

  void TearDown() override {
    if (dialog) dialog->DestroyWindow();
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Build(Tessel::MWindow& w) {
    auto* top = w.Add<Tessel::MButton>(kTopButton);
    top->SetTitle("Top");
    top->SetRect(Rect::FromSize(100, 100, 200, 80));
    auto* bottom = w.Add<Tessel::MButton>(kBottomButton);
    bottom->SetTitle("Bottom");
    bottom->SetRect(Rect::FromSize(layout.width() - 400, layout.height() - 150, 300, 100));
    auto* tabs = w.Add<Tessel::MTabCtrl>(kTabs);
    for (auto [title, page] : {std::pair{"A", 10}, {"B", 20}, {"C", 30}})
      tabs->AddItem(title, page);
    tabs->SetRect(Rect::FromSize(layout.width() / 2, layout.height() / 2, 600, 60));
    auto* combo = w.Add<Tessel::MComboBox>(kCombo);
    for (auto [title, data] : {std::pair{"one", 10}, {"two", 20}, {"three", 30}})
      combo->AddItem(title, data);
    combo->SetCurSel(0);
    combo->SetRect(Rect::FromSize(200, 400, 300, 40));
  }

  // Where a point of the layout is on the screen's window.
  QPoint OnScreen(QPointF inLayout) const { return (inLayout * window->Scale()).toPoint(); }

  // A click as the window system delivers it: at a point of the window, to whatever is there.
  void ClickWindowAt(QPoint point) {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    QCoreApplication::processEvents();
    Backend().FlushChanges();
  }

  QSize layout;
  std::unique_ptr<RecordingDialog> dialog;
  TesselQt::WindowWidget* window = nullptr;
};

TEST_F(ScaledWindowTest, AWindowLargerThanTheScreenIsDrawnScaledToFitIt) {
  const QRect area = window->screen()->availableGeometry();
  EXPECT_NEAR(window->Scale(), 0.8, 0.002);
  EXPECT_EQ(window->LayoutSize(), layout);
  EXPECT_TRUE(area.contains(window->frameGeometry())) << window->frameGeometry().width();
  EXPECT_GE(window->width(), area.width() - 2);
  // The controls keep their layout rectangles; only the drawing is scaled.
  EXPECT_EQ(qt_test::WidgetOf(*dialog, kTopButton)->geometry(), QRect(100, 100, 200, 80));
  // A screenshot is what the screen shows.
  const QImage shot = window->grab().toImage();
  EXPECT_EQ(shot.size(), window->size());
}

TEST_F(ScaledWindowTest, AClickAtTheScaledPositionReachesTheControlDrawnThere) {
  using namespace Tessel;
  ClickWindowAt(OnScreen({200, 140}));  // the top button's centre in the layout
  ClickWindowAt(OnScreen({layout.width() - 250.0, layout.height() - 100.0}));  // the bottom one
  // The second tab (tabs are at least 64 pixels wide).
  ClickWindowAt(OnScreen({layout.width() / 2.0 + 64 + 32, layout.height() / 2.0 + 30}));
  // Where nothing is drawn nothing is clicked, though a control lies there in the layout.
  ClickWindowAt(QPoint(290, 170));
  const std::vector<Event> expected = {
      {kTopButton, kEventClick, 0, 0},
      {kBottomButton, kEventClick, 0, 0},
      {kTabs, kEventSelChanged, 1, 20},
  };
  EXPECT_TRUE(WaitFor([&] { return dialog->events.size() >= expected.size(); }));
  EXPECT_EQ(dialog->events, expected);
}

TEST_F(ScaledWindowTest, AComboListOpensInTheScaledWindowAndTakesAClick) {
  ClickWindowAt(OnScreen({350, 420}));
  auto* combo = qobject_cast<QComboBox*>(qt_test::WidgetOf(*dialog, kCombo));
  ASSERT_NE(combo, nullptr);
  QAbstractItemView* list = combo->view();
  ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
  // The open list is drawn in the window's scene, scaled like the rest.
  QGraphicsProxyWidget* popup = list->window()->graphicsProxyWidget();
  ASSERT_NE(popup, nullptr);
  const QRect third = list->visualRect(list->model()->index(2, 0));
  const QPoint inPopup = list->viewport()->mapTo(list->window(), third.center());
  ClickWindowAt(OnScreen(popup->mapToScene(QPointF(inPopup))));
  const std::vector<Event> expected = {{kCombo, Tessel::kEventSelChanged, 2, 30}};
  EXPECT_TRUE(WaitFor([&] { return !dialog->events.empty(); }));
  EXPECT_EQ(dialog->events, expected);
}

TEST_F(ScaledWindowTest, ADialogIsDrawnAtItsWindowsScaleAndAnswersKeysAndClicks) {
  using Box = Tessel::CUIMessageBox;
  TesselQt::WindowWidget* box = nullptr;
  auto whenShown = [&box](std::function<void()> act) {
    auto* poll = new QTimer(&Backend().Application());  // deletes itself below
    QObject::connect(poll, &QTimer::timeout, [poll, &box, act] {
      Tessel::MWindow* model = Tessel::Manager::FindWindow(Box::kWindowName);
      box = model ? dynamic_cast<TesselQt::WindowWidget*>(Backend().WidgetOf(*model)) : nullptr;
      if (box == nullptr || !box->isVisible()) return;
      poll->stop();
      poll->deleteLater();
      act();
    });
    poll->start(5);
  };
  double boxScale = 0;
  whenShown([&] {
    boxScale = box->Scale();
    QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
  });
  EXPECT_EQ(Box::Show(dialog.get(), "Delete", "Delete this profile?"), Tessel::kResultCancel);
  EXPECT_DOUBLE_EQ(boxScale, window->Scale());
  whenShown([&] {
    QWidget* ok =
        Backend().WidgetOf(*Tessel::Manager::FindWindow(Box::kWindowName)->FindControl(Box::kOkId));
    const QPoint centre = ok->mapTo(&box->Surface(), ok->rect().center());
    QTest::mouseClick(box->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      (QPointF(centre) * box->Scale()).toPoint());
  });
  EXPECT_EQ(Box::Show(dialog.get(), "Delete", "Delete this profile?"), Tessel::kResultOK);
}

TEST_F(ScaledWindowTest, AWindowMovedToASmallerScreenIsScaledForItAndBackAgain) {
  QScreen* small = nullptr;
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->name() == QLatin1String(qt_test::kSmallScreenName)) small = screen;
  }
  if (small == nullptr) GTEST_SKIP() << "runs on the offscreen platform's test screens";
  RecordingDialog main({}, "Main");
  ASSERT_TRUE(main.Create(nullptr, "Main", Rect::FromSize(0, 0, 1400, 788)));
  main.ShowWindow(Tessel::kShow);
  auto* widget = dynamic_cast<TesselQt::WindowWidget*>(Backend().WidgetOf(main));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->Scale(), 1.0);
  QScreen* primary = widget->screen();

  widget->windowHandle()->setScreen(small);
  ASSERT_TRUE(WaitFor([&] { return widget->Scale() < 1.0; }));
  EXPECT_EQ(widget->size(), QSize(1279, 720));
  EXPECT_DOUBLE_EQ(widget->Scale(), 1279.0 / 1400);  // the factor the whole pixels allow
  EXPECT_TRUE(small->availableGeometry().contains(widget->frameGeometry()));

  widget->windowHandle()->setScreen(primary);
  ASSERT_TRUE(WaitFor([&] { return widget->Scale() == 1.0; }));
  EXPECT_EQ(widget->size(), QSize(1400, 788));
  EXPECT_EQ(widget->Surface().parentWidget(), widget);
  main.DestroyWindow();
}

TEST_F(ScaledWindowTest, AWindowThatFitsIsDrawnAsLaidOut) {
  RecordingDialog small({}, "Small");
  ASSERT_TRUE(small.Create(nullptr, "Small", Rect::FromSize(0, 0, 600, 400)));
  small.ShowWindow(Tessel::kShow);
  auto* widget = dynamic_cast<TesselQt::WindowWidget*>(Backend().WidgetOf(small));
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->Scale(), 1.0);
  EXPECT_EQ(widget->size(), QSize(600, 400));
  EXPECT_EQ(widget->Surface().parentWidget(), widget);  // no view in between
  small.DestroyWindow();
}

}  // namespace
