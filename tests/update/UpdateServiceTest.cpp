#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "support/TempFolder.h"
#include "update/ScriptedHttpServer.h"
#include "update/TestZip.h"
#include "update/UpdateService.h"
#include "update/Version.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using update::CheckOutcome;
using update::InstallOutcome;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A shell script that appends `word` to the marker file each time it runs.
std::string MarkerScript(const fs::path& marker, const std::string& word) {
  return "#!/bin/sh\necho " + word + " >> '" + marker.string() + "'\n";
}

void WaitForChild(int processId) {
  int status = 0;
  ASSERT_EQ(waitpid(processId, &status, 0), processId);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Versions, CompareByPartsAsNumbers) {
  const struct {
    const char* first;
    const char* second;
    int expected;
  } cases[] = {
      {"1.0.2.0", "1.0.3.0", 1},     {"1.0.2.0", "1.0.2.0", 0},   {"1.0.2.0", "1.0.1.9", -1},
      {"1.0.2.0", "1.1", 2},         {"1.10.0.0", "1.9.0.0", -1}, {"1.9", "1.10", 1},
      {"1.0.2.0", "2.0.0.0.0.1", 2}, {"1.0", "1.0a", 0},
  };
  for (const auto& [first, second, expected] : cases) {
    EXPECT_EQ(update::CompareVersions(first, second), expected) << first << " / " << second;
  }
  EXPECT_TRUE(update::IsNewerVersion("1.0.2.0", "1.1"));
  EXPECT_FALSE(update::IsNewerVersion("1.0.2.0", "0.9"));
  EXPECT_FALSE(update::IsNewerVersion("1.0.2.0", "1.0.2"));
  for (const char* text : {"1.0.3.0", "2", "10.20.30"})
    EXPECT_TRUE(update::IsVersionText(text)) << text;
  for (const char* text : {"", "1..2", ".1", "1.", "1.0.3.0.0.0", "1.0/../x", "1.0 ", "1.0a"}) {
    EXPECT_FALSE(update::IsVersionText(text)) << text;
  }
}

class UpdateServiceTest : public ::testing::Test {
 protected:
  update::UpdateSettings Settings() {
    update::UpdateSettings settings;
    settings.upgradeAddress = server_.Url("/update/");
    settings.applicationVersion = "1.0.2.0";
    settings.tempFolder = temp_;
    settings.http.stallTimeout = 400ms;
    return settings;
  }

  void ServePackage(const std::vector<testzip::Entry>& entries) {
    const fs::path zip = folder_ / "built.zip";
    testzip::Write(zip, entries);
    ServePackageBytes(ReadFile(zip));
  }
  void ServePackageBytes(std::string bytes, std::optional<std::size_t> sendOnly = {},
                         bool stall = false) {
    ScriptedResponse response = ScriptedResponse::Text(std::move(bytes));
    response.sendOnly = sendOnly;
    response.stall = stall;
    server_.Script(kPackagePath, response);
  }
  testzip::Entry Installer(const std::string& word = "started") const {
    return testzip::File("Tarvo-1.0.3.0.run", MarkerScript(marker_, word));
  }

  // A check that finds 1.0.3.0, so that a download may follow.
  void FindNewerVersion(update::UpdateService& service) {
    server_.Script("/update/version", ScriptedResponse::Text("1.0.3.0"));
    ASSERT_EQ(service.CheckUpdates().outcome, CheckOutcome::NewerVersion);
  }

  static constexpr const char* kPackagePath = "/update///Tarvo-1.0.3.0.zip";
  ScriptedHttpServer server_;
  TempFolder folder_;
  fs::path temp_ = folder_ / "Tarvo Files" / "temp";
  fs::path marker_ = folder_ / "marker";
};

TEST_F(UpdateServiceTest, CheckReadsTheServersVersionText) {
  const struct {
    std::string body;
    int status;
    CheckOutcome outcome;
    const char* newest;
  } cases[] = {
      {"1.0.3.0", 200, CheckOutcome::NewerVersion, "1.0.3.0"},
      {"1.0.3.0\r\n", 200, CheckOutcome::NewerVersion, "1.0.3.0"},
      {"1.0.2.0", 200, CheckOutcome::SameAsShipped, ""},
      {"1.0.1.9", 200, CheckOutcome::UpToDate, "1.0.1.9"},
      {"1.1", 200, CheckOutcome::NewerVersion, "1.1"},
      {"0.9", 200, CheckOutcome::UpToDate, "0.9"},
      {"2.0.0.0.0.1", 200, CheckOutcome::Ignored, ""},
      {"", 200, CheckOutcome::Ignored, ""},
      {"../../x", 200, CheckOutcome::Ignored, ""},
      {"Not Found", 404, CheckOutcome::Unreachable, ""},
      {"1.0.3.0", 500, CheckOutcome::Unreachable, ""},
      {std::string(5000, '1'), 200, CheckOutcome::Unreachable, ""},
  };
  update::UpdateService service(Settings());
  for (const auto& [body, status, outcome, newest] : cases) {
    server_.Script("/update/version", ScriptedResponse::Text(body, status));
    const update::CheckResult result = service.CheckUpdates();
    EXPECT_EQ(result.outcome, outcome) << body;
    EXPECT_EQ(result.newestVersion, newest) << body;
    EXPECT_EQ(service.GetNewestVersion(), newest) << body;
  }
  EXPECT_EQ(server_.CountRequests("/update/version"), std::size(cases));
}

TEST_F(UpdateServiceTest, WithoutAnUpgradeAddressNothingIsAsked) {
  update::UpdateSettings settings = Settings();
  settings.upgradeAddress.clear();
  update::UpdateService service(settings);
  EXPECT_EQ(service.CheckUpdates().outcome, CheckOutcome::NoService);
  EXPECT_EQ(service.DownloadSoftwareUpdate().outcome, InstallOutcome::NoVersion);
  update::UpdateService unchecked(Settings());
  EXPECT_EQ(unchecked.DownloadSoftwareUpdate().outcome, InstallOutcome::NoVersion);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(UpdateServiceTest, AGoodPackageStartsItsInstallerOnceAndAsksToExit) {
  ServePackage({Installer(), testzip::File("notes.txt", "what is new")});
  update::UpdateService service(Settings());
  FindNewerVersion(service);
  std::vector<int> progress;
  const update::InstallResult result =
      service.DownloadSoftwareUpdate([&](int percent) { progress.push_back(percent); });
  ASSERT_EQ(result.outcome, InstallOutcome::ExitNow);
  WaitForChild(result.installerProcessId);
  EXPECT_EQ(ReadFile(marker_), "started\n");
  EXPECT_EQ(server_.CountRequests(kPackagePath), 1u);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  EXPECT_FALSE(fs::exists(temp_ / "Tarvo-1.0.3.0.zip"));  // unpacked, so removed
  EXPECT_TRUE(fs::exists(temp_ / "notes.txt"));
}

TEST_F(UpdateServiceTest, AFailedPackageStartsNothingNotEvenAnEarlierInstaller) {
  testzip::Entry damaged = Installer();
  damaged.stored = true;
  testzip::Entry link = Installer();
  link.mode = S_IFLNK | 0777;
  const fs::path damagedZip = folder_ / "damaged.zip";
  testzip::Write(damagedZip, {damaged});
  testzip::DamageStoredData(damagedZip, damaged.data);
  const fs::path goodZip = folder_ / "good.zip";
  testzip::Write(goodZip, {Installer()});
  const std::string good = ReadFile(goodZip);

  const struct {
    const char* name;
    std::function<void()> serve;
    InstallOutcome outcome;
  } cases[] = {
      {"truncated", [&] { ServePackageBytes(good, good.size() / 2); },
       InstallOutcome::DownloadFailed},
      {"stalled", [&] { ServePackageBytes(good, good.size() / 2, true); },
       InstallOutcome::DownloadFailed},
      {"missing", [&] { server_.Script(kPackagePath, ScriptedResponse::Text("Not Found", 404)); },
       InstallOutcome::DownloadFailed},
      {"zip slip",
       [&] {
         ServePackage({Installer(), testzip::File("../escaped.run", "x")});
       },
       InstallOutcome::ArchiveFailed},
      {"link", [&] { ServePackage({link}); }, InstallOutcome::ArchiveFailed},
      {"crc", [&] { ServePackageBytes(ReadFile(damagedZip)); }, InstallOutcome::ArchiveFailed},
      {"no installer", [&] { ServePackage({testzip::File("Tarvo-1.0.2.9.run", "x")}); },
       InstallOutcome::NoInstaller},
  };
  update::UpdateService service(Settings());
  FindNewerVersion(service);
  for (const auto& [name, serve, outcome] : cases) {
    serve();
    // An installer of this version left by an earlier run must not be taken for the new one.
    fs::create_directories(temp_);
    std::ofstream(temp_ / "Tarvo-1.0.3.0.run") << MarkerScript(marker_, "earlier");
    fs::permissions(temp_ / "Tarvo-1.0.3.0.run", fs::perms::owner_all);
    const update::InstallResult result = service.DownloadSoftwareUpdate();
    EXPECT_EQ(result.outcome, outcome) << name;
    EXPECT_EQ(result.installerProcessId, 0) << name;
    EXPECT_FALSE(fs::exists(temp_ / "Tarvo-1.0.3.0.run")) << name;
  }
  EXPECT_FALSE(fs::exists(marker_));
  EXPECT_FALSE(fs::exists(folder_ / "Tarvo Files" / "escaped.run"));
}

TEST_F(UpdateServiceTest, CancelDuringTheDownloadStartsNothing) {
  update::UpdateSettings settings = Settings();
  settings.http.stallTimeout = 30s;  // only the cancel request ends this download early
  const fs::path zip = folder_ / "good.zip";
  testzip::Write(zip, {Installer(), testzip::File("filler.bin", std::string(200'000, 'f'))});
  const std::string bytes = ReadFile(zip);
  ServePackageBytes(bytes, bytes.size() / 2, true);
  update::UpdateService service(settings);
  FindNewerVersion(service);
  std::atomic<bool> cancel{false};
  const update::InstallResult result = service.DownloadSoftwareUpdate(
      [&](int percent) {
        if (percent >= 10) cancel.store(true);
      },
      [&] { return cancel.load(); });
  EXPECT_EQ(result.outcome, InstallOutcome::Cancelled);
  EXPECT_FALSE(fs::exists(marker_));
  EXPECT_FALSE(fs::exists(temp_ / "Tarvo-1.0.3.0.run"));
}

}  // namespace
