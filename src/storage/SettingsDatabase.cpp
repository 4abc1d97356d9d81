#include "storage/SettingsDatabase.h"

#include <ctime>
#include <system_error>
#include <utility>

#include "base/Log.h"
#include "storage/RecordIo.h"
#include "storage/Schema.h"
#include "storage/Sql.h"

namespace storage {
namespace {

bool IsUsableFileName(std::string_view name) {
  return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool FileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

SettingsDatabase::~SettingsDatabase() {
  std::lock_guard lock(mutex_);
  connection_.Close();
  opened_ = false;
}

SettingsDatabase::LockGuard SettingsDatabase::Lock() {
  return LockGuard(mutex_);
}

std::filesystem::path SettingsDatabase::DatabaseFileOf(const std::filesystem::path& dataFolder,
                                                       std::string_view keyboardName) {
  if (keyboardName.empty() || !IsUsableFileName(keyboardName)) return {};
  std::string fileName(keyboardName);
  fileName += "_data_2.db";
  return dataFolder / "db" / fileName;
}

bool SettingsDatabase::OpenForKeyboard(const std::filesystem::path& dataFolder,
                                       std::string_view keyboardName) {
  std::lock_guard lock(mutex_);
  opened_ = OpenLocked(dataFolder, keyboardName);
  return opened_;
}

bool SettingsDatabase::OpenLocked(const std::filesystem::path& dataFolder,
                                  std::string_view keyboardName) {
  path_ = DatabaseFileOf(dataFolder, keyboardName);
  const bool exists = !path_.empty() && FileExists(path_);
  if (connection_.IsOpen()) {
    if (exists && connection_.Path() == path_) return true;
    // Never keep writing another model's file under this model's name.
    if (!connection_.Close()) return false;
  }
  if (path_.empty()) return false;
  if (exists) {
    if (OpenAndCompleteLocked(kOpenExistingFile)) return true;
    // A file that is no settings database (garbage, cut short) would leave the model without
    // profiles: it is kept aside for the user, and the model starts afresh.
    if (!SetAsideLocked()) return false;
  }
  std::error_code ignored;
  std::filesystem::create_directories(path_.parent_path(), ignored);
  return OpenAndCompleteLocked(kOpenOrCreateFile);
}

bool SettingsDatabase::CreateSchema() {
  std::lock_guard lock(mutex_);
  if (connection_.IsOpen()) return true;
  return OpenAndCompleteLocked(kOpenOrCreateFile);
}

// Opens the file and runs every schema statement, also on an existing file, so that a file
// written by an older version or left half-created gains what it lacks. A file that cannot
// be completed (not a database, a conflicting table) is closed again.
bool SettingsDatabase::OpenAndCompleteLocked(int flags) {
  if (!connection_.Open(path_, flags)) {
    base::ErrorLog("database: cannot open %s", path_.c_str());
    return false;
  }
  if (RunSchemaLocked()) return true;
  base::ErrorLog("database: %s is not a settings database: %s", path_.c_str(),
                 connection_.ErrorMessage());
  connection_.Close();
  return false;
}

bool SettingsDatabase::SetAsideLocked() {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::filesystem::path aside = path_.string() + ".unreadable-" + stamp;
  std::error_code error;
  std::filesystem::rename(path_, aside, error);
  if (error) {
    base::ErrorLog("database: cannot set %s aside: %s", path_.c_str(), error.message().c_str());
    return false;
  }
  // The journal of the old file belongs to it, not to the fresh one.
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::filesystem::path companion = path_.string() + suffix;
    if (std::filesystem::exists(companion, error)) {
      std::filesystem::rename(companion, aside.string() + suffix, error);
    }
  }
  base::ErrorLog("database: %s was set aside as %s", path_.c_str(), aside.c_str());
  setAside_ = aside;
  return true;
}

std::filesystem::path SettingsDatabase::TakeSetAsideFile() {
  std::lock_guard lock(mutex_);
  return std::exchange(setAside_, {});
}

void SettingsDatabase::SetWriteFailureHandler(SQLiteDB::WriteFailureHandler handler) {
  std::lock_guard lock(mutex_);
  connection_.SetWriteFailureHandler(std::move(handler));
}

bool SettingsDatabase::RunSchemaLocked() {
  int combined = kSqliteOk;
  for (const char* statement : SchemaStatements()) combined |= connection_.Exec(statement);
  return combined == kSqliteOk;
}

bool SettingsDatabase::SwitchKeyboardModel(const std::filesystem::path& dataFolder,
                                           std::string_view keyboardName, int modelId) {
  std::lock_guard lock(mutex_);
  if (opened_) {
    connection_.Close();
    opened_ = false;
  }
  opened_ = OpenLocked(dataFolder, keyboardName);
  keyboardModel_ = modelId;
  return opened_;
}

bool SettingsDatabase::Close() {
  std::lock_guard lock(mutex_);
  opened_ = false;
  return connection_.Close();
}

bool SettingsDatabase::IsOpen() const {
  std::lock_guard lock(mutex_);
  return connection_.IsOpen();
}

bool SettingsDatabase::IsOpened() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

std::filesystem::path SettingsDatabase::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

int SettingsDatabase::CurrentKeyboardModel() const {
  std::lock_guard lock(mutex_);
  return keyboardModel_;
}

bool SettingsDatabase::ClearAllData() {
  std::lock_guard lock(mutex_);
  SQLiteAutoTransaction transaction(&connection_);
  SQLiteStatement statement;
  for (const char* sql : sql::kClearTables) {
    if (!detail::IsOkStep(detail::PrepareBindStep(connection_, statement, sql))) return false;
  }
  statement.Finalize();
  return transaction.End();
}

}  // namespace storage
