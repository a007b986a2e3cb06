// The embedded provider: SQLite, with the component's T-SQL translated for it.
// Connection strings: "Provider=SQLite;Data Source=FILE" (":memory:" for an in-memory
// database); a plain file name or ":memory:" is accepted too. "Journal Mode=WAL" (or Delete,
// Truncate, Persist, Memory, Off) changes the file's journal mode, which the file keeps for
// every program that opens it; without the key the file stays as it is. "Synchronous=Normal"
// (or Off, Full, Extra) sets this connection's sync level; without it a file in WAL mode is
// synced Normal and any other as SQLite's default (Full). A busy database is waited for up to
// five seconds before a statement fails. Each distinct statement text is
// translated once and prepared once per connection. Errors are raised with source "SQLite",
// SQLite's message as description, and SQL Server's number where the dialect gives one.
// Not thread-safe; one owner at a time.
#pragma once

#include <memory>
#include <string_view>

#include "data/provider.h"

struct sqlite3;

namespace data::sqlite {

// Registers the provider's factory with the data layer (idempotent).
void register_provider();

// Opens the provider directly (tests, tools). Raises like Connection::Open.
std::unique_ptr<Provider> open(std::string_view connection_string);

// The raw handle of a provider opened by this module, or nullptr for any other provider.
sqlite3* native_handle(Provider& provider);

}  // namespace data::sqlite
