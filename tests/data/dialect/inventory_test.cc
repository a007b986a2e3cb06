// Every statement the component writes translates, prepares and runs on the embedded
// database: against the tables it names, declared here with only the columns it names, and
// against the ERP schema of schema/ when that file is there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/dialect/dialect_test_db.h"
#include "support/tsql_inventory.h"

namespace {

// Translates and prepares each statement, and runs those without '?' placeholders (the data
// layer binds those; unbound they would be NULL keys).
void run_inventory(tsql_test::Database& db) {
  const auto statements = tsql_inventory::statements();
  ASSERT_GE(statements.size(), 60u);
  for (const auto& statement : statements) {
    SCOPED_TRACE(statement.name);
    const std::string sql = data::dialect::translate(statement.text, "SQLite");
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db.handle()) << "\n"
        << sql;
    const bool has_parameters = sqlite3_bind_parameter_count(stmt) > 0;
    sqlite3_finalize(stmt);
    if (!has_parameters) {
      const std::string rows = db.rows(statement.text);
      EXPECT_EQ(rows.find("error"), std::string::npos) << rows;
    }
  }
}

TEST(TsqlInventoryTest, EveryStatementRunsOnTheTablesItNames) {
  tsql_test::Database db;
  db.exec_sqlite(test_support::case_file("data/dialect/cases/inventory_tables.sql"));
  run_inventory(db);
}

TEST(TsqlInventoryTest, EveryStatementRunsOnTheErpSchema) {
  const std::filesystem::path path =
      std::filesystem::path(DORSEL_SCHEMA_DIR) / "sqlite" / "erp_schema.sql";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not there yet";
  std::ifstream file(path);
  std::stringstream ddl;
  ddl << file.rdbuf();
  tsql_test::Database db;
  db.exec_sqlite(ddl.str());
  run_inventory(db);
}

// The texts differ only in their values, so the translations must differ only there too.
TEST(TsqlInventoryTest, TranslationsKeepTheLiteralsOfTheText) {
  for (const auto& statement : tsql_inventory::statements()) {
    SCOPED_TRACE(statement.name);
    const std::string sql = data::dialect::translate(statement.text, "SQLite");
    EXPECT_EQ(sql.find('\r'), std::string::npos);
    if (statement.text.find("'VITE M6X20'") != std::string::npos) {
      EXPECT_NE(sql.find("'VITE M6X20'"), std::string::npos) << sql;
    }
    if (statement.text.find("O''NEIL") != std::string::npos) {
      EXPECT_NE(sql.find("'VITE O''NEIL'"), std::string::npos) << sql;
    }
  }
}

}  // namespace
