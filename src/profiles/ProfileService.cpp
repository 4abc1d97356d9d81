#include "profiles/ProfileService.h"

#include <map>
#include <utility>

#include "catalogue/KeyboardLayout.h"
#include "core/SharedState.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileNames.h"
#include "protocol/KeyEntry.h"
#include "storage/SettingsDatabase.h"

namespace {

// What a key row of an export file may hold: one of the four layers, a key code, a known
// function type and values a key entry can carry.
bool IsValidKeyRow(const storage::KeyAssignmentRecord& row) {
  constexpr int kMaxValue = 0xFFFF;
  const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
  return within(row.fn_layer, 0, 3) && within(row.key_code, 0, 255) &&
         within(row.layout_value, 0, 255) &&
         within(row.macro_type, protocol::function_type::kDefault,
                protocol::function_type::kKeyboardFunction) &&
         within(row.macro_value, 0, kMaxValue) && within(row.macro_value2, 0, kMaxValue) &&
         within(row.macro_value3, 0, kMaxValue);
}

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

std::vector<storage::ProfileRecord> ProfileService::List() {
  std::vector<storage::ProfileRecord> profiles;
  database_.ListProfiles(profiles);
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

ProfileService::ImportResult ProfileService::Import(const std::filesystem::path& path,
                                                    const std::vector<std::string>& takenNames,
                                                    const std::string& defaultName) {
  ImportResult result;
  const std::optional<ProfileFileContent> content = ReadProfileFile(path);
  if (!content) {
    result.failure = ImportResult::Failure::kUnreadable;
    return result;
  }
  result.name = UniqueName(CleanName(content->name, kMaxNameLength), takenNames, defaultName);
  // Each item is stored as a key assignment: a later item of the same key replaces an earlier
  // one, and a key back at its default keeps no row.
  std::vector<const storage::KeyAssignmentRecord*> valid;
  for (const storage::KeyAssignmentRecord& row : content->rows) {
    if (IsValidKeyRow(row)) {
      valid.push_back(&row);
    } else {
      ++result.refusedRows;
    }
  }
  std::map<std::pair<int, int>, std::size_t> lastOfKey;
  for (std::size_t i = 0; i < valid.size(); ++i)
    lastOfKey[{valid[i]->fn_layer, valid[i]->key_code}] = i;
  std::vector<storage::KeyAssignmentRecord> rows;
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const storage::KeyAssignmentRecord& row = *valid[i];
    if (lastOfKey[{row.fn_layer, row.key_code}] == i && storage::SettingsDatabase::KeepsKeyRow(row))
      rows.push_back(row);
  }
  result.profile = database_.AddCompleteProfile(NewProfileRecord(result.name), rows);
  if (result.profile <= 0) result.failure = ImportResult::Failure::kNotStored;
  return result;
}
