#include "storage/RecordIo.h"

#include "base/Log.h"
#include "base/Text.h"

namespace storage::detail {

namespace {

// Statements that change the file: everything but a query.
bool ChangesTheFile(std::string_view sql) {
  sql = base::Trim(sql);
  return !base::EqualsIgnoreCaseAscii(sql.substr(0, 6), "SELECT");
}

}  // namespace

void LogFailure(const SQLiteDB& database, const char* what, const char* sql, int result) {
  // Without a connection every statement fails; the failed open said so once.
  if (!database.IsOpen()) return;
  base::ErrorLog("database: %s of \"%.60s\" failed: %d %s", what, sql, result,
                 database.ErrorMessage());
  if (ChangesTheFile(sql)) database.ReportWriteFailure(database.ErrorMessage());
}

void ReadColumns(const SQLiteStatement& row, ProfileRecord& record) {
  record.profile = row.ColumnInt(0);
  record.name = row.ColumnString(1);
  record.status = row.ColumnInt(2);
  record.app = row.ColumnString(3);
  record.icon_image = row.ColumnString(4);
  record.bkg_image = row.ColumnString(5);
  record.type = row.ColumnInt(6);
}

// Column 9 (sel) is not part of the record.
void ReadColumns(const SQLiteStatement& row, MusicLayerRecord& record) {
  record.layer_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.name = row.ColumnString(2);
  record.deviceindex = row.ColumnInt(3);
  record.foremode = row.ColumnInt(4);
  record.fore_amplitude = row.ColumnInt(5);
  record.backmode = row.ColumnInt(6);
  record.backb_right = row.ColumnInt(7);
  record.light_right = row.ColumnInt(8);
}

void ReadColumns(const SQLiteStatement& row, KeyAssignmentRecord& record) {
  record.key_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.fn_layer = row.ColumnInt(2);
  record.key_code = row.ColumnInt(3);
  record.layout_value = row.ColumnInt(4);
  record.layout_desc = row.ColumnString(5);
  record.macro_type = row.ColumnInt(6);
  record.macro_value = row.ColumnInt(7);
  record.macro_value2 = row.ColumnInt(8);
  record.macro_value3 = row.ColumnInt(9);
  record.macro_desc = row.ColumnString(10);
}

void ReadColumns(const SQLiteStatement& row, ScreenImageRecord& record) {
  record.tft_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.frame_size = row.ColumnInt(2);
  record.file_name = row.ColumnString(3);
}

void ReadColumns(const SQLiteStatement& row, LedLayerRecord& record) {
  record.led_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.type = row.ColumnInt(2);
  record.name = row.ColumnString(3);
  record.frame_size = row.ColumnInt(4);
  record.file_dir = row.ColumnString(5);
  record.first_file = row.ColumnString(6);
}

void ReadColumns(const SQLiteStatement& row, LedFrameRecord& record) {
  record.frame_id = row.ColumnInt(0);
  record.led_id = row.ColumnInt(1);
  record.name = row.ColumnString(2);
  record.delay_time = row.ColumnInt(3);
  record.frame_index = row.ColumnInt(4);
  record.file_name = row.ColumnString(5);
}

void ReadColumns(const SQLiteStatement& row, LightSettingRecord& record) {
  record.light_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.name = row.ColumnString(2);
  record.type = row.ColumnInt(3);
  record.mode = row.ColumnInt(4);
  record.brightness = row.ColumnInt(5);
  record.speed = row.ColumnInt(6);
  record.direction = row.ColumnInt(7);
  record.colorful = row.ColumnInt(8);
  record.colorindex = row.ColumnInt(9);
  record.color_value = row.ColumnInt(10);
  record.config_func = row.ColumnInt(11);
  record.reserved = row.ColumnInt(12);
  record.status = row.ColumnInt(13);
}

void ReadColumns(const SQLiteStatement& row, UserLightColorRecord& record) {
  record.userlightrgb_id = row.ColumnInt(0);
  record.profile = row.ColumnInt(1);
  record.userlight_id = row.ColumnInt(2);
  record.key_code = row.ColumnInt(3);
  record.key_rgb = row.ColumnInt(4);
}

void ReadColumns(const SQLiteStatement& row, MacroRecord& record) {
  record.macro_id = row.ColumnInt(0);
  record.name = row.ColumnString(1);
  record.play_type = row.ColumnInt(2);
  record.play_times = row.ColumnInt(3);
  record.delay_type = row.ColumnInt(4);
  record.delay_time = row.ColumnInt(5);
}

// The description is stored before the value.
void ReadColumns(const SQLiteStatement& row, MacroStepRecord& record) {
  record.record_id = row.ColumnInt(0);
  record.macro_id = row.ColumnInt(1);
  record.type = row.ColumnInt(2);
  record.record_index = row.ColumnInt(3);
  record.desc = row.ColumnString(4);
  record.value = row.ColumnInt(5);
  record.delay_time = row.ColumnInt(6);
}

}  // namespace storage::detail
