// The loadable extension gives a plain SQLite connection the dialect: what a tool or the
// SQLite ODBC driver loads.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "data/dialect/translator.h"

namespace {

std::string first_value(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    return std::string("prepare error: ") + sqlite3_errmsg(db);
  }
  std::string out;
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(stmt, 0);
    out = text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
  } else if (rc != SQLITE_DONE) {
    out = std::string("error: ") + sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  return out;
}

class TsqlExtensionTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  void TearDown() override { sqlite3_close(db_); }
  sqlite3* db_ = nullptr;
};

TEST_F(TsqlExtensionTest, LoadingGivesAPlainConnectionTheDialect) {
  EXPECT_EQ(first_value(db_, "SELECT tsql_add('a', 'b')"),
            "prepare error: no such function: tsql_add");

  ASSERT_EQ(sqlite3_enable_load_extension(db_, 1), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_load_extension(db_, DORSEL_TSQLEXT_PATH, nullptr, &error);
  ASSERT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
  sqlite3_free(error);

  EXPECT_EQ(first_value(db_, data::dialect::translate("SELECT 'THB_' + 'A12.jpg'", "SQLite")),
            "THB_A12.jpg");
  EXPECT_EQ(first_value(db_, data::dialect::translate("SELECT 'x' + 1", "SQLite")),
            "error: [245] Conversion failed when converting the varchar value 'x' to data type "
            "int.");
  EXPECT_EQ(first_value(db_, "PRAGMA automatic_index"), "0");

  char* message = nullptr;
  ASSERT_EQ(sqlite3_exec(db_,
                         "CREATE TABLE A (X VARCHAR(10) COLLATE TSQL_CI, K INT);"
                         "CREATE TABLE B (Y VARCHAR(10) COLLATE TSQL_CI, K INT);"
                         "INSERT INTO A VALUES ('T1', 1), ('T2', 1);"
                         "INSERT INTO B VALUES ('t1 ', 1);",
                         nullptr, nullptr, &message),
            SQLITE_OK)
      << (message != nullptr ? message : "");
  sqlite3_free(message);
  EXPECT_EQ(first_value(db_, "SELECT Y FROM A LEFT JOIN B ON A.K = B.K AND X = Y ORDER BY X"),
            "t1 ");
}

TEST_F(TsqlExtensionTest, AMissingModuleFailsCleanly) {
  ASSERT_EQ(sqlite3_enable_load_extension(db_, 1), SQLITE_OK);
  char* error = nullptr;
  EXPECT_NE(sqlite3_load_extension(db_, DORSEL_TSQLEXT_PATH ".missing", nullptr, &error),
            SQLITE_OK);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(std::string(error).find(".missing"), std::string::npos) << error;
  sqlite3_free(error);
  EXPECT_EQ(first_value(db_, "SELECT 'a' = 'A' COLLATE TSQL_CI"),
            "prepare error: no such collation sequence: TSQL_CI");
}

}  // namespace
