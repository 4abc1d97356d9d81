// Helper of the crash test: writes to the settings database of model "Crash" in the given
// data folder without end, until it is killed. Each round's changes are shaped so that a
// half-stored transaction would show: 128 key rows per profile, one active profile, 0 or 33
// configuration rows per profile, one music layer per profile, one row per saved key.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "storage/SettingsDatabase.h"

namespace {

std::vector<storage::KeyAssignmentRecord> KeysOf(int profile) {
  std::vector<storage::KeyAssignmentRecord> keys;
  for (int code = 1; code <= 128; ++code) {
    keys.push_back({.profile = profile,
                    .fn_layer = profile % 4,
                    .key_code = code,
                    .layout_desc = "key",
                    .macro_type = 2,
                    .macro_value = code,
                    .macro_desc = "assigned"});
  }
  return keys;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  storage::SettingsDatabase db;
  if (!db.OpenForKeyboard(argv[1], "Crash")) return 1;
  if (write(STDOUT_FILENO, "R", 1) != 1) return 1;
  for (;;) {
    const int profile = db.AddProfile({.name = "Crash profile"});
    if (profile <= 0) return 1;
    if (!db.WriteDefaultConfig(profile)) return 1;
    if (!db.InsertKeyAssignments(KeysOf(profile))) return 1;
    if (!db.SetActiveProfile(profile)) return 1;
    if (db.SaveKeyAssignment({.profile = 0, .key_code = 1 + profile % 8, .macro_value = profile}) <=
        0)
      return 1;
  }
}
