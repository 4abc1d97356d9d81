// A key typed on a real X server (Xvfb, keys sent with xdotool) reaches the key page's key test
// through the X11 input source, as it would from another program's window.

#include "KeyPageFixture.h"
// After the toolkit's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

#include "platform/input/X11InputSource.h"
#include "platform_input/XServerSupport.h"

namespace {

class KeyTestOnXServerTest : public KeyPageFixture {
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
    KeyPageFixture::SetUp();
  }

  void XdoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    ASSERT_EQ(test_support::RunWithDisplay(server_->Display(), arguments), 0);
  }

  // Runs the UI thread until the list is what is wanted (the source's thread posts to it).
  bool ListBecomes(const std::vector<std::string>& wanted) {
    return backend.RunUntil([&] { return TestList() == wanted; }, std::chrono::seconds(20));
  }

  std::unique_ptr<test_support::XvfbServer> server_;
};

TEST_F(KeyTestOnXServerTest, AKeyPressedOnTheServerShowsUntilItIsReleased) {
  Start();
  ASSERT_EQ(dialog->Input().Kind(), platform::input::SourceKind::kX11);
  XdoTool({"keydown", "a"});
  EXPECT_TRUE(ListBecomes({"A"}));
  XdoTool({"keydown", "Shift_L"});
  EXPECT_TRUE(ListBecomes({"A", "Shift"}));
  XdoTool({"keyup", "a"});
  XdoTool({"keyup", "Shift_L"});
  EXPECT_TRUE(ListBecomes({}));
}

}  // namespace
