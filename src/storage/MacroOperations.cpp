#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {
namespace {

// A new macro plays once, with the recorded delays.
constexpr int kInitialPlayType = 0;
constexpr int kInitialPlayTimes = 1;
constexpr int kInitialDelayType = 1;
constexpr int kInitialDelayTime = 0;

}  // namespace

using detail::ReadInt;
using detail::ReadRecord;
using detail::ReadRecords;
using detail::RunInsert;
using detail::RunWrite;

int SettingsDatabase::AddMacro(std::string_view name) {
  auto lock = Lock();
  return RunInsert(connection_, sql::kInsertMacro, name, kInitialPlayType, kInitialPlayTimes,
                   kInitialDelayType, kInitialDelayTime);
}

bool SettingsDatabase::RenameMacro(int macroId, std::string_view name) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kRenameMacro, name, macroId);
}

// The macro and its steps go together or not at all.
bool SettingsDatabase::DeleteMacro(int macroId) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  if (!RunWrite(connection_, sql::kDeleteMacro, macroId)) return false;
  if (!RunWrite(connection_, sql::kDeleteMacroSteps, macroId)) return false;
  return transaction.End();
}

bool SettingsDatabase::GetMacro(int macroId, MacroRecord& macro) {
  auto lock = Lock();
  return ReadRecord(connection_, macro, sql::kSelectMacro, macroId);
}

bool SettingsDatabase::UpdateMacro(int macroId, const MacroRecord& macro) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kUpdateMacro, macro.name, macro.play_type, macro.play_times,
                  macro.delay_type, macro.delay_time, macroId);
}

int SettingsDatabase::ListMacros(std::vector<MacroRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectMacros);
}

bool SettingsDatabase::InsertMacroSteps(const std::vector<MacroStepRecord>& steps) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const MacroStepRecord& s : steps) {
    if (!detail::IsOkStep(detail::PrepareBindStep(connection_, statement, sql::kInsertMacroStep,
                                                  s.macro_id, s.type, s.record_index, s.desc,
                                                  s.value, s.delay_time))) {
      return false;
    }
  }
  statement.Finalize();
  return transaction.End();
}

namespace {

bool InsertStepsAt(SQLiteDB& connection, int macroId, const std::vector<MacroStepRecord>& steps) {
  SQLiteStatement statement;
  int index = 0;
  for (const MacroStepRecord& s : steps) {
    if (!detail::IsOkStep(detail::PrepareBindStep(connection, statement, sql::kInsertMacroStep,
                                                  macroId, s.type, index++, s.desc, s.value,
                                                  s.delay_time))) {
      return false;
    }
  }
  statement.Finalize();
  return true;
}

}  // namespace

bool SettingsDatabase::ReplaceMacroSteps(int macroId, const std::vector<MacroStepRecord>& steps) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  if (!RunWrite(connection_, sql::kDeleteMacroSteps, macroId)) return false;
  if (!InsertStepsAt(connection_, macroId, steps)) return false;
  return transaction.End();
}

int SettingsDatabase::AddMacroWithSteps(const MacroRecord& macro,
                                        const std::vector<MacroStepRecord>& steps) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  const int macroId = RunInsert(connection_, sql::kInsertMacro, macro.name, macro.play_type,
                                macro.play_times, macro.delay_type, macro.delay_time);
  if (macroId <= 0 || !InsertStepsAt(connection_, macroId, steps)) return 0;
  return transaction.End() ? macroId : 0;
}

int SettingsDatabase::ListMacroSteps(int macroId, std::vector<MacroStepRecord>& list) {
  auto lock = Lock();
  return ReadRecords(connection_, list, sql::kSelectMacroSteps, macroId);
}

bool SettingsDatabase::DeleteMacroSteps(int macroId) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kDeleteMacroSteps, macroId);
}

int SettingsDatabase::CountMacroSteps(int macroId) {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountMacroSteps, macroId);
}

int SettingsDatabase::CountAllMacroSteps() {
  auto lock = Lock();
  return ReadInt(connection_, sql::kCountAllMacroSteps);
}

}  // namespace storage
