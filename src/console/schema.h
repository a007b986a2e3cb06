// The ERP schema: the tables and columns that the item-master business object reads and
// writes, plus the reference host's own tables. One neutral source (schema/erp_schema.sql,
// embedded in the library at build time) is rendered for each engine: the engine's
// case-insensitive collation on every character column and its spelling of unbounded lengths.
// Stateless; safe to call from any thread.
#pragma once

#include <string>
#include <string_view>

namespace data {
class Connection;
}

namespace console {

enum class Dialect { kSqlite, kSqlServer };

// The neutral source as embedded in the library (markers COLLATE_CI and (MAX) unrendered).
std::string_view schema_source();

// The DDL script for an engine: a header line, then the source with COLLATE_CI rendered as
// "COLLATE TSQL_CI" (SQLite, the embedded provider's collation) or
// "COLLATE SQL_Latin1_General_CP1_CI_AS" (SQL Server), and (MAX) as (-1) on SQLite, the
// length SQL Server's catalog reports for max. The shipped files schema/sqlite/erp_schema.sql
// and schema/sqlserver/erp_schema.sql hold these texts.
std::string schema_script(Dialect dialect);

// The dialect of a provider by its name: SQL Server when the name mentions it, else SQLite.
Dialect dialect_for_provider(std::string_view provider_name);

// Creates every table on an open connection with its provider's native script runner, in the
// dialect that the provider's name implies (or the one given). Raises 3709 when the
// connection is closed, or the provider's error (for example when a table exists already).
// SQLite runs the script statement by statement without a transaction, so a failure leaves
// the tables created before it in place.
void create_schema(data::Connection& connection);
void create_schema(data::Connection& connection, Dialect dialect);

}  // namespace console
