#pragma once
// Shared pieces of the storage tests: a private folder per test and a second connection
// that inspects a database file (or prepares faults in it) behind the application's back.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/SQLite.h"
#include "storage/SettingsDatabase.h"

namespace storage::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-storage-XXXXXX");
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A separate connection to a database file. It sees what the application committed.
class Peek {
 public:
  explicit Peek(const std::filesystem::path& file) { opened_ = db_.Open(file, kOpenExistingFile); }
  bool opened() const { return opened_; }

  bool Exec(const char* sql) { return db_.Exec(sql) == kSqliteOk; }
  int Int(const char* sql) {
    SQLiteStatement statement;
    db_.Prepare(statement, sql);
    return statement.Step() == kSqliteRow ? statement.ColumnInt(0) : -1;
  }
  // Column 0 of every row; a NULL reads as "<null>".
  std::vector<std::string> Texts(const char* sql) {
    std::vector<std::string> texts;
    SQLiteStatement statement;
    db_.Prepare(statement, sql);
    while (statement.Step() == kSqliteRow) {
      const char* text = statement.ColumnText(0);
      texts.push_back(text != nullptr ? text : "<null>");
    }
    return texts;
  }

 private:
  SQLiteDB db_;
  bool opened_ = false;
};

// A test with the database of model "K9" open in a fresh data folder.
class OpenDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    ASSERT_TRUE(db_.OpenForKeyboard(folder_.path(), "K9"));
  }
  std::filesystem::path File() const { return folder_.path() / "db" / "K9_data_2.db"; }
  Peek MakePeek() const { return Peek(File()); }

  TempFolder folder_;
  SettingsDatabase db_;
};

}  // namespace storage::testing
