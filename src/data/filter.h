// The criteria language of Recordset.Filter: clauses "Field op value" with op one of
// = <> < > <= >= LIKE, values given as numbers ("12.5", "$50", "1e3"), quoted texts ('O''Hara')
// or dates (#8/24/1995#, #2020-01-31 10:00#), joined by AND and OR. AND binds tighter than OR;
// as on the original platform, a parenthesised group of OR-ed clauses may not be AND-ed with
// anything else ("(A OR B) AND C" is refused: write "(A AND C) OR (B AND C)"). Field names are
// matched case-insensitively and may be bracketed ([Last Name]). Text comparisons ignore case;
// LIKE takes '*' or '%' as wildcards for any run of characters.
//
// A compiled filter is immutable; evaluating it is thread-compatible.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "data/provider.h"
#include "data/row_store.h"

namespace data::detail {

class Filter {
 public:
  // The deepest nesting of parentheses the criteria may use. Parsing and evaluating recurse
  // once per level, so this is what keeps a host's thread with a small stack (256 KiB) safe;
  // deeper criteria are refused with 3001.
  static constexpr int kMaxNesting = 32;

  // Compiles criteria against the columns of a recordset. Raises 3265 for a field that is not
  // there and 3001 for a text it cannot parse or that nests deeper than kMaxNesting; `source`
  // is the error source to report.
  static std::unique_ptr<Filter> compile(std::string_view criteria, const NameIndex& names,
                                         std::string_view source);
  ~Filter();

  // Whether a row passes the criteria. Only the values at columns() are read.
  bool matches(const Row& row) const;
  // The ordinals the criteria read, ascending.
  const std::vector<int>& columns() const { return columns_; }

  struct Node;

 private:
  explicit Filter(std::unique_ptr<Node> root);
  std::unique_ptr<Node> root_;
  std::vector<int> columns_;
};

}  // namespace data::detail
