// The main window's keys and clicks reach a WindowInputSource through the Qt backend and the
// toolkit's raw input observer, wired as the composition root wires them.

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include "XServerSupport.h"
#include "platform/input/WindowInputSource.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/RawInput.h"

namespace {

using platform::input::InputAction;
using platform::input::InputEvent;

int g_argc = 1;
char g_name[] = "tests_platform_input";
char* g_argv[] = {g_name, nullptr};

void WireFeed(const std::shared_ptr<platform::input::WindowInputFeed>& feed) {
  Tessel::SetRawInputObserver([feed](const Tessel::RawInputEvent& e) {
    if (e.device == Tessel::RawInputEvent::Device::kKey)
      feed->PushKey(e.nativeCode, e.pressed, e.autoRepeat, e.numLock);
    else
      feed->PushButton(e.nativeCode, e.pressed);
  });
}

void SendKey(QWindow* window, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
             quint32 nativeScanCode) {
  QKeyEvent event(type, key, modifiers, nativeScanCode, 0, 0);
  QCoreApplication::sendEvent(window, &event);
}

void SendButton(QWindow* window, QEvent::Type type, Qt::MouseButton button) {
  const QPointF at(20, 20);
  QMouseEvent event(type, at, window->mapToGlobal(at), button,
                    type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window, &event);
}

TEST(WindowWiring, MainWindowKeysAndButtonsReachTheWindowSource) {
  TesselQt::QtBackend backend(g_argc, g_argv);
  auto feed = std::make_shared<platform::input::WindowInputFeed>();
  WireFeed(feed);
  test_support::EventCollector events;
  platform::input::WindowInputSource source(feed);
  ASSERT_TRUE(source.Start(events.Callback()));

  Tessel::MDialog main("Main");
  ASSERT_TRUE(main.Create(nullptr, "Main", Tessel::Rect::FromSize(0, 0, 300, 200)));
  main.ShowWindow(Tessel::kShow);
  QWidget* widget = backend.WidgetOf(main);
  ASSERT_NE(widget, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
  QWindow* window = widget->windowHandle();
  ASSERT_NE(window, nullptr);

  SendKey(window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38);
  SendKey(window, QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, 38);
  SendKey(window, QEvent::KeyPress, Qt::Key_Home, Qt::KeypadModifier, 79);  // NumLock off
  SendKey(window, QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, 79);     // NumLock on
  SendButton(window, QEvent::MouseButtonPress, Qt::BackButton);
  SendButton(window, QEvent::MouseButtonRelease, Qt::BackButton);
  ASSERT_TRUE(events.WaitFor(BTN_SIDE, InputAction::kRelease));

  // A dialog of the main window is not the main window.
  Tessel::MDialog dialog("Dialog");
  ASSERT_TRUE(dialog.Create(&main, "Dialog", Tessel::Rect::FromSize(10, 10, 100, 80)));
  dialog.ShowWindow(Tessel::kShow);
  QWidget* dialogWidget = backend.WidgetOf(dialog);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialogWidget));
  SendKey(dialogWidget->windowHandle(), QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56);
  SendKey(window, QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, 54);
  ASSERT_TRUE(events.WaitFor(KEY_C, InputAction::kPress));

  Tessel::SetRawInputObserver({});
  source.Stop();
  std::vector<std::tuple<int, InputAction, bool>> seen;
  for (const InputEvent& e : events.Events()) seen.emplace_back(e.code, e.action, e.numLock);
  const std::vector<std::tuple<int, InputAction, bool>> expected{
      {KEY_A, InputAction::kPress, false},    {KEY_A, InputAction::kRelease, false},
      {KEY_KP7, InputAction::kPress, false},  {KEY_KP7, InputAction::kPress, true},
      {BTN_SIDE, InputAction::kPress, false}, {BTN_SIDE, InputAction::kRelease, false},
      {KEY_C, InputAction::kPress, false}};
  EXPECT_EQ(seen, expected);
  dialog.DestroyWindow();
  main.DestroyWindow();
}

}  // namespace
