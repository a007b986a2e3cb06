// Building the component's SQL text.
#pragma once

#include <string>
#include <string_view>

namespace dorsel {

inline constexpr std::string_view kCrLf = "\r\n";

// A text value for the inside of a single-quoted SQL literal: every quote is doubled, so a
// value can never end its literal. Any value without a quote comes back unchanged.
std::string sql_quote(std::string_view value);
// The same, appended to `sql`.
void append_quoted(std::string& sql, std::string_view value);

// A value the component writes into a statement as a number, without quotes (an id, a price
// list's kind or number, the host's company code): it must read as a plain decimal number
// (blanks around, one sign, digits, a point with digits after it) and nothing more, or it could
// widen the statement. Returns `text` as given; raises 13 (Type mismatch) otherwise, before
// anything reaches the database.
const std::string& require_plain_number(const std::string& text);

// The company query frame: " SELECT ", CR LF, "     * ", CR LF, " FROM ", CR LF, five
// blanks, the table, one blank, CR LF, " WHERE ", CR LF, five blanks, the company column,
// " = ", the company code, " ". `star` is the select-list line ("     * " unless a caller
// needs another spacing).
std::string company_query_frame(std::string_view table, std::string_view company_column,
                                std::string_view company_code, std::string_view star = "     * ");

}  // namespace dorsel
