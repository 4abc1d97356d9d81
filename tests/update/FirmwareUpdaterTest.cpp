#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "platform/Process.h"
#include "support/TempFolder.h"
#include "update/FirmwareUpdater.h"

namespace {

namespace fs = std::filesystem;
using update::FirmwareOutcome;

class FirmwareUpdaterTest : public ::testing::Test {
 protected:
  void InstallUpdater(fs::perms permissions) {
    const fs::path updater = update::FirmwareUpdaterPath(folder_.Path());
    fs::create_directories(updater.parent_path());
    // The updater writes the folder it runs in, so the test sees both that and how often it ran.
    std::ofstream(updater) << "#!/bin/sh\npwd >> '" << marker_.string() << "'\n";
    fs::permissions(updater, permissions);
  }
  std::string Marker() const {
    std::ifstream in(marker_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder folder_;
  fs::path marker_ = folder_ / "marker";
};

TEST_F(FirmwareUpdaterTest, StartsTheUpdaterOnlyForOlderFirmware) {
  InstallUpdater(fs::perms::owner_all);
  const struct {
    const char* firmware;
    FirmwareOutcome outcome;
  } cases[] = {{"21", FirmwareOutcome::Started},
               {"1a", FirmwareOutcome::Started},
               {"22", FirmwareOutcome::UpToDate},
               {"23", FirmwareOutcome::UpToDate}};
  int runs = 0;
  for (const auto& [firmware, outcome] : cases) {
    const update::FirmwareLaunch launch = update::LaunchFirmwareUpdater(firmware, folder_.Path());
    EXPECT_EQ(launch.outcome, outcome) << firmware;
    if (launch.outcome != FirmwareOutcome::Started) {
      EXPECT_EQ(launch.processId, 0);
      continue;
    }
    ++runs;
    ASSERT_GT(launch.processId, 0);
    // The worker's wait: it polls until the updater has ended (and so reaps it).
    while (platform::IsProcessRunning(launch.processId)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  const std::string folderLine = (folder_.Path() / "firmwares").string() + "\n";
  std::string expected;
  for (int i = 0; i < runs; ++i) expected += folderLine;
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(Marker(), expected);
}

TEST_F(FirmwareUpdaterTest, AMissingOrBrokenUpdaterStartsNothing) {
  EXPECT_EQ(update::LaunchFirmwareUpdater("21", folder_.Path()).outcome,
            FirmwareOutcome::UpdaterMissing);
  InstallUpdater(fs::perms::owner_read | fs::perms::owner_write);
  const update::FirmwareLaunch launch = update::LaunchFirmwareUpdater("21", folder_.Path());
  EXPECT_EQ(launch.outcome, FirmwareOutcome::LaunchFailed);
  EXPECT_EQ(launch.processId, 0);
  EXPECT_FALSE(fs::exists(marker_));
}

}  // namespace
