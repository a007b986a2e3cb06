// Small helpers for the loader, lookup and check tests: expected query texts written line by
// line, one column of a recordset as text, a table dropped to make queries fail, and a log of
// the statements a connection ran.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "automation/convert.h"
#include "data/connection.h"
#include "data/recordset.h"

namespace test_support {

// The lines joined by CR LF, as the component writes its queries.
inline std::string crlf_lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  return text;
}

// The values of one column from the first row to the last, joined by ',' (Null as NULL,
// texts as stored, trailing blanks included). Leaves the recordset after its last row.
inline std::string column_text(data::Recordset& recordset, std::string_view column) {
  std::string text;
  if (recordset.Bof() && recordset.Eof()) return text;
  recordset.MoveFirst();
  for (bool first = true; !recordset.Eof(); recordset.MoveNext(), first = false) {
    if (!first) text += ",";
    automation::Variant value = recordset.Fields().Item(column).Value();
    text += value.is_null() ? std::string("NULL") : automation::to_text(value);
  }
  return text;
}

// The column names of a recordset in order, joined by ','.
inline std::string column_names(data::Recordset& recordset) {
  std::string text;
  for (int i = 0; i < recordset.Fields().Count(); ++i) {
    if (i != 0) text += ",";
    text += recordset.Fields().Item(i).Name();
  }
  return text;
}

// Drops a table behind the component's back, in the engine's own dialect, so that the next
// query naming it fails in the database.
inline void drop_table(data::Connection& connection, std::string_view table) {
  connection.provider().execute_native_script("DROP TABLE " + std::string(table));
}

// Records every statement text the connection runs while it lives.
class StatementLog {
 public:
  explicit StatementLog(data::Connection& connection) : connection_(connection) {
    connection_.set_statement_hook(
        [this](std::string_view text) { statements_.emplace_back(text); });
  }
  ~StatementLog() { connection_.set_statement_hook(nullptr); }
  StatementLog(const StatementLog&) = delete;
  StatementLog& operator=(const StatementLog&) = delete;

  const std::vector<std::string>& statements() const { return statements_; }
  std::string last() const { return statements_.empty() ? std::string() : statements_.back(); }

 private:
  data::Connection& connection_;
  std::vector<std::string> statements_;
};

}  // namespace test_support
