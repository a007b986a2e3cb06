// Prepared statements of one SQLite connection, kept by the text the caller gave (before any
// translation, so a statement that runs again costs one lookup) so that each distinct text is
// prepared once and then reset and reused; the least recently used ones are
// finalised beyond a fixed number. Each entry also keeps the description of its result columns,
// worked out once and again only when SQLite re-prepares the statement after a schema change.
// Not thread-safe; one owner at a time.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/provider.h"
#include "data/sqlite/type_mapping.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data::sqlite {

struct CachedStatement {
  std::string text;
  sqlite3_stmt* stmt = nullptr;  // nullptr for a text with no statement (blanks, a comment)
  bool changes_rows = false;     // INSERT, UPDATE, DELETE: reports its records affected
  bool plain_read = false;       // a query that writes nothing and ends no transaction
  // The result's columns, valid while `described_at` equals the statement's re-prepare count.
  bool described = false;
  int described_at = 0;
  ColumnList columns;
  std::vector<ColumnType> types;
  std::vector<std::size_t> untyped;   // columns typed from their values (expressions)
  std::vector<std::size_t> not_null;  // declared NOT NULL: a Null read says otherwise
  std::size_t last_row_count = 0;
};

// Statement texts are long (a few hundred bytes) and hashed on every run: eight bytes a step.
struct StatementTextHash {
  std::size_t operator()(std::string_view text) const noexcept;
};

class StatementCache {
 public:
  StatementCache(sqlite3* db, std::size_t capacity) : db_(db), capacity_(capacity) {}
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The prepared statement for a text, prepared now if it is not cached. Raises the engine's
  // error (source "SQLite") when the text does not prepare or holds more than one statement.
  // The reference stays valid until the next call.
  CachedStatement& get(std::string_view text) {
    return get(text, [](std::string_view t) { return t; });
  }

  // The same for a statement known by `key` whose SQLite text `to_sql(key)` gives; `to_sql`
  // runs only when the key is not cached.
  template <class ToSql>
  CachedStatement& get(std::string_view key, ToSql&& to_sql) {
    if (CachedStatement* found = find(key)) return *found;
    return add(key, to_sql(key));
  }

  // Finalises every statement (before the connection closes).
  void clear();
  std::size_t size() const { return entries_.size(); }

 private:
  CachedStatement* find(std::string_view key);
  CachedStatement& add(std::string_view key, std::string_view sql);

  sqlite3* db_;
  std::size_t capacity_;
  std::list<CachedStatement> entries_;  // most recently used first
  std::unordered_map<std::string_view, std::list<CachedStatement>::iterator, StatementTextHash>
      index_;
};

}  // namespace data::sqlite
