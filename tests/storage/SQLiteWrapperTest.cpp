#include <gtest/gtest.h>

#include <string>

#include "StorageTestSupport.h"
#include "storage/SQLite.h"

namespace storage {
namespace {

using testing::TempFolder;

class SQLiteWrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Open(folder_.path() / "plain.db", kOpenOrCreateFile));
    ASSERT_EQ(db_.Exec("CREATE TABLE t(id INTEGER PRIMARY KEY, txt TEXT)"), kSqliteOk);
  }
  int Count() {
    SQLiteStatement statement;
    db_.Prepare(statement, "SELECT count(*) FROM t");
    return statement.Step() == kSqliteRow ? statement.ColumnInt(0) : -1;
  }

  TempFolder folder_;
  SQLiteDB db_;
};

TEST(SQLiteWithoutConnection, EveryCallReportsMisuseOrNothing) {
  SQLiteDB db;
  SQLiteStatement statement;
  EXPECT_FALSE(db.IsOpen());
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.Open({}, kOpenOrCreateFile));
  EXPECT_EQ(db.Exec("SELECT 1"), kSqliteMisuse);
  EXPECT_EQ(db.Prepare(statement, "SELECT 1"), kSqliteMisuse);
  EXPECT_FALSE(statement.HasStatement());
  EXPECT_EQ(db.LastInsertRowId(), -1);
  EXPECT_EQ(statement.BindInt(1, 5), kSqliteMisuse);
  EXPECT_EQ(statement.BindText(1, "x"), kSqliteMisuse);
  EXPECT_EQ(statement.Step(), kSqliteMisuse);
  EXPECT_EQ(statement.ColumnInt(0), 0);
  EXPECT_EQ(statement.ColumnText(0), nullptr);
  EXPECT_EQ(statement.ColumnString(0), "");
  EXPECT_TRUE(statement.IsDone());
}

TEST(SQLiteWithoutConnection, TransactionKeepsItsFlagsButReportsFailure) {
  SQLiteDB closed;
  SQLiteAutoTransaction transaction(&closed);
  EXPECT_TRUE(transaction.IsActive());
  EXPECT_FALSE(transaction.Begin());
  EXPECT_FALSE(transaction.End());
  EXPECT_FALSE(transaction.IsActive());

  SQLiteAutoTransaction none(nullptr);
  EXPECT_FALSE(none.IsActive());
  EXPECT_FALSE(none.Begin());
  EXPECT_FALSE(none.End());
}

TEST_F(SQLiteWrapperTest, StatementRunsToCompletionAndReadsNullAsEmpty) {
  SQLiteStatement statement;
  ASSERT_EQ(db_.Prepare(statement, "INSERT INTO t(id, txt) VALUES (?, ?)"), kSqliteOk);
  EXPECT_FALSE(statement.IsDone());
  EXPECT_EQ(statement.BindInt(1, 7), kSqliteOk);
  EXPECT_EQ(statement.Step(), kSqliteDone);  // txt never bound: NULL
  EXPECT_TRUE(statement.IsDone());
  EXPECT_EQ(db_.LastInsertRowId(), 7);

  ASSERT_EQ(db_.Prepare(statement, "SELECT txt FROM t WHERE id = 7"), kSqliteOk);
  ASSERT_EQ(statement.Step(), kSqliteRow);
  EXPECT_EQ(statement.ColumnText(0), nullptr);
  EXPECT_EQ(statement.ColumnString(0), "");
}

TEST_F(SQLiteWrapperTest, TextsKeepEveryByte) {
  const std::string texts[] = {"", "plain",
                               "Kl\xC3\xA4"
                               "vi \xE4\xB8\xAD\xF0\x9F\x98\x80",
                               std::string("nul\0inside", 10)};
  int id = 0;
  for (const std::string& text : texts) {
    SQLiteStatement statement;
    db_.Prepare(statement, "INSERT INTO t(id, txt) VALUES (?, ?)");
    statement.BindInt(1, ++id);
    statement.BindText(2, text);
    ASSERT_EQ(statement.Step(), kSqliteDone);
    db_.Prepare(statement, "SELECT txt, txt IS NULL FROM t WHERE id = ?");
    statement.BindInt(1, id);
    ASSERT_EQ(statement.Step(), kSqliteRow);
    EXPECT_EQ(statement.ColumnString(0), text);
    EXPECT_EQ(statement.ColumnInt(1), 0) << "an empty text must not be stored as NULL";
  }
}

TEST_F(SQLiteWrapperTest, NegativeLengthPreparesTheWholeText) {
  SQLiteStatement statement;
  ASSERT_EQ(db_.Prepare(statement, "SELECT 40 + 2", -1), kSqliteOk);
  ASSERT_EQ(statement.Step(), kSqliteRow);
  EXPECT_EQ(statement.ColumnInt(0), 42);
  EXPECT_NE(db_.Prepare(statement, "SELECT FROM nowhere"), kSqliteOk);
  EXPECT_FALSE(statement.HasStatement());
}

TEST_F(SQLiteWrapperTest, NewConnectionUsesTheWriteAheadLogWithSynchronousNormal) {
  SQLiteStatement statement;
  db_.Prepare(statement, "PRAGMA journal_mode");
  ASSERT_EQ(statement.Step(), kSqliteRow);
  EXPECT_EQ(statement.ColumnString(0), "wal");
  db_.Prepare(statement, "PRAGMA synchronous");
  ASSERT_EQ(statement.Step(), kSqliteRow);
  EXPECT_EQ(statement.ColumnInt(0), 1);  // NORMAL; OFF would be 0
}

TEST_F(SQLiteWrapperTest, CloseSucceedsWithAStatementPending) {
  db_.Exec("INSERT INTO t(txt) VALUES ('a'), ('b')");
  SQLiteStatement pending;
  db_.Prepare(pending, "SELECT txt FROM t");
  ASSERT_EQ(pending.Step(), kSqliteRow);
  EXPECT_TRUE(db_.Close());
  EXPECT_FALSE(db_.IsOpen());
  EXPECT_TRUE(db_.Path().empty());
  pending.Finalize();  // frees the connection for good; must not touch freed memory
  EXPECT_FALSE(pending.HasStatement());
}

TEST_F(SQLiteWrapperTest, TransactionCommitsOnEndAndRollsBackOtherwise) {
  {
    SQLiteAutoTransaction transaction(&db_);
    EXPECT_FALSE(transaction.Begin()) << "already active";
    db_.Exec("INSERT INTO t(txt) VALUES ('kept')");
    EXPECT_TRUE(transaction.End());
  }
  EXPECT_EQ(Count(), 1);
  {
    SQLiteAutoTransaction transaction(&db_);
    db_.Exec("INSERT INTO t(txt) VALUES ('dropped')");
  }  // left without End, as an early return or an exception would
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(db_.InTransaction());
  {
    SQLiteAutoTransaction transaction(&db_);
    db_.Exec("INSERT INTO t(txt) VALUES ('undone')");
    EXPECT_TRUE(transaction.Rollback());
    EXPECT_FALSE(transaction.IsActive());
  }
  EXPECT_EQ(Count(), 1);
}

TEST_F(SQLiteWrapperTest, FailedCommitLeavesNoTransactionOpen) {
  // A deferred foreign key violation makes COMMIT itself fail.
  db_.Exec("PRAGMA foreign_keys = ON");
  db_.Exec("CREATE TABLE child(p INTEGER REFERENCES t(id) DEFERRABLE INITIALLY DEFERRED)");
  SQLiteAutoTransaction transaction(&db_);
  db_.Exec("INSERT INTO child(p) VALUES (999)");
  EXPECT_FALSE(transaction.End());
  EXPECT_FALSE(db_.InTransaction());
  SQLiteStatement statement;
  db_.Prepare(statement, "SELECT count(*) FROM child");
  ASSERT_EQ(statement.Step(), kSqliteRow);
  EXPECT_EQ(statement.ColumnInt(0), 0);
}

TEST_F(SQLiteWrapperTest, OpeningAgainClosesTheFirstFile) {
  const auto second = folder_.path() / "second.db";
  ASSERT_TRUE(db_.Open(second, kOpenOrCreateFile));
  EXPECT_EQ(db_.Path(), second);
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "plain.db-wal"))
      << "the first connection should be closed (its log removed)";
  EXPECT_FALSE(db_.Open(folder_.path() / "missing.db", kOpenExistingFile));
  EXPECT_FALSE(db_.IsOpen());
}

}  // namespace
}  // namespace storage
