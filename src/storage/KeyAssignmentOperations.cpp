#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {
namespace {

int StepInsertKeyAssignment(SQLiteDB& database, SQLiteStatement& statement,
                            const KeyAssignmentRecord& r) {
  return detail::PrepareBindStep(database, statement, sql::kInsertKeyAssignment, r.profile,
                                 r.fn_layer, r.key_code, r.layout_value, r.layout_desc,
                                 r.macro_type, r.macro_value, r.macro_value2, r.macro_value3,
                                 r.macro_desc);
}

int StepUpdateKeyAssignment(SQLiteDB& database, SQLiteStatement& statement,
                            const KeyAssignmentRecord& r) {
  return detail::PrepareBindStep(database, statement, sql::kUpdateKeyAssignment, r.macro_type,
                                 r.macro_value, r.macro_value2, r.macro_value3, r.macro_desc,
                                 r.profile, r.fn_layer, r.key_code);
}

}  // namespace

using detail::IsOkStep;
using detail::ReadInt;
using detail::ReadRecord;
using detail::ReadRecords;

bool SettingsDatabase::KeepsKeyRow(const KeyAssignmentRecord& record) {
  return record.key_code != 0 && !(record.macro_value == 0 && record.macro_value2 == 0);
}

int SettingsDatabase::CountKeyAssignments(int profile) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountKeyAssignments, profile);
}

// The delete and the insert form one transaction: a failed insert keeps the key's old row
// instead of silently resetting the key.
int SettingsDatabase::SaveKeyAssignment(const KeyAssignmentRecord& record) {
  if (record.key_code == 0) return 0;
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  const int deleted = detail::PrepareBindStep(connection_, statement, sql::kDeleteKeyAssignment,
                                              record.profile, record.fn_layer, record.key_code);
  if (!IsOkStep(deleted)) return 0;
  // A key back at its default keeps no row.
  if (record.macro_value == 0 && record.macro_value2 == 0) {
    statement.Finalize();
    transaction.End();
    return 0;
  }
  if (!IsOkStep(StepInsertKeyAssignment(connection_, statement, record))) return 0;
  const int keyId = detail::LowBits(connection_.LastInsertRowId());
  statement.Finalize();
  return transaction.End() ? keyId : 0;
}

bool SettingsDatabase::InsertKeyAssignments(const std::vector<KeyAssignmentRecord>& records) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const KeyAssignmentRecord& record : records) {
    if (!IsOkStep(StepInsertKeyAssignment(connection_, statement, record))) return false;
  }
  statement.Finalize();
  return transaction.End();
}

bool SettingsDatabase::UpdateKeyAssignment(const KeyAssignmentRecord& record) {
  auto lock = Lock();
  SQLiteStatement statement;
  return IsOkStep(StepUpdateKeyAssignment(connection_, statement, record));
}

bool SettingsDatabase::UpdateKeyAssignments(const std::vector<KeyAssignmentRecord>& records) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const KeyAssignmentRecord& record : records) {
    if (!IsOkStep(StepUpdateKeyAssignment(connection_, statement, record))) return false;
  }
  statement.Finalize();
  return transaction.End();
}

bool SettingsDatabase::GetKeyAssignment(int profile, int fnLayer, int keyCode,
                                        KeyAssignmentRecord& record) {
  auto lock = Lock();
  return ReadRecord(connection_, record, sql::kSelectKeyAssignment, profile, fnLayer, keyCode);
}

int SettingsDatabase::ListKeyAssignmentsOfLayer(int profile, int fnLayer,
                                                std::vector<KeyAssignmentRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectKeyAssignmentsOfLayer, profile, fnLayer);
}

int SettingsDatabase::ListKeyAssignmentsOfProfile(int profile,
                                                  std::vector<KeyAssignmentRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectKeyAssignmentsOfProfile, profile);
}

int SettingsDatabase::ListAllKeyAssignments(std::vector<KeyAssignmentRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectAllKeyAssignments);
}

}  // namespace storage
