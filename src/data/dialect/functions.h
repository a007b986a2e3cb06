// SQL Server's functions and collation for SQLite, on which the translator's output relies
// (translator.h):
//   tsql_add, tsql_sub, tsql_mul, tsql_div, tsql_mod  '+' '-' '*' '/' '%' typed at run time
//   tsql_len, tsql_charindex, tsql_substring, tsql_replace, tsql_upper, tsql_lower
//   tsql_convert(type, value, style, source type), tsql_cast(value, type)
//   the collation TSQL_CI: case-insensitive over the code-page-1252 letters, trailing blanks
//   ignored, accents significant.
// The same registration serves the provider's connections and the loadable extension
// (extension/tsqlext.cc). Thread-safety: as the connection it is registered on.
#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace data::dialect {

// Registers the functions and the collation on a connection and applies the connection set-up
// that the dialect needs: the Bloom filter off (SQLITE_TESTCTRL_OPTIMIZATIONS 0x00080000) and
// PRAGMA automatic_index=OFF, because SQLite 3.40's automatic indexes miss join partners that
// differ only by trailing blanks under a blank-insensitive collation. Call it right after
// opening, before the first statement that touches a table declaring COLLATE TSQL_CI.
// Returns SQLITE_OK, or an SQLite error code with a message in `*error` (when not null); a
// failure may leave part of the functions registered, and the connection should be closed.
int register_dialect(sqlite3* db, std::string* error);

// The functions report SQL Server's errors with its number in brackets in front of its text,
// as sqlite3_errmsg then gives it:
//   "[245] Conversion failed when converting the varchar value 'x' to data type int."
//   "[537] Invalid length parameter passed to the LEFT or SUBSTRING function."
//   "[8114] Error converting data type varchar to numeric."
//   "[8115] Arithmetic overflow error converting numeric to data type numeric."
//   "[8117] Operand data type varchar is invalid for subtract operator."
//   "[8134] Divide by zero error encountered."
//   "[402] The data types varchar and varbinary are incompatible in the add operator."
//   "[281] 5 is not a valid style number when converting from money to a character string."
// What SQL Server would do differently in a way the embedded database cannot reproduce (a
// float turned into text, a conversion to an unknown type) fails with a message without a
// number, ending in "is not supported by the embedded provider.".
// A provider reporting such an error should use sqlserver_error_number as the SQL Server
// (native) number and sqlserver_error_text as the description.

// The number in front of such a message, or 0 when there is none.
int sqlserver_error_number(std::string_view message);
// The message without its "[number] " prefix; the whole message when there is none.
std::string_view sqlserver_error_text(std::string_view message);

}  // namespace data::dialect
