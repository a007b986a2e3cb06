// An in-memory SQLite database with the T-SQL dialect registered, driven with raw sqlite3
// calls and the translator, for the dialect's tests. Header-only; one per test.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "automation/error.h"
#include "data/dialect/functions.h"
#include "data/dialect/translator.h"
#include "support/case_file.h"

namespace tsql_test {

// One value as text: NULL, whole numbers as digits, doubles with up to 15 digits, blobs as
// x'..'.
inline std::string render_value(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      return "NULL";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_column_double(stmt, column));
      return buffer;
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, column));
      std::string out = "x'";
      for (int i = 0; i < sqlite3_column_bytes(stmt, column); ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        out += hex;
      }
      return out + "'";
    }
    default:
      return reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  }
}

class Database {
 public:
  // Without the dialect: a plain connection, for the loadable extension.
  explicit Database(bool with_dialect = true) {
    EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    std::string error;
    if (with_dialect) {
      EXPECT_EQ(data::dialect::register_dialect(db_, &error), SQLITE_OK) << error;
    }
  }
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() { return db_; }

  // SQLite text as is (schema, fixtures).
  void exec_sqlite(const std::string& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message != nullptr ? message : "") << "\n" << sql;
    sqlite3_free(message);
  }

  // Translates one T-SQL statement and runs it with sqlite_rows.
  std::string rows(std::string_view tsql) {
    try {
      return sqlite_rows(data::dialect::translate(tsql, "SQLite"));
    } catch (const automation::Error& e) {
      return "translation error: " + e.description();
    }
  }

  // Runs one SQLite statement to the end: the rows, one line each ending in "\n", columns
  // separated by '|'. A failure is returned as "prepare error: " or "error: " and SQLite's
  // message.
  std::string sqlite_rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK) {
      return "prepare error: " + std::string(sqlite3_errmsg(db_));
    }
    std::string out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        if (i > 0) out += '|';
        out += render_value(stmt, i);
      }
      out += '\n';
    }
    if (rc != SQLITE_DONE) out = "error: " + std::string(sqlite3_errmsg(db_));
    sqlite3_finalize(stmt);
    return out;
  }

  // The single value of SELECT <expression>, without the line end.
  std::string value(std::string_view expression) {
    std::string out = rows("SELECT " + std::string(expression));
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace tsql_test
