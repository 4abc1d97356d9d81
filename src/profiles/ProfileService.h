#pragma once
// The profiles of the current keyboard model in its database: creating the first three,
// seeding new profiles with the layout's keys, adding, deleting, renaming, activating, and the
// export file. No controls: the profile page shows what this returns.

#include <filesystem>
#include <string>
#include <vector>

#include "storage/Records.h"

class CurrentLayout;
struct SharedState;
namespace storage {
class SettingsDatabase;
}

class ProfileService {
 public:
  static constexpr int kMaxProfiles = 10;
  static constexpr const char* kProfileIcon = "icon\\icon_profile.png";

  ProfileService(SharedState& state, storage::SettingsDatabase& database,
                 const CurrentLayout& layout);

  // The model's profiles in list order. A model without any first gets three named
  // "<base> 1" to "<base> 3" with their default configuration; the first is seeded with the
  // layout's keys (every one of them when `seedEveryProfile`) and becomes active.
  std::vector<storage::ProfileRecord> ListOrCreate(const std::string& base, bool seedEveryProfile);
  // The model's profiles in list order, as stored.
  std::vector<storage::ProfileRecord> List();
  // A new profile with its key rows and default configuration; its identifier, 0 when nothing
  // was created.
  int Add(const std::string& name);
  bool Delete(int profile);
  // Renames unless `name` is empty; the name stored afterwards (empty when none can be read).
  std::string Rename(int profile, const std::string& name);
  // Makes the profile the one every feature works under, and the active one in the database.
  bool Activate(int profile);
  // Only the database's active profile (the profile dialog, until it closes with OK).
  bool MarkActive(int profile);
  int ActiveProfile();

  // Gives a profile without key rows the seed rows of the layout's keys.
  bool SeedKeyAssignments(int profile);
  // Four rows per key of the current layout: layer 0 sends the key itself, layers 1 to 3
  // keep the keyboard's own function.
  std::vector<storage::KeyAssignmentRecord> SeedRows(int profile) const;

  bool Export(int profile, const std::string& name, const std::filesystem::path& path,
              std::string* error = nullptr);
  // Reads an export file into a new profile, all or nothing. The file's name is cleaned
  // (control characters removed, cut to kMaxNameLength characters), made unique among
  // `takenNames` like a new profile's, and empty names become "<defaultName> n". Rows outside
  // the ranges a key row can have are left out and counted.
  struct ImportResult {
    enum class Failure { kNone, kUnreadable, kNotStored } failure = Failure::kNone;
    int profile = 0;  // the new profile; 0 when nothing was created
    std::string name;
    int refusedRows = 0;
  };
  static constexpr std::size_t kMaxNameLength = 64;
  ImportResult Import(const std::filesystem::path& path, const std::vector<std::string>& takenNames,
                      const std::string& defaultName);

 private:
  SharedState& state_;
  storage::SettingsDatabase& database_;
  const CurrentLayout& layout_;
};
