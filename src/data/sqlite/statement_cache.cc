#include "data/sqlite/statement_cache.h"

#include <sqlite3.h>

#include "data/sqlite/errors.h"
#include "data/text_util.h"

namespace data::sqlite {

namespace {

// The first word of a statement, past blanks and comments, upper-cased.
std::string first_keyword(std::string_view sql) {
  std::size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(') {
      ++i;
    } else if (sql.substr(i, 2) == "--") {
      std::size_t end = sql.find('\n', i);
      i = end == std::string_view::npos ? sql.size() : end + 1;
    } else if (sql.substr(i, 2) == "/*") {
      std::size_t end = sql.find("*/", i + 2);
      i = end == std::string_view::npos ? sql.size() : end + 2;
    } else {
      break;
    }
  }
  std::string word;
  while (i < sql.size() && ((sql[i] >= 'A' && sql[i] <= 'Z') || (sql[i] >= 'a' && sql[i] <= 'z'))) {
    word.push_back(static_cast<char>(ascii_lower(sql[i]) - 'a' + 'A'));
    ++i;
  }
  return word;
}

bool only_blanks(std::string_view rest) {
  for (char c : rest) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';') return false;
  }
  return true;
}

}  // namespace

StatementCache::~StatementCache() { clear(); }

void StatementCache::clear() {
  for (CachedStatement& e : entries_) sqlite3_finalize(e.stmt);
  index_.clear();
  entries_.clear();
}

CachedStatement* StatementCache::find(std::string_view key) {
  auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, found->second);
  return &entries_.front();
}

CachedStatement& StatementCache::add(std::string_view key, std::string_view text) {
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(db_, text.data(), static_cast<int>(text.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
  if (rc != SQLITE_OK) raise_engine_error(db_, rc, /*preparing=*/true);
  std::size_t used = tail ? static_cast<std::size_t>(tail - text.data()) : text.size();
  if (!only_blanks(text.substr(used))) {
    sqlite3_finalize(stmt);
    raise_engine_error(errc::kErrorsInCommand,
                       "A command text must hold one statement: more follows the first.");
  }
  if (entries_.size() >= capacity_) {
    CachedStatement& last = entries_.back();
    index_.erase(last.text);
    sqlite3_finalize(last.stmt);
    entries_.pop_back();
  }
  entries_.emplace_front();
  CachedStatement& entry = entries_.front();
  entry.text = std::string(key);
  entry.stmt = stmt;
  std::string keyword = first_keyword(text);
  entry.changes_rows = keyword == "INSERT" || keyword == "UPDATE" || keyword == "DELETE" ||
                       keyword == "REPLACE" || keyword == "WITH";
  index_.emplace(entry.text, entries_.begin());
  return entry;
}

}  // namespace data::sqlite
