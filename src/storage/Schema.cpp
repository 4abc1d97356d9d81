#include "storage/Schema.h"

namespace storage {

namespace {

// 18 tables and 16 indexes; every statement is "IF NOT EXISTS", so running the list on an
// existing file only adds what it lacks. The last two indexes let a profile's key rows and
// configuration be found without a scan of every profile's rows.
// clang-format off
constexpr const char* kStatements[] = {
    "CREATE TABLE IF NOT EXISTS t_config_data(config_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, key TEXT, value TEXT)",
    "CREATE TABLE IF NOT EXISTS t_profile_data(profile INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  name TEXT, status INTEGER, app TEXT, icon_image TEXT, bkg_image TEXT, type INTEGER)",
    "CREATE INDEX IF NOT EXISTS profileindex ON t_profile_data(profile)",
    "CREATE TABLE IF NOT EXISTS t_key_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 INTEGER, macro_value3 INTEGER, macro_desc TEXT)",
    "CREATE INDEX IF NOT EXISTS keyindex ON t_key_macro_data(key_id)",
    "CREATE TABLE IF NOT EXISTS t_key_otherdata(macro_value INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_desc TEXT, param TEXT, type INTEGER)",
    "CREATE INDEX IF NOT EXISTS otheridindex ON t_key_otherdata(macro_value)",
    "CREATE TABLE IF NOT EXISTS t_magnetic_key_data(macro_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, fn_layer INTEGER, macro_type INTEGER, key1_value INTEGER, key2_value INTEGER, \t\t\t\t\t\t\t\t\tkey1_name TEXT, key2_name TEXT, reserved INTEGER)",
    "CREATE INDEX IF NOT EXISTS magnetic_keyindex ON t_magnetic_key_data(macro_id)",
    "CREATE TABLE IF NOT EXISTS t_key_item_data(keyitem_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_id INTEGER, trigger_state1 INTEGER, trigger_state2 INTEGER, trigger_state3 INTEGER, trigger_state4 INTEGER,\t\t\t\t\t\t\t\t  key_value INTEGER, key_name TEXT)",
    "CREATE INDEX IF NOT EXISTS key_itemindex ON t_key_item_data(macro_id)",
    "CREATE TABLE IF NOT EXISTS t_macro_data(macro_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   name TEXT, play_type INTEGER, play_times INTEGER, delay_type INTEGER, delay_time INTEGER)",
    "CREATE INDEX IF NOT EXISTS macroidindex ON t_macro_data(macro_id)",
    "CREATE TABLE IF NOT EXISTS t_macrorecord(record_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_id INTEGER, type INTEGER, record_index INTEGER, desc TEXT, value INTEGER, delay_time INTEGER)",
    "CREATE INDEX IF NOT EXISTS macrorecordindex ON t_macrorecord(record_id)",
    "CREATE TABLE IF NOT EXISTS t_light_data(light_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, type INTEGER, mode INTEGER, brightness INTEGER, speed INTEGER, \t\t\t\t\t\t\t\t\t\tdirection INTEGER, colorful INTEGER, colorindex INTEGER, \t\t\t\t\t\t\t\t\t\tcolor_value INTEGER, config_func INTEGER, reserved INTEGER, status INTEGER)",
    "CREATE INDEX IF NOT EXISTS lightindex ON t_light_data(light_id)",
    "CREATE TABLE IF NOT EXISTS t_userlight_data(userlight_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, speed INTEGER, brightness INTEGER, status INTEGER)",
    "CREATE INDEX IF NOT EXISTS userlightindex ON t_userlight_data(userlight_id)",
    "CREATE TABLE IF NOT EXISTS t_userlightrgb_data(userlightrgb_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, userlight_id INTEGER, key_code INTEGER, key_rgb INTEGER)",
    "CREATE INDEX IF NOT EXISTS userlightrgbindex ON t_userlightrgb_data(userlightrgb_id)",
    "CREATE TABLE IF NOT EXISTS t_customlight_data(customlight_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, speed INTEGER, brightness INTEGER, status INTEGER)",
    "CREATE INDEX IF NOT EXISTS customlightindex ON t_customlight_data(customlight_id)",
    "CREATE TABLE IF NOT EXISTS t_customrgb_data(customrgb_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   customlight_id INTEGER, keycode INTEGER, rgbvalue INTEGER, light_mode INTEGER, \t\t\t\t\t\t\t\t   colortype INTEGER, light_type INTEGER)",
    "CREATE INDEX IF NOT EXISTS customrgbindex ON t_customrgb_data(customrgb_id)",
    "CREATE TABLE IF NOT EXISTS t_musiclayer_data(layer_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, name TEXT, deviceindex INTEGER, foremode INTEGER, fore_amplitude INTEGER,\t\t\t\t\t\t\t\t   backmode INTEGER, backb_right INTEGER, light_right INTEGER, sel INTEGER)",
    "CREATE INDEX IF NOT EXISTS musiclayerindex ON t_musiclayer_data(layer_id)",
    "CREATE TABLE IF NOT EXISTS t_auroralayer_data(layer_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, name TEXT, layer_mode INTEGER, layer_scale INTEGER, colorful INTEGER,\t\t\t\t\t\t\t\t   colorvalue INTEGER, rect_x INTEGER, rect_y INTEGER, rect_width INTEGER, rect_height INTEGER)",
    "CREATE INDEX IF NOT EXISTS auroralayerindex ON t_auroralayer_data(layer_id)",
    "CREATE TABLE IF NOT EXISTS t_ledlayer_data(led_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, type INTEGER, name TEXT, frame_size INTEGER, file_dir TEXT, first_file TEXT)",
    "CREATE TABLE IF NOT EXISTS t_ledframe_data(frame_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   led_id INTEGER, name TEXT, delay_time INTEGER, frame_index INTEGER, file_name TEXT)",
    "CREATE TABLE IF NOT EXISTS t_tftscreen_data(tft_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, frame_size INTEGER, file_name TEXT)",
    "CREATE INDEX IF NOT EXISTS keyprofileindex ON t_key_macro_data(profile, fn_layer, key_code)",
    "CREATE INDEX IF NOT EXISTS configprofileindex ON t_config_data(profile, key)",
};
// clang-format on

}  // namespace

std::span<const char* const> SchemaStatements() {
  return kStatements;
}

}  // namespace storage
