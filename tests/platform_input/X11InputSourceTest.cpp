#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <memory>

#include "FocusedXWindow.h"
#include "XServerSupport.h"
#include "platform/input/X11InputSource.h"

// Xlib last: its macros (None, Bool, Status) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/input/XConnection.h"

namespace {

using platform::input::DeviceKind;
using platform::input::InputAction;
using platform::input::InputEvent;
using platform::input::SourceKind;
using platform::input::X11InputSource;

class X11InputSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test_support::ProgramExists("Xvfb") || !test_support::ProgramExists("xdotool")) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs them)";
    }
    server_ = std::make_unique<test_support::XvfbServer>();
    ASSERT_FALSE(server_->Display().empty()) << "Xvfb did not start";
  }

  const std::string& Display() const { return server_->Display(); }

  void XdoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    ASSERT_EQ(test_support::RunWithDisplay(Display(), arguments), 0);
  }

  std::unique_ptr<test_support::XvfbServer> server_;
};

TEST_F(X11InputSourceTest, TypedKeyReachesTheCallbackAsPressAndRelease) {
  test_support::EventCollector events;
  X11InputSource source(Display());
  ASSERT_TRUE(source.Start(events.Callback())) << source.StartFailure();
  XdoTool({"key", "a"});
  ASSERT_TRUE(events.WaitFor(KEY_A, InputAction::kRelease));
  source.Stop();
  std::vector<InputEvent> a;
  for (const InputEvent& event : events.Events()) {
    if (event.code == KEY_A) a.push_back(event);
  }
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].action, InputAction::kPress);
  EXPECT_EQ(a[1].action, InputAction::kRelease);
  EXPECT_EQ(a[0].source, SourceKind::kX11);
  EXPECT_EQ(a[0].device, DeviceKind::kKeyboard);
  EXPECT_LE(a[0].time, a[1].time);
}

TEST_F(X11InputSourceTest, MouseButtonsButNotTheWheel) {
  test_support::EventCollector events;
  X11InputSource source(Display());
  ASSERT_TRUE(source.Start(events.Callback()));
  XdoTool({"click", "3"});
  XdoTool({"click", "8"});
  XdoTool({"click", "4"});  // the wheel: no event
  XdoTool({"key", "shift"});
  ASSERT_TRUE(events.WaitFor(KEY_LEFTSHIFT, InputAction::kRelease));
  std::vector<std::pair<int, InputAction>> seen;
  for (const InputEvent& event : events.Events()) seen.emplace_back(event.code, event.action);
  const std::vector<std::pair<int, InputAction>> expected{
      {BTN_RIGHT, InputAction::kPress},     {BTN_RIGHT, InputAction::kRelease},
      {BTN_SIDE, InputAction::kPress},      {BTN_SIDE, InputAction::kRelease},
      {KEY_LEFTSHIFT, InputAction::kPress}, {KEY_LEFTSHIFT, InputAction::kRelease}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(events.Events()[0].device, DeviceKind::kMouse);
}

TEST_F(X11InputSourceTest, KeypadKeysCarryTheNumLockState) {
  test_support::EventCollector events;
  X11InputSource source(Display());
  ASSERT_TRUE(source.Start(events.Callback()));
  XdoTool({"key", "KP_Home"});
  ASSERT_TRUE(events.WaitFor(KEY_KP7, InputAction::kRelease));
  XdoTool({"key", "Num_Lock"});
  XdoTool({"key", "KP_Home"});
  ASSERT_TRUE(events.WaitFor(KEY_NUMLOCK, InputAction::kRelease));
  ASSERT_TRUE(events.WaitFor([](const InputEvent& e) {
    return e.code == KEY_KP7 && e.action == InputAction::kPress && e.numLock;
  }));
  EXPECT_FALSE(events.Events().front().numLock);  // the first KP7, before NumLock
}

TEST_F(X11InputSourceTest, GrabKeepsKeysFromOtherClientsUntilReleased) {
  test_support::EventCollector events;
  X11InputSource source(Display());
  ASSERT_TRUE(source.Start(events.Callback()));
  test_support::FocusedXWindow window(Display());
  ASSERT_TRUE(window.IsOpen());

  platform::input::KeyboardGrab grab = source.GrabKeyboard();
  ASSERT_TRUE(grab.IsHeld()) << grab.Failure();
  XdoTool({"key", "a"});
  // The source still sees the key; once it saw the release the server has handled the press.
  ASSERT_TRUE(events.WaitFor(KEY_A, InputAction::kRelease));
  EXPECT_TRUE(window.TakeKeyPresses().empty());

  grab.Release();
  XdoTool({"key", "b"});
  ASSERT_TRUE(events.WaitFor(KEY_B, InputAction::kRelease));
  EXPECT_EQ(window.TakeKeyPresses(), std::vector<KeySym>{XK_b});
}

TEST_F(X11InputSourceTest, SecondGrabFailsWhileTheFirstIsHeld) {
  X11InputSource source(Display());
  platform::input::KeyboardGrab first = source.GrabKeyboard();
  ASSERT_TRUE(first.IsHeld());
  platform::input::KeyboardGrab second = source.GrabKeyboard();
  EXPECT_FALSE(second.IsHeld());
  EXPECT_NE(second.Failure().find("another program"), std::string::npos) << second.Failure();
  first = platform::input::KeyboardGrab();
  EXPECT_TRUE(source.GrabKeyboard().IsHeld());
}

TEST_F(X11InputSourceTest, LostServerEndsTheSourceWithoutEndingTheProcess) {
  test_support::EventCollector events;
  X11InputSource source(Display());
  ASSERT_TRUE(source.Start(events.Callback()));
  platform::input::KeyboardGrab grab = source.GrabKeyboard();
  ASSERT_TRUE(grab.IsHeld());
  server_->Kill();
  grab.Release();
  source.Stop();
  EXPECT_FALSE(source.Start(events.Callback()));
  EXPECT_FALSE(source.GrabKeyboard().IsHeld());
}

int g_foreignErrors = 0;
int CountForeignError(::Display*, XErrorEvent*) {
  ++g_foreignErrors;
  return 0;
}

TEST_F(X11InputSourceTest, ProtocolErrorsAreRecordedForOursAndPassedOnForOthers) {
  g_foreignErrors = 0;
  XErrorHandler before = XSetErrorHandler(CountForeignError);
  ::Display* foreign = XOpenDisplay(Display().c_str());
  ASSERT_NE(foreign, nullptr);
  {
    std::string failure;
    auto ours = platform::input::XConnection::Open(Display(), &failure);
    ASSERT_TRUE(ours) << failure;
    XMapWindow(ours->Get(), 0x7FFFFF);  // no such window
    XSync(ours->Get(), False);
    EXPECT_EQ(ours->TakeError(), BadWindow);
    EXPECT_EQ(ours->TakeError(), 0);
    XMapWindow(foreign, 0x7FFFFF);
    XSync(foreign, False);
    EXPECT_EQ(g_foreignErrors, 1);
  }
  // Our handler is gone with the last connection.
  EXPECT_EQ(XSetErrorHandler(before), CountForeignError);
  XCloseDisplay(foreign);
}

TEST(X11InputSource, UnavailableWithoutADisplay) {
  std::string failure;
  EXPECT_FALSE(X11InputSource::IsAvailable(":12345", &failure));
  EXPECT_FALSE(failure.empty());
  X11InputSource source(":12345");
  EXPECT_FALSE(source.Start([](const InputEvent&) {}));
  EXPECT_FALSE(source.GrabKeyboard().IsHeld());
}

}  // namespace
