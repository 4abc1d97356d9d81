// The macro page and task 11 against the virtual keyboard: the macro list, what the keyboard's
// macro memory holds after each change, and the keys that play macros by slot.

#include "MacroPageFixture.h"
#include "core/TextIds.h"
#include "support/FailingVfs.h"

namespace {

namespace mi = macro_ids;
using macros::MacroResult;

constexpr int kKeyA = 0x04;

class MacroPageTest : public MacroPageFixture {
 protected:
  void SetUp() override {
    FailingVfs::Install();
    FailingVfs::Writes(true);
    MacroPageFixture::SetUp();
  }
  void TearDown() override { FailingVfs::Writes(true); }
};

TEST_F(MacroPageTest, AFreshDatabaseShowsTenMacrosTheFirstSelected) {
  StartOnMacroPage();
  std::vector<std::string> names;
  for (const auto& item : MacroList().GetItems()) names.push_back(item.text);
  EXPECT_EQ(names, (std::vector<std::string>{"M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9",
                                             "M10"}));
  EXPECT_EQ(MacroList().GetSelectItem(), 0);
  EXPECT_TRUE(Control<Tessel::CRadioButton>(mi::kDelayRecorded).GetCheck());
  EXPECT_FALSE(Control<Tessel::MEdit>(mi::kFixedDelayField).IsEnabled());
  // The eleventh is refused; after one is deleted a new one takes the first free name.
  Click(mi::kNewMacro);
  EXPECT_EQ(messages, (std::vector<std::string>{Text(text::kMacroLimitMessage)}));
  MacroList().UserSelect(3);
  Click(mi::kDeleteMacro);
  Click(mi::kNewMacro);
  EXPECT_EQ(MacroList().GetItemText(9), Text(text::kMacroBaseName) + " 1");
  EXPECT_EQ(MacroList().GetSelectItem(), 9);
}

TEST_F(MacroPageTest, StoredNamesShowThroughThePagesRule) {
  StartOnMacroPage();
  const std::vector<int> ids = MacroIds();
  ASSERT_EQ(Macros().RenameMacro(ids[0], "Custom 3"), MacroResult::kDone);
  ASSERT_EQ(Macros().RenameMacro(ids[1], "M1 Copy"), MacroResult::kDone);
  Page().ReloadList(ids[1]);
  EXPECT_EQ(MacroList().GetItemText(0), Text(text::kMacroBaseName) + " 3");
  EXPECT_EQ(MacroList().GetItemText(1), "M1  " + Text(text::kShortcutCopy));
  EXPECT_EQ(MacroList().GetSelectItem(), 1);
  // Renaming to nothing gives the stored name back.
  MacroList().UserFinishEdit(1, "  ");
  EXPECT_EQ(MacroList().GetItemText(1), "M1  " + Text(text::kShortcutCopy));
  EXPECT_EQ(Macros().Macro(ids[1])->name, "M1 Copy");
}

TEST_F(MacroPageTest, TenMacrosAtTheFullBudgetReadBackConsistent) {
  StartOnMacroPage();
  const std::vector<int> ids = MacroIds();
  ASSERT_EQ(ids.size(), 10u);
  // Nine macros of 100 events, the tenth with exactly the room that is left.
  for (std::size_t m = 0; m < ids.size(); ++m) {
    const std::size_t count = m < 9 ? 100 : *Macros().MaxEventsOf(ids[m]);
    std::vector<macros::MacroEvent> events;
    for (std::size_t e = 0; e < count; ++e) {
      events.push_back(macros::MakeKeyEvent('A' + static_cast<int>((m + e) % 26), e % 2 == 0));
      events.back().delay = static_cast<int>(e + m);
    }
    ASSERT_EQ(Macros().ReplaceEvents(ids[m], events), MacroResult::kDone) << m;
  }
  EXPECT_EQ(Macros().Use().imageBytes, 4096u);
  EXPECT_EQ(Macros().MaxEventsOf(ids[0]), 100u);  // nothing more fits anywhere
  Settle();
  EXPECT_TRUE(Macros().LastSendDone());
  const sim::MacroMemoryReading reading = KeyboardMacros();
  EXPECT_EQ(reading.length, 4096u);
  ASSERT_EQ(reading.macros.size(), 10u);
  for (std::size_t m = 0; m < ids.size(); ++m) EXPECT_EQ(reading.macros[m], Played(ids[m])) << m;
  // One more event is refused and changes nothing.
  std::vector<macros::MacroEvent> more = Macros().Events(ids[0]);
  more.push_back(macros::MakeKeyEvent('A', true));
  EXPECT_EQ(Macros().ReplaceEvents(ids[0], more), MacroResult::kNoRoom);
  EXPECT_EQ(Macros().Events(ids[0]).size(), 100u);
}

TEST_F(MacroPageTest, DeletingTheSecondOfThreeMacrosKeepsAKeyPlayingTheThird) {
  StartOnMacroPage();
  std::vector<int> ids = MacroIds();
  for (std::size_t m = 3; m < ids.size(); ++m)
    ASSERT_EQ(Macros().DeleteMacro(ids[m]), MacroResult::kDone);
  ASSERT_EQ(SetEvents(ids[0], "tap:A"), MacroResult::kDone);
  ASSERT_EQ(SetEvents(ids[1], "tap:B 40 tap:C"), MacroResult::kDone);
  ASSERT_EQ(SetEvents(ids[2], "down:Shift 20 click:right up:Shift"), MacroResult::kDone);
  ASSERT_EQ(Service().AssignFunction(0, kKeyA, {{3, ids[2], 0, 1}, ""}), keys::ChangeResult::kDone);
  Settle();
  EXPECT_EQ(Current(0, kKeyA)[1], 2);  // slot 2 (0-based) before
  EXPECT_EQ(KeyboardMacros().macros[2], Played(ids[2]));

  MacroList().UserSelect(1);
  Click(mi::kDeleteMacro);
  Settle();
  // The key now names slot 1, and slot 1 holds the third macro's events.
  const Entry entry = Current(0, kKeyA);
  ASSERT_TRUE(entry[0] == 0x60 || entry[0] == 0x61);
  const sim::MacroMemoryReading reading = KeyboardMacros();
  ASSERT_EQ(reading.macros.size(), 2u);
  ASSERT_LT(entry[1], reading.macros.size());
  EXPECT_EQ(reading.macros[entry[1]], Played(ids[2]));
  EXPECT_EQ(MacroList().GetSelectItem(), 0);
}

TEST_F(MacroPageTest, ClearingAMacroSendsTheImageAndResetsItsKeys) {
  StartOnMacroPage();
  const std::vector<int> ids = MacroIds();
  ASSERT_EQ(SetEvents(ids[0], "tap:A tap:B"), MacroResult::kDone);
  ASSERT_EQ(Service().AssignFunction(1, kKeyA, {{3, ids[0], 0, 1}, ""}), keys::ChangeResult::kDone);
  Settle();
  ASSERT_EQ(KeyboardMacros().macros[0].size(), 4u);
  Click(mi::kClearEvents);
  Settle();
  EXPECT_TRUE(KeyboardMacros().macros[0].empty());
  EXPECT_NE(Row(1, kKeyA).macro_type, protocol::function_type::kMacro);
  EXPECT_EQ(Current(1, kKeyA), EntryIn(Keyboard().factoryLayers[1], IndexOf(kKeyA)));
}

TEST_F(MacroPageTest, EventsThatCannotBeStoredLeaveTheOldOnesAndSendNothing) {
  StartOnMacroPage();
  const int macroId = MacroIds()[0];
  ASSERT_EQ(SetEvents(macroId, "tap:A"), MacroResult::kDone);
  Page().ReloadList(macroId);
  Settle();
  bus.ClearFrameLog();
  EventList().UserSelect(0);
  FailingVfs::Writes(false);
  Click(mi::kMoveDown);
  FailingVfs::Writes(true);
  Settle();
  EXPECT_EQ(Macros().Events(macroId)[0].type, protocol::macro_event::kKeyDown);
  EXPECT_EQ(ListedTexts(), (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A"}));
  EXPECT_TRUE(WrittenWith(0x2D).empty());
}

TEST_F(MacroPageTest, AKeyboardWhoseMemorySizeIsUnknownGetsNothing) {
  StartOnMacroPage(101, false, [this] {
    bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.info.macroMemoryUnits = 0; });
  });
  const int macroId = MacroIds()[0];
  EXPECT_EQ(SetEvents(macroId, "tap:A"), MacroResult::kMemoryUnknown);
  Click(mi::kRecordButton);
  EXPECT_EQ(messages, (std::vector<std::string>{Text(text::kMacroMemoryUnknown)}));
  EXPECT_FALSE(Page().Recording());
  Macros().QueueSend();
  Settle();
  EXPECT_TRUE(WrittenWith(0x2D).empty());
}

// The image of two macros of 11 and 12 events is 112 bytes long.
class ImageFramesTest : public MacroPageFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(ImageFramesTest, An112ByteImageGoesOutInWholeChunksOfTheInterface) {
  const bool receiver = GetParam();
  StartOnMacroPage(101, receiver);
  const std::vector<int> ids = MacroIds();
  for (std::size_t m = 2; m < ids.size(); ++m)
    ASSERT_EQ(Macros().DeleteMacro(ids[m]), MacroResult::kDone);
  Settle();
  std::string text;
  for (int i = 0; i < 11; ++i) text += "down:B ";
  ASSERT_EQ(SetEvents(ids[0], text), MacroResult::kDone);
  bus.ClearFrameLog();
  ASSERT_EQ(SetEvents(ids[1], text + "down:C"), MacroResult::kDone);
  Settle();
  const std::vector<Written> expected =
      receiver ? std::vector<Written>{{0, 24}, {24, 24}, {48, 24}, {72, 24}, {96, 16}}
               : std::vector<Written>{{0, 56}, {56, 56}, {112, 0}};
  EXPECT_EQ(WrittenWith(0x2D), expected);
  // The frames carry the image and nothing after its end.
  const std::vector<std::uint8_t> memory = Keyboard().macroMemory;
  for (const sim::LoggedFrame& frame : bus.FrameLog()) {
    if (frame.direction != sim::Direction::kToDevice || frame.bytes.size() < 9 ||
        frame.bytes[2] != 0x2D)
      continue;
    const std::size_t offset = frame.bytes[3] | frame.bytes[4] << 8;
    for (std::size_t i = 9; i < frame.bytes.size(); ++i) {
      const std::size_t at = offset + i - 9;
      EXPECT_EQ(frame.bytes[i], at < 112 ? memory[at] : 0) << "offset " << at;
    }
  }
  EXPECT_EQ(KeyboardMacros().length, 112u);
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, ImageFramesTest, ::testing::Values(false, true));

}  // namespace
