#include "profiles/ProfileService.h"

#include <map>
#include <utility>

#include "catalogue/KeyboardLayout.h"
#include "core/SharedState.h"
#include "profiles/ProfileFile.h"
#include "storage/SettingsDatabase.h"

namespace {

storage::ProfileRecord NewProfileRecord(std::string name) {
  storage::ProfileRecord record;
  record.name = std::move(name);
  record.icon_image = ProfileService::kProfileIcon;
  return record;
}

}  // namespace

ProfileService::ProfileService(SharedState& state, storage::SettingsDatabase& database,
                               const CurrentLayout& layout)
    : state_(state), database_(database), layout_(layout) {}

std::vector<storage::ProfileRecord> ProfileService::ListOrCreate(const std::string& base,
                                                                 bool seedEveryProfile) {
  // Two threads must not both find no profile and both create three.
  auto lock = database_.Lock();
  std::vector<storage::ProfileRecord> profiles;
  database_.ListProfiles(profiles);
  if (!profiles.empty() || !database_.IsOpen()) return profiles;
  int first = 0;
  for (int n = 1; n <= 3; ++n) {
    const bool seeded = first == 0 || seedEveryProfile;
    const int id = database_.AddCompleteProfile(
        NewProfileRecord(base + " " + std::to_string(n)),
        seeded ? SeedRows(0) : std::vector<storage::KeyAssignmentRecord>{});
    if (first == 0) first = id;
  }
  // The first profile that was actually created becomes active.
  if (first > 0 && database_.SetActiveProfile(first)) database_.ListProfiles(profiles);
  return profiles;
}

int ProfileService::Add(const std::string& name) {
  return database_.AddCompleteProfile(NewProfileRecord(name), SeedRows(0));
}

bool ProfileService::Delete(int profile) {
  return database_.DeleteProfile(profile);
}

std::string ProfileService::Rename(int profile, const std::string& name) {
  // What is shown afterwards is what is stored: a rename that failed keeps the old name.
  if (!name.empty()) (void)database_.RenameProfile(profile, name);
  std::string stored;
  database_.GetProfileName(profile, stored);
  return stored;
}

bool ProfileService::Activate(int profile) {
  state_.currentProfile.store(profile);
  return database_.SetActiveProfile(profile);
}

bool ProfileService::MarkActive(int profile) {
  return database_.SetActiveProfile(profile);
}

int ProfileService::ActiveProfile() {
  return database_.GetActiveProfile();
}

bool ProfileService::SeedKeyAssignments(int profile) {
  if (database_.CountKeyAssignments(profile) > 0) return true;
  const std::vector<storage::KeyAssignmentRecord> rows = SeedRows(profile);
  return rows.empty() || database_.InsertKeyAssignments(rows);
}

std::vector<storage::KeyAssignmentRecord> ProfileService::SeedRows(int profile) const {
  std::vector<storage::KeyAssignmentRecord> rows;
  for (const LayoutKeyName& key : layout_.Get()->Keys) {
    for (int layer = 0; layer < 4; ++layer) {
      storage::KeyAssignmentRecord row;
      row.profile = profile;
      row.fn_layer = layer;
      row.key_code = key.code;
      row.layout_value = key.code;
      row.layout_desc = key.name;
      row.macro_type = 2;
      row.macro_value = layer == 0 ? key.code : 0;
      row.macro_desc = layer == 0 ? key.name : std::string();
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

bool ProfileService::Export(int profile, const std::string& name, const std::filesystem::path& path,
                            std::string* error) {
  std::vector<storage::KeyAssignmentRecord> rows;
  database_.ListKeyAssignmentsOfProfile(profile, rows);
  return WriteProfileFile(path, name, rows, error);
}

int ProfileService::Import(const std::filesystem::path& path, std::string& name) {
  const std::optional<ProfileFileContent> content = ReadProfileFile(path);
  if (!content) return 0;
  name = content->name;
  // Each item is stored as a key assignment: a later item of the same key replaces an earlier
  // one, and a key back at its default keeps no row.
  std::map<std::pair<int, int>, std::size_t> lastOfKey;
  for (std::size_t i = 0; i < content->rows.size(); ++i) {
    lastOfKey[{content->rows[i].fn_layer, content->rows[i].key_code}] = i;
  }
  std::vector<storage::KeyAssignmentRecord> rows;
  for (std::size_t i = 0; i < content->rows.size(); ++i) {
    const storage::KeyAssignmentRecord& row = content->rows[i];
    if (lastOfKey[{row.fn_layer, row.key_code}] == i && storage::SettingsDatabase::KeepsKeyRow(row))
      rows.push_back(row);
  }
  return database_.AddCompleteProfile(NewProfileRecord(name), rows);
}
