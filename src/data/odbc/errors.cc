#include "data/odbc/errors.h"

#include <sqlext.h>

#include <algorithm>

#include "automation/error.h"
#include "data/ado.h"
#include "data/dialect/functions.h"

namespace data::odbc {

namespace {

// The message without the "[vendor][component]" prefixes that drivers put in front of it.
std::string_view without_prefixes(std::string_view message) {
  while (!message.empty() && message.front() == '[') {
    std::size_t close = message.find(']');
    if (close == std::string_view::npos) break;
    std::string_view inner = message.substr(1, close - 1);
    bool number = !inner.empty();
    for (char c : inner) number = number && c >= '0' && c <= '9';
    if (number) break;  // "[8134] ..." is the dialect's number, not a vendor
    message.remove_prefix(close + 1);
  }
  return message;
}

bool state_class(const std::string& state, std::string_view prefix) {
  return state.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<Diagnostic> read_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<Diagnostic> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::string message(512, '\0');
    SQLRETURN rc = SQLGetDiagRec(handle_type, handle, i, state, &native,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<std::size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handle_type, handle, i, state, &native,
                         reinterpret_cast<SQLCHAR*>(message.data()),
                         static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(length < 0 ? 0 : length),
                                         message.size() - 1));
    records.push_back({reinterpret_cast<const char*>(state), native, std::move(message)});
  }
  return records;
}

std::int32_t error_number(const Diagnostic& first, std::optional<Dialect> dialect, bool preparing) {
  if (int sqlserver = dialect::sqlserver_error_number(without_prefixes(first.message));
      sqlserver != 0) {
    return sqlserver;
  }
  if (dialect == Dialect::kSqlServer && first.native != 0) return first.native;
  if (dialect == Dialect::kSqlite) {
    constexpr std::int32_t kSqliteConstraint = 19;
    if (first.native > 0 && (first.native & 0xFF) == kSqliteConstraint) {
      return errc::kIntegrityViolation;
    }
    if (preparing) return errc::kErrorsInCommand;
  }
  if (state_class(first.state, "23")) return errc::kIntegrityViolation;
  if (state_class(first.state, "42") || state_class(first.state, "37")) {
    return errc::kErrorsInCommand;
  }
  return errc::kUnspecifiedError;
}

std::string error_description(const std::vector<Diagnostic>& records) {
  std::string out;
  for (const Diagnostic& d : records) {
    if (!out.empty()) out += '\n';
    out += d.message + " (SQLSTATE " + d.state + ", native error " + std::to_string(d.native) + ")";
  }
  return out;
}

void raise_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc,
                       std::optional<Dialect> dialect, bool preparing, std::string_view source) {
  std::vector<Diagnostic> records = read_diagnostics(handle_type, handle);
  if (records.empty()) {
    std::string what = rc == SQL_INVALID_HANDLE ? "an invalid handle" : "no diagnostics";
    throw automation::Error(
        errc::kUnspecifiedError, std::string(source),
        "The ODBC call failed with " + what + " (return code " + std::to_string(rc) + ").");
  }
  // Informational records (class 01, such as a PRINT's text) may come before the error itself.
  auto error = std::find_if(records.begin(), records.end(),
                            [](const Diagnostic& d) { return !state_class(d.state, "01"); });
  const Diagnostic& first = error == records.end() ? records.front() : *error;
  throw automation::Error(error_number(first, dialect, preparing), std::string(source),
                          error_description(records));
}

}  // namespace data::odbc
