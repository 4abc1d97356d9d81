// Recording on the macro page with a fake input source whose events carry the moments they
// happened: the events and delays stored, the keyboard held and let go, the recording ended by
// the page, the window and a full memory.

#include "MacroPageFixture.h"
#include "core/TextIds.h"

namespace {

namespace mi = macro_ids;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class MacroRecordingTest : public MacroPageFixture {
 protected:
  Clock::time_point t0 = Clock::now();
  Clock::time_point At(int ms) const { return t0 + milliseconds(ms); }
  void Type(int code, int downAt, int upAt) {
    Emit(code, true, At(downAt));
    Emit(code, false, At(upAt));
  }
  void ChooseDelayOption(int id) { Control<Tessel::CRadioButton>(id).UserClick(); }
};

TEST_F(MacroRecordingTest, TypingAAndBRecordsFourEventsWithTheTimeBetweenThem) {
  StartOnMacroPage();
  Click(mi::kRecordButton);
  ASSERT_TRUE(Page().Recording());
  EXPECT_TRUE(input->IsKeyboardGrabbed());
  EXPECT_EQ(Control<Tessel::MButton>(mi::kRecordButton).GetTitle(),
            Text(text::kMacroStopRecording));
  EXPECT_FALSE(MacroList().IsEnabled());
  Emit(KEY_A, true, At(0));
  Emit(KEY_A, true, At(30));  // held: the repeat adds nothing
  Emit(KEY_A, false, At(110));
  Type(KEY_B, 350, 420);
  Click(mi::kRecordButton);
  EXPECT_FALSE(Page().Recording());
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  EXPECT_TRUE(MacroList().IsEnabled());
  EXPECT_EQ(ListedTexts(), (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A",
                                                     "\xE2\x86\x93  B", "\xE2\x86\x91  B"}));
  EXPECT_EQ(ListedDelays(), (std::vector<int>{110, 240, 70, 10}));
  // Stored and sent as recorded.
  const int macroId = Page().SelectedMacro();
  ASSERT_EQ(Macros().Events(macroId).size(), 4u);
  EXPECT_EQ(Macros().Events(macroId)[1].delay, 240);
  Settle();
  const sim::MacroMemoryReading reading = KeyboardMacros();
  ASSERT_FALSE(reading.macros.empty());
  EXPECT_EQ(reading.macros[0],
            (std::vector<sim::PlayedMacroEvent>{
                {110, 0x04, 0x81}, {240, 0x04, 0x01}, {70, 0x05, 0x81}, {10, 0x05, 0x01}}));
}

TEST_F(MacroRecordingTest, FixedAndNoDelaysAndClicksOfTheRecordButton) {
  StartOnMacroPage();
  ChooseDelayOption(mi::kDelayFixed);
  Control<Tessel::MEdit>(mi::kFixedDelayField).UserSetText("50");
  Control<Tessel::MEdit>(mi::kFixedDelayField).UserFocus(false);
  EXPECT_EQ(Macros().Macro(Page().SelectedMacro())->delay_time, 50);
  Click(mi::kRecordButton);
  Emit(BTN_LEFT, false, At(0), true);  // the release of the click on the record button
  Type(KEY_A, 10, 900);
  Emit(BTN_LEFT, true, At(1000), true);
  Emit(BTN_LEFT, false, At(1100), true);
  Emit(BTN_LEFT, true, At(2000), true);  // the press on the stop button
  Click(mi::kRecordButton);
  EXPECT_EQ(ListedTexts(),
            (std::vector<std::string>{"\xE2\x86\x93  A", "\xE2\x86\x91  A", "\xE2\x86\x93  MouseL",
                                      "\xE2\x86\x91  MouseL"}));
  EXPECT_EQ(ListedDelays(), (std::vector<int>{50, 50, 50, 10}));
}

TEST_F(MacroRecordingTest, RecordingStopsAtTheRoomLeftAndSaysTheMemoryIsFull) {
  StartOnMacroPage(103);  // 2048 bytes of macro memory
  const int macroId = Page().SelectedMacro();
  const std::size_t room = *Macros().MaxEventsOf(macroId);
  std::vector<macros::MacroEvent> events(room - 3, macros::MakeKeyEvent('X', true));
  ASSERT_EQ(Macros().ReplaceEvents(macroId, events), macros::MacroResult::kDone);
  Page().ReloadList(macroId);
  Click(mi::kRecordButton);
  Type(KEY_A, 0, 10);
  Type(KEY_B, 20, 30);
  EXPECT_FALSE(Page().Recording());
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  EXPECT_EQ(Macros().Events(macroId).size(), room);
  EXPECT_EQ(messages, (std::vector<std::string>{Text(text::kMacroMemoryFullMessage)}));
  Click(mi::kRecordButton);  // no room at all: refused at once
  EXPECT_FALSE(Page().Recording());
  EXPECT_EQ(messages.size(), 2u);
}

TEST_F(MacroRecordingTest, LeavingThePageOrMinimisingTheWindowEndsAndStoresTheRecording) {
  StartOnMacroPage();
  const int macroId = Page().SelectedMacro();
  Click(mi::kRecordButton);
  Type(KEY_A, 0, 10);
  ASSERT_TRUE(dialog->SwitchToPage(kPageKeys));
  EXPECT_FALSE(Page().Recording());
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  EXPECT_EQ(Macros().Events(macroId).size(), 2u);

  ASSERT_TRUE(dialog->SwitchToPage(kPageMacros));
  Click(mi::kRecordButton);
  Type(KEY_B, 0, 10);
  dialog->ShowWindow(Tessel::kMinimize);
  backend.PumpUntilIdle();
  EXPECT_FALSE(Page().Recording());
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  EXPECT_EQ(Macros().Events(macroId).size(), 4u);
}

TEST_F(MacroRecordingTest, AFailedGrabStillRecordsAndSaysTheKeysAlsoReachOtherPrograms) {
  StartOnMacroPage();
  // The source starts on the page; its grab fails from now on.
  Click(mi::kRecordButton);
  Click(mi::kRecordButton);
  ASSERT_NE(input, nullptr);
  input->SetGrabFailure("another program holds the keyboard");
  Click(mi::kRecordButton);
  EXPECT_TRUE(Page().Recording());
  EXPECT_FALSE(Page().HoldsKeyboard());
  EXPECT_EQ(Control<Tessel::MControlFont>(mi::kRecordingState).GetTitle(),
            Text(text::kMacroRecordingShared));
  Type(KEY_C, 0, 25);
  Click(mi::kRecordButton);
  EXPECT_EQ(ListedTexts(), (std::vector<std::string>{"\xE2\x86\x93  C", "\xE2\x86\x91  C"}));
}

TEST_F(MacroRecordingTest, TheEditorsKeyFieldRewritesBothEventsOfAPress) {
  StartOnMacroPage();
  const int macroId = Page().SelectedMacro();
  ASSERT_EQ(SetEvents(macroId, "down:A 40 wait:200 up:A"), macros::MacroResult::kDone);
  Page().ReloadList(macroId);
  EventList().UserSelect(2);
  EXPECT_TRUE(Control<Tessel::MArea>(mi::kEditorArea).IsVisible());
  EXPECT_EQ(Control<Tessel::MEdit>(mi::kKeyField).GetEditText(), "A");
  Control<Tessel::MEdit>(mi::kKeyField).UserFocus(true);
  EXPECT_TRUE(input->IsKeyboardGrabbed());
  Type(KEY_Z, 0, 5);
  Control<Tessel::MEdit>(mi::kKeyField).UserFocus(false);
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  EXPECT_EQ(ListedTexts(),
            (std::vector<std::string>{"\xE2\x86\x93  Z", "200 ms", "\xE2\x86\x91  Z"}));
  EXPECT_EQ(ListedDelays(), (std::vector<int>{40, 10, 10}));
  EXPECT_EQ(Macros().Events(macroId)[0].value, 'Z');
  // A pause typed out of range is clamped.
  EventList().UserSelect(1);
  Control<Tessel::MEdit>(mi::kPauseField).UserSetText("20000");
  Control<Tessel::MEdit>(mi::kPauseField).UserFocus(false);
  EXPECT_EQ(Macros().Events(macroId)[1].value, 10000);
  EXPECT_EQ(Control<Tessel::MEdit>(mi::kPauseField).GetEditText(), "10000");
}

}  // namespace
