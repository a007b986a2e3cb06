// The embedded provider's errors: source "SQLite", SQLite's message as description, and a
// number that says what kind of failure it was (SQL Server's number where the dialect's
// functions give one, else the OLE DB number of its kind).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/ado.h"

struct sqlite3;

namespace data::sqlite {

inline constexpr std::string_view kProviderName = "SQLite";

// Raises the connection's current error after `rc`. While preparing, a failure is a statement
// the engine rejects (-2147217900); while running, a broken constraint is -2147217873 and
// anything else -2147467259. A message that a dialect function raised as "[245] text" is
// reported as 245 with the text after the number.
[[noreturn]] void raise_engine_error(sqlite3* db, int rc, bool preparing);
[[noreturn]] void raise_engine_error(std::int32_t number, std::string description);

}  // namespace data::sqlite
