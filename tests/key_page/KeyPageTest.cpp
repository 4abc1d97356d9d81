// The key page against the virtual keyboard: what the keyboard holds after each kind of change,
// changes that must not be lost or redirected, failures half-way, and the interface sizes.

#include "KeyPageFixture.h"
// After the toolkit's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

#include "core/TextIds.h"
#include "sim/Faults.h"

namespace {

constexpr int kKeyA = 0x04;
constexpr int kKeyB = 0x05;
constexpr int kKeyC = 0x06;
constexpr int kKeyF = 0x09;
constexpr int kKeyF1 = 0x3A;
constexpr int kFnKey = 0xF0;
constexpr int kVolumeUp = 104;  // media value; the keyboard sends consumer usage 0xE9
constexpr Entry kVolumeUpEntry{0x30, 0xE9, 0x00};

using KeyPageTest = KeyPageFixture;

TEST_F(KeyPageTest, AChosenFunctionIsThreeBytesAtThreeTimesTheKeysIndex) {
  Start();
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  EXPECT_EQ(Row(0, kKeyA).macro_type, 6);
  EXPECT_EQ(Row(0, kKeyA).macro_value, kVolumeUp);
  EXPECT_EQ(Label(kKeyA), Text(text::kMediaVolumeUp));
  Settle();
  EXPECT_EQ(Current(0, kKeyA), kVolumeUpEntry);
  EXPECT_EQ(WrittenWith(0x1B), (std::vector<Written>{{3 * IndexOf(kKeyA), 3}}));
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x1B, 0x11}));
}

TEST_F(KeyPageTest, AChangeIsSentForTheKeyAndLayerItWasMadeFor) {
  Start();
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  // Before the worker takes the change: another key, another layer.
  SelectKey(kKeyB);
  ChooseLayer(1);
  Assign(kKeyC, key_ids::kTabKeys, kKeyF);
  Settle();
  EXPECT_EQ(Current(0, kKeyA), kVolumeUpEntry);
  EXPECT_EQ(Current(0, kKeyB), (Entry{0x10, 0x00, kKeyB}));
  EXPECT_EQ(Current(1, kKeyA), (Entry{0x10, 0x00, kKeyA}));
  EXPECT_EQ(Current(1, kKeyC), (Entry{0x10, 0x00, kKeyF}));
  // Both changes went out in one task.
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x1B, 0x1D, 0x11}));
}

TEST_F(KeyPageTest, RestoringALayerGivesItsFactoryTable) {
  Start();
  ChooseLayer(1);
  Assign(kKeyF1, key_ids::kTabKeys, kKeyA);
  Assign(kKeyB, key_ids::kTabShortcuts, 155);
  Settle();
  ASSERT_EQ(Current(1, kKeyF1), (Entry{0x10, 0x00, kKeyA}));
  Control<Tessel::MButton>(key_ids::kRestoreLayerButton).UserClick();
  Settle();
  EXPECT_EQ(Keyboard().layers[1], Keyboard().factoryLayers[1]);
  // The rows say what the factory table says: F1 of layer 1 is a media key.
  EXPECT_EQ(Row(1, kKeyF1).macro_type, 6);
  EXPECT_EQ(Label(kKeyF1), Text(text::kMediaPlayer));
  EXPECT_EQ(Row(1, kKeyB).macro_value, kKeyB);
  EXPECT_EQ(WrittenWith(0x1D).back(), (Written{336, 48}));
}

TEST_F(KeyPageTest, CancellingTheLayerRestoreChangesNothing) {
  Start();
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  Settle();
  AnswerMessages(Tessel::kResultCancel);
  Control<Tessel::MButton>(key_ids::kRestoreLayerButton).UserClick();
  Settle();
  EXPECT_EQ(Row(0, kKeyA).macro_value, kVolumeUp);
  EXPECT_EQ(Current(0, kKeyA), kVolumeUpEntry);
}

TEST_F(KeyPageTest, ANewProfileSendsTheFactoryKeyMapWithTheFnAndMediaKeys) {
  Start();
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
    for (auto& layer : state.layers) layer.fill(0x10);
  });
  Control<Tessel::MButton>(ids::kProfileAdd).UserClick();
  Settle();
  const sim::KeyboardState state = Keyboard();
  EXPECT_EQ(state.layers, state.factoryLayers);
  EXPECT_EQ(EntryIn(state.layers[0], IndexOf(kFnKey)), (Entry{0x50, 0x02, 0x00}));
  EXPECT_EQ(EntryIn(state.layers[1], IndexOf(kKeyF1))[0], 0x30);
}

TEST_F(KeyPageTest, AWriteErrorHalfWayEndsTheSendAndClosesTheBracket) {
  Start();
  bus.AddFault(keyboard, {sim::FaultKind::kWriteError, 0x1D, {}, 0, -1});
  const int closes = Keyboard().counters.bracketCloses;
  Service().QueueAllLayers();
  Settle();
  EXPECT_EQ(WrittenWith(0x1B).size(), 7u);
  EXPECT_TRUE(WrittenWith(0x1F).empty());
  EXPECT_TRUE(WrittenWith(0x21).empty());
  EXPECT_EQ(SentCommands().back(), 0x11);
  EXPECT_EQ(Keyboard().counters.bracketCloses, closes + 1);
  EXPECT_FALSE(Keyboard().bracketOpen);
}

TEST_F(KeyPageTest, ARefusedKeyEndsTheTaskAndTheWritesAfterIt) {
  Start();
  bus.AddFault(keyboard, sim::RefuseNext(0x1B, 1));
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  Assign(kKeyB, key_ids::kTabMedia, kVolumeUp);
  Settle();
  EXPECT_EQ(Current(0, kKeyA), (Entry{0x10, 0x00, kKeyA}));
  EXPECT_EQ(Current(0, kKeyB), (Entry{0x10, 0x00, kKeyB}));
  EXPECT_EQ(WrittenWith(0x1B).size(), 1u);
  EXPECT_FALSE(Keyboard().bracketOpen);
  // The next change goes out again.
  Assign(kKeyC, key_ids::kTabMedia, kVolumeUp);
  Settle();
  EXPECT_EQ(Current(0, kKeyC), kVolumeUpEntry);
}

TEST_F(KeyPageTest, AShortReportInterfaceTakesTablesIn24ByteChunks) {
  Start(101, /*receiver=*/true);
  Service().QueueAllLayers();
  Settle();
  std::vector<Written> expected;
  for (int offset = 0; offset < 384; offset += 24) expected.push_back({offset, 24});
  EXPECT_EQ(WrittenWith(0x1B), expected);
  EXPECT_EQ(WrittenWith(0x21), expected);
}

TEST_F(KeyPageTest, AKeyRestoredToAnEmptyFactoryEntryGetsThatEntryBack) {
  // Layer 2 of key B has nothing in the factory table.
  Start(101, false, [this] { SetFactoryAndCurrent(2, kKeyB, {0, 0, 0}, {0x10, 0x00, kKeyB}); });
  ChooseLayer(2);
  Assign(kKeyB, key_ids::kTabKeys, kKeyC);
  Settle();
  ASSERT_EQ(Current(2, kKeyB), (Entry{0x10, 0x00, kKeyC}));
  SelectKey(kKeyB);
  Control<Tessel::MButton>(key_ids::kRestoreKeyButton).UserClick();
  Settle();
  EXPECT_EQ(Row(2, kKeyB).macro_type, 0);
  EXPECT_EQ(Current(2, kKeyB), (Entry{0, 0, 0}));
}

TEST_F(KeyPageTest, ARestoredLayerDoesNotBringAnOldFunctionBackLater) {
  Start(101, false, [this] { SetFactoryAndCurrent(2, kKeyB, {0, 0, 0}, {0x10, 0x00, kKeyB}); });
  ChooseLayer(2);
  Assign(kKeyB, key_ids::kTabKeys, kKeyC);
  Control<Tessel::MButton>(key_ids::kRestoreLayerButton).UserClick();
  Settle();
  EXPECT_EQ(Row(2, kKeyB).macro_type, 0);
  Service().QueueAllLayers();
  Settle();
  EXPECT_EQ(Current(2, kKeyB), (Entry{0, 0, 0}));
}

TEST_F(KeyPageTest, FactoryTablesThatWereNotReadWholeAreNeverWritten) {
  Start(101, false, [this] { bus.AddFault(keyboard, sim::RefuseNext(0x18, 12)); });
  Service().QueueAllLayers();
  Control<Tessel::MButton>(key_ids::kRestoreLayerButton).UserClick();
  Settle();
  for (int command : {0x1B, 0x1D, 0x1F, 0x21}) EXPECT_TRUE(WrittenWith(command).empty());
  EXPECT_EQ(messages.back(), Text(text::kKeyTablesUnknownMessage));
}

TEST_F(KeyPageTest, ModelsFirmwareThatTakesKeysOnlyAsWholeLayersGetsThemSo) {
  Start(102, false, [this] {
    bus.ModifyState(keyboard,
                    [](sim::KeyboardState& state) { state.info.firmwareVersion = 0x115; });
  });
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  Settle();
  EXPECT_EQ(Current(0, kKeyA), kVolumeUpEntry);
  EXPECT_EQ(WrittenWith(0x1B).size(), 7u);
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x1B, 0x1D, 0x1F, 0x21, 0x11}));
}

TEST_F(KeyPageTest, SwitchingLayersRelabelsTheKeysAtOnceEvenOffline) {
  Start();
  ChooseLayer(1);
  Assign(kKeyA, key_ids::kTabMedia, kVolumeUp);
  Settle();
  ChooseLayer(0);
  SetConnected(false);
  dialog->QueueTask(task::kSendSystemSettings);  // a busy queue
  ChooseLayer(1);
  EXPECT_EQ(Label(kKeyA), Text(text::kMediaVolumeUp));
  ChooseLayer(0);
  EXPECT_EQ(Label(kKeyA), "A");
}

TEST_F(KeyPageTest, ACombinationIsTheCapturedKeyWithTheCheckedModifiers) {
  Start();
  SelectKey(kKeyF);
  ChooseTab(key_ids::kTabCombination);
  auto& field = Control<Tessel::MEdit>(key_ids::kCaptureField);
  field.UserFocus(true);
  ASSERT_NE(input, nullptr);
  EXPECT_TRUE(input->IsKeyboardGrabbed());
  input->EmitKey(KEY_A, platform::input::InputAction::kPress);
  input->EmitKey(KEY_A, platform::input::InputAction::kRelease);
  EXPECT_EQ(field.GetEditText(), "A");
  Control<Tessel::CCheckButton>(key_ids::kFirstModifier).SetCheck(true);
  Control<Tessel::CCheckButton>(key_ids::kFirstModifier + 1).SetCheck(true);
  field.UserFocus(false);
  EXPECT_FALSE(input->IsKeyboardGrabbed());
  Control<Tessel::MButton>(key_ids::kApplyCombination).UserClick();
  const storage::KeyAssignmentRecord row = Row(0, kKeyF);
  EXPECT_EQ(row.macro_type, 2);
  EXPECT_EQ(row.macro_value, kKeyA);
  EXPECT_EQ(row.macro_value2, 0x03);
  EXPECT_EQ(row.macro_desc, "LCtrl+ LShift + A");
  Settle();
  EXPECT_EQ(Current(0, kKeyF), (Entry{0x10, 0x03, kKeyA}));
}

TEST_F(KeyPageTest, TheKeyTestPausesForTheCaptureAndForgetsWhatWasHeld) {
  Start();
  ASSERT_NE(input, nullptr);
  using platform::input::InputAction;
  input->EmitKey(KEY_A, InputAction::kPress);
  input->EmitKey(KEY_A, InputAction::kRepeat);
  EXPECT_EQ(TestList(), std::vector<std::string>{"A"});
  ChooseTab(key_ids::kTabCombination);
  auto& field = Control<Tessel::MEdit>(key_ids::kCaptureField);
  field.UserFocus(true);
  EXPECT_TRUE(TestList().empty());
  input->EmitKey(KEY_A, InputAction::kRelease);  // while the test is paused
  EXPECT_TRUE(TestList().empty());
  field.UserFocus(false);
  input->EmitKey(KEY_A, InputAction::kPress);
  input->EmitButton(BTN_LEFT, InputAction::kPress);
  EXPECT_EQ(TestList(), (std::vector<std::string>{"A", Text(text::kMouseLeft)}));
  input->EmitKey(KEY_A, InputAction::kRelease);
  EXPECT_EQ(TestList(), std::vector<std::string>{Text(text::kMouseLeft)});
  // Leaving the page stops the test and empties the list.
  ASSERT_TRUE(dialog->SwitchToPage(kPageSettings));
  EXPECT_TRUE(TestList().empty());
  EXPECT_FALSE(input->IsStarted());
}

TEST_F(KeyPageTest, MacroRepeatCountsAreKeptBetweenOneAnd255) {
  Start();
  const int empty = Database().AddMacro("Empty");
  const int macro = Database().AddMacro("New Macro 1");
  ASSERT_TRUE(Database().InsertMacroSteps({{0, macro, 1, 0, 0x41, 10, "A"}}));
  Assign(kKeyA, key_ids::kTabMacros, empty);
  EXPECT_EQ(messages.back(), Text(text::kMacroWithoutEventsMessage));
  EXPECT_EQ(Row(0, kKeyA).macro_type, 2);
  Pick(macro);
  EXPECT_EQ(Row(0, kKeyA).macro_type, 3);
  auto& count = Control<Tessel::MEdit>(key_ids::kRepeatCount);
  for (const auto& [typed, stored] : {std::pair{"0", 1}, {"300", 255}, {"", 1}, {"7", 7}}) {
    count.UserSetText(typed);
    count.UserCommit(true);
    EXPECT_EQ(Row(0, kKeyA).macro_value3, stored) << typed;
    EXPECT_EQ(count.GetEditText(), std::to_string(stored));
  }
  storage::MacroRecord record;
  ASSERT_TRUE(Database().GetMacro(macro, record));
  EXPECT_EQ(record.play_times, 7);
  Settle();
  EXPECT_EQ(Current(0, kKeyA), (Entry{0x61, 0x01, 0x07}));
}

}  // namespace

namespace {

TEST_F(KeyPageTest, ARestoredKeyIsNamedAfterItsFactoryEntry) {
  const struct {
    int code;
    Entry factory;
    int type;
    int value;
    std::string label;
  } cases[] = {
      {kKeyA, {0x05, 0x02, 0x07}, 8, 7, "Special"},
      {kKeyB, {0x50, 0x4A, 0x00}, 12, 74, "KeyTest"},
      {kKeyC, {0x50, 0x4B, 0x00}, 12, 75, "keeps its label"},
  };
  Start(101, false, [&] {
    for (const auto& c : cases) SetFactoryAndCurrent(3, c.code, c.factory, c.factory);
  });
  ChooseLayer(3);
  for (const auto& c : cases) {
    storage::KeyAssignmentRecord row = Row(3, c.code);
    row.macro_desc = "keeps its label";
    ASSERT_TRUE(Database().UpdateKeyAssignment(row));
    EXPECT_EQ(Service().ResetKey(3, c.code), keys::ChangeResult::kDone);
    row = Row(3, c.code);
    EXPECT_EQ(row.macro_type, c.type) << c.code;
    EXPECT_EQ(row.macro_value, c.value) << c.code;
    EXPECT_EQ(row.macro_desc, c.label) << c.code;
    EXPECT_EQ(Label(c.code), c.label) << c.code;
  }
}

TEST_F(KeyPageTest, ADeletedMacrosKeysGoBackToTheirOwnLayersFactoryEntries) {
  Start();
  const int macro = Database().AddMacro("Boss key");
  ASSERT_TRUE(Database().InsertMacroSteps({{0, macro, 1, 0, 0x41, 10, "A"}}));
  for (int layer : {0, 2}) {
    EXPECT_EQ(Service().AssignFunction(layer, kKeyF1, {{3, macro, 0, 1}, {}}),
              keys::ChangeResult::kDone);
  }
  Settle();
  ASSERT_EQ(Current(2, kKeyF1), (Entry{0x60, 0x00, 0x00}));
  ASSERT_TRUE(Database().DeleteMacro(macro));
  EXPECT_EQ(Service().UnassignMacro(macro), 2);
  EXPECT_EQ(Row(0, kKeyF1).macro_value, kKeyF1);
  EXPECT_EQ(Row(2, kKeyF1).macro_type, 2);
  Settle();
  EXPECT_EQ(Keyboard().layers, Keyboard().factoryLayers);
}

}  // namespace
