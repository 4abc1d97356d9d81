#pragma once
// The SQL texts of the settings database. They are kept byte for byte as earlier files and
// their tools expect them, tabs and runs of spaces included; only src/storage uses them.

namespace storage::sql {

// clang-format off
inline constexpr char kUpdateConfigValue[] =
    "UPDATE t_config_data SET value = ? WHERE profile = ? and key = ?";
inline constexpr char kSelectConfigValue[] =
    "SELECT value FROM t_config_data WHERE profile = ? and key = ?";
inline constexpr char kInsertConfigValue[] =
    "INSERT INTO t_config_data(profile, key, value) VALUES (?, ?, ?);";
inline constexpr char kInsertProfile[] =
    "INSERT INTO t_profile_data(name, status, app, icon_image, bkg_image, type) VALUES (?, ?, ?, ?, ?, ?);";
inline constexpr char kDeleteProfile[] =
    "DELETE FROM t_profile_data WHERE profile = ?";
// Everything that belongs to one profile besides its row; the macros and the screen media are
// shared by every profile and stay.
inline constexpr const char* kDeleteProfileRows[] = {
    "DELETE FROM t_config_data WHERE profile = ?",
    "DELETE FROM t_key_macro_data WHERE profile = ?",
    "DELETE FROM t_key_item_data WHERE macro_id IN "
    "(SELECT macro_id FROM t_magnetic_key_data WHERE profile = ?)",
    "DELETE FROM t_magnetic_key_data WHERE profile = ?",
    "DELETE FROM t_light_data WHERE profile = ?",
    "DELETE FROM t_userlight_data WHERE profile = ?",
    "DELETE FROM t_userlightrgb_data WHERE profile = ?",
    "DELETE FROM t_customrgb_data WHERE customlight_id IN "
    "(SELECT customlight_id FROM t_customlight_data WHERE profile = ?)",
    "DELETE FROM t_customlight_data WHERE profile = ?",
    "DELETE FROM t_musiclayer_data WHERE profile = ?",
    "DELETE FROM t_auroralayer_data WHERE profile = ?",
};
inline constexpr char kRenameProfile[] =
    "UPDATE t_profile_data SET name = ? WHERE profile = ?";
inline constexpr char kSelectProfileName[] =
    "SELECT name FROM t_profile_data WHERE profile = ?";
inline constexpr char kSelectProfiles[] =
    "SELECT * FROM t_profile_data";
inline constexpr char kSetAllProfilesStatus[] =
    "UPDATE t_profile_data SET status = ?";
inline constexpr char kSetProfileStatus[] =
    "UPDATE t_profile_data SET status = ? WHERE profile = ?";
inline constexpr char kSelectProfileByStatus[] =
    "SELECT profile FROM t_profile_data WHERE status = ?";
inline constexpr char kInsertMusicLayer[] =
    "INSERT INTO t_musiclayer_data(profile, name, deviceindex, foremode, fore_amplitude, backmode, backb_right, light_right, sel) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?, ?, ?, ?, ?);";
inline constexpr char kSelectMusicLayer[] =
    "SELECT * FROM t_musiclayer_data WHERE layer_id = ?";
inline constexpr char kUpdateMusicLayer[] =
    "UPDATE t_musiclayer_data SET deviceindex= ?, foremode= ?, fore_amplitude = ?, backmode= ?, backb_right= ?, light_right= ? WHERE layer_id = ?";
inline constexpr char kCountKeyAssignments[] =
    "select count(*) FROM t_key_macro_data WHERE profile = ?";
inline constexpr char kDeleteKeyAssignment[] =
    "DELETE FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
inline constexpr char kInsertKeyAssignment[] =
    "INSERT INTO t_key_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,                     macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
inline constexpr char kUpdateKeyAssignment[] =
    "UPDATE t_key_macro_data SET macro_type = ?, macro_value = ?, macro_value2 = ?, macro_value3 = ?, macro_desc = ? WHERE profile = ? AND fn_layer = ? AND key_code = ?;";
inline constexpr char kSelectKeyAssignment[] =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
inline constexpr char kSelectKeyAssignmentsOfLayer[] =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ? ORDER BY key_id";
inline constexpr char kSelectKeyAssignmentsOfProfile[] =
    "SELECT * FROM t_key_macro_data WHERE profile = ? ORDER BY key_id";
inline constexpr char kSelectAllKeyAssignments[] =
    "SELECT * FROM t_key_macro_data";
inline constexpr char kCountLightSettings[] =
    "select count(*) FROM t_light_data WHERE profile = ?";
inline constexpr char kCountLightSettingsOfType[] =
    "select count(*) FROM t_light_data WHERE profile = ? AND type = ?";
inline constexpr char kCountLightSetting[] =
    "select count(*) FROM t_light_data WHERE profile = ? AND type = ? AND mode = ?";
inline constexpr char kInsertLightSetting[] =
    "INSERT INTO t_light_data(profile, name, type, mode, brightness, speed, direction, \t\t\t\t\t colorful, colorindex, color_value, config_func, reserved, status) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
inline constexpr char kUpdateLightSetting[] =
    "UPDATE t_light_data SET brightness = ?, speed = ?, direction = ?, colorful = ?, colorindex = ?,\t\t\t color_value = ?, config_func = ?, reserved = ? WHERE profile = ? AND type = ? AND mode = ?";
inline constexpr char kSetLightModesStatus[] =
    "UPDATE t_light_data SET status = ? WHERE profile = ? AND type = ?";
inline constexpr char kSetLightModeStatus[] =
    "UPDATE t_light_data SET status = ? WHERE profile = ? AND type = ? AND mode = ?";
inline constexpr char kSelectLightModeByStatus[] =
    "SELECT mode FROM t_light_data WHERE profile = ? AND type = ? and status = ?";
inline constexpr char kSelectLightSetting[] =
    "SELECT * FROM t_light_data WHERE profile = ? AND type = ? AND mode = ?";
inline constexpr char kSelectLightSettings[] =
    "SELECT * FROM t_light_data WHERE profile = ? AND type = ?";
inline constexpr char kInsertUserLightColor[] =
    "INSERT INTO t_userlightrgb_data(profile, userlight_id, key_code, key_rgb) VALUES (?, ?, ?, ?);";
inline constexpr char kDeleteUserLightColors[] =
    "DELETE FROM t_userlightrgb_data WHERE profile = ? AND userlight_id = ?";
inline constexpr char kSelectUserLightColors[] =
    "SELECT * FROM t_userlightrgb_data WHERE profile = ? AND userlight_id = ?";
inline constexpr char kInsertCustomLight[] =
    "INSERT INTO t_customlight_data(profile, name, speed, brightness) VALUES (?, ?, ?, ?);";
inline constexpr char kInsertMacro[] =
    "INSERT INTO t_macro_data(name, play_type, play_times, delay_type, delay_time) VALUES (?, ?, ?, ?, ?);";
inline constexpr char kRenameMacro[] =
    "UPDATE t_macro_data SET name = ? WHERE macro_id = ?";
inline constexpr char kDeleteMacro[] =
    "DELETE FROM t_macro_data WHERE macro_id = ?";
inline constexpr char kSelectMacro[] =
    "SELECT * FROM t_macro_data WHERE macro_id = ?";
inline constexpr char kUpdateMacro[] =
    "UPDATE t_macro_data SET name = ?, play_type = ?, play_times = ?, delay_type = ?,delay_time = ? WHERE macro_id = ?";
inline constexpr char kSelectMacros[] =
    "SELECT * FROM t_macro_data";
inline constexpr char kInsertMacroStep[] =
    "INSERT INTO t_macrorecord(macro_id, type, record_index, desc, value, delay_time) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?);";
inline constexpr char kSelectMacroSteps[] =
    "SELECT * FROM t_macrorecord WHERE macro_id = ? ORDER BY record_index ASC";
inline constexpr char kDeleteMacroSteps[] =
    "DELETE FROM t_macrorecord WHERE macro_id = ?";
inline constexpr char kCountMacroSteps[] =
    "select count(*) FROM t_macrorecord WHERE macro_id = ?";
inline constexpr char kCountAllMacroSteps[] =
    "select count(*) FROM t_macrorecord";
inline constexpr char kInsertScreenImage[] =
    "INSERT INTO t_tftscreen_data(profile, frame_size, file_name) VALUES (?, ?, ?);";
inline constexpr char kUpdateScreenImage[] =
    "UPDATE t_tftscreen_data SET frame_size = ?, file_name = ? WHERE tft_id = ?";
inline constexpr char kSelectScreenImages[] =
    "SELECT * FROM t_tftscreen_data WHERE profile = ?";
inline constexpr char kInsertLedLayer[] =
    "INSERT INTO t_ledlayer_data(profile, type, name, frame_size, file_dir, first_file) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?, ?);";
inline constexpr char kUpdateLedLayerFrameCount[] =
    "UPDATE t_ledlayer_data SET frame_size = ? WHERE led_id = ?";
inline constexpr char kUpdateLedLayerFirstFile[] =
    "UPDATE t_ledlayer_data SET first_file = ? WHERE led_id = ?";
inline constexpr char kDeleteLedLayer[] =
    "DELETE FROM t_ledlayer_data WHERE led_id = ?";
inline constexpr char kSelectLedLayer[] =
    "SELECT * FROM t_ledlayer_data WHERE led_id = ?";
inline constexpr char kSelectLedLayers[] =
    "SELECT * FROM t_ledlayer_data WHERE profile = ?";
inline constexpr char kInsertLedFrame[] =
    "INSERT INTO t_ledframe_data(led_id, name, delay_time, frame_index, file_name) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?);";
inline constexpr char kDeleteLedFrames[] =
    "DELETE FROM t_ledframe_data WHERE led_id = ?";
inline constexpr char kSelectLedFrames[] =
    "SELECT * FROM t_ledframe_data WHERE led_id = ? ORDER BY frame_index ASC";
inline constexpr char kCountLedFrames[] =
    "select count(*) FROM t_ledframe_data WHERE led_id = ?";

// Emptied by a factory reset, in this order. Macros, macro steps and screen media stay.
inline constexpr const char* kClearTables[] = {
    "DELETE FROM t_config_data",
    "DELETE FROM t_profile_data",
    "DELETE FROM t_key_macro_data",
    "DELETE FROM t_key_otherdata",
    "DELETE FROM t_magnetic_key_data",
    "DELETE FROM t_key_item_data",
    "DELETE FROM t_light_data",
    "DELETE FROM t_userlight_data",
    "DELETE FROM t_userlightrgb_data",
    "DELETE FROM t_customlight_data",
    "DELETE FROM t_customrgb_data",
    "DELETE FROM t_musiclayer_data",
    "DELETE FROM t_auroralayer_data",
};
// clang-format on

}  // namespace storage::sql
