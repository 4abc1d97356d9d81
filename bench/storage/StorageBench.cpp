// Costs of the settings database operations that run in bursts: seeding a profile's key
// rows, saving one key, dragging a light slider, listing one Fn layer. The file lives in
// TARVO_BENCH_DIR when set, else in the temporary folder (use a real disk, not tmpfs, to
// see the cost of the commits).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/SettingsDatabase.h"

namespace {

class BenchFolder {
 public:
  BenchFolder() {
    const char* base = std::getenv("TARVO_BENCH_DIR");
    std::string pattern =
        (base != nullptr ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
        "tarvo-bench-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// One profile's worth of key rows: four Fn layers of 128 keys.
std::vector<storage::KeyAssignmentRecord> FourLayers(int profile) {
  std::vector<storage::KeyAssignmentRecord> records;
  for (int layer = 0; layer < 4; ++layer) {
    for (int code = 1; code <= 128; ++code) {
      records.push_back({.profile = profile,
                         .fn_layer = layer,
                         .key_code = code,
                         .layout_value = code,
                         .layout_desc = "Key name",
                         .macro_type = 2,
                         .macro_value = layer == 0 ? code : 0,
                         .macro_desc = layer == 0 ? "Key name" : ""});
    }
  }
  return records;
}

bool Open(benchmark::State& state, const BenchFolder& folder, storage::SettingsDatabase& db) {
  if (folder.path().empty() || !db.OpenForKeyboard(folder.path(), "Bench")) {
    state.SkipWithError("cannot create the database");
    return false;
  }
  return true;
}

void BM_InsertKeyAssignments(benchmark::State& state) {
  BenchFolder folder;
  storage::SettingsDatabase db;
  if (!Open(state, folder, db)) return;
  int profile = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto records = FourLayers(++profile);
    state.ResumeTiming();
    if (!db.InsertKeyAssignments(records)) state.SkipWithError("insert failed");
  }
  state.SetItemsProcessed(state.iterations() * 512);
}
BENCHMARK(BM_InsertKeyAssignments)->Unit(benchmark::kMillisecond);

void BM_SaveKeyAssignment(benchmark::State& state) {
  BenchFolder folder;
  storage::SettingsDatabase db;
  if (!Open(state, folder, db)) return;
  if (!db.InsertKeyAssignments(FourLayers(1))) state.SkipWithError("insert failed");
  storage::KeyAssignmentRecord record = FourLayers(1)[0];
  int n = 0;
  for (auto _ : state) {
    record.key_code = 1 + n % 128;
    record.macro_value = ++n;
    benchmark::DoNotOptimize(db.SaveKeyAssignment(record));
  }
}
BENCHMARK(BM_SaveKeyAssignment)->Unit(benchmark::kMicrosecond);

// A brightness slider being dragged: one update per position, each committed on its own.
void BM_UpdateLightSettingDrag(benchmark::State& state) {
  BenchFolder folder;
  storage::SettingsDatabase db;
  if (!Open(state, folder, db)) return;
  for (int profile = 1; profile <= 3; ++profile) {
    for (int mode = 1; mode <= 20; ++mode) {
      const storage::LightSettingRecord row{
          .profile = profile, .name = "Mode", .type = 0, .mode = mode, .brightness = 4, .speed = 3};
      if (db.AddLightSetting(row) == 0) state.SkipWithError("insert failed");
    }
  }
  storage::LightSettingRecord record{.profile = 2, .speed = 3, .color_value = 0xFF};
  int position = 0;
  for (auto _ : state) {
    record.brightness = position++ % 101;
    benchmark::DoNotOptimize(db.UpdateLightSetting(0, 7, record));
  }
}
BENCHMARK(BM_UpdateLightSettingDrag)->Unit(benchmark::kMicrosecond);

// Ten profiles with four full layers each; one layer of one profile is listed.
void BM_ListKeyAssignmentsOfLayer(benchmark::State& state) {
  BenchFolder folder;
  storage::SettingsDatabase db;
  if (!Open(state, folder, db)) return;
  for (int profile = 1; profile <= 10; ++profile) {
    if (!db.InsertKeyAssignments(FourLayers(profile))) state.SkipWithError("insert failed");
  }
  std::vector<storage::KeyAssignmentRecord> list;
  for (auto _ : state) benchmark::DoNotOptimize(db.ListKeyAssignmentsOfLayer(5, 2, list));
  if (list.size() != 128) state.SkipWithError("unexpected row count");
  state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(BM_ListKeyAssignmentsOfLayer)->Unit(benchmark::kMicrosecond);

}  // namespace
