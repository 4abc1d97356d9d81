#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "StorageTestSupport.h"
#include "storage/SettingsDatabase.h"

namespace storage {
namespace {

using ConcurrencyTest = testing::OpenDatabaseTest;

std::vector<KeyAssignmentRecord> FourLayers(int profile) {
  std::vector<KeyAssignmentRecord> records;
  for (int layer = 0; layer < 4; ++layer) {
    for (int code = 1; code <= 128; ++code) {
      records.push_back({.profile = profile,
                         .fn_layer = layer,
                         .key_code = code,
                         .macro_type = 2,
                         .macro_value = code});
    }
  }
  return records;
}

// The reader shares the writer's connection, so it would see a batch half-written if the
// lock were not held across the whole transaction.
TEST_F(ConcurrencyTest, ABatchIsNeverSeenHalfWritten) {
  constexpr int kBatches = 12;
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    for (int profile = 1; profile <= kBatches; ++profile)
      EXPECT_TRUE(db_.InsertKeyAssignments(FourLayers(profile)));
    writing = false;
  });
  std::vector<int> oddCounts;
  while (writing) {
    for (int profile = 1; profile <= kBatches; ++profile) {
      const int count = db_.CountKeyAssignments(profile);
      if (count != 0 && count != 512) oddCounts.push_back(count);
    }
  }
  writer.join();
  EXPECT_TRUE(oddCounts.empty()) << "first partial count: " << oddCounts.front();
  std::vector<KeyAssignmentRecord> all;
  EXPECT_EQ(db_.ListAllKeyAssignments(all), kBatches * 512);
}

TEST_F(ConcurrencyTest, TwoWritersLoseNothing) {
  constexpr int kWrites = 150;
  std::thread keys([&] {
    for (int code = 1; code <= kWrites; ++code) {
      EXPECT_GT(db_.SaveKeyAssignment({.profile = 1, .key_code = code, .macro_value = code}), 0);
    }
  });
  std::thread macros([&] {
    for (int i = 0; i < kWrites; ++i) {
      const int macro = db_.AddMacro("M" + std::to_string(i));
      EXPECT_TRUE(
          db_.InsertMacroSteps({{0, macro, 0, 0, i, 1, "down"}, {0, macro, 1, 1, i, 1, "up"}}));
      EXPECT_TRUE(db_.UpdateLightSetting(0, 1, {.profile = 1, .brightness = i}));
    }
  });
  keys.join();
  macros.join();
  EXPECT_EQ(db_.CountKeyAssignments(1), kWrites);
  std::vector<MacroRecord> list;
  EXPECT_EQ(db_.ListMacros(list), kWrites);
  EXPECT_EQ(db_.CountAllMacroSteps(), 2 * kWrites);
}

// Callers that look first and create what is missing hold the lock across both steps.
TEST_F(ConcurrencyTest, ScopedLockMakesCheckThenCreateAtomic) {
  auto createDefaultProfiles = [&] {
    auto lock = db_.Lock();
    std::vector<ProfileRecord> profiles;
    if (db_.ListProfiles(profiles) > 0) return;
    std::this_thread::yield();  // widen the window another thread would slip through
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(db_.WriteDefaultConfig(db_.AddProfile({.name = "P"})));
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back(createDefaultProfiles);
  for (auto& thread : threads) thread.join();
  std::vector<ProfileRecord> profiles;
  EXPECT_EQ(db_.ListProfiles(profiles), 3);
}

}  // namespace
}  // namespace storage
