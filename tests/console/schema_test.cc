#include "console/schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "automation/error.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/test_database.h"

namespace {

// A file of the schema folder, beside tests/.
std::string read_file(const std::string& name) {
  return test_support::case_file("../schema" + name);
}

// The engine's own view of the created tables, read with the C API.
struct Column {
  std::string declared_type;
  std::string collation;
};

// One column of a statement's rows.
std::vector<std::string> strings_of(sqlite3* db, const std::string& sql, int column) {
  std::vector<std::string> values;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
  }
  sqlite3_finalize(statement);
  return values;
}

Column column_of(sqlite3* db, const std::string& table, const std::string& column) {
  const char* type = nullptr;
  const char* collation = nullptr;
  int not_null = 0, primary_key = 0, autoincrement = 0;
  EXPECT_EQ(SQLITE_OK,
            sqlite3_table_column_metadata(db, "main", table.c_str(), column.c_str(), &type,
                                          &collation, &not_null, &primary_key, &autoincrement))
      << table << "." << column;
  return {type ? type : "", collation ? collation : ""};
}

// Every column of every table, as (table, column).
std::vector<std::pair<std::string, std::string>> all_columns(sqlite3* db) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& table :
       strings_of(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", 0)) {
    for (std::string& name : strings_of(db, "PRAGMA table_info(" + table + ")", 1)) {
      out.emplace_back(table, std::move(name));
    }
  }
  return out;
}

bool is_text_type(const std::string& type) { return type.find("CHAR") != std::string::npos; }

class SchemaTest : public ::testing::Test {
 protected:
  data::ConnectionPtr connection = test_support::make_test_connection(false);
  sqlite3* db = data::sqlite::native_handle(connection->provider());
};

TEST(SchemaFilesTest, ShippedRenderingsEqualTheRenderersOutput) {
  // DORSEL_UPDATE_SCHEMA=1 re-renders the shipped files after the source changed.
  const bool update = std::getenv("DORSEL_UPDATE_SCHEMA") != nullptr;
  const std::pair<std::string, console::Dialect> files[] = {
      {"/sqlite/erp_schema.sql", console::Dialect::kSqlite},
      {"/sqlserver/erp_schema.sql", console::Dialect::kSqlServer},
  };
  for (const auto& [file, dialect] : files) {
    SCOPED_TRACE(file);
    const std::string path = std::string(DORSEL_SCHEMA_DIR) + file;
    if (update) std::ofstream(path, std::ios::binary) << console::schema_script(dialect);
    EXPECT_EQ(console::schema_script(dialect), read_file(file))
        << "re-render with DORSEL_UPDATE_SCHEMA=1 console_tests";
  }
}

TEST(SchemaFilesTest, EmbeddedSourceIsTheSchemaFile) {
  // A stale build would create last week's tables.
  EXPECT_EQ(read_file("/erp_schema.sql"), console::schema_source());
}

TEST(SchemaFilesTest, DialectFollowsTheProviderName) {
  const std::pair<const char*, console::Dialect> cases[] = {
      {"SQLite", console::Dialect::kSqlite},
      {"ODBC", console::Dialect::kSqlite},
      {"Microsoft SQL Server", console::Dialect::kSqlServer},
      {"ODBC (sqlserver)", console::Dialect::kSqlServer},
  };
  for (const auto& [name, dialect] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dialect, console::dialect_for_provider(name));
  }
}

TEST_F(SchemaTest, EveryCharacterColumnCarriesTheCaseInsensitiveCollation) {
  // One marker in the source for every character column, and no other.
  int markers = 0;
  std::istringstream lines{std::string(console::schema_source())};
  for (std::string line; std::getline(lines, line);) {
    markers += line.substr(0, line.find("--")).find("COLLATE_CI") != std::string::npos;
  }
  int text_columns = 0;
  for (const auto& [table, name] : all_columns(db)) {
    const Column column = column_of(db, table, name);
    if (!is_text_type(column.declared_type)) continue;
    ++text_columns;
    EXPECT_EQ("TSQL_CI", column.collation) << table << "." << name;
  }
  EXPECT_EQ(markers, text_columns);
}

TEST_F(SchemaTest, SqlServerRenderingDeclaresTheSameColumns) {
  // Column name -> declared type and whether it carries a collation, from the SQL Server text.
  std::map<std::string, std::pair<std::string, bool>> server;
  std::istringstream lines(console::schema_script(console::Dialect::kSqlServer));
  for (std::string line; std::getline(lines, line);) {
    const std::string code = line.substr(0, line.find("--"));
    std::istringstream words(code);
    std::string name, type;
    if (code.empty() || code[0] != ' ' || !(words >> name >> type) || name == "CONSTRAINT" ||
        name == "PRIMARY" ||
        name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos) {
      continue;
    }
    if (type.ends_with(',')) type.pop_back();
    server[name] = {type, code.find("COLLATE SQL_Latin1_General_CP1_CI_AS") != std::string::npos};
  }
  std::size_t columns = 0;
  for (const auto& [table, name] : all_columns(db)) {
    SCOPED_TRACE(table + "." + name);
    ++columns;
    std::string type = column_of(db, table, name).declared_type;
    if (const std::size_t at = type.find("(-1)"); at != std::string::npos) {
      type.replace(at, 4, "(MAX)");
    }
    ASSERT_EQ(1u, server.count(name));
    EXPECT_EQ(type, server[name].first);
    EXPECT_EQ(is_text_type(type), server[name].second);
  }
  EXPECT_EQ(columns, server.size());
}

TEST_F(SchemaTest, KeysIgnoreCaseAndTrailingBlanks) {
  connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, 'VITE-A')");
  for (const char* same : {"vite-a", "VITE-A  ", "Vite-A "}) {
    SCOPED_TRACE(same);
    const std::vector<automation::Variant> values = {automation::Variant(same)};
    EXPECT_THROW(
        (connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, ?)",
                         values)),
        automation::Error);
  }
  // Accents are part of the key.
  connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, 'VITE-À')");
  EXPECT_EQ("2\n", test_support::rows_text(*connection, "SELECT COUNT(*) FROM MG66_ANAGRART"));
}

TEST_F(SchemaTest, CreatingTheSchemaTwiceReportsTheExistingTable) {
  const automation::Error e = test_support::error_of([&] { console::create_schema(*connection); });
  EXPECT_EQ("SQLite", e.source());
  EXPECT_NE(std::string::npos, e.description().find("CG18_ANADITTABASE already exists"))
      << e.description();
}

}  // namespace
