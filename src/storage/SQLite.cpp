#include "storage/SQLite.h"

#include <sqlite3.h>

#include <cstring>

namespace storage {
namespace {

// Another process (a second instance, a command-line tool) may hold the file's write lock
// for a moment; wait for it rather than failing the write at once.
constexpr int kBusyTimeoutMs = 2000;

int RememberJournalMode(void* context, int columns, char** values, char**) {
  if (columns > 0 && values[0] != nullptr) *static_cast<std::string*>(context) = values[0];
  return 0;
}

// The write-ahead log keeps every committed transaction whole after a crash or a power loss,
// and with it synchronous NORMAL is safe. Where the log cannot be used (a file system without
// shared memory), the rollback journal needs FULL to be equally safe.
void ConfigureDurability(SQLiteDB& database) {
  std::string mode;
  database.Exec("PRAGMA journal_mode = WAL;", RememberJournalMode, &mode);
  database.Exec(mode == "wal" ? "PRAGMA synchronous = NORMAL;" : "PRAGMA synchronous = FULL;");
}

}  // namespace

SQLiteDB::~SQLiteDB() {
  Release();
}

// No sqlite3_interrupt before closing: nothing runs on the connection then, and a pending
// interrupt makes SQLite skip the checkpoint that folds the log back into the file.
void SQLiteDB::Release() {
  if (handle_ == nullptr) return;
  sqlite3_close_v2(handle_);
  handle_ = nullptr;
  path_.clear();
}

bool SQLiteDB::Open(const std::filesystem::path& path, int flags) {
  if (!Close()) return false;
  if (path.empty()) return false;
  sqlite3* handle = nullptr;
  if (sqlite3_open_v2(path.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(handle);
    return false;
  }
  handle_ = handle;
  path_ = path;
  sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
  ConfigureDurability(*this);
  return true;
}

bool SQLiteDB::Close() {
  if (handle_ == nullptr) return true;
  if (sqlite3_close_v2(handle_) != SQLITE_OK) return false;
  handle_ = nullptr;
  path_.clear();
  return true;
}

int SQLiteDB::Exec(const char* sql, ExecCallback callback, void* context) {
  if (handle_ == nullptr || sql == nullptr) return SQLITE_MISUSE;
  return sqlite3_exec(handle_, sql, callback, context, nullptr);
}

int SQLiteDB::Prepare(SQLiteStatement& statement, const char* sql, int length) {
  statement.Finalize();
  if (handle_ == nullptr || sql == nullptr) return SQLITE_MISUSE;
  if (length < 0) length = static_cast<int>(std::strlen(sql)) + 1;
  const int result = sqlite3_prepare_v2(handle_, sql, length, &statement.handle_, nullptr);
  if (statement.handle_ != nullptr) statement.done_ = false;
  return result;
}

void SQLiteDB::SetWriteFailureHandler(WriteFailureHandler handler) {
  writeFailed_ = std::move(handler);
}

void SQLiteDB::ReportWriteFailure(const std::string& detail) const {
  if (writeFailed_) writeFailed_(detail);
}

const char* SQLiteDB::ErrorMessage() const {
  return handle_ == nullptr ? "no connection" : sqlite3_errmsg(handle_);
}

std::int64_t SQLiteDB::LastInsertRowId() const {
  if (handle_ == nullptr) return -1;
  return sqlite3_last_insert_rowid(handle_);
}

bool SQLiteDB::InTransaction() const {
  return handle_ != nullptr && sqlite3_get_autocommit(handle_) == 0;
}

SQLiteStatement::~SQLiteStatement() {
  Finalize();
}

int SQLiteStatement::BindInt(int index, int value) {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  return sqlite3_bind_int(handle_, index, value);
}

int SQLiteStatement::BindText(int index, std::string_view utf8) {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  // A null pointer would bind NULL; an empty text stays an empty text.
  const char* bytes = utf8.data() != nullptr ? utf8.data() : "";
  return sqlite3_bind_text(handle_, index, bytes, static_cast<int>(utf8.size()), SQLITE_STATIC);
}

int SQLiteStatement::Step() {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  const int result = sqlite3_step(handle_);
  if (result == SQLITE_DONE) done_ = true;
  return result;
}

int SQLiteStatement::ColumnInt(int index) const {
  if (handle_ == nullptr) return 0;
  return sqlite3_column_int(handle_, index);
}

const char* SQLiteStatement::ColumnText(int index) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<const char*>(sqlite3_column_text(handle_, index));
}

std::string SQLiteStatement::ColumnString(int index) const {
  const char* text = ColumnText(index);
  if (text == nullptr) return {};
  // Taken after the text so that the byte count refers to its UTF-8 form.
  const int bytes = sqlite3_column_bytes(handle_, index);
  return std::string(text, static_cast<std::size_t>(bytes > 0 ? bytes : 0));
}

void SQLiteStatement::Finalize() {
  if (handle_ != nullptr) sqlite3_finalize(handle_);
  handle_ = nullptr;
  done_ = true;
}

SQLiteAutoTransaction::SQLiteAutoTransaction(SQLiteDB* database) : database_(database) {
  Begin();
}

SQLiteAutoTransaction::~SQLiteAutoTransaction() {
  if (active_) Rollback();
}

// A transaction begun inside another one is a savepoint of it: its end releases the savepoint
// and its rollback undoes only its own part, while the outer transaction decides about the
// whole.
bool SQLiteAutoTransaction::Begin() {
  if (database_ == nullptr || active_) return false;
  active_ = true;
  if (!database_->IsOpen()) return false;
  nested_ = database_->InTransaction();
  return database_->Exec(nested_ ? "SAVEPOINT nested" : "BEGIN") == SQLITE_OK;
}

bool SQLiteAutoTransaction::End() {
  if (database_ == nullptr) return false;
  active_ = false;
  if (!database_->IsOpen()) return false;
  if (database_->Exec(nested_ ? "RELEASE nested" : "END") == SQLITE_OK) return true;
  database_->ReportWriteFailure(std::string("commit failed: ") + database_->ErrorMessage());
  if (nested_) {
    database_->Exec("ROLLBACK TO nested");
    database_->Exec("RELEASE nested");
  } else if (database_->InTransaction()) {
    database_->Exec("ROLLBACK");
  }
  return false;
}

bool SQLiteAutoTransaction::Rollback() {
  if (database_ == nullptr) return false;
  active_ = false;
  if (!database_->IsOpen() || !database_->InTransaction()) return false;
  if (nested_) {
    return database_->Exec("ROLLBACK TO nested") == SQLITE_OK &&
           database_->Exec("RELEASE nested") == SQLITE_OK;
  }
  return database_->Exec("ROLLBACK") == SQLITE_OK;
}

}  // namespace storage
