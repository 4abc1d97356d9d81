#pragma once
// The application-wide settings of the product: a small INI file in the user's configuration
// folder, <config home>/<product>/settings.ini. Every value is text; numbers are decimal. The
// file plays the part of a registry key: reading a value creates the file when it is
// missing, writing a value needs the file to exist (see each operation).
//
// The values live in the "[settings]" section (and before any section, in a file written by
// hand). The file is read once and kept; a change rewrites it whole and atomically, with its
// comments and other sections where they were. A file that is not a regular file or is larger
// than 1 MB is refused: nothing is read from it and nothing written over it. Every operation
// may be called from any thread.

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class SettingsStore {
 public:
  // Language used when the settings file can neither be read nor created.
  static constexpr int kFallbackLcid = 2052;
  // Largest settings file that is read.
  static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

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
  // The file as lines (without line ends), and how its lines end.
  struct Document {
    std::vector<std::string> lines;
    bool crlf = false;
  };
  enum class Access { Ok, Missing, Failed };

  // Reads the file unless it was read before; Ok when `document_` holds it.
  Access Load();
  // Writes `changed` and keeps it as the file's content; false (nothing kept) when it fails.
  bool Save(Document changed);
  bool CreateIfMissing();
  std::optional<std::string> Find(const std::string& name) const;

  std::filesystem::path file_;
  mutable std::recursive_mutex mutex_;
  std::optional<Document> document_;
  bool refused_ = false;  // the file could not be read or is no settings file: left alone
};
