#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {
namespace {

// A new profile's music layer: default device, fore mode 4 at amplitude 300, back mode 0,
// full back and light brightness.
constexpr int kInitialDeviceIndex = 0;
constexpr int kInitialForeMode = 4;
constexpr int kInitialForeAmplitude = 300;
constexpr int kInitialBackMode = 0;
constexpr int kInitialBackBright = 100;
constexpr int kInitialLightBright = 100;
constexpr int kInitialSel = 0;

constexpr int kCustomLightSpeed = 15;
constexpr int kCustomLightBrightness = 15;

}  // namespace

using detail::ReadInt;
using detail::ReadRecord;
using detail::ReadRecords;
using detail::RunInsert;
using detail::RunWrite;

int SettingsDatabase::AddMusicLayer(int profile, std::string_view name) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertMusicLayer, profile, name, kInitialDeviceIndex,
                   kInitialForeMode, kInitialForeAmplitude, kInitialBackMode, kInitialBackBright,
                   kInitialLightBright, kInitialSel);
}

bool SettingsDatabase::GetMusicLayer(int layerId, MusicLayerRecord& layer) {
  auto lock = Lock();
  return ReadRecord(connection_, layer, sql::kSelectMusicLayer, layerId);
}

bool SettingsDatabase::UpdateMusicLayer(int layerId, const MusicLayerRecord& layer) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateMusicLayer, layer.deviceindex, layer.foremode,
                  layer.fore_amplitude, layer.backmode, layer.backb_right, layer.light_right,
                  layerId);
}

int SettingsDatabase::CountLightSettings(int profile) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountLightSettings, profile);
}

int SettingsDatabase::CountLightSettingsOfType(int profile, int type) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountLightSettingsOfType, profile, type);
}

int SettingsDatabase::AddLightSetting(const LightSettingRecord& r) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertLightSetting, r.profile, r.name, r.type, r.mode,
                   r.brightness, r.speed, r.direction, r.colorful, r.colorindex, r.color_value,
                   r.config_func, r.reserved, r.status);
}

bool SettingsDatabase::AddLightSettings(const std::vector<LightSettingRecord>& records) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  for (const LightSettingRecord& r : records) {
    if (RunInsert(connection_, sql::kInsertLightSetting, r.profile, r.name, r.type, r.mode,
                  r.brightness, r.speed, r.direction, r.colorful, r.colorindex, r.color_value,
                  r.config_func, r.reserved, r.status) == 0) {
      return false;
    }
  }
  return transaction.End();
}

bool SettingsDatabase::UpdateLightSetting(int type, int mode, const LightSettingRecord& r) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateLightSetting, r.brightness, r.speed, r.direction,
                  r.colorful, r.colorindex, r.color_value, r.config_func, r.reserved, r.profile,
                  type, mode);
}

// Clearing the flags of the effect type and setting one happen together, and only for a mode
// that has a row: a mode the keyboard reports that the profile does not know leaves the stored
// choice alone.
bool SettingsDatabase::SetActiveLightMode(int profile, int type, int mode) {
  auto lock = Lock();
  if (ReadInt(connection_, sql::kCountLightSetting, profile, type, mode) < 1) return false;
  SQLiteAutoTransaction transaction(&connection_);
  if (!RunWrite(connection_, sql::kSetLightModesStatus, 0, profile, type)) return false;
  if (!RunWrite(connection_, sql::kSetLightModeStatus, 1, profile, type, mode)) return false;
  return transaction.End();
}

int SettingsDatabase::GetActiveLightMode(int profile, int type) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kSelectLightModeByStatus, profile, type, 1);
}

bool SettingsDatabase::GetLightSetting(int profile, int type, int mode,
                                       LightSettingRecord& record) {
  auto lock = Lock();
  return ReadRecord(connection_, record, sql::kSelectLightSetting, profile, type, mode);
}

int SettingsDatabase::ListLightSettings(int profile, int type,
                                        std::vector<LightSettingRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectLightSettings, profile, type);
}

int SettingsDatabase::InsertUserLightColors(const std::vector<UserLightColorRecord>& records) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const UserLightColorRecord& r : records) {
    detail::PrepareBindStep(connection_, statement, sql::kInsertUserLightColor, r.profile,
                            r.userlight_id, r.key_code, r.key_rgb);
  }
  statement.Finalize();
  transaction.End();
  return static_cast<int>(records.size());
}

bool SettingsDatabase::DeleteUserLightColors(int profile, int userlightId) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kDeleteUserLightColors, profile, userlightId);
}

bool SettingsDatabase::ReplaceUserLightColors(int profile, int userlightId,
                                              const std::vector<UserLightColorRecord>& records) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  if (!RunWrite(connection_, sql::kDeleteUserLightColors, profile, userlightId)) return false;
  SQLiteStatement statement;
  for (const UserLightColorRecord& r : records) {
    const int result = detail::PrepareBindStep(connection_, statement, sql::kInsertUserLightColor,
                                               profile, userlightId, r.key_code, r.key_rgb);
    if (!detail::IsOkStep(result)) return false;
  }
  statement.Finalize();
  return transaction.End();
}

int SettingsDatabase::ListUserLightColors(int profile, int userlightId,
                                          std::vector<UserLightColorRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectUserLightColors, profile, userlightId);
}

int SettingsDatabase::AddCustomLight(int profile, std::string_view name) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertCustomLight, profile, name, kCustomLightSpeed,
                   kCustomLightBrightness);
}

}  // namespace storage
