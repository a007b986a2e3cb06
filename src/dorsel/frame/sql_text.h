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

// The company query frame: " SELECT ", CR LF, "     * ", CR LF, " FROM ", CR LF, five
// blanks, the table, one blank, CR LF, " WHERE ", CR LF, five blanks, the company column,
// " = ", the company code, " ". `star` is the select-list line ("     * " unless a caller
// needs another spacing).
std::string company_query_frame(std::string_view table, std::string_view company_column,
                                std::string_view company_code, std::string_view star = "     * ");

}  // namespace dorsel
