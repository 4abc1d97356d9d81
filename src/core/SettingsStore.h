#pragma once
// The application-wide settings of the product: a small INI file in the user's configuration
// folder, <config home>/<product>/settings.ini. Every value is text; numbers are decimal. The
// file plays the part of a registry key: reading a value creates the file when it is
// missing, writing a value needs the file to exist (see each operation).

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class SettingsStore {
 public:
  // Language used when the settings file can neither be read nor created.
  static constexpr int kFallbackLcid = 2052;

  explicit SettingsStore(std::filesystem::path file);

  const std::filesystem::path& GetFile() const { return file_; }
  bool Exists() const;

  // The value read by the text-to-integer rule; creates the file when it is missing (then 0).
  int GetRegInt(const std::string& name);
  // The value's text ("" when missing); creates the file when it is missing.
  std::string GetRegString(const std::string& name);
  // Stores the value when the file exists; false (nothing stored) otherwise.
  bool SetRegString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

  // "LCID": the stored value; 0 after creating a missing file; kFallbackLcid when the file
  // can neither be read nor created.
  int ReadLcid();
  bool WriteLcid(int lcid);
  // "DeviceType": the stored model id; 0 when missing (the file is not created).
  int ReadDeviceType();
  // The model to show: the stored "DeviceType", or 101 when none below 100 is stored.
  int ReadSelectedModel();
  static constexpr int kDefaultModel = 101;
  bool WriteDeviceType(int modelId);

 private:
  using Values = std::vector<std::pair<std::string, std::string>>;
  enum class Access { Ok, Missing, Failed };

  Access Load(Values& values) const;
  bool Save(const Values& values) const;
  bool CreateIfMissing();
  static std::optional<std::string> Find(const Values& values, const std::string& name);

  std::filesystem::path file_;
  mutable std::recursive_mutex mutex_;
};
