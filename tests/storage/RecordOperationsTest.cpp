#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "StorageTestSupport.h"
#include "storage/ConfigKeys.h"
#include "storage/SettingsDatabase.h"

namespace storage {
namespace {

using RecordOperationsTest = testing::OpenDatabaseTest;
using testing::Peek;

KeyAssignmentRecord Key(int profile, int layer, int code, int value, std::string desc = "") {
  KeyAssignmentRecord r;
  r.profile = profile;
  r.fn_layer = layer;
  r.key_code = code;
  r.layout_value = code;
  r.layout_desc = "key " + std::to_string(code);
  r.macro_type = 2;
  r.macro_value = value;
  r.macro_desc = std::move(desc);
  return r;
}

LightSettingRecord Light(int profile, int type, int mode, int brightness) {
  LightSettingRecord r;
  r.profile = profile;
  r.name = "mode " + std::to_string(mode);
  r.type = type;
  r.mode = mode;
  r.brightness = brightness;
  r.speed = 3;
  r.color_value = 0x0000FF;
  return r;
}

TEST_F(RecordOperationsTest, DefaultConfigurationOfANewProfile) {
  const struct {
    const char* key;
    const char* value;
  } expected[] = {
      {"version", "1.0.1"},
      {"keyboard_layout", "1"},
      {"fn_layer", "0"},
      {"fn_switch", "0"},
      {"lightmode", "1"},
      {"aurora_mode", "1"},
      {"matrixlight_mode", "1"},
      {"matrixlight_preset_mode", "1"},
      {"matrixlight_amplitude", "50"},
      {"enable_light", "1"},
      {"enable_customlight", "1"},
      {"userlight", "0"},
      {"customlight", "0"},
      {"customlight_run", "0"},
      {"customlight_open", "1"},
      {"mac_mode", "0"},
      {"encoder_mode", "0"},
      {"wasd_mode", "0"},
      {"game_mode", "0"},
      {"lock_alttab", "0"},
      {"lock_altf4", "0"},
      {"lock_win", "0"},
      {"sleep_time", "2"},
      {"key_keyresponse", "2"},
      {"default_color1", "8331093"},
      {"default_color2", "4114939"},
      {"default_color3", "65280"},
      {"default_color4", "16776960"},
      {"default_color5", "255"},
      {"default_color6", "14237951"},
      {"default_color7", "14237951"},
      {"default_color8", "16777215"},
      {"reporte_rate", "4"},
  };
  EXPECT_TRUE(db_.WriteDefaultConfig(7));
  Peek peek = MakePeek();
  std::vector<std::string> storedKeys =
      peek.Texts("SELECT key FROM t_config_data WHERE profile = 7 ORDER BY config_id");
  ASSERT_EQ(storedKeys.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(storedKeys[i], expected[i].key) << "insert order";
    std::string value;
    EXPECT_TRUE(db_.GetConfigValue(7, expected[i].key, value));
    EXPECT_EQ(value, expected[i].value) << expected[i].key;
  }
}

TEST_F(RecordOperationsTest, ConfigValuesBelongToOneProfileAndAreNeverCreatedBySet) {
  EXPECT_TRUE(db_.WriteDefaultConfig(1));
  EXPECT_TRUE(db_.WriteDefaultConfig(2));
  EXPECT_TRUE(db_.SetConfigValue(1, config_key::kMacMode, "1"));
  EXPECT_TRUE(db_.SetConfigValue(1, "mac_mdoe", "1")) << "unknown key: no change, still true";
  EXPECT_TRUE(db_.SetConfigValue(3, config_key::kMacMode, "1")) << "profile without rows";
  std::string value = "stale";
  EXPECT_TRUE(db_.GetConfigValue(1, config_key::kMacMode, value));
  EXPECT_EQ(value, "1");
  EXPECT_TRUE(db_.GetConfigValue(2, config_key::kMacMode, value));
  EXPECT_EQ(value, "0");
  EXPECT_FALSE(db_.GetConfigValue(3, config_key::kMacMode, value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(db_.GetConfigValue(1, "mac_mdoe", value));
  EXPECT_EQ(MakePeek().Int("SELECT count(*) FROM t_config_data"), 66);
}

TEST_F(RecordOperationsTest, ProfilesComeWithTheirMusicLayerAndCustomLight) {
  ProfileRecord record{.profile = 99,
                       .name = "Profile 1",
                       .app = "",
                       .icon_image = "icon/p.png",
                       .bkg_image = "",
                       .type = 5,
                       .status = 1};
  for (int expectedId : {1, 2, 3}) EXPECT_EQ(db_.AddProfile(record), expectedId);
  Peek peek = MakePeek();
  EXPECT_EQ(peek.Texts("SELECT layer_id || name FROM t_musiclayer_data"),
            (std::vector<std::string>{"1Profile", "2Profile", "3Profile"}));
  EXPECT_EQ(peek.Texts("SELECT profile || name || speed || brightness FROM t_customlight_data"),
            (std::vector<std::string>{"1Profile1515", "2Profile1515", "3Profile1515"}));

  std::vector<ProfileRecord> profiles(4);
  ASSERT_EQ(db_.ListProfiles(profiles), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(profiles[i].profile, i + 1);
    EXPECT_EQ(profiles[i].name, "Profile 1");
    EXPECT_EQ(profiles[i].icon_image, "icon/p.png");
    EXPECT_EQ(profiles[i].bkg_image, "");
    EXPECT_EQ(profiles[i].type, 0) << "stored as 0 whatever the record says";
    EXPECT_EQ(profiles[i].status, 0);
  }

  MusicLayerRecord layer;
  ASSERT_TRUE(db_.GetMusicLayer(2, layer));
  EXPECT_EQ((std::vector<int>{layer.layer_id, layer.profile, layer.deviceindex, layer.foremode,
                              layer.fore_amplitude, layer.backmode, layer.backb_right,
                              layer.light_right}),
            (std::vector<int>{2, 2, 0, 4, 300, 0, 100, 100}));
  layer.foremode = 1;
  layer.fore_amplitude = 120;
  layer.light_right = 40;
  EXPECT_TRUE(db_.UpdateMusicLayer(2, layer));
  MusicLayerRecord reread;
  ASSERT_TRUE(db_.GetMusicLayer(2, reread));
  EXPECT_EQ(reread.foremode, 1);
  EXPECT_EQ(reread.fore_amplitude, 120);
  EXPECT_EQ(reread.light_right, 40);
  MusicLayerRecord untouched{.layer_id = -5};
  EXPECT_FALSE(db_.GetMusicLayer(42, untouched));
  EXPECT_EQ(untouched.layer_id, -5);
}

TEST_F(RecordOperationsTest, ActiveProfileRenameAndDelete) {
  const int a = db_.AddProfile({.name = "A"});
  const int b = db_.AddProfile({.name = "B"});
  EXPECT_TRUE(db_.WriteDefaultConfig(a));
  EXPECT_TRUE(db_.WriteDefaultConfig(b));
  EXPECT_EQ(db_.GetActiveProfile(), 0);
  EXPECT_TRUE(db_.SetActiveProfile(a));
  EXPECT_TRUE(db_.SetActiveProfile(b));
  EXPECT_EQ(db_.GetActiveProfile(), b);
  EXPECT_EQ(MakePeek().Int("SELECT count(*) FROM t_profile_data WHERE status = 1"), 1);
  EXPECT_TRUE(db_.SetActiveProfile(12345)) << "no such row: nothing active";
  EXPECT_EQ(db_.GetActiveProfile(), 0);

  std::string name = "stale";
  EXPECT_TRUE(db_.RenameProfile(a, "Renamed \xE2\x9C\x93"));
  EXPECT_TRUE(db_.GetProfileName(a, name));
  EXPECT_EQ(name, "Renamed \xE2\x9C\x93");
  EXPECT_FALSE(db_.GetProfileName(777, name));
  EXPECT_EQ(name, "");

  EXPECT_TRUE(db_.DeleteProfile(a));
  EXPECT_TRUE(db_.DeleteProfile(a)) << "a delete that matches nothing is still done";
  std::vector<ProfileRecord> profiles;
  ASSERT_EQ(db_.ListProfiles(profiles), 1);
  EXPECT_EQ(profiles[0].profile, b);
  // Every row of the deleted profile went with it; the other profile keeps its own.
  std::string value;
  EXPECT_FALSE(db_.GetConfigValue(a, config_key::kSleepTime, value)) << "rows of a deleted profile";
  EXPECT_TRUE(db_.GetConfigValue(b, config_key::kSleepTime, value));
  for (const char* table : {"t_config_data", "t_key_macro_data", "t_light_data",
                            "t_musiclayer_data", "t_customlight_data"}) {
    const std::string count =
        std::string("SELECT count(*) FROM ") + table + " WHERE profile = " + std::to_string(a);
    EXPECT_EQ(MakePeek().Int(count.c_str()), 0) << table;
  }
  EXPECT_EQ(db_.AddProfile({.name = "C"}), b + 1) << "identifiers are never reused";
}

TEST_F(RecordOperationsTest, SaveKeyAssignmentKeepsOneRowPerKey) {
  EXPECT_EQ(db_.SaveKeyAssignment(Key(1, 0, 0, 5)), 0) << "key code 0 is ignored";
  const int first = db_.SaveKeyAssignment(Key(1, 0, 30, 5, "first"));
  EXPECT_GT(first, 0);
  const int second = db_.SaveKeyAssignment(Key(1, 0, 30, 6, "second"));
  EXPECT_GT(second, first);
  EXPECT_GT(db_.SaveKeyAssignment(Key(1, 1, 30, 7)), second);  // another layer
  EXPECT_EQ(db_.CountKeyAssignments(1), 2);
  KeyAssignmentRecord stored;
  ASSERT_TRUE(db_.GetKeyAssignment(1, 0, 30, stored));
  EXPECT_EQ(stored.key_id, second);
  EXPECT_EQ(stored.macro_value, 6);
  EXPECT_EQ(stored.macro_desc, "second");
  EXPECT_EQ(stored.layout_desc, "key 30");

  KeyAssignmentRecord reset = Key(1, 0, 30, 0);
  reset.macro_value2 = 0;
  EXPECT_EQ(db_.SaveKeyAssignment(reset), 0);
  EXPECT_FALSE(db_.GetKeyAssignment(1, 0, 30, stored)) << "a key back at default keeps no row";
  KeyAssignmentRecord onlyValue2 = Key(1, 0, 31, 0);
  onlyValue2.macro_value2 = 9;
  EXPECT_GT(db_.SaveKeyAssignment(onlyValue2), 0);
}

TEST_F(RecordOperationsTest, BulkKeyAssignmentsListInRowOrder) {
  std::vector<KeyAssignmentRecord> records;
  for (int layer = 0; layer < 4; ++layer) {
    for (int code = 128; code >= 1; --code) records.push_back(Key(4, layer, code, code));
  }
  EXPECT_TRUE(db_.InsertKeyAssignments(records));
  EXPECT_TRUE(db_.InsertKeyAssignments({Key(5, 0, 1, 1)}));
  EXPECT_EQ(db_.CountKeyAssignments(4), 512);

  std::vector<KeyAssignmentRecord> list;
  ASSERT_EQ(db_.ListKeyAssignmentsOfLayer(4, 2, list), 128);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].key_code, 128 - static_cast<int>(i)) << "row order, not key order";
    if (i > 0) {
      EXPECT_GT(list[i].key_id, list[i - 1].key_id);
    }
  }
  EXPECT_EQ(db_.ListKeyAssignmentsOfProfile(4, list), 512);
  EXPECT_EQ(db_.ListAllKeyAssignments(list), 513);
  EXPECT_EQ(list.back().profile, 5);

  KeyAssignmentRecord change = Key(4, 2, 10, 77, "changed");
  change.macro_type = 6;
  EXPECT_TRUE(db_.UpdateKeyAssignment(change));
  EXPECT_TRUE(db_.UpdateKeyAssignments({Key(4, 3, 11, 88), Key(4, 3, 12, 99)}));
  KeyAssignmentRecord stored;
  ASSERT_TRUE(db_.GetKeyAssignment(4, 2, 10, stored));
  EXPECT_EQ(std::make_tuple(stored.macro_type, stored.macro_value, stored.macro_desc),
            std::make_tuple(6, 77, std::string("changed")));
  ASSERT_TRUE(db_.GetKeyAssignment(4, 3, 12, stored));
  EXPECT_EQ(stored.macro_value, 99);
  ASSERT_TRUE(db_.GetKeyAssignment(4, 2, 11, stored));
  EXPECT_EQ(stored.macro_value, 11) << "other layers untouched";
}

TEST_F(RecordOperationsTest, LightSettingsAndTheirActiveMode) {
  for (int mode = 1; mode <= 3; ++mode) EXPECT_GT(db_.AddLightSetting(Light(1, 0, mode, 4)), 0);
  EXPECT_GT(db_.AddLightSetting(Light(1, 1, 1, 4)), 0);
  EXPECT_GT(db_.AddLightSetting(Light(2, 0, 2, 4)), 0);
  EXPECT_EQ(db_.CountLightSettings(1), 4);

  LightSettingRecord update = Light(2, 9, 9, 1);  // profile 2 taken from the record
  update.speed = 1;
  update.color_value = 0x00FF00;
  EXPECT_TRUE(db_.UpdateLightSetting(0, 2, update));
  LightSettingRecord stored;
  ASSERT_TRUE(db_.GetLightSetting(2, 0, 2, stored));
  EXPECT_EQ(stored.brightness, 1);
  EXPECT_EQ(stored.color_value, 0x00FF00);
  EXPECT_EQ(stored.name, "mode 2") << "name is not updated";
  ASSERT_TRUE(db_.GetLightSetting(1, 0, 2, stored));
  EXPECT_EQ(stored.brightness, 4) << "profile 1 untouched";

  EXPECT_EQ(db_.GetActiveLightMode(1, 0), 0);
  EXPECT_TRUE(db_.SetActiveLightMode(1, 0, 2));
  EXPECT_TRUE(db_.SetActiveLightMode(1, 1, 1));
  EXPECT_TRUE(db_.SetActiveLightMode(1, 0, 3));
  EXPECT_EQ(db_.GetActiveLightMode(1, 0), 3);
  EXPECT_EQ(db_.GetActiveLightMode(1, 1), 1) << "another effect type keeps its mode";
  // A mode without a row (as a keyboard may report one) leaves the stored choice alone.
  EXPECT_FALSE(db_.SetActiveLightMode(1, 0, 50));
  EXPECT_EQ(db_.GetActiveLightMode(1, 0), 3);

  std::vector<LightSettingRecord> list;
  ASSERT_EQ(db_.ListLightSettings(1, 0, list), 3);
  EXPECT_EQ(list[2].mode, 3);
  EXPECT_EQ(list[2].speed, 3);
}

TEST_F(RecordOperationsTest, UserLightColors) {
  std::vector<UserLightColorRecord> colors;
  for (int code = 1; code <= 5; ++code) colors.push_back({0, 1, 2, code, code * 0x10101});
  EXPECT_EQ(db_.InsertUserLightColors(colors), 5);
  EXPECT_GT(db_.InsertUserLightColors({{0, 1, 3, 1, 1}}), 0);
  std::vector<UserLightColorRecord> list;
  ASSERT_EQ(db_.ListUserLightColors(1, 2, list), 5);
  EXPECT_EQ(list[4].key_code, 5);
  EXPECT_EQ(list[4].key_rgb, 0x050505);
  EXPECT_TRUE(db_.DeleteUserLightColors(1, 2));
  EXPECT_EQ(db_.ListUserLightColors(1, 2, list), 0);
  EXPECT_EQ(db_.ListUserLightColors(1, 3, list), 1);
}

TEST_F(RecordOperationsTest, MacrosAndStepsInRecordOrder) {
  const int macro = db_.AddMacro("Combo");
  ASSERT_GT(macro, 0);
  MacroRecord stored;
  ASSERT_TRUE(db_.GetMacro(macro, stored));
  EXPECT_EQ(
      std::make_tuple(stored.play_type, stored.play_times, stored.delay_type, stored.delay_time),
      std::make_tuple(0, 1, 1, 0));
  EXPECT_TRUE(db_.RenameMacro(macro, "Renamed"));
  EXPECT_TRUE(db_.UpdateMacro(macro, {.macro_id = 0,
                                      .name = "Loop",
                                      .play_type = 2,
                                      .play_times = 5,
                                      .delay_type = 0,
                                      .delay_time = 20}));
  ASSERT_TRUE(db_.GetMacro(macro, stored));
  EXPECT_EQ(stored.name, "Loop");
  EXPECT_EQ(stored.play_times, 5);

  EXPECT_TRUE(db_.InsertMacroSteps({{0, macro, 1, 2, 0x41, 30, "A up"},
                                    {0, macro, 0, 1, 0x41, 10, "A down"},
                                    {0, macro + 1, 0, 0, 0x42, 10, "other"}}));
  std::vector<MacroStepRecord> steps;
  ASSERT_EQ(db_.ListMacroSteps(macro, steps), 2);
  EXPECT_EQ(steps[0].desc, "A down");
  EXPECT_EQ(steps[0].value, 0x41);
  EXPECT_EQ(steps[0].delay_time, 10);
  EXPECT_EQ(steps[1].record_index, 2);
  EXPECT_EQ(db_.CountMacroSteps(macro), 2);
  EXPECT_EQ(db_.CountAllMacroSteps(), 3);

  EXPECT_TRUE(db_.DeleteMacro(macro));
  EXPECT_FALSE(db_.GetMacro(macro, stored));
  EXPECT_EQ(db_.CountMacroSteps(macro), 0);
  EXPECT_EQ(db_.CountAllMacroSteps(), 1);
  std::vector<MacroRecord> macros;
  EXPECT_EQ(db_.ListMacros(macros), 0);
  EXPECT_TRUE(db_.DeleteMacroSteps(macro + 1));
  EXPECT_EQ(db_.CountAllMacroSteps(), 0);
}

TEST_F(RecordOperationsTest, ScreenImagesAndMediaLayersAreShared) {
  const int image = db_.AddScreenImage(12, "boot.gif");
  ASSERT_GT(image, 0);
  EXPECT_TRUE(db_.UpdateScreenImage(image, 30, "new.gif"));
  std::vector<ScreenImageRecord> images;
  ASSERT_EQ(db_.ListScreenImages(images), 1);
  EXPECT_EQ(std::make_tuple(images[0].profile, images[0].frame_size, images[0].file_name),
            std::make_tuple(1, 30, std::string("new.gif")));

  const int layer = db_.AddLedLayer(1, "wave");
  EXPECT_GT(db_.AddLedLayer(2, "elsewhere"), 0);
  ASSERT_GT(layer, 0);
  LedLayerRecord stored;
  ASSERT_TRUE(db_.GetLedLayer(layer, stored));
  EXPECT_EQ(std::make_tuple(stored.type, stored.frame_size, stored.file_dir, stored.first_file),
            std::make_tuple(0, 0, std::string("wave"), std::string("wave")));
  EXPECT_TRUE(db_.SetLedLayerFrameCount(layer, 3));
  EXPECT_TRUE(db_.SetLedLayerFirstFile(layer, "wave/0.png"));
  std::vector<LedLayerRecord> layers;
  ASSERT_EQ(db_.ListLedLayers(layers), 1) << "profile 1 only";
  EXPECT_EQ(layers[0].frame_size, 3);
  EXPECT_EQ(layers[0].first_file, "wave/0.png");

  EXPECT_EQ(db_.InsertLedFrames({{0, layer, "f2", 40, 2, "2.png"},
                                 {0, layer, "f0", 40, 0, "0.png"},
                                 {0, layer, "f1", 50, 1, "1.png"}}),
            3);
  std::vector<LedFrameRecord> frames;
  ASSERT_EQ(db_.ListLedFrames(layer, frames), 3);
  EXPECT_EQ(frames[0].file_name, "0.png");
  EXPECT_EQ(frames[1].delay_time, 50);
  EXPECT_EQ(frames[2].name, "f2");
  EXPECT_EQ(db_.CountLedFrames(layer), 3);

  EXPECT_TRUE(db_.DeleteLedLayer(layer));
  EXPECT_EQ(db_.CountLedFrames(layer), 0);
  EXPECT_GT(db_.InsertLedFrames({{0, layer, "orphan", 1, 0, "x.png"}}), 0);
  EXPECT_TRUE(db_.DeleteLedLayer(layer)) << "the layer row is already gone";
  EXPECT_EQ(db_.CountLedFrames(layer), 0) << "its frames still go";
}

TEST_F(RecordOperationsTest, ClearAllDataKeepsMacrosMediaAndTheCounters) {
  const int profile = db_.AddProfile({.name = "P"});
  EXPECT_TRUE(db_.WriteDefaultConfig(profile));
  EXPECT_GT(db_.SaveKeyAssignment(Key(profile, 0, 4, 4)), 0);
  EXPECT_GT(db_.AddLightSetting(Light(profile, 0, 1, 4)), 0);
  EXPECT_GT(db_.InsertUserLightColors({{0, profile, 1, 4, 255}}), 0);
  const int macro = db_.AddMacro("M");
  EXPECT_TRUE(db_.InsertMacroSteps({{0, macro, 0, 0, 1, 1, "s"}}));
  const int layer = db_.AddLedLayer(1, "L");
  EXPECT_GT(db_.InsertLedFrames({{0, layer, "f", 1, 0, "f.png"}}), 0);
  EXPECT_GT(db_.AddScreenImage(1, "i.gif"), 0);

  EXPECT_TRUE(db_.ClearAllData());
  Peek peek = MakePeek();
  for (const char* table : {"t_config_data", "t_profile_data", "t_key_macro_data", "t_light_data",
                            "t_userlightrgb_data", "t_customlight_data", "t_musiclayer_data"}) {
    EXPECT_EQ(peek.Int(("SELECT count(*) FROM " + std::string(table)).c_str()), 0) << table;
  }
  for (const char* table : {"t_macro_data", "t_macrorecord", "t_ledlayer_data", "t_ledframe_data",
                            "t_tftscreen_data"}) {
    EXPECT_EQ(peek.Int(("SELECT count(*) FROM " + std::string(table)).c_str()), 1) << table;
  }
  const int next = db_.AddProfile({.name = "Q"});
  EXPECT_GT(next, profile);
  MusicLayerRecord layerOfNext;
  EXPECT_TRUE(db_.GetMusicLayer(next, layerOfNext)) << "profile and music layer stay in step";
}

TEST_F(RecordOperationsTest, NullTextsReadAsEmpty) {
  Peek peek = MakePeek();
  ASSERT_TRUE(peek.Exec("INSERT INTO t_profile_data(profile) VALUES (5)"));
  ASSERT_TRUE(peek.Exec("INSERT INTO t_config_data(profile, key) VALUES (5, 'mac_mode')"));
  ASSERT_TRUE(peek.Exec("INSERT INTO t_macrorecord(macro_id, record_index) VALUES (8, 0)"));
  std::vector<ProfileRecord> profiles;
  ASSERT_EQ(db_.ListProfiles(profiles), 1);
  EXPECT_EQ(profiles[0].name, "");
  EXPECT_EQ(profiles[0].bkg_image, "");
  std::string value = "stale";
  EXPECT_TRUE(db_.GetConfigValue(5, "mac_mode", value));
  EXPECT_EQ(value, "");
  std::vector<MacroStepRecord> steps;
  ASSERT_EQ(db_.ListMacroSteps(8, steps), 1);
  EXPECT_EQ(steps[0].desc, "");
}

// Every operation of a database that has never been opened returns its failure value.
TEST(SettingsDatabaseClosed, EveryOperationFailsQuietly) {
  SettingsDatabase db;
  std::string text = "stale";
  KeyAssignmentRecord key = Key(1, 0, 5, 5);
  const int untouched = 4711;
  key.key_id = untouched;
  std::vector<ProfileRecord> profiles(2);
  std::vector<KeyAssignmentRecord> keys(2);
  std::vector<LedFrameRecord> frames(2);
  const std::pair<const char*, std::function<long()>> cases[] = {
      {"SetConfigValue", [&] { return long{db.SetConfigValue(1, "mac_mode", "1")}; }},
      {"GetConfigValue",
       [&] { return db.GetConfigValue(1, "mac_mode", text) + long(text.size()); }},
      {"AddProfile", [&] { return long{db.AddProfile({.name = "P"})}; }},
      {"DeleteProfile", [&] { return long{db.DeleteProfile(1)}; }},
      {"GetProfileName", [&] { return db.GetProfileName(1, text) + long(text.size()); }},
      {"ListProfiles", [&] { return db.ListProfiles(profiles) + long(profiles.size()); }},
      {"SetActiveProfile", [&] { return long{db.SetActiveProfile(1)}; }},
      {"GetActiveProfile", [&] { return long{db.GetActiveProfile()}; }},
      {"AddMusicLayer", [&] { return long{db.AddMusicLayer(1, "P")}; }},
      {"SaveKeyAssignment", [&] { return long{db.SaveKeyAssignment(key)}; }},
      {"GetKeyAssignment",
       [&] { return db.GetKeyAssignment(1, 0, 5, key) + key.key_id - untouched; }},
      {"ListAllKeyAssignments", [&] { return db.ListAllKeyAssignments(keys) + long(keys.size()); }},
      {"CountKeyAssignments", [&] { return long{db.CountKeyAssignments(1)}; }},
      {"AddLightSetting", [&] { return long{db.AddLightSetting(Light(1, 0, 1, 1))}; }},
      {"UpdateLightSetting", [&] { return long{db.UpdateLightSetting(0, 1, Light(1, 0, 1, 1))}; }},
      {"SetActiveLightMode", [&] { return long{db.SetActiveLightMode(1, 0, 1)}; }},
      {"GetActiveLightMode", [&] { return long{db.GetActiveLightMode(1, 0)}; }},
      {"AddCustomLight", [&] { return long{db.AddCustomLight(1, "P")}; }},
      {"AddMacro", [&] { return long{db.AddMacro("M")}; }},
      {"DeleteMacro", [&] { return long{db.DeleteMacro(1)}; }},
      {"CountAllMacroSteps", [&] { return long{db.CountAllMacroSteps()}; }},
      {"AddScreenImage", [&] { return long{db.AddScreenImage(1, "x")}; }},
      {"AddLedLayer", [&] { return long{db.AddLedLayer(1, "x")}; }},
      {"DeleteLedLayer", [&] { return long{db.DeleteLedLayer(1)}; }},
      {"ListLedFrames", [&] { return db.ListLedFrames(1, frames) + long(frames.size()); }},
      {"ClearAllData", [&] { return long{db.ClearAllData()}; }},
  };
  for (const auto& [name, operation] : cases) EXPECT_EQ(operation(), 0) << name;
  EXPECT_EQ(db.InsertLedFrames({{}, {}}), 2) << "bulk writers report the number given";
  EXPECT_FALSE(db.IsOpen());
}

}  // namespace
}  // namespace storage
