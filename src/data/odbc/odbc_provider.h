// The ODBC provider: databases reached through unixODBC, SQL Server above all (FreeTDS's
// driver), and SQLite through the SQLite ODBC driver, which lets the whole ODBC path be tested
// without a server.
//
// Connection strings: any string with a Driver or DSN key ("Driver={FreeTDS};Server=...;",
// "DSN=erp;UID=...;PWD=...;", "Driver=/path/libsqlite3odbc.so;Database=FILE;"), handed to the
// driver manager as written. After connecting, the provider asks the driver which product it
// reaches (SQL_DBMS_NAME) and picks the dialect (dialect.h): SQL Server gets the component's
// T-SQL unchanged; SQLite gets it translated, and needs the dialect's extension
// (libtsqlext.so) on the connection, which the driver loads through its LoadExt key. When the
// string has no LoadExt and the extension is not there, the provider reconnects with
// LoadExt=<extension_path()> added. Any other product: 3709.
//
// Statements run with every result read to its end before execute returns (SQL Server's
// drivers allow one active result per connection), long values in chunks. Errors: errors.h;
// the provider's name ("ODBC (Microsoft SQL Server)", "ODBC (SQLite)") is their source.
// Not thread-safe; one owner at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "data/provider.h"

namespace data::odbc {

// Registers the provider's factory with the data layer (idempotent).
void register_provider();

// Whether a connection string is for this provider: it has a non-empty Driver or DSN key (and
// does not name the SQLite provider).
bool accepts(std::string_view connection_string);

// Opens the provider directly (tests, tools). Raises 3709 when the string is not for it or the
// product is unsupported, the driver manager's or the driver's error (source "ODBC") when the
// connection fails; nothing stays open after a failure.
std::unique_ptr<Provider> open(std::string_view connection_string);

// Opens as `open` does, but picks the dialect from `dbms_name` instead of the name the driver
// gives: the seam through which tests run the SQL Server code path (text passed unchanged,
// direct batches) over the SQLite driver.
std::unique_ptr<Provider> open_as(std::string_view connection_string, std::string_view dbms_name);

// The dialect's SQLite extension that the provider adds as LoadExt: the environment variable
// DORSEL_TSQLEXT when set, else libtsqlext.so found beside the program or shared library that
// holds this code (in the same folder, its dorsel/ subfolder, or the installed library folder's
// dorsel/ seen from a program's binary folder), else "".
std::string extension_path();

}  // namespace data::odbc
