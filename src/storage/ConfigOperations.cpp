#include "storage/ConfigKeys.h"
#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {

using detail::RunWrite;

bool SettingsDatabase::SetConfigValue(int profile, std::string_view key, std::string_view value) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateConfigValue, value, profile, key);
}

bool SettingsDatabase::GetConfigValue(int profile, std::string_view key, std::string& value) {
  auto lock = Lock();
  value.clear();
  SQLiteStatement statement;
  if (detail::PrepareBindStep(connection_, statement, sql::kSelectConfigValue, profile, key) !=
      kSqliteRow) {
    return false;
  }
  value = statement.ColumnString(0);
  return true;
}

// All rows in one transaction: a profile never keeps part of its defaults, since a key
// without a row can never be set afterwards.
bool SettingsDatabase::WriteDefaultConfig(int profile) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const ConfigDefault& entry : DefaultConfig()) {
    if (!detail::IsOkStep(detail::PrepareBindStep(connection_, statement, sql::kInsertConfigValue,
                                                  profile, entry.key, entry.value))) {
      return false;
    }
  }
  statement.Finalize();
  return transaction.End();
}

}  // namespace storage
