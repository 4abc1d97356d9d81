#pragma once
// Thin owners of SQLite handles: a connection, a prepared statement and a scoped
// transaction. Each releases its handle when it goes away. Result codes are SQLite's own
// (0 = OK, 21 = MISUSE for a missing connection or statement, 100 = ROW, 101 = DONE).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace storage {

inline constexpr int kSqliteOk = 0;
inline constexpr int kSqliteMisuse = 21;
inline constexpr int kSqliteRow = 100;
inline constexpr int kSqliteDone = 101;

// Open flags: read-write in serialized threading mode (SQLITE_OPEN_READWRITE |
// SQLITE_OPEN_FULLMUTEX), with or without SQLITE_OPEN_CREATE.
inline constexpr int kOpenExistingFile = 0x10002;
inline constexpr int kOpenOrCreateFile = 0x10006;

class SQLiteStatement;

class SQLiteDB {
 public:
  using ExecCallback = int (*)(void* context, int columns, char** values, char** names);

  SQLiteDB() = default;
  SQLiteDB(const SQLiteDB&) = delete;
  SQLiteDB& operator=(const SQLiteDB&) = delete;
  virtual ~SQLiteDB();

  // Closes any held connection first; false when that fails, when the path is empty or when
  // SQLite cannot open the file. A new connection writes through a write-ahead log with
  // synchronous NORMAL, so neither a crash nor a power loss can corrupt the file.
  bool Open(const std::filesystem::path& path, int flags);
  // True when no connection is held afterwards. Statements still pending do not keep the
  // connection alive: SQLite frees it once the last of them is finalized.
  bool Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // The file the held connection was opened on (empty without a connection).
  const std::filesystem::path& Path() const { return path_; }

  int Exec(const char* sql, ExecCallback callback = nullptr, void* context = nullptr);
  // A negative length means the whole zero-terminated text. Finalizes whatever the statement
  // held before; on failure the statement holds nothing.
  int Prepare(SQLiteStatement& statement, const char* sql, int length = -1);
  // -1 without a connection.
  std::int64_t LastInsertRowId() const;
  // Whether a transaction is open on the connection.
  bool InTransaction() const;
  // SQLite's text for the last failure on the connection.
  const char* ErrorMessage() const;

  // Whoever must hear of a change that did not reach the file: called, on the thread of the
  // failing call, for every statement or commit that would have changed the file and failed.
  using WriteFailureHandler = std::function<void(const std::string& detail)>;
  void SetWriteFailureHandler(WriteFailureHandler handler);
  void ReportWriteFailure(const std::string& detail) const;

 private:
  void Release();

  sqlite3* handle_ = nullptr;
  std::filesystem::path path_;
  WriteFailureHandler writeFailed_;
};

class SQLiteStatement {
 public:
  SQLiteStatement() = default;
  SQLiteStatement(const SQLiteStatement&) = delete;
  SQLiteStatement& operator=(const SQLiteStatement&) = delete;
  virtual ~SQLiteStatement();

  int BindInt(int index, int value);
  // The text is bound without copying: it must stay alive until the statement is stepped
  // for the last time or finalized.
  int BindText(int index, std::string_view utf8);
  // Sets the done flag when the statement has run to completion.
  int Step();
  int ColumnInt(int index) const;
  // Null for a NULL column or without a statement.
  const char* ColumnText(int index) const;
  // The column as text; a NULL column (or a missing statement) reads as the empty text.
  std::string ColumnString(int index) const;
  void Finalize();

  bool HasStatement() const { return handle_ != nullptr; }
  // False from a successful prepare until the statement has run to completion.
  bool IsDone() const { return done_; }

 private:
  friend class SQLiteDB;

  sqlite3_stmt* handle_ = nullptr;
  bool done_ = true;
};

// BEGIN on construction. End() commits; a transaction still open when the object goes away
// (an early return, an exception) is rolled back, so a batch is stored whole or not at all.
class SQLiteAutoTransaction {
 public:
  explicit SQLiteAutoTransaction(SQLiteDB* database);
  SQLiteAutoTransaction(const SQLiteAutoTransaction&) = delete;
  SQLiteAutoTransaction& operator=(const SQLiteAutoTransaction&) = delete;
  virtual ~SQLiteAutoTransaction();

  // False when a transaction of this object is already active or no connection is held.
  bool Begin();
  // Commits. A commit that fails is rolled back so the connection never stays inside a
  // transaction; the result then is false.
  bool End();
  // Discards everything since Begin.
  bool Rollback();
  bool IsActive() const { return active_; }

 private:
  SQLiteDB* database_;
  bool active_ = false;
  bool nested_ = false;  // begun inside another transaction: a savepoint
};

}  // namespace storage
