// A recording on a real X server (Xvfb, keys typed with xdotool): the keys reach the macro and
// no other X client while the recording runs, and reach that client again once it ends.

#include "MacroPageFixture.h"
#include "platform/input/X11InputSource.h"
#include "platform_input/XServerSupport.h"

// Xlib last: its macros (None, Bool, Status) clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

namespace mi = macro_ids;

// Another program's window on the server: it has the focus and counts the keys it is sent.
class OtherClient {
 public:
  explicit OtherClient(const std::string& name) : display_(XOpenDisplay(name.c_str())) {
    if (display_ == nullptr) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 200, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    XEvent event;
    do {
      XWindowEvent(display_, window_, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
  }
  ~OtherClient() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  OtherClient(const OtherClient&) = delete;
  OtherClient& operator=(const OtherClient&) = delete;

  bool IsOpen() const { return display_ != nullptr; }

  // Key events delivered since the last call.
  int TakeKeyEvents() {
    XSync(display_, False);
    int count = 0;
    XEvent event;
    while (XCheckWindowEvent(display_, window_, KeyPressMask | KeyReleaseMask, &event)) ++count;
    return count;
  }

 private:
  ::Display* display_;
  Window window_ = 0;
};

class RecordOnXServerTest : public MacroPageFixture {
 protected:
  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.inputSource = [this](std::shared_ptr<platform::input::WindowInputFeed>) {
      return std::make_unique<platform::input::X11InputSource>(server_->Display());
    };
  }

  void SetUp() override {
    if (!test_support::ProgramExists("Xvfb") || !test_support::ProgramExists("xdotool")) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs them)";
    }
    server_ = std::make_unique<test_support::XvfbServer>();
    ASSERT_FALSE(server_->Display().empty()) << "Xvfb did not start";
    MacroPageFixture::SetUp();
  }

  void XdoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    ASSERT_EQ(test_support::RunWithDisplay(server_->Display(), arguments), 0);
  }

  std::unique_ptr<test_support::XvfbServer> server_;
};

TEST_F(RecordOnXServerTest, TypedKeysAreRecordedAndReachNoOtherClient) {
  StartOnMacroPage();
  ASSERT_EQ(dialog->Input().Kind(), platform::input::SourceKind::kX11);
  EXPECT_FALSE(Control<Tessel::MControlFont>(mi::kSourceHint).IsVisible());
  OtherClient other(server_->Display());
  ASSERT_TRUE(other.IsOpen());

  Click(mi::kRecordButton);
  ASSERT_TRUE(Page().Recording());
  EXPECT_TRUE(Page().HoldsKeyboard());
  XdoTool({"key", "a"});
  XdoTool({"key", "b"});
  EXPECT_TRUE(
      backend.RunUntil([&] { return EventList().GetItemCount() >= 4; }, std::chrono::seconds(20)));
  EXPECT_EQ(other.TakeKeyEvents(), 0);
  Click(mi::kRecordButton);
  EXPECT_FALSE(Page().HoldsKeyboard());
  EXPECT_EQ(ListedTexts(), (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A",
                                                     "\xE2\x86\x93  B", "\xE2\x86\x91  B"}));
  EXPECT_EQ(Macros().Events(Page().SelectedMacro()).size(), 4u);

  // Once the recording ends, the other program gets its keys again.
  XdoTool({"key", "c"});
  EXPECT_EQ(other.TakeKeyEvents(), 2);
}

}  // namespace
