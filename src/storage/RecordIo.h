#pragma once
// Building blocks of the record operations: bind by position, step, read rows into records.
// Used only inside this folder; callers hold the database lock.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Records.h"
#include "storage/SQLite.h"

namespace storage::detail {

// A write counts as done for OK, ROW and DONE.
inline bool IsOkStep(int result) {
  return result == kSqliteOk || result == kSqliteRow || result == kSqliteDone;
}

// Row identifiers are handed out as 32-bit values.
inline int LowBits(std::int64_t rowId) {
  return static_cast<int>(static_cast<std::int32_t>(rowId));
}

// One line on standard error for a failed statement: what failed, the statement's start and
// SQLite's result code and text.
void LogFailure(const SQLiteDB& database, const char* what, const char* sql, int result);

inline void BindAt(SQLiteStatement& statement, int index, int value) {
  statement.BindInt(index, value);
}
inline void BindAt(SQLiteStatement& statement, int index, std::string_view text) {
  statement.BindText(index, text);
}

// Prepares `sql` on `statement` (finalizing what it held), binds the arguments to parameters
// 1, 2, ... and steps once. Texts are bound without copying: the arguments must outlive the
// statement's last step, which they do as parameters of the calling operation.
// Failures are logged with the statement and SQLite's result code.
template <typename... Args>
int PrepareBindStep(SQLiteDB& database, SQLiteStatement& statement, const char* sql,
                    const Args&... args) {
  if (const int prepared = database.Prepare(statement, sql); prepared != kSqliteOk) {
    LogFailure(database, "prepare", sql, prepared);
    return prepared;
  }
  int index = 1;
  (BindAt(statement, index++, args), ...);
  const int result = statement.Step();
  if (!IsOkStep(result)) LogFailure(database, "step", sql, result);
  return result;
}

template <typename... Args>
bool RunWrite(SQLiteDB& database, const char* sql, const Args&... args) {
  SQLiteStatement statement;
  return IsOkStep(PrepareBindStep(database, statement, sql, args...));
}

// The new row's identifier, or 0 when the insert failed.
template <typename... Args>
int RunInsert(SQLiteDB& database, const char* sql, const Args&... args) {
  SQLiteStatement statement;
  if (!IsOkStep(PrepareBindStep(database, statement, sql, args...))) return 0;
  return LowBits(database.LastInsertRowId());
}

// Column 0 of the first row, or 0 when there is none.
template <typename... Args>
int ReadInt(SQLiteDB& database, const char* sql, const Args&... args) {
  SQLiteStatement statement;
  if (PrepareBindStep(database, statement, sql, args...) != kSqliteRow) return 0;
  return statement.ColumnInt(0);
}

void ReadColumns(const SQLiteStatement& row, ProfileRecord& record);
void ReadColumns(const SQLiteStatement& row, MusicLayerRecord& record);
void ReadColumns(const SQLiteStatement& row, KeyAssignmentRecord& record);
void ReadColumns(const SQLiteStatement& row, ScreenImageRecord& record);
void ReadColumns(const SQLiteStatement& row, LedLayerRecord& record);
void ReadColumns(const SQLiteStatement& row, LedFrameRecord& record);
void ReadColumns(const SQLiteStatement& row, LightSettingRecord& record);
void ReadColumns(const SQLiteStatement& row, UserLightColorRecord& record);
void ReadColumns(const SQLiteStatement& row, MacroRecord& record);
void ReadColumns(const SQLiteStatement& row, MacroStepRecord& record);

// The first row into `record`; false (record unchanged) when no row comes back.
template <typename Record, typename... Args>
bool ReadRecord(SQLiteDB& database, Record& record, const char* sql, const Args&... args) {
  SQLiteStatement statement;
  if (PrepareBindStep(database, statement, sql, args...) != kSqliteRow) return false;
  ReadColumns(statement, record);
  return true;
}

// Replaces `list` with one record per row; returns its size.
template <typename Record, typename... Args>
int ReadRecords(SQLiteDB& database, std::vector<Record>& list, const char* sql,
                const Args&... args) {
  list.clear();
  SQLiteStatement statement;
  for (int result = PrepareBindStep(database, statement, sql, args...); result == kSqliteRow;
       result = statement.Step()) {
    ReadColumns(statement, list.emplace_back());
  }
  return static_cast<int>(list.size());
}

}  // namespace storage::detail
