#pragma once
// The application's own update, worker side: asking the update server for the newest version,
// fetching the installer package into the temp folder, unpacking it and starting the
// installer. No window is involved: results are return values and the download's progress a
// callback, which the controller turns into its window messages.
//
// Server layout, relative to the upgrade address U: U + "version" holds the newest version
// text; U + "//" + "Tarvo-<version>.zip" the package, which holds the installer
// "Tarvo-<version>.run".

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include "platform/Archive.h"
#include "platform/Http.h"

namespace update {

struct UpdateSettings {
  std::string upgradeAddress;        // the catalogue's upgrade address; empty: no update service
  std::string applicationVersion;    // the catalogue's version of this application
  std::filesystem::path tempFolder;  // <data folder>/temp
  platform::HttpOptions http;
  platform::ArchiveLimits archive;
  std::uint64_t maxPackageBytes = std::uint64_t{1} << 30;
};

enum class CheckOutcome {
  NoService,      // no upgrade address: nothing was asked
  Unreachable,    // no answer, an answer other than 2xx (a 404 page too), or over 4 KB
  Ignored,        // the answer is empty, longer than 10 characters or no version text
  SameAsShipped,  // the answer is "1.0.2.0": nothing to tell the user
  NewerVersion,   // a newer version is offered
  UpToDate,       // the server has nothing newer
};

const char* ToString(CheckOutcome outcome);

struct CheckResult {
  CheckOutcome outcome = CheckOutcome::NoService;
  std::string newestVersion;  // set for NewerVersion and UpToDate
};

enum class InstallOutcome {
  ExitNow,         // the installer runs: the application must end now (exit code 0)
  NoVersion,       // no newer version is known (no successful check, or no update service)
  DownloadFailed,  // no whole package arrived (network, refused, truncated, stalled, disk)
  Cancelled,       // the cancel check asked to stop; nothing was started
  ArchiveFailed,   // the package could not be unpacked safely (the package is kept)
  NoInstaller,     // the package holds no installer of that version
  LaunchFailed,    // the installer did not start
};

const char* ToString(InstallOutcome outcome);

struct InstallResult {
  InstallOutcome outcome = InstallOutcome::NoVersion;
  int installerProcessId = 0;  // set for ExitNow
};

class UpdateService {
 public:
  static constexpr std::size_t kMaxVersionAnswerBytes = 4096;
  static constexpr std::size_t kMaxVersionLength = 10;
  // An answer of exactly this text is not reported at all.
  static constexpr const char* kSilentVersion = "1.0.2.0";

  explicit UpdateService(UpdateSettings settings);

  // Asks the server for its newest version (task 30). Forgets the previous newest version
  // first; keeps the new one only when it is version text.
  CheckResult CheckUpdates(const platform::CancelCheck& cancel = {});

  // Downloads the package of the newest version found by the last check, unpacks it into the
  // temp folder and starts its installer (task 31). An installer left from an earlier run is
  // deleted first, so only the one just unpacked can start; the archive is deleted once
  // unpacked. Progress runs from 0 to 100 as the package arrives.
  InstallResult DownloadSoftwareUpdate(const platform::ProgressCallback& progress = {},
                                       const platform::CancelCheck& cancel = {});

  // The version of the last check's answer; empty before a check. Callable from any thread.
  std::string GetNewestVersion() const;

  const UpdateSettings& GetSettings() const { return settings_; }

  static std::string PackageName(const std::string& version);    // "Tarvo-<version>.zip"
  static std::string InstallerName(const std::string& version);  // "Tarvo-<version>.run"
  std::string VersionUrl() const;                                // U + "version"
  std::string PackageUrl(const std::string& version) const;      // U + "//" + package

 private:
  void SetNewestVersion(std::string version);
  InstallResult Unpack(const std::string& version, const std::filesystem::path& package,
                       const platform::CancelCheck& cancel) const;

  UpdateSettings settings_;
  platform::HttpClient http_;
  mutable std::mutex mutex_;
  std::string newestVersion_;
};

}  // namespace update
