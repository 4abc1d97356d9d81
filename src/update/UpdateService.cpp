#include "update/UpdateService.h"

#include <system_error>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/DetachedLaunch.h"
#include "update/Version.h"

namespace fs = std::filesystem;

namespace update {

namespace {

constexpr const char* kPackagePrefix = "Tarvo-";

bool IsCancelled(const platform::CancelCheck& cancel) {
  return cancel && cancel();
}

void RemoveFile(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
}

}  // namespace

const char* ToString(CheckOutcome outcome) {
  switch (outcome) {
    case CheckOutcome::NoService:
      return "no update service";
    case CheckOutcome::Unreachable:
      return "unreachable";
    case CheckOutcome::Ignored:
      return "answer ignored";
    case CheckOutcome::SameAsShipped:
      return "same as shipped";
    case CheckOutcome::NewerVersion:
      return "newer version";
    case CheckOutcome::UpToDate:
      return "up to date";
  }
  return "unknown";
}

const char* ToString(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::ExitNow:
      return "installer started";
    case InstallOutcome::NoVersion:
      return "no version";
    case InstallOutcome::DownloadFailed:
      return "download failed";
    case InstallOutcome::Cancelled:
      return "cancelled";
    case InstallOutcome::ArchiveFailed:
      return "archive failed";
    case InstallOutcome::NoInstaller:
      return "no installer";
    case InstallOutcome::LaunchFailed:
      return "installer did not start";
  }
  return "unknown";
}

UpdateService::UpdateService(UpdateSettings settings)
    : settings_(std::move(settings)), http_(settings_.http) {}

std::string UpdateService::PackageName(const std::string& version) {
  return kPackagePrefix + version + ".zip";
}

std::string UpdateService::InstallerName(const std::string& version) {
  return kPackagePrefix + version + ".run";
}

std::string UpdateService::VersionUrl() const {
  return settings_.upgradeAddress + "version";
}

std::string UpdateService::PackageUrl(const std::string& version) const {
  return settings_.upgradeAddress + "//" + PackageName(version);
}

std::string UpdateService::GetNewestVersion() const {
  std::lock_guard lock(mutex_);
  return newestVersion_;
}

void UpdateService::SetNewestVersion(std::string version) {
  std::lock_guard lock(mutex_);
  newestVersion_ = std::move(version);
}

CheckResult UpdateService::CheckUpdates(const platform::CancelCheck& cancel) {
  CheckResult result;
  if (settings_.upgradeAddress.empty()) return result;
  SetNewestVersion({});
  const platform::HttpResponse response = http_.Get(VersionUrl(), kMaxVersionAnswerBytes, cancel);
  // Only a 2xx answer is the server's version: the text of an error page is not.
  if (response.status != platform::HttpStatus::Ok) {
    result.outcome = CheckOutcome::Unreachable;
    return result;
  }
  const std::string text(base::Trim(response.body));
  if (text.empty() || text.size() > kMaxVersionLength || !IsVersionText(text)) {
    result.outcome = CheckOutcome::Ignored;
  } else if (text == kSilentVersion) {
    result.outcome = CheckOutcome::SameAsShipped;
  } else {
    SetNewestVersion(text);
    result.newestVersion = text;
    // Texts with a different number of parts are compared with the missing parts as 0, so
    // that an older version ("0.9") is never offered as an update.
    const int order = CompareVersions(settings_.applicationVersion, text);
    const bool newer =
        order == 1 || (order == 2 && IsNewerVersion(settings_.applicationVersion, text));
    result.outcome = newer ? CheckOutcome::NewerVersion : CheckOutcome::UpToDate;
  }
  base::DebugLog("update: check of %s: %s %s", VersionUrl().c_str(), ToString(result.outcome),
                 result.newestVersion.c_str());
  return result;
}

InstallResult UpdateService::DownloadSoftwareUpdate(const platform::ProgressCallback& progress,
                                                    const platform::CancelCheck& cancel) {
  InstallResult result;
  const std::string version = GetNewestVersion();
  if (settings_.upgradeAddress.empty() || !IsVersionText(version)) return result;
  std::error_code error;
  fs::create_directories(settings_.tempFolder, error);
  const fs::path package = settings_.tempFolder / PackageName(version);
  RemoveFile(package);
  // Only the installer unpacked now may ever start.
  RemoveFile(settings_.tempFolder / InstallerName(version));

  const platform::HttpStatus status = http_.DownloadToFile(
      PackageUrl(version), package, settings_.maxPackageBytes, progress, cancel);
  if (status == platform::HttpStatus::Cancelled) {
    result.outcome = InstallOutcome::Cancelled;
  } else if (status != platform::HttpStatus::Ok) {
    result.outcome = InstallOutcome::DownloadFailed;
  } else {
    result = Unpack(version, package, cancel);
  }
  base::DebugLog("update: package %s: %s", version.c_str(), ToString(result.outcome));
  return result;
}

InstallResult UpdateService::Unpack(const std::string& version, const fs::path& package,
                                    const platform::CancelCheck& cancel) const {
  InstallResult result;
  const platform::ArchiveResult unpacked =
      platform::ExtractArchive(package, settings_.tempFolder, settings_.archive);
  if (unpacked.status != platform::ArchiveStatus::Ok) {
    result.outcome = InstallOutcome::ArchiveFailed;
    return result;
  }
  RemoveFile(package);
  const fs::path installer = settings_.tempFolder / InstallerName(version);
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(installer, error))) {
    result.outcome = InstallOutcome::NoInstaller;
    return result;
  }
  // Archives made elsewhere often lose the execute permission.
  fs::permissions(installer, fs::perms::owner_exec, fs::perm_options::add, error);
  if (IsCancelled(cancel)) {
    result.outcome = InstallOutcome::Cancelled;
    return result;
  }
  const platform::LaunchResult launch =
      platform::LaunchDetached(installer, {}, settings_.tempFolder);
  if (!launch.started) {
    result.outcome = InstallOutcome::LaunchFailed;
    return result;
  }
  result.outcome = InstallOutcome::ExitNow;
  result.installerProcessId = launch.processId;
  return result;
}

}  // namespace update
