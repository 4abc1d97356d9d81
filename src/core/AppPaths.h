#pragma once
// Where the application keeps things: the application folder (shipped data next to the
// executable), the per-user data folder ("<product> Files"), the per-user configuration
// folder (the settings file) and the runtime folder (lock file and socket).

#include <filesystem>
#include <string>

class AppPaths {
 public:
  AppPaths(std::filesystem::path appFolder, std::filesystem::path dataHome,
           std::filesystem::path configHome, std::filesystem::path runtimeFolder,
           std::string productName);

  // The folders the environment names: TARVO_APP_DIR (else the executable's folder when it
  // holds config.xml, else <prefix>/share/tarvo), XDG_DATA_HOME (else ~/.local/share),
  // XDG_CONFIG_HOME (else ~/.config), XDG_RUNTIME_DIR (else "<product>-<user id>" in the
  // temporary folder, which the caller makes private before use).
  static AppPaths FromEnvironment(const std::string& productName);
  // The application folder alone, found as above (config.xml is read before the product
  // name is known).
  static std::filesystem::path FindAppFolder();

  const std::string& GetProductName() const { return productName_; }
  std::filesystem::path GetAppFolder() const { return appFolder_; }
  // <data home>/<product> Files
  std::filesystem::path GetDataFolder() const;
  // <config home>/<product>
  std::filesystem::path GetConfigFolder() const;
  std::filesystem::path GetRuntimeFolder() const { return runtimeFolder_; }
  // <config home>/autostart
  std::filesystem::path GetAutostartFolder() const;

  // Creates a folder and every missing parent, each for the user alone (0700); true when it
  // exists afterwards.
  static bool CreateFolderPath(const std::filesystem::path& folder);

 private:
  std::filesystem::path appFolder_;
  std::filesystem::path dataHome_;
  std::filesystem::path configHome_;
  std::filesystem::path runtimeFolder_;
  std::string productName_;
};
