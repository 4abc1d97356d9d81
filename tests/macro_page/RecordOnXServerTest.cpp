// A recording on a real X server (Xvfb, keys typed with xdotool): the keys reach the macro and
// no other X client while the recording runs, and reach that client again once it ends.

#include "MacroPageFixture.h"
#include "app/OnXServer.h"
#include "platform_input/FocusedXWindow.h"
#include "platform_input/XServerSupport.h"

// Xlib last: its macros (None, Bool, Status) clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

namespace mi = macro_ids;

class RecordOnXServerTest : public OnXServer<MacroPageFixture> {};

TEST_F(RecordOnXServerTest, TypedKeysAreRecordedAndReachNoOtherClient) {
  StartOnMacroPage();
  ASSERT_EQ(dialog->Input().Kind(), platform::input::SourceKind::kX11);
  EXPECT_FALSE(Control<Tessel::MControlFont>(mi::kSourceHint).IsVisible());
  test_support::FocusedXWindow other(server_->Display());
  ASSERT_TRUE(other.IsOpen());

  Click(mi::kRecordButton);
  ASSERT_TRUE(Page().Recording());
  EXPECT_TRUE(Page().HoldsKeyboard());
  XdoTool({"key", "a"});
  XdoTool({"key", "b"});
  EXPECT_TRUE(
      backend.RunUntil([&] { return EventList().GetItemCount() >= 4; }, std::chrono::seconds(20)));
  EXPECT_EQ(other.TakeKeyEvents().size(), 0u);
  Click(mi::kRecordButton);
  EXPECT_FALSE(Page().HoldsKeyboard());
  EXPECT_EQ(ListedTexts(), (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A",
                                                     "\xE2\x86\x93  B", "\xE2\x86\x91  B"}));
  EXPECT_EQ(Macros().Events(Page().SelectedMacro()).size(), 4u);

  // Once the recording ends, the other program gets its keys again.
  XdoTool({"key", "c"});
  EXPECT_EQ(other.TakeKeyEvents().size(), 2u);
}

}  // namespace
