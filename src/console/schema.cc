#include "console/schema.h"

#include <algorithm>

#include "automation/text.h"
#include "data/connection.h"

namespace console {

namespace detail {
// Defined in the source file that the build generates from the files under schema/.
std::string_view embedded_schema(std::string_view name);
}  // namespace detail

namespace {

constexpr std::string_view kCollationMarker = "COLLATE_CI";
constexpr std::string_view kMaxLength = "(MAX)";

// Replaces the markers in the code of each line; comments keep their words, so the source can
// name its own markers.
std::string render(std::string_view source, std::string_view collation, std::string_view max) {
  std::string out;
  out.reserve(source.size() + source.size() / 4);
  while (!source.empty()) {
    const std::size_t end = source.find('\n');
    std::string_view line =
        source.substr(0, end == std::string_view::npos ? source.size() : end + 1);
    source.remove_prefix(line.size());
    const std::size_t comment = line.find("--");
    std::string_view code = line.substr(0, comment);
    const std::string_view rest = comment == std::string_view::npos ? "" : line.substr(comment);
    while (!code.empty()) {
      const std::size_t marker = code.find(kCollationMarker);
      const std::size_t length = code.find(kMaxLength);
      const std::size_t at = std::min(marker, length);
      if (at == std::string_view::npos) {
        out += code;
        break;
      }
      out += code.substr(0, at);
      out += at == marker ? collation : max;
      code.remove_prefix(at + (at == marker ? kCollationMarker.size() : kMaxLength.size()));
    }
    out += rest;
  }
  return out;
}

}  // namespace

std::string_view schema_source() { return detail::embedded_schema("erp_schema.sql"); }

std::string schema_script(Dialect dialect) {
  if (dialect == Dialect::kSqlite) {
    return "-- Rendered for SQLite from schema/erp_schema.sql; do not edit.\n" +
           render(schema_source(), "COLLATE TSQL_CI", "(-1)");
  }
  return "-- Rendered for SQL Server from schema/erp_schema.sql; do not edit.\n" +
         render(schema_source(), "COLLATE SQL_Latin1_General_CP1_CI_AS", kMaxLength);
}

Dialect dialect_for_provider(std::string_view provider_name) {
  const std::string name = automation::ascii_lower(provider_name);
  return name.find("sql server") != std::string::npos || name.find("sqlserver") != std::string::npos
             ? Dialect::kSqlServer
             : Dialect::kSqlite;
}

void create_schema(data::Connection& connection) {
  create_schema(connection, dialect_for_provider(connection.provider().name()));
}

void create_schema(data::Connection& connection, Dialect dialect) {
  connection.provider().execute_native_script(schema_script(dialect));
}

}  // namespace console
