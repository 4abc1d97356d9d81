#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

#include "QtTestSupport.h"
#include "ui/qt/ControlView.h"
#include "ui/tessel/ControlFactory.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/Manager.h"

namespace {

using qt_test::Backend;
using qt_test::Event;
using qt_test::RecordingDialog;
using qt_test::WaitFor;
using Tessel::Rect;

enum Id : int {
  kButton = 2,
  kTabs,
  kCombo,
  kSwitch,
  kSlider,
  kEdit,
  kCheck,
  kRadioA,
  kRadioB,
  kColor,
  kArea,
  kInArea,
  kTitleBar,
};

void BuildEveryControl(Tessel::MWindow& w) {
  auto place = [&](Tessel::MControl* control, int x, int y, int width, int height) {
    control->SetRect(Rect::FromSize(x, y, width, height));
  };
  auto* button = w.Add<Tessel::MButton>(kButton);
  button->SetTitle("Apply");
  place(button, 10, 10, 100, 32);
  auto* tabs = w.Add<Tessel::MTabCtrl>(kTabs);
  for (auto [title, page] : {std::pair{"A", 10}, {"B", 20}, {"C", 30}}) tabs->AddItem(title, page);
  place(tabs, 10, 50, 300, 36);
  auto* combo = w.Add<Tessel::MComboBox>(kCombo);
  for (auto [title, data] : {std::pair{"one", 10}, {"two", 20}, {"three", 30}})
    combo->AddItem(title, data);
  combo->SetCurSel(0);
  place(combo, 10, 100, 200, 32);
  place(w.Add<Tessel::CSwitchButton>(kSwitch), 10, 140, 160, 28);
  auto* slider = w.Add<Tessel::MSlider>(kSlider);
  slider->SetRange(0, 10);
  place(slider, 10, 180, 200, 24);
  place(w.Add<Tessel::MEdit>(kEdit), 10, 220, 200, 32);
  place(w.Add<Tessel::CCheckButton>(kCheck), 10, 260, 160, 24);
  for (int id : {kRadioA, kRadioB}) {
    auto* radio = w.Add<Tessel::CRadioButton>(id);
    radio->SetGroup("g");
    place(radio, id == kRadioA ? 220 : 320, 260, 90, 24);
  }
  auto* color = w.Add<Tessel::CColorButton>(kColor);
  color->SetColor(Tessel::Rgb(0x10, 0x20, 0x30));
  place(color, 10, 300, 32, 32);
  place(w.CreateArea(kArea), 300, 300, 200, 80);
  place(w.Add<Tessel::MControlFont>(kInArea, kArea), 10, 10, 100, 20);
}

class QtBackendTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (dialog) dialog->DestroyWindow();
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Builds a window with the controls and shows it active, as a user would see it.
  void Show(std::function<void(Tessel::MWindow&)> build,
            Rect rect = Rect::FromSize(100, 100, 600, 420)) {
    dialog = std::make_unique<RecordingDialog>(std::move(build));
    ASSERT_TRUE(dialog->Create(nullptr, "Test window", rect));
    dialog->ShowWindow(Tessel::kShow);
    QWidget* window = Backend().WidgetOf(*dialog);
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }

  QWidget* W(int id) { return qt_test::WidgetOf(*dialog, id); }
  template <class T>
  T* Model(int id) {
    return dialog->GetControl<T>(id);
  }
  void Click(int id, QPoint at = QPoint()) {
    QTest::mouseClick(W(id), Qt::LeftButton, Qt::NoModifier, at);
    Backend().FlushChanges();
  }
  void Key(int id, Qt::Key key) {
    W(id)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(W(id), key);
    Backend().FlushChanges();
  }

  std::unique_ptr<RecordingDialog> dialog;
};

TEST_F(QtBackendTest, MouseAndKeyboardActionsReachTheWindowAsControlEvents) {
  Show(BuildEveryControl);
  using namespace Tessel;
  Click(kButton);
  Click(kTabs, QPoint(64 + 32, 18));  // the second tab ("B"); tabs are at least 64 pixels wide
  Key(kTabs, Qt::Key_Right);
  Key(kCombo, Qt::Key_Down);
  Click(kSwitch);
  Click(kSwitch);
  Key(kSlider, Qt::Key_Right);
  Key(kSlider, Qt::Key_End);
  Click(kCheck);
  Click(kRadioB);
  Click(kColor);
  Click(kArea, QPoint(150, 60));
  const std::vector<Event> expected = {
      {kButton, kEventClick, 0, 0},        {kTabs, kEventSelChanged, 1, 20},
      {kTabs, kEventSelChanged, 2, 30},    {kCombo, kEventSelChanged, 1, 20},
      {kSwitch, kEventClick, 1, 0},        {kSwitch, kEventClick, 0, 0},
      {kSlider, kEventValueChanged, 1, 1}, {kSlider, kEventValueChanged, 10, 1},
      {kCheck, kEventClick, 1, 0},         {kRadioB, kEventClick, 1, 0},
      {kColor, kEventClick, 0x302010, 0},  {kArea, kEventClick, 0, 0},
  };
  EXPECT_EQ(dialog->events, expected);
  EXPECT_EQ(Model<MComboBox>(kCombo)->GetCurData(), 20);
  EXPECT_EQ(Model<MSlider>(kSlider)->GetProgress(), 10);
  EXPECT_TRUE(Model<CRadioButton>(kRadioB)->GetCheck());
}

TEST_F(QtBackendTest, ChoosingFromTheOpenComboListReportsTheChoice) {
  Show(BuildEveryControl);
  auto* combo = qobject_cast<QComboBox*>(W(kCombo));
  ASSERT_NE(combo, nullptr);
  combo->showPopup();
  QAbstractItemView* list = combo->view();
  ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
  const QRect third = list->visualRect(list->model()->index(2, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
  const std::vector<Event> expected = {{kCombo, Tessel::kEventSelChanged, 2, 30}};
  EXPECT_EQ(dialog->events, expected);
}

TEST_F(QtBackendTest, TypingInAnEditReportsFocusTextAndCommit) {
  Show(BuildEveryControl);
  Model<Tessel::MEdit>(kEdit)->SetMaxLength(3);
  Backend().FlushChanges();
  QTest::mouseClick(W(kEdit), Qt::LeftButton);
  QTest::keyClicks(W(kEdit), "abcd");
  QTest::keyClick(W(kEdit), Qt::Key_Return);
  Backend().FlushChanges();
  using namespace Tessel;
  const std::vector<Event> expected = {
      {kEdit, kEventFocus, 1, 0},       {kEdit, kEventTextChanged, 0, 0},
      {kEdit, kEventTextChanged, 0, 0}, {kEdit, kEventTextChanged, 0, 0},
      {kEdit, kEventTextChanged, 0, 0}, {kEdit, kEventCommit, 1, 0},
  };
  EXPECT_EQ(dialog->events, expected);
  EXPECT_EQ(Model<MEdit>(kEdit)->GetEditText(), "abc");  // the model's limit holds
  EXPECT_EQ(qobject_cast<QLineEdit*>(W(kEdit))->text(), "abc");
}

TEST_F(QtBackendTest, DisabledControlsReportNothing) {
  Show(BuildEveryControl);
  for (int id : {kButton, kTabs, kCombo, kSwitch, kSlider, kEdit, kCheck, kRadioA, kColor}) {
    dialog->FindControl(id)->SetEnabled(false);
  }
  Backend().FlushChanges();
  Click(kButton);
  Click(kTabs, QPoint(96, 18));
  Click(kSwitch);
  Click(kCheck);
  Click(kRadioA);
  Click(kColor);
  Key(kCombo, Qt::Key_Down);
  Key(kSlider, Qt::Key_Right);
  Click(kEdit);
  QTest::keyClicks(W(kEdit), "x");
  EXPECT_TRUE(dialog->events.empty());
  EXPECT_FALSE(Model<Tessel::CSwitchButton>(kSwitch)->GetCheck());
}

TEST_F(QtBackendTest, AHiddenAreaHidesItsChildren) {
  Show(BuildEveryControl);
  QWidget* child = W(kInArea);
  EXPECT_TRUE(child->isVisible());
  dialog->FindControl(kArea)->SetVisible(false);
  Backend().FlushChanges();
  EXPECT_FALSE(child->isVisible());
  EXPECT_TRUE(dialog->FindControl(kInArea)->IsVisible());  // the child's own state is untouched
  dialog->FindControl(kArea)->SetVisible(true);
  Backend().FlushChanges();
  EXPECT_TRUE(child->isVisible());
  // Children sit inside their area at their own rectangle.
  EXPECT_EQ(child->mapTo(Backend().WidgetOf(*dialog), QPoint(0, 0)), QPoint(310, 310));
}

// A control class whose drawing records on which thread it was synchronised.
class ProbeControl : public Tessel::MControlFont {
 public:
  ProbeControl(Tessel::MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ThreadProbe";
};

struct ProbeLog {
  std::vector<std::thread::id> threads;
  std::string lastTitle;
};
ProbeLog g_probe;

class ProbeView : public TesselQt::View<QWidget> {
 public:
  ProbeView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {}

 protected:
  void SyncState() override {
    g_probe.threads.push_back(std::this_thread::get_id());
    g_probe.lastTitle = ModelAs<ProbeControl>()->GetTitle();
  }
};

TEST_F(QtBackendTest, ChangesFromAnotherThreadReachTheWidgetsOnlyOnTheUiThread) {
  Tessel::ControlFactory::Register(ProbeControl::kClassName,
                                   Tessel::ControlFactory::CreatorOf<ProbeControl>());
  TesselQt::ViewRegistry::Register(
      ProbeControl::kClassName,
      [](Tessel::MControl& control, QWidget* parent) { return new ProbeView(control, parent); });
  g_probe = {};
  Show([](Tessel::MWindow& w) {
    BuildEveryControl(w);
    w.CreateControl(ProbeControl::kClassName, 50)->SetRect(Rect::FromSize(0, 400, 10, 10));
  });
  const std::size_t initialSyncs = g_probe.threads.size();
  constexpr int kChanges = 2000;
  std::thread worker([&] {
    auto* probe = dialog->GetControl<ProbeControl>(50);
    auto* slider = dialog->GetControl<Tessel::MSlider>(kSlider);
    auto* combo = dialog->GetControl<Tessel::MComboBox>(kCombo);
    for (int i = 1; i <= kChanges; ++i) {
      probe->SetTitle(std::to_string(i));
      slider->SetProgress(i % 11);
      if (i % 100 == 0) combo->AddItem("more", i);
    }
  });
  worker.join();  // the UI thread has run nothing meanwhile
  EXPECT_EQ(g_probe.threads.size(), initialSyncs);
  ASSERT_TRUE(WaitFor([] { return g_probe.lastTitle == std::to_string(kChanges); }));
  // Two thousand changes were drawn once.
  EXPECT_EQ(g_probe.threads.size(), initialSyncs + 1);
  for (std::thread::id id : g_probe.threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_TRUE(
      WaitFor([&] { return qobject_cast<QComboBox*>(W(kCombo))->count() == 3 + kChanges / 100; }));
  EXPECT_EQ(qobject_cast<QSlider*>(W(kSlider))->value(), kChanges % 11);
}

TEST_F(QtBackendTest, AClassWithoutADrawingShowsNothingButKeepsItsChildrenInPlace) {
  Tessel::ControlFactory::Register("Mystery", [](Tessel::MWindow& owner, int id) {
    return std::make_unique<Tessel::MControl>(owner, id, "Mystery");
  });
  Show([](Tessel::MWindow& w) {
    w.CreateControl("Mystery", 60)->SetRect(Rect::FromSize(100, 100, 200, 100));
    auto* inside = w.Add<Tessel::MButton>(61, 60);
    inside->SetRect(Rect::FromSize(20, 20, 80, 30));
  });
  QWidget* mystery = W(60);
  EXPECT_TRUE(mystery->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(W(61)->mapTo(Backend().WidgetOf(*dialog), QPoint(0, 0)), QPoint(120, 120));
  Click(61);
  const std::vector<Event> expected = {{61, Tessel::kEventClick, 0, 0}};
  EXPECT_EQ(dialog->events, expected);
}

TEST_F(QtBackendTest, TimersTickOnTheUiThreadUntilKilled) {
  Show(BuildEveryControl);
  dialog->SetMTimer(7, 5);
  ASSERT_TRUE(WaitFor([&] { return dialog->ticks.size() >= 3; }));
  dialog->KillMTimer(7);
  const std::size_t ticks = dialog->ticks.size();
  QTest::qWait(40);
  EXPECT_EQ(dialog->ticks.size(), ticks);
  for (std::thread::id id : dialog->tickThreads) EXPECT_EQ(id, std::this_thread::get_id());
  // A timer started from another thread ticks on the UI thread as well.
  std::thread([&] { dialog->SetMTimer(8, 5); }).join();
  ASSERT_TRUE(WaitFor([&] { return dialog->ticks.back() == 8; }));
  EXPECT_EQ(dialog->tickThreads.back(), std::this_thread::get_id());
}

TEST_F(QtBackendTest, DraggingTheTitleBarMovesTheWindowWithoutAClick) {
  Show([](Tessel::MWindow& w) {
    auto* bar = w.CreateArea(kTitleBar);
    bar->SetRect(Rect::FromSize(0, 0, 600, 50));
    bar->SetStyle("title-bar");
  });
  QWidget* window = Backend().WidgetOf(*dialog);
  const QPoint before = window->pos();
  QWidget* bar = W(kTitleBar);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
  QMouseEvent move(QEvent::MouseMove, QPointF(160, 60), bar->mapToGlobal(QPointF(160, 60)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(160, 60));
  EXPECT_EQ(window->pos(), before + QPoint(60, 40));
  EXPECT_TRUE(dialog->events.empty());
}

TEST_F(QtBackendTest, ShowCommandsTitlesAndCentring) {
  Show(BuildEveryControl);
  QWidget* window = Backend().WidgetOf(*dialog);
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
  dialog->SetTitle("Renamed");
  EXPECT_EQ(window->windowTitle(), "Renamed");
  dialog->ShowWindow(Tessel::kHide);
  EXPECT_FALSE(window->isVisible());
  dialog->ShowWindow(Tessel::kShowNormal);
  EXPECT_TRUE(window->isVisible());
  dialog->ShowWindow(Tessel::kMinimize);
  EXPECT_TRUE(window->windowState().testFlag(Qt::WindowMinimized));
  dialog->ShowWindow(Tessel::kRestore);
  EXPECT_FALSE(window->windowState().testFlag(Qt::WindowMinimized));

  RecordingDialog centred;
  centred.Create(nullptr, "Centred", Rect::FromSize(0, 0, 300, 200));
  centred.CenterWindow();
  centred.ShowWindow(Tessel::kShow);
  QWidget* widget = Backend().WidgetOf(centred);
  const QRect screen = widget->screen()->availableGeometry();
  EXPECT_LE((widget->geometry().center() - screen.center()).manhattanLength(), 2);
  centred.DestroyWindow();
}

// Clicks a button of the first window of that name once it is on screen.
void ClickWhenShown(const std::string& windowName, int buttonId) {
  auto* poll = new QTimer(&Backend().Application());  // deletes itself below
  QObject::connect(poll, &QTimer::timeout, [poll, windowName, buttonId] {
    Tessel::MWindow* window = Tessel::Manager::FindWindow(windowName);
    QWidget* widget = window != nullptr ? Backend().WidgetOf(*window) : nullptr;
    if (widget == nullptr || !widget->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    QTest::mouseClick(qt_test::WidgetOf(*window, buttonId), Qt::LeftButton);
  });
  poll->start(5);
}

TEST_F(QtBackendTest, AMessageBoxReturnsTheButtonTheUserClicked) {
  Show(BuildEveryControl);
  using Box = Tessel::CUIMessageBox;
  ClickWhenShown(Box::kWindowName, Box::kOkId);
  EXPECT_EQ(Box::Show(dialog.get(), "Delete", "Delete this profile?"), Tessel::kResultOK);
  ClickWhenShown(Box::kWindowName, Box::kCancelId);
  EXPECT_EQ(Box::Show(dialog.get(), "Delete", "Delete this profile?"), Tessel::kResultCancel);
  ClickWhenShown(Box::kWindowName, Box::kCloseId);
  EXPECT_EQ(Box::Show(dialog.get(), "Delete", "Delete this profile?"), Tessel::kResultCancel);
  EXPECT_EQ(Tessel::Manager::FindWindow(Box::kWindowName), nullptr);
}

TEST_F(QtBackendTest, EscapeCancelsAMessageBox) {
  Show(BuildEveryControl);
  QTimer::singleShot(50, [] {
    Tessel::MWindow* box = Tessel::Manager::FindWindow(Tessel::CUIMessageBox::kWindowName);
    ASSERT_NE(box, nullptr);
    QTest::keyClick(Backend().WidgetOf(*box), Qt::Key_Escape);
  });
  EXPECT_EQ(Tessel::CUIMessageBox::Show(dialog.get(), "Leave", "Leave without saving?"),
            Tessel::kResultCancel);
}

TEST_F(QtBackendTest, NestedModalRunsEndInnermostFirst) {
  Show(BuildEveryControl);
  RecordingDialog outer({}, "Outer");
  outer.Create(dialog.get(), "Outer", Rect::FromSize(0, 0, 300, 200));
  std::vector<std::string> order;
  int inner = -1;
  QTimer::singleShot(10, [&] {
    // The outer run is asked to end while the message box still runs: it ends after it.
    outer.EndModal(7);
    ClickWhenShown(Tessel::CUIMessageBox::kWindowName, Tessel::CUIMessageBox::kOkId);
    inner = Tessel::CUIMessageBox::Show(&outer, "Inner", "Nested?", false);
    order.push_back("inner");
  });
  const int result = outer.ShowModal();
  order.push_back("outer");
  EXPECT_EQ(inner, Tessel::kResultOK);
  EXPECT_EQ(result, 7);
  EXPECT_EQ(order, (std::vector<std::string>{"inner", "outer"}));
  outer.DestroyWindow();
}

TEST_F(QtBackendTest, AModalRunEndedFromAWorkerReturnsItsResult) {
  Show(BuildEveryControl);
  RecordingDialog wait({}, "WaitDlg");
  wait.Create(dialog.get(), "Wait", Rect::FromSize(0, 0, 300, 120));
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    wait.DoOK();
  });
  EXPECT_EQ(wait.ShowModal(), Tessel::kResultOK);
  worker.join();
  EXPECT_FALSE(Backend().WidgetOf(wait)->isVisible());
  wait.DestroyWindow();
}

TEST_F(QtBackendTest, AMenuReturnsTheItemChosenWithTheKeyboard) {
  Show(BuildEveryControl);
  Tessel::DialogRequest request;
  request.kind = Tessel::DialogRequest::Kind::Menu;
  request.window = dialog.get();
  request.items = {{100, "Choose a picture", false}, {101, "Default picture", false}};
  auto pressWhenOpen = [](std::vector<Qt::Key> keys) {
    auto* poll = new QTimer(&Backend().Application());  // deletes itself below
    QObject::connect(poll, &QTimer::timeout, [poll, keys] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      poll->stop();
      poll->deleteLater();
      for (Qt::Key key : keys) QTest::keyClick(menu, key);
    });
    poll->start(5);
  };
  pressWhenOpen({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  EXPECT_EQ(Backend().Ask(request).result, 101);
  pressWhenOpen({Qt::Key_Escape});
  EXPECT_EQ(Backend().Ask(request).result, 0);
}

}  // namespace

namespace {

TEST_F(QtBackendTest, TheFocusRingFollowsKeyboardFocusOnly) {
  Show(BuildEveryControl);
  QWidget* button = W(kButton);
  auto ring = [button] { return button->property("keyboardFocus").toBool(); };
  W(kEdit)->setFocus(Qt::MouseFocusReason);
  button->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(ring());
  W(kEdit)->setFocus(Qt::MouseFocusReason);
  EXPECT_FALSE(ring());
  button->setFocus(Qt::ActiveWindowFocusReason);  // the window opening does not light it up
  EXPECT_TRUE(button->hasFocus());
  EXPECT_FALSE(ring());
  EXPECT_EQ(button->focusPolicy(), Qt::TabFocus);  // a click leaves the focus where it was
}

// Runs `act` on the first modal dialog of type T that opens.
template <class T>
void WhenModalOpens(std::function<void(T&)> act) {
  auto* poll = new QTimer(&Backend().Application());  // deletes itself below
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*dialog);
  });
  poll->start(5);
}

TEST_F(QtBackendTest, FileDialogsGetQtFiltersAndReturnTheChosenPath) {
  Show(BuildEveryControl);
  QTemporaryDir folder;
  const QString picture = folder.filePath("back ground.png");
  QImage(4, 4, QImage::Format_RGB32).save(picture);
  QStringList filters;
  WhenModalOpens<QFileDialog>([&](QFileDialog& chooser) {
    filters = chooser.nameFilters();
    chooser.selectFile(picture);
    static_cast<QDialog&>(chooser).accept();  // the file dialog's own accept is protected
  });
  const std::optional<std::string> chosen =
      Tessel::AskOpenFile(dialog.get(), "Background", "Image Files (*.jpg;*.jpeg;*.png)");
  EXPECT_EQ(filters, QStringList{"Image Files (*.jpg *.jpeg *.png)"});
  EXPECT_EQ(chosen, picture.toStdString());
  WhenModalOpens<QFileDialog>([](QFileDialog& chooser) { chooser.reject(); });
  EXPECT_EQ(Tessel::AskOpenFile(dialog.get(), "Background", "Image Files (*.jpg;*.jpeg;*.png)"),
            std::nullopt);
}

TEST_F(QtBackendTest, TheColourPickerAnswersInTheToolkitsColourOrder) {
  Show(BuildEveryControl);
  WhenModalOpens<QColorDialog>([](QColorDialog& picker) {
    picker.setCurrentColor(QColor(0x10, 0x20, 0x30));
    picker.accept();
  });
  EXPECT_EQ(Tessel::AskColor(dialog.get(), Tessel::Rgb(1, 2, 3)), Tessel::Rgb(0x10, 0x20, 0x30));
  QColor initial;
  WhenModalOpens<QColorDialog>([&](QColorDialog& picker) {
    initial = picker.currentColor();
    picker.reject();
  });
  EXPECT_EQ(Tessel::AskColor(dialog.get(), Tessel::Rgb(0xAA, 0xBB, 0xCC)), std::nullopt);
  EXPECT_EQ(initial, QColor(0xAA, 0xBB, 0xCC));
}

}  // namespace

namespace {

TEST_F(QtBackendTest, AnAnimatedPicturePlaysOnlyWhileItCanBeSeen) {
  Tessel::Manager::SetResourceFolder(std::filesystem::path(TARVO_SOURCE_DIR) / "data");
  Show([](Tessel::MWindow& w) {
    w.CreateArea(kArea)->SetRect(Rect::FromSize(0, 0, 600, 420));
    auto* gif = w.Add<Tessel::CGifPicture>(kInArea, kArea);
    gif->SetRect(Rect::FromSize(0, 0, 600, 420));
    gif->SetImage("skins/theme1/home_bg.gif");
  });
  // The view's frame timer runs exactly while frames are due.
  auto* frames = W(kInArea)->findChild<QTimer*>();
  ASSERT_NE(frames, nullptr);
  EXPECT_TRUE(frames->isActive());
  dialog->FindControl(kArea)->SetVisible(false);
  Backend().FlushChanges();
  EXPECT_FALSE(frames->isActive());
  dialog->FindControl(kArea)->SetVisible(true);
  Backend().FlushChanges();
  EXPECT_TRUE(frames->isActive());
  dialog->ShowWindow(Tessel::kMinimize);
  EXPECT_FALSE(frames->isActive());
  dialog->ShowWindow(Tessel::kRestore);
  EXPECT_TRUE(frames->isActive());
  dialog->ShowWindow(Tessel::kHide);
  EXPECT_FALSE(frames->isActive());
  dialog->ShowWindow(Tessel::kShow);
  EXPECT_TRUE(frames->isActive());
  dialog->GetControl<Tessel::CGifPicture>(kInArea)->SetPlaying(false);
  Backend().FlushChanges();
  EXPECT_FALSE(frames->isActive());
}

}  // namespace

namespace {

// Views keep their drawing; every change of what they show must still be drawn.
TEST_F(QtBackendTest, KeptDrawingsFollowEveryChangeOfTheirLook) {
  Show(BuildEveryControl);
  auto grab = [this](int id) {
    Backend().FlushChanges();
    return W(id)->grab().toImage();
  };
  auto* label = Model<Tessel::MControlFont>(kInArea);
  label->SetTitle("One");
  const QImage one = grab(kInArea);
  label->SetTitle("Two");
  EXPECT_NE(grab(kInArea), one);
  label->SetTitle("One");
  EXPECT_EQ(grab(kInArea), one);

  auto* button = qobject_cast<QPushButton*>(W(kButton));
  ASSERT_NE(button, nullptr);
  const QImage normal = grab(kButton);
  button->setDown(true);  // a state only Qt keeps
  EXPECT_NE(grab(kButton), normal);
  button->setDown(false);
  EXPECT_EQ(grab(kButton), normal);
  Model<Tessel::MButton>(kButton)->SetEnabled(false);
  EXPECT_NE(grab(kButton), normal);
  Model<Tessel::MButton>(kButton)->SetEnabled(true);
  EXPECT_EQ(grab(kButton), normal);

  const QImage unchecked = grab(kSwitch);
  Click(kSwitch);
  EXPECT_NE(grab(kSwitch), unchecked);
}

TEST_F(QtBackendTest, KeyboardUsersPressButtonsWithSpaceOrEnter) {
  Show(BuildEveryControl);
  Key(kButton, Qt::Key_Return);
  Key(kSwitch, Qt::Key_Space);
  Key(kCheck, Qt::Key_Enter);
  Key(kColor, Qt::Key_Return);
  using namespace Tessel;
  const std::vector<Event> expected = {
      {kButton, kEventClick, 0, 0},
      {kSwitch, kEventClick, 1, 0},
      {kCheck, kEventClick, 1, 0},
      {kColor, kEventClick, 0x302010, 0},
  };
  EXPECT_TRUE(WaitFor([&] { return dialog->events.size() >= expected.size(); }));
  EXPECT_EQ(dialog->events, expected);
}

}  // namespace
