// Translation of the component's T-SQL subset into SQLite's dialect.
//
// The translator accepts SELECT (with DISTINCT, TOP, table hints, joins, ROW_NUMBER() OVER,
// CASE, CAST, CONVERT, GROUP BY, HAVING, ORDER BY), INSERT ... VALUES, UPDATE and DELETE, '?'
// placeholders, N'...' texts and 0x... binary literals, and rewrites what SQLite reads
// differently: '+' (and '-', '*', '/', '%' where SQLite's typing or its division by zero
// differ), ISNULL, LEN, CHARINDEX, SUBSTRING, REPLACE, UPPER, LOWER, CONVERT, CAST, and text
// comparisons, IN lists, CASE operands, GROUP BY and ORDER BY terms under the case-insensitive
// collation TSQL_CI. The result only runs on a connection prepared by register_dialect
// (functions.h). It fails closed: anything outside the subset raises an automation::Error
// (number -2147217900, the source its caller names, a description that names the construct, e.g.
// "LIKE is not supported by the embedded provider.", or SQL Server's "Incorrect syntax near
// 'x'." for text that is not T-SQL at all) instead of running with another meaning.
//
// translate is a pure function of the text and thread-safe; a TranslationCache is per
// connection and not thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace data::dialect {

// How deep a statement may nest: parentheses, signs, NOT, calls, CASE, conversions and right
// operands inside one another (kMaxNesting), and operators applied one after another, which the
// translation writes as calls inside one another (kMaxChain). Translating recurses once per level,
// so these keep a host's thread with a small stack (256 KiB) safe; a deeper statement raises the
// error above with SQL Server's text "Some part of your SQL statement is nested too deeply. ...".
inline constexpr int kMaxNesting = 32;
inline constexpr int kMaxChain = 256;

// Returns the SQLite text of one T-SQL statement (a trailing ';' is allowed, a second
// statement is not). Raises as described above, with `source` (the provider that runs the
// statement) as the error's source; nothing is kept on failure.
std::string translate(std::string_view tsql, std::string_view source);

// Remembers the translation of each distinct text. The component embeds item codes in its
// texts, so the number of distinct texts grows with use: past kMaxEntries the cache starts
// over. A failed translation is not remembered and raises each time.
class TranslationCache {
 public:
  static constexpr std::size_t kMaxEntries = 4096;

  // `source` names the provider in the errors of a failed translation.
  explicit TranslationCache(std::string source) : source_(std::move(source)) {}

  // The translation of `tsql`; the reference stays valid until the next call.
  const std::string& translate(std::string_view tsql);
  std::size_t size() const { return cache_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>()(text);
    }
  };
  std::string source_;
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> cache_;
};

}  // namespace data::dialect
