// Which dialect a data source speaks, from the name its ODBC driver gives for the database
// product (SQLGetInfo SQL_DBMS_NAME), and how its scripts are cut into statements the driver
// runs one at a time. Pure functions; thread-safe.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"

namespace data::odbc {

enum class Dialect {
  kSqlServer,  // the component's T-SQL runs unchanged
  kSqlite,     // the T-SQL is translated first; the dialect's extension must be loaded
};

// SQL Server for a name containing "Microsoft SQL Server" (any case: the server names itself,
// with its edition on some versions), SQLite for "SQLite". Raises 3709 with source "ODBC" and
// a description naming the product for any other database.
Dialect pick_dialect(std::string_view dbms_name);

// The provider name for a dialect: the source of its errors, and what the program's schema
// command reads to pick the form of the DDL ("ODBC (Microsoft SQL Server)", "ODBC (SQLite)").
std::string_view provider_name(Dialect dialect);

// The offsets of the '?' parameter markers of a T-SQL text: those outside '...' literals,
// "..." and [...] names and comments.
std::vector<std::size_t> parameter_markers(std::string_view tsql);

// The text with NULL written in place of the markers (as parameter_markers found them) whose
// value is Null, Empty or missing, the other values appended to `rest` in order. SQL Server checks
// a Null parameter's type against its column (a varchar Null into a varbinary column is refused),
// and a direct batch cannot ask the driver for the column's type; the literal fits every column.
// `markers` and `params` have the same size.
std::string with_null_literals(std::string_view tsql, std::span<const std::size_t> markers,
                               std::span<const automation::Variant> params,
                               std::vector<automation::Variant>& rest);

// The batches of a SQL Server script: the text between lines that hold only GO (any case,
// blanks around it). Batches with nothing but blanks are left out.
std::vector<std::string> split_batches(std::string_view script);

// The statements of a SQLite script, each with its ';', as SQLite itself would run them one
// after another (a ';' inside a literal, a comment or a trigger body does not end one).
// Comments and blanks between statements are left out (the SQLite ODBC driver's own scan for
// a second statement trips over a quote in a comment); a last statement without ';' is kept.
std::vector<std::string> split_sqlite_statements(std::string_view script);

}  // namespace data::odbc
