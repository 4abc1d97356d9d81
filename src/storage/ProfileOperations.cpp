#include "storage/RecordIo.h"
#include "storage/SettingsDatabase.h"
#include "storage/Sql.h"

namespace storage {
namespace {

// The name of the music layer and custom light that come with every profile.
constexpr std::string_view kCompanionRowName = "Profile";

}  // namespace

using detail::ReadInt;
using detail::ReadRecord;
using detail::ReadRecords;
using detail::RunInsert;
using detail::RunWrite;

// The profile, its music layer and its custom light are stored together: the lighting pages
// find a profile's music layer by the profile's identifier, which holds only while no
// profile exists without its layer.
int SettingsDatabase::AddProfile(const ProfileRecord& record) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  const int status = 0;
  const int type = 0;
  const int profile = RunInsert(connection_, sql::kInsertProfile, record.name, status, record.app,
                                record.icon_image, record.bkg_image, type);
  if (profile < 1) return 0;
  if (AddMusicLayer(profile, kCompanionRowName) == 0) return 0;
  if (AddCustomLight(profile, kCompanionRowName) == 0) return 0;
  return transaction.End() ? profile : 0;
}

int SettingsDatabase::AddCompleteProfile(const ProfileRecord& record,
                                         const std::vector<KeyAssignmentRecord>& rows) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  const int profile = AddProfile(record);
  if (profile <= 0 || !WriteDefaultConfig(profile)) return 0;
  std::vector<KeyAssignmentRecord> owned = rows;
  for (KeyAssignmentRecord& row : owned) row.profile = profile;
  if (!InsertKeyAssignments(owned)) return 0;
  return transaction.End() ? profile : 0;
}

// The profile goes with every row it owns, all or nothing: no orphan rows are left for a later
// profile to find, and a failure keeps the profile whole.
bool SettingsDatabase::DeleteProfile(int profile) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  for (const char* sql : sql::kDeleteProfileRows) {
    if (!RunWrite(connection_, sql, profile)) return false;
  }
  if (!RunWrite(connection_, sql::kDeleteProfile, profile)) return false;
  return transaction.End();
}

bool SettingsDatabase::RenameProfile(int profile, std::string_view name) {
  auto lock = Lock();
  return RunWrite(connection_, sql::kRenameProfile, name, profile);
}

bool SettingsDatabase::GetProfileName(int profile, std::string& name) {
  auto lock = Lock();
  name.clear();
  SQLiteStatement statement;
  if (detail::PrepareBindStep(connection_, statement, sql::kSelectProfileName, profile) !=
      kSqliteRow) {
    return false;
  }
  name = statement.ColumnString(0);
  return true;
}

int SettingsDatabase::ListProfiles(std::vector<ProfileRecord>& profiles) {
  auto lock = Lock();
  return ReadRecords(connection_, profiles, sql::kSelectProfiles);
}

// Clearing every flag and setting one happen together: neither a crash in between nor a
// failing second step leaves the file without its active profile.
bool SettingsDatabase::SetActiveProfile(int profile) {
  auto lock = Lock();
  SQLiteAutoTransaction transaction(&connection_);
  RunWrite(connection_, sql::kSetAllProfilesStatus, 0);
  if (!RunWrite(connection_, sql::kSetProfileStatus, 1, profile)) return false;
  return transaction.End();
}

int SettingsDatabase::GetActiveProfile() {
  auto lock = Lock();
  return ReadInt(connection_, sql::kSelectProfileByStatus, 1);
}

}  // namespace storage
