// Writes that fail half-way: a failed row never leaves a half-done change behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "StorageTestSupport.h"
#include "storage/SettingsDatabase.h"

namespace storage {
namespace {

using FailureTest = testing::OpenDatabaseTest;

std::string RefuseInsertInto(const std::string& table, const std::string& condition = "1") {
  return "CREATE TRIGGER refuse_" + table + " BEFORE INSERT ON " + table + " WHEN " + condition +
         " BEGIN SELECT RAISE(ABORT, 'refused'); END";
}

TEST_F(FailureTest, FailedInsertsReturnZeroNotAnErrorCode) {
  const struct {
    const char* table;
    std::function<int(SettingsDatabase&)> insert;
  } cases[] = {
      {"t_profile_data", [](SettingsDatabase& db) { return db.AddProfile({.name = "P"}); }},
      {"t_musiclayer_data", [](SettingsDatabase& db) { return db.AddMusicLayer(1, "P"); }},
      {"t_customlight_data", [](SettingsDatabase& db) { return db.AddCustomLight(1, "P"); }},
      {"t_macro_data", [](SettingsDatabase& db) { return db.AddMacro("M"); }},
      {"t_tftscreen_data", [](SettingsDatabase& db) { return db.AddScreenImage(1, "x.gif"); }},
      {"t_ledlayer_data", [](SettingsDatabase& db) { return db.AddLedLayer(1, "L"); }},
      {"t_light_data", [](SettingsDatabase& db) { return db.AddLightSetting({.profile = 1}); }},
      {"t_key_macro_data",
       [](SettingsDatabase& db) {
         return db.SaveKeyAssignment({.profile = 1, .key_code = 4, .macro_value = 4});
       }},
  };
  testing::Peek peek = MakePeek();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    // A refused row (SQLite code 19) and a missing table (prepare fails, code 21).
    ASSERT_TRUE(peek.Exec(RefuseInsertInto(c.table).c_str()));
    EXPECT_EQ(c.insert(db_), 0);
    ASSERT_TRUE(peek.Exec(("DROP TABLE " + std::string(c.table)).c_str()));
    EXPECT_EQ(c.insert(db_), 0);
  }
}

TEST_F(FailureTest, RefusedKeyInsertKeepsTheOldAssignment) {
  const KeyAssignmentRecord old{.profile = 1, .key_code = 30, .macro_value = 5};
  const int oldId = db_.SaveKeyAssignment(old);
  ASSERT_GT(oldId, 0);
  ASSERT_TRUE(
      MakePeek().Exec(RefuseInsertInto("t_key_macro_data", "NEW.macro_value = 666").c_str()));
  EXPECT_EQ(db_.SaveKeyAssignment({.profile = 1, .key_code = 30, .macro_value = 666}), 0);
  KeyAssignmentRecord stored;
  ASSERT_TRUE(db_.GetKeyAssignment(1, 0, 30, stored)) << "the delete was not rolled back";
  EXPECT_EQ(stored.key_id, oldId);
  EXPECT_EQ(stored.macro_value, 5);
}

TEST_F(FailureTest, ProfileIsStoredWithAllItsRowsOrNotAtAll) {
  ASSERT_EQ(db_.AddProfile({.name = "first"}), 1);
  testing::Peek peek = MakePeek();
  ASSERT_TRUE(peek.Exec(RefuseInsertInto("t_customlight_data").c_str()));
  EXPECT_EQ(db_.AddProfile({.name = "second"}), 0);
  std::vector<ProfileRecord> profiles;
  EXPECT_EQ(db_.ListProfiles(profiles), 1);
  MusicLayerRecord layer;
  EXPECT_FALSE(db_.GetMusicLayer(2, layer)) << "music layer of a profile that does not exist";
  // The next profile and its music layer still share one identifier.
  ASSERT_TRUE(peek.Exec("DROP TRIGGER refuse_t_customlight_data"));
  const int third = db_.AddProfile({.name = "third"});
  ASSERT_EQ(third, 2);
  ASSERT_TRUE(db_.GetMusicLayer(third, layer));
  EXPECT_EQ(layer.profile, third);
}

TEST_F(FailureTest, DeleteMacroKeepsMacroAndStepsWhenTheStepsCannotGo) {
  const int macro = db_.AddMacro("M");
  EXPECT_TRUE(db_.InsertMacroSteps({{0, macro, 0, 0, 1, 1, "s"}}));
  ASSERT_TRUE(MakePeek().Exec(
      "CREATE TRIGGER keep_steps BEFORE DELETE ON t_macrorecord BEGIN SELECT RAISE(ABORT, 'no'); "
      "END"));
  EXPECT_FALSE(db_.DeleteMacro(macro));
  MacroRecord stored;
  EXPECT_TRUE(db_.GetMacro(macro, stored));
  EXPECT_EQ(db_.CountMacroSteps(macro), 1);
}

TEST_F(FailureTest, FailedActivationKeepsThePreviousActiveProfile) {
  const int a = db_.AddProfile({.name = "A"});
  ASSERT_TRUE(db_.SetActiveProfile(a));
  ASSERT_TRUE(
      MakePeek().Exec("CREATE TRIGGER refuse_activation BEFORE UPDATE OF status ON t_profile_data "
                      "WHEN NEW.status = 1 BEGIN SELECT RAISE(ABORT, 'no'); END"));
  EXPECT_FALSE(db_.SetActiveProfile(a));
  EXPECT_EQ(db_.GetActiveProfile(), a);
}

TEST_F(FailureTest, SlotColoursAreReplacedWholeOrKept) {
  ASSERT_TRUE(db_.ReplaceUserLightColors(1, 130, {{0, 1, 130, 4, 0x0000FF}, {0, 1, 130, 5, 0xFF}}));
  ASSERT_TRUE(db_.ReplaceUserLightColors(1, 131, {{0, 1, 131, 4, 0x00FF00}}));
  // The third new row is refused: the slot keeps both old rows, the other slot is untouched.
  ASSERT_TRUE(MakePeek().Exec(RefuseInsertInto("t_userlightrgb_data", "NEW.key_code = 6").c_str()));
  EXPECT_FALSE(db_.ReplaceUserLightColors(
      1, 130, {{0, 1, 130, 4, 0x111111}, {0, 1, 130, 5, 0x222222}, {0, 1, 130, 6, 0x333333}}));
  std::vector<UserLightColorRecord> rows;
  ASSERT_EQ(db_.ListUserLightColors(1, 130, rows), 2);
  EXPECT_EQ(rows[0].key_rgb, 0x0000FF);
  EXPECT_EQ(rows[1].key_rgb, 0xFF);
  EXPECT_EQ(db_.ListUserLightColors(1, 131, rows), 1);
  // Rows take the slot and profile they are stored under, whatever the records say.
  EXPECT_TRUE(db_.ReplaceUserLightColors(1, 130, {{0, 9, 999, 4, 0x444444}}));
  ASSERT_EQ(db_.ListUserLightColors(1, 130, rows), 1);
  EXPECT_EQ(rows[0].key_rgb, 0x444444);
}

TEST_F(FailureTest, ScreenMediaFramesAreReplacedWholeOrKept) {
  const int layer = db_.AddLedLayer(1, "wave");
  ASSERT_GT(layer, 0);
  // Positions give the order; the records' own layer and index do not count.
  ASSERT_TRUE(
      db_.ReplaceLedFrames(layer, {{0, 99, "b", 40, 7, "b.png"}, {0, 99, "a", 50, 3, "a.png"}}));
  std::vector<LedFrameRecord> frames;
  ASSERT_EQ(db_.ListLedFrames(layer, frames), 2);
  EXPECT_EQ(std::make_tuple(frames[0].file_name, frames[0].frame_index, frames[0].led_id),
            std::make_tuple(std::string("b.png"), 0, layer));
  EXPECT_EQ(std::make_tuple(frames[1].file_name, frames[1].frame_index, frames[1].delay_time),
            std::make_tuple(std::string("a.png"), 1, 50));
  LedLayerRecord stored;
  ASSERT_TRUE(db_.GetLedLayer(layer, stored));
  EXPECT_EQ(std::make_tuple(stored.frame_size, stored.first_file),
            std::make_tuple(2, std::string("b.png")));

  // The second new row is refused: the old frames, count and first file stay.
  ASSERT_TRUE(MakePeek().Exec(RefuseInsertInto("t_ledframe_data", "NEW.name = 'bad'").c_str()));
  EXPECT_FALSE(
      db_.ReplaceLedFrames(layer, {{0, 0, "c", 30, 0, "c.png"}, {0, 0, "bad", 30, 1, "x"}}));
  ASSERT_EQ(db_.ListLedFrames(layer, frames), 2);
  EXPECT_EQ(frames[0].file_name, "b.png");
  ASSERT_TRUE(db_.GetLedLayer(layer, stored));
  EXPECT_EQ(std::make_tuple(stored.frame_size, stored.first_file),
            std::make_tuple(2, std::string("b.png")));
}

TEST_F(FailureTest, LightSettingsAreAddedTogetherOrNotAtAll) {
  std::vector<LightSettingRecord> records;
  for (int mode = 0; mode < 4; ++mode) records.push_back({.profile = 1, .type = 0, .mode = mode});
  ASSERT_TRUE(MakePeek().Exec(RefuseInsertInto("t_light_data", "NEW.mode = 3").c_str()));
  EXPECT_FALSE(db_.AddLightSettings(records));
  EXPECT_EQ(db_.CountLightSettings(1), 0);
  records.pop_back();
  EXPECT_TRUE(db_.AddLightSettings(records));
  EXPECT_EQ(db_.CountLightSettingsOfType(1, 0), 3);
  EXPECT_EQ(db_.CountLightSettingsOfType(1, 1), 0);
}

}  // namespace
}  // namespace storage
