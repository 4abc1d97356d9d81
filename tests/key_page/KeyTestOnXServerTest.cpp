// A key typed on a real X server (Xvfb, keys sent with xdotool) reaches the key page's key test
// through the X11 input source, as it would from another program's window.

#include "KeyPageFixture.h"
#include "app/OnXServer.h"
// After the toolkit's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

#include "platform_input/XServerSupport.h"

namespace {

class KeyTestOnXServerTest : public OnXServer<KeyPageFixture> {
 protected:
  // Runs the UI thread until the list is what is wanted (the source's thread posts to it).
  bool ListBecomes(const std::vector<std::string>& wanted) {
    return backend.RunUntil([&] { return TestList() == wanted; }, std::chrono::seconds(20));
  }
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
