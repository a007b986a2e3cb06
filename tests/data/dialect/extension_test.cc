// The loadable extension gives a plain SQLite connection the dialect: what a tool or the
// SQLite ODBC driver loads.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "data/dialect/dialect_test_db.h"

namespace {

TEST(TsqlExtensionTest, LoadingGivesAPlainConnectionTheDialect) {
  tsql_test::Database db(false);
  EXPECT_EQ(db.sqlite_rows("SELECT tsql_add('a', 'b')"),
            "prepare error: no such function: tsql_add");

  ASSERT_EQ(sqlite3_enable_load_extension(db.handle(), 1), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_load_extension(db.handle(), DORSEL_TSQLEXT_PATH, nullptr, &error);
  ASSERT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
  sqlite3_free(error);

  EXPECT_EQ(db.rows("SELECT 'THB_' + 'A12.jpg'"), "THB_A12.jpg\n");
  EXPECT_EQ(db.rows("SELECT 'x' + 1"),
            "error: [245] Conversion failed when converting the varchar value 'x' to data type "
            "int.");
  EXPECT_EQ(db.sqlite_rows("PRAGMA automatic_index"), "0\n");
  db.exec_sqlite(
      "CREATE TABLE A (X VARCHAR(10) COLLATE TSQL_CI, K INT);"
      "CREATE TABLE B (Y VARCHAR(10) COLLATE TSQL_CI, K INT);"
      "INSERT INTO A VALUES ('T1', 1), ('T2', 1);"
      "INSERT INTO B VALUES ('t1 ', 1);");
  EXPECT_EQ(db.sqlite_rows("SELECT Y FROM A LEFT JOIN B ON A.K = B.K AND X = Y ORDER BY X"),
            "t1 \nNULL\n");
}

TEST(TsqlExtensionTest, AMissingModuleFailsCleanly) {
  tsql_test::Database db(false);
  ASSERT_EQ(sqlite3_enable_load_extension(db.handle(), 1), SQLITE_OK);
  char* error = nullptr;
  EXPECT_NE(sqlite3_load_extension(db.handle(), DORSEL_TSQLEXT_PATH ".missing", nullptr, &error),
            SQLITE_OK);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(std::string(error).find(".missing"), std::string::npos) << error;
  sqlite3_free(error);
  EXPECT_EQ(db.sqlite_rows("SELECT 'a' = 'A' COLLATE TSQL_CI"),
            "prepare error: no such collation sequence: TSQL_CI");
}

}  // namespace
