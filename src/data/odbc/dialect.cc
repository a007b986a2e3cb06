#include "data/odbc/dialect.h"

#include <sqlite3.h>

#include "automation/text.h"
#include "data/ado.h"
#include "data/errors.h"

namespace data::odbc {

namespace {

bool contains_ci(std::string_view text, std::string_view word) {
  return automation::ascii_lower(text).find(automation::ascii_lower(word)) != std::string::npos;
}

// The text from its first token on: the comments between statements stay out of them.
std::string_view from_code(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (text.substr(i, 2) == "--") {
      std::size_t end = text.find('\n', i);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else if (text.substr(i, 2) == "/*") {
      std::size_t end = text.find("*/", i + 2);
      i = end == std::string_view::npos ? text.size() : end + 2;
    } else {
      break;
    }
  }
  return text.substr(i);
}

}  // namespace

Dialect pick_dialect(std::string_view dbms_name) {
  if (contains_ci(dbms_name, "Microsoft SQL Server")) return Dialect::kSqlServer;
  if (automation::iequals(automation::trim(dbms_name, automation::kWhiteSpace), "SQLite")) {
    return Dialect::kSqlite;
  }
  raise(errc::kInvalidConnection, "ODBC",
        "Unsupported DBMS '" + std::string(dbms_name) +
            "': the ODBC provider speaks to Microsoft SQL Server, and to SQLite for tests.");
}

std::string_view provider_name(Dialect dialect) {
  return dialect == Dialect::kSqlServer ? "ODBC (Microsoft SQL Server)" : "ODBC (SQLite)";
}

std::vector<std::size_t> parameter_markers(std::string_view tsql) {
  std::vector<std::size_t> markers;
  std::size_t i = 0;
  auto skip_to = [&](char close) {
    // A doubled closing character stands for itself inside the quotes.
    for (++i; i < tsql.size(); ++i) {
      if (tsql[i] != close) continue;
      if (i + 1 < tsql.size() && tsql[i + 1] == close) {
        ++i;
        continue;
      }
      break;
    }
    ++i;
  };
  while (i < tsql.size()) {
    char c = tsql[i];
    if (c == '\'' || c == '"') {
      skip_to(c);
    } else if (c == '[') {
      skip_to(']');
    } else if (tsql.substr(i, 2) == "--") {
      std::size_t end = tsql.find('\n', i);
      i = end == std::string_view::npos ? tsql.size() : end + 1;
    } else if (tsql.substr(i, 2) == "/*") {
      std::size_t end = tsql.find("*/", i + 2);
      i = end == std::string_view::npos ? tsql.size() : end + 2;
    } else {
      if (c == '?') markers.push_back(i);
      ++i;
    }
  }
  return markers;
}

std::string with_null_literals(std::string_view tsql, std::span<const std::size_t> markers,
                               std::span<const automation::Variant> params,
                               std::vector<automation::Variant>& rest) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t i = 0; i < markers.size() && i < params.size(); ++i) {
    const automation::Variant& value = params[i];
    if (!value.is_null() && !value.is_empty() && !value.is_missing()) {
      rest.push_back(value);
      continue;
    }
    out.append(tsql.substr(from, markers[i] - from));
    out += "NULL";
    from = markers[i] + 1;
  }
  out.append(tsql.substr(from));
  return out;
}

std::vector<std::string> split_batches(std::string_view script) {
  std::vector<std::string> batches;
  std::string current;
  auto flush = [&] {
    if (!automation::trim(current, automation::kWhiteSpace).empty()) {
      batches.push_back(std::move(current));
    }
    current.clear();
  };
  while (!script.empty()) {
    std::size_t end = script.find('\n');
    std::string_view line =
        script.substr(0, end == std::string_view::npos ? script.size() : end + 1);
    script.remove_prefix(line.size());
    if (automation::iequals(automation::trim(line, automation::kWhiteSpace), "GO")) {
      flush();
    } else {
      current += line;
    }
  }
  flush();
  return batches;
}

std::vector<std::string> split_sqlite_statements(std::string_view script) {
  std::vector<std::string> statements;
  std::size_t start = 0;
  std::size_t semicolon = script.find(';');
  while (semicolon != std::string_view::npos) {
    std::string candidate(script.substr(start, semicolon + 1 - start));
    if (sqlite3_complete(candidate.c_str())) {
      if (std::string_view code = from_code(candidate); !code.empty()) {
        statements.emplace_back(automation::trim(code, automation::kWhiteSpace));
      }
      start = semicolon + 1;
    }
    semicolon = script.find(';', semicolon + 1);
  }
  if (std::string_view rest =
          automation::trim(from_code(script.substr(start)), automation::kWhiteSpace);
      !rest.empty()) {
    statements.emplace_back(rest);
  }
  return statements;
}

}  // namespace data::odbc
