#include "support/test_database.h"

#include <gtest/gtest.h>

#include <fstream>

#include "automation/convert.h"
#include "console/demo.h"
#include "console/schema.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/faulty_provider.h"

namespace test_support {

data::ConnectionPtr make_test_connection(bool with_demo, std::string_view connection_string) {
  data::sqlite::register_provider();
  register_faulty_provider();
  data::ConnectionPtr connection = data::Connection::create();
  connection->SetCursorLocation(data::kUseClient);
  connection->Open(connection_string);
  console::create_schema(*connection);
  if (with_demo) console::create_demo(*connection);
  return connection;
}

std::string rows_text(data::Connection& connection, std::string_view sql) {
  std::string out;
  for (const data::Row& row : connection.run(sql).rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i != 0) out += '|';
      out += row[i].is_null() ? "NULL" : automation::to_text(row[i]);
    }
    out += '\n';
  }
  return out;
}

int expect_query_file(data::Connection& connection, const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  int blocks = 0;
  std::string line, sql, rows;
  bool in_rows = false;
  const auto check = [&] {
    if (sql.empty()) return;
    SCOPED_TRACE(path + ": " + sql);
    EXPECT_TRUE(in_rows) << "no ---- line";
    EXPECT_EQ(rows_text(connection, sql), rows);
    ++blocks;
    sql.clear();
    rows.clear();
    in_rows = false;
  };
  while (std::getline(in, line)) {
    if (line.empty()) {
      check();
    } else if (in_rows) {
      rows += line + '\n';
    } else if (line == "----") {
      in_rows = true;
    } else if (!line.starts_with('#') || !sql.empty()) {
      sql += (sql.empty() ? "" : " ") + line;
    }
  }
  check();
  return blocks;
}

}  // namespace test_support
