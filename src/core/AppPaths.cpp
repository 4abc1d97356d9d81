#include "core/AppPaths.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path EnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return {};
  fs::path path(value);
  return path.is_absolute() ? path : fs::path();
}

fs::path TemporaryFolder() {
  std::error_code error;
  fs::path folder = fs::temp_directory_path(error);
  return error ? fs::path("/tmp") : folder;
}

fs::path HomeFolder() {
  fs::path home = EnvironmentPath("HOME");
  return home.empty() ? TemporaryFolder() : home;
}

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path() : executable.parent_path();
}

}  // namespace

AppPaths::AppPaths(fs::path appFolder, fs::path dataHome, fs::path configHome,
                   fs::path runtimeFolder, std::string productName)
    : appFolder_(std::move(appFolder)),
      dataHome_(std::move(dataHome)),
      configHome_(std::move(configHome)),
      runtimeFolder_(std::move(runtimeFolder)),
      productName_(std::move(productName)) {}

fs::path AppPaths::FindAppFolder() {
  if (fs::path overridden = EnvironmentPath("TARVO_APP_DIR"); !overridden.empty())
    return overridden;
  const fs::path beside = ExecutableFolder();
  std::error_code error;
  if (fs::exists(beside / "config.xml", error)) return beside;
  const fs::path installed = beside.parent_path() / "share" / "tarvo";
  if (fs::exists(installed / "config.xml", error)) return installed;
  return beside;
}

AppPaths AppPaths::FromEnvironment(const std::string& productName) {
  fs::path dataHome = EnvironmentPath("XDG_DATA_HOME");
  if (dataHome.empty()) dataHome = HomeFolder() / ".local" / "share";
  fs::path configHome = EnvironmentPath("XDG_CONFIG_HOME");
  if (configHome.empty()) configHome = HomeFolder() / ".config";
  fs::path runtime = EnvironmentPath("XDG_RUNTIME_DIR");
  // Without a runtime folder of the session, one of our own in the temporary folder, named
  // for the user: a fixed name there could be taken first by anyone.
  if (runtime.empty())
    runtime = TemporaryFolder() / (productName + "-" + std::to_string(::getuid()));
  return AppPaths(FindAppFolder(), dataHome, configHome, runtime, productName);
}

fs::path AppPaths::GetDataFolder() const {
  return dataHome_ / (productName_ + " Files");
}

fs::path AppPaths::GetConfigFolder() const {
  return configHome_ / productName_;
}

fs::path AppPaths::GetAutostartFolder() const {
  return configHome_ / "autostart";
}

bool AppPaths::CreateFolderPath(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  fs::path current;
  for (const fs::path& part : folder) {
    current /= part;
    if (fs::is_directory(current, error)) continue;
    // What the application keeps for the user is nobody else's to read.
    if (fs::create_directory(current, error)) {
      fs::permissions(current, fs::perms::owner_all, fs::perm_options::replace, error);
    }
  }
  return fs::is_directory(folder, error);
}
