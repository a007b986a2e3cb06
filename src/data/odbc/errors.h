// The ODBC provider's errors: every diagnostic record of the failed call in the description
// (the driver's message, which names the driver and the server in brackets, then its SQLSTATE
// and native error), the provider's name as source, and a number the host can act on.
#pragma once

#include <sql.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/dialect.h"

namespace data::odbc {

// "ODBC": the source of errors raised before the data source's dialect is known.
inline constexpr std::string_view kSourceName = "ODBC";

struct Diagnostic {
  std::string state;  // SQLSTATE, five characters
  std::int32_t native = 0;
  std::string message;
};

// The diagnostic records of the last call on a handle, in the driver's order.
std::vector<Diagnostic> read_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// The number of the error a record stands for (raise_diagnostics passes the first record that
// is not informational, class 01):
//  - a message whose text (after the driver's bracketed prefixes) starts with "[n] " carries a
//    SQL Server number from the dialect's SQLite functions: n;
//  - SQL Server: the native error (SQL Server's own number) when non-zero;
//  - SQLite: its native codes are engine codes, not numbers a host knows, so a broken
//    constraint gives -2147217873, a statement rejected while preparing -2147217900;
//  - no dialect yet (connecting): by SQLSTATE alone;
//  - otherwise by SQLSTATE class: 23 -2147217873, 42 and 37 -2147217900, else -2147467259.
std::int32_t error_number(const Diagnostic& first, std::optional<Dialect> dialect, bool preparing);

// "message (SQLSTATE s, native error n)" for each record, one per line.
std::string error_description(const std::vector<Diagnostic>& records);

// Raises the diagnostics of a failed call (rc as the call returned it) with `source`.
[[noreturn]] void raise_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc,
                                    std::optional<Dialect> dialect, bool preparing,
                                    std::string_view source);

}  // namespace data::odbc
