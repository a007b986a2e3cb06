// Translation of the component's T-SQL subset into SQLite's dialect.
//
// The translator accepts SELECT (with TOP, table hints, joins, ROW_NUMBER() OVER, CASE, CAST,
// CONVERT, GROUP BY, ORDER BY), INSERT ... VALUES, UPDATE and DELETE, '?' placeholders and
// 0x... binary literals, and rewrites what SQLite reads differently ('+', ISNULL, LEN,
// CHARINDEX, SUBSTRING, REPLACE, UPPER, CONVERT, CAST to numeric types, text comparisons under
// the case-insensitive collation). It fails closed: anything outside the subset raises an
// automation::Error (number -2147217900, source "SQLite", a description that names the
// construct) instead of running with another meaning.
//
// Pure functions of the text; the cache is per connection and not thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace data::sqlite::tsql {

std::string translate(std::string_view tsql);

// Remembers the translation of each distinct text.
class TranslationCache {
 public:
  const std::string& translate(std::string_view tsql);
  std::size_t size() const { return cache_.size(); }

 private:
  std::unordered_map<std::string, std::string> cache_;
};

}  // namespace data::sqlite::tsql
