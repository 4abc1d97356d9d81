// The keyboard's key map read at connection: the command sequence of each kind of keyboard, the
// controller's lookup tables following the keyboard, the stored key rows and their labels, the
// knob's rows, and reads that fail half-way.

#include <gtest/gtest.h>

#include <map>

#include "ConnectedKeyboardFixture.h"
#include "core/TextIds.h"
#include "keys/KeyCodes.h"

namespace {

using Entry = std::array<std::uint8_t, 3>;

class KeyMapReaderTest : public ConnectedKeyboardFixture {
 protected:
  // The key index the keyboard's factory layer 0 gives a key code.
  int IndexOf(int code) {
    const sim::KeyboardState state = Keyboard();
    const Entry wanted = sim::FactoryEntryForCode(code);
    for (int index = 0; index < 128; ++index) {
      const auto at = state.factoryLayers[0].begin() + index * 3;
      if (Entry{at[0], at[1], at[2]} == wanted) return index;
    }
    ADD_FAILURE() << "no key index for code " << code;
    return 0;
  }

  void SetCurrentEntry(int layer, int code, Entry entry) {
    const int index = IndexOf(code);
    bus.ModifyState(keyboard, [&](sim::KeyboardState& state) {
      std::copy(entry.begin(), entry.end(),
                state.layers[static_cast<std::size_t>(layer)].begin() + index * 3);
    });
  }

  storage::KeyAssignmentRecord Row(int layer, int code, int profile = -1) {
    storage::KeyAssignmentRecord row;
    EXPECT_TRUE(Database().GetKeyAssignment(profile < 0 ? Profile() : profile, layer, code, row))
        << "layer " << layer << " code " << code;
    return row;
  }

  std::vector<storage::KeyAssignmentRecord> Rows(int profile) {
    std::vector<storage::KeyAssignmentRecord> rows;
    Database().ListKeyAssignmentsOfProfile(profile, rows);
    return rows;
  }
};

// The sequence
// --------------------------------------------------------------------------------------

struct SequenceCase {
  int modelId;
  std::vector<int> commands;
};

class ReadSequenceTest : public KeyMapReaderTest,
                         public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(ReadSequenceTest, EachKeyboardIsAskedForWhatItHas) {
  Plug(GetParam().modelId);
  StartUp();
  bus.SetFrameLogging(true);
  EXPECT_TRUE(ReadKeyboard());
  EXPECT_EQ(SentCommands(), GetParam().commands);
}

// Light zone 2 adds 0x36, the matrix light 0x3A, the knob 0x3E.
INSTANTIATE_TEST_SUITE_P(
    Models, ReadSequenceTest,
    ::testing::Values(SequenceCase{101,
                                   {0x10, 0x12, 0x14, 0x30, 0x16, 0x17, 0x18, 0x19, 0x32, 0x36,
                                    0x3E, 0x1A, 0x1C, 0x1E, 0x20, 0x11}},
                      SequenceCase{102,
                                   {0x10, 0x12, 0x14, 0x30, 0x16, 0x17, 0x18, 0x19, 0x32, 0x36,
                                    0x3A, 0x1A, 0x1C, 0x1E, 0x20, 0x11}},
                      SequenceCase{160,
                                   {0x10, 0x12, 0x14, 0x30, 0x16, 0x17, 0x18, 0x19, 0x32, 0x1A,
                                    0x1C, 0x1E, 0x20, 0x11}}),
    [](const auto& info) { return "Model" + std::to_string(info.param.modelId); });

// Maps
// -----------------------------------------------------------------------------------------------

TEST_F(KeyMapReaderTest, TheControllersTablesFollowTheKeyboardRatherThanTheLayoutFile) {
  Plug(101);
  const int a = IndexOf(0x04);
  const int b = IndexOf(0x05);
  // The keyboard has A and B the other way round, and A's light at 200.
  bus.ModifyState(keyboard, [&](sim::KeyboardState& state) {
    auto& layer = state.factoryLayers[0];
    std::swap_ranges(layer.begin() + a * 3, layer.begin() + a * 3 + 3, layer.begin() + b * 3);
    state.lightIndices[static_cast<std::size_t>(b)] = 200;
  });
  StartUp();
  const auto tables = dialog->Layout();
  EXPECT_EQ(tables->FindKeyIndex(0x04), b);
  EXPECT_EQ(tables->FindKeyIndex(0x05), a);
  EXPECT_EQ(tables->FindLightIndex(0x04), 200);
  EXPECT_EQ(tables->FindCodeOfLight(200), 0x04);
  // The media entries at their fixed places: the calculator and the knob's three.
  EXPECT_EQ(tables->FindKeyIndex(0xD1), 88);
  EXPECT_EQ(tables->FindKeyIndex(0xD2), 83);
  EXPECT_EQ(tables->FindKeyIndex(0xD3), 86);
  EXPECT_EQ(tables->FindKeyIndex(0xD4), 84);
  EXPECT_GT(tables->LayoutRowCount, 0);  // what the file alone knows stays

  const auto maps = dialog->KeyMaps().Maps();
  EXPECT_EQ(maps->modelId, 101);
  for (std::size_t layer = 0; layer < 4; ++layer)
    EXPECT_EQ(maps->factoryLayers[layer], Keyboard().factoryLayers[layer]);
  EXPECT_EQ(maps->keys.CodeAt(b), 0x04);
  EXPECT_EQ(maps->lights.LightOf(0x04), 200);
}

// Stored rows -------------------------------------------------------------------------------------

TEST_F(KeyMapReaderTest, TheKeyboardsAssignmentsAreStoredWithTheirLabels) {
  Plug(101);
  StartUp();
  const int macro = Database().AddMacro("New Macro 1");
  ASSERT_GT(macro, 0);
  SetCurrentEntry(1, 0x04, {0x30, 0xE9, 0x00});  // volume up
  SetCurrentEntry(2, 0x05, {0x50, 0x4A, 0x00});  // keyboard function 74
  SetCurrentEntry(0, 0x06, {0x10, 0x02, 0x04});  // Shift + A
  SetCurrentEntry(3, 0x07, {0x05, 0x02, 0x07});  // a special code
  SetCurrentEntry(0, 0x08, {0x05, 0x03, 0x00});  // the fixed function
  SetCurrentEntry(1, 0x09, {0x50, 0x4B, 0x00});  // function 75 has no name
  SetCurrentEntry(0, 0x0A, {0x60, 0x00, 0x05});  // the first macro
  SetCurrentEntry(0, 0x0B, {0x77, 0x01, 0x02});  // nothing known
  SetCurrentEntry(0, 0x0C, {0x10, 0x40, 0x00});  // right Alt alone
  const storage::KeyAssignmentRecord untouched = Row(1, 0x0D);
  SetCurrentEntry(1, 0x0D, {0x00, 0x00, 0x00});
  ReadKeyboard();

  struct Expected {
    int layer, code, type, value, value2;
    std::string desc;
  };
  const Expected expected[] = {
      {1, 0x04, 6, 104, 0, Text(text::kMediaVolumeUp)},
      {2, 0x05, 12, 74, 0, "KeyTest"},
      {0, 0x06, 2, 4, 2, std::string(keys::UsageShortName(4))},
      {3, 0x07, 8, 7, 0, "Special"},
      {0, 0x08, 1, 0, 0, Text(text::kKeyDisabled)},
      {1, 0x09, 12, 75, 0, std::string(keys::UsageShortName(0x09))},  // the label stays
      {0, 0x0A, 3, macro, 5, Text(text::kMacroBaseName) + " 1"},
      {0, 0x0B, 0, 0, 0, std::string(keys::UsageShortName(0x0B))},  // label stays
      {0, 0x0C, 2, 0xE6, 0, std::string(keys::UsageShortName(0xE6))},
  };
  for (const Expected& want : expected) {
    SCOPED_TRACE(want.code);
    const storage::KeyAssignmentRecord row = Row(want.layer, want.code);
    EXPECT_EQ(row.macro_type, want.type);
    EXPECT_EQ(row.macro_value, want.value);
    EXPECT_EQ(row.macro_value2, want.value2);
    EXPECT_EQ(row.macro_desc, want.desc);
  }
  const storage::KeyAssignmentRecord row = Row(1, 0x0D);
  EXPECT_EQ(row.macro_type, untouched.macro_type);
  EXPECT_EQ(row.macro_desc, untouched.macro_desc);
}

TEST_F(KeyMapReaderTest, TheSecondAndThirdListedProfilesWithoutRowsGetTheFirstsRows) {
  Plug(101);
  StartUp();
  const std::vector<int> profiles = ProfileIds();
  ASSERT_EQ(profiles.size(), 3u);
  const std::size_t rows = Rows(profiles[0]).size();
  ASSERT_GT(rows, 0u);
  EXPECT_EQ(Rows(profiles[1]).size(), rows);
  EXPECT_EQ(Rows(profiles[2]).size(), rows);

  // A fourth profile is not filled; one that has rows keeps them.
  storage::ProfileRecord fourth;
  fourth.name = "Fourth";
  const int id = Database().AddProfile(fourth);
  SetCurrentEntry(1, 0x04, {0x30, 0xE9, 0x00});
  ReadKeyboard();
  EXPECT_EQ(Rows(id).size(), 0u);
  EXPECT_EQ(Row(1, 0x04, profiles[0]).macro_type, 6);
  EXPECT_NE(Row(1, 0x04, profiles[1]).macro_type, 6);
}

// Knob --------------------------------------------------------------------------------------------

TEST_F(KeyMapReaderTest, TheKnobsActionsAreReadOnEveryLayerAndABadIndexKeepsItsRows) {
  Plug(101);
  StartUp();
  auto rows = dialog->KeyMaps().GetKnobRows();
  const int indices[] = {86, 84, 83};
  const int values[] = {105, 104, 106};  // volume down, volume up, mute
  for (int action = 0; action < 3; ++action) {
    for (int layer = 0; layer < 4; ++layer) {
      const storage::KeyAssignmentRecord& row = rows[action][layer];
      EXPECT_EQ(row.key_code, indices[action]);
      EXPECT_EQ(row.fn_layer, layer);
      EXPECT_EQ(row.profile, Profile());
      EXPECT_EQ(row.macro_type, 6);
      EXPECT_EQ(row.macro_value, values[action]);
    }
  }
  EXPECT_EQ(rows[0][0].macro_desc, Text(text::kMediaVolumeDown));

  // Action 0 moves out of the key map: its rows stay; action 1 follows its new function.
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
    state.knobIndices[0] = 200;
    const Entry keyTest{0x50, 0x4A, 0x00};
    for (auto& layer : state.layers) {
      std::copy(keyTest.begin(), keyTest.end(), layer.begin() + 84 * 3);
      std::copy(keyTest.begin(), keyTest.end(), layer.begin() + 86 * 3);
    }
  });
  ReadKeyboard();
  const auto after = dialog->KeyMaps().GetKnobRows();
  EXPECT_EQ(after[0][2].key_code, 86);
  EXPECT_EQ(after[0][2].macro_value, 105);
  EXPECT_EQ(after[1][2].macro_type, 12);
  EXPECT_EQ(after[1][2].macro_value, 74);
  EXPECT_EQ(after[1][2].macro_desc, "KeyTest");
  EXPECT_FALSE(dialog->KeyMaps().GetKnobIndices()[0].has_value());
}

// Failures ----------------------------------------------------------------------------------------

struct FailureCase {
  int command;
  bool mapsFollow;  // the factory tables were read before the failure
};

class FailedReadTest : public KeyMapReaderTest,
                       public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedReadTest, AReadThatFailsHalfWayKeepsWhatWasThere) {
  Plug(101);
  StartUp();
  const int a = IndexOf(0x04);
  const int b = IndexOf(0x05);
  const auto rowsBefore = Rows(Profile());
  bus.ModifyState(keyboard, [&](sim::KeyboardState& state) {
    auto& layer = state.factoryLayers[0];
    std::swap_ranges(layer.begin() + a * 3, layer.begin() + a * 3 + 3, layer.begin() + b * 3);
  });
  SetCurrentEntry(0, 0x06, {0x30, 0xE9, 0x00});
  bus.AddFault(keyboard, sim::RefuseNext(static_cast<std::uint8_t>(GetParam().command), -1));
  EXPECT_FALSE(ReadKeyboard());
  EXPECT_EQ(dialog->Layout()->FindKeyIndex(0x04), GetParam().mapsFollow ? b : a);
  const auto rowsAfter = Rows(Profile());
  ASSERT_EQ(rowsAfter.size(), rowsBefore.size());
  for (std::size_t i = 0; i < rowsAfter.size(); ++i) {
    EXPECT_EQ(rowsAfter[i].macro_type, rowsBefore[i].macro_type);
    EXPECT_EQ(rowsAfter[i].macro_value, rowsBefore[i].macro_value);
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, FailedReadTest,
                         ::testing::Values(FailureCase{0x16, false}, FailureCase{0x19, false},
                                           FailureCase{0x36, true}, FailureCase{0x3E, true},
                                           FailureCase{0x20, true}),
                         [](const auto& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "Command%02X", info.param.command);
                           return std::string(name);
                         });

TEST_F(KeyMapReaderTest, NothingIsAskedOfAKeyboardThatIsNotOnline) {
  Plug(101, /*receiver=*/true);
  StartUp();
  bus.SetFrameLogging(true);
  dialog->State().online.store(false);
  EXPECT_FALSE(ReadKeyboard());
  EXPECT_TRUE(SentCommands().empty());
}

}  // namespace
