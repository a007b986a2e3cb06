#include "data/sqlite/statement_cache.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>

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

std::size_t StatementTextHash::operator()(std::string_view text) const noexcept {
  constexpr std::uint64_t kMultiplier = 0xff51afd7ed558ccdULL;
  auto mix = [](std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * kMultiplier;
    return h ^ (h >> 32);
  };
  std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ text.size();
  const char* p = text.data();
  std::size_t n = text.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = mix(h, word);
  }
  if (n > 0) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < n; ++i) {
      word |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    h = mix(h, word);
  }
  h ^= h >> 29;
  h *= 0xc4ceb9fe1a85ec53ULL;
  return static_cast<std::size_t>(h ^ (h >> 32));
}

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
  // SQLite counts BEGIN and COMMIT as read-only too: only queries count as plain reads.
  entry.plain_read = sqlite3_stmt_readonly(stmt) != 0 &&
                     (keyword == "SELECT" || keyword == "WITH" || keyword == "VALUES");
  index_.emplace(entry.text, entries_.begin());
  return entry;
}

}  // namespace data::sqlite
