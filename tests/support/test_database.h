// A fresh in-memory database for a test: the SQLite provider registered, a connection opened
// on ":memory:" with the client cursor location (Execute gives static recordsets whose
// RecordCount is known), the ERP schema created, and the demo rows when asked.
// Each call gives a new, independent database; not thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "data/connection.h"

namespace test_support {

// Raises the data layer's or the provider's error when the database cannot be built.
// `connection_string` names another provider on a fresh database (the fault-injecting one).
data::ConnectionPtr make_test_connection(
    bool with_demo, std::string_view connection_string = "Provider=SQLite;Data Source=:memory:");

// The rows of a query, one line each ending in "\n", columns separated by '|', Null as NULL
// and other values as their text. Raises the provider's error for a failing query.
std::string rows_text(data::Connection& connection, std::string_view sql);

// Runs the queries of a file and expects the rows each gives, as rows_text writes them. A
// block is an SQL text of one or more lines, a line "----", then the rows, one a line, up to
// a blank line or the end; a block whose rows are empty expects none. Lines starting with
// '#' outside a block are comments. Returns how many blocks were checked.
int expect_query_file(data::Connection& connection, const std::string& path);

}  // namespace test_support
