// SQL Server's functions and collation for SQLite: tsql_add ('+' typed at run time), tsql_len,
// tsql_charindex, tsql_substring, tsql_replace, tsql_upper, tsql_lower, tsql_cast,
// tsql_convert, and the collation TSQL_CI (case-insensitive over the code-page-1252 letters,
// trailing blanks ignored, accents significant).
#pragma once

#include <string>

struct sqlite3;

namespace data::sqlite::tsql {

// Registers the functions and the collation on a connection, and applies the connection
// set-up that the dialect needs (the Bloom-filter switch and automatic_index off, which a
// trailing-blank-insensitive collation needs on SQLite 3.40). Returns SQLITE_OK or an error
// code, with a message in `error` when it fails.
int register_dialect(sqlite3* db, std::string* error);

// Error texts raised by the functions start with these SQL Server numbers in brackets, e.g.
// "[245] Conversion failed when converting the varchar value 'x' to data type int.", so the
// provider can report the SQL Server number: 245 conversion failed, 537 invalid substring
// length, 8115 arithmetic overflow, 8134 divide by zero.
// Returns the number in front of such a message, or 0.
int sqlserver_error_number(const std::string& message);

}  // namespace data::sqlite::tsql
