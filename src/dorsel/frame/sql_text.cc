#include "dorsel/frame/sql_text.h"

namespace dorsel {

std::string sql_quote(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out;
}

std::string company_query_frame(std::string_view table, std::string_view company_column,
                                std::string_view company_code, std::string_view star) {
  std::string sql;
  sql.reserve(96 + table.size() + company_column.size());
  sql.append(" SELECT ").append(kCrLf);
  sql.append(star).append(kCrLf);
  sql.append(" FROM ").append(kCrLf);
  sql.append("     ").append(table).append(" ").append(kCrLf);
  sql.append(" WHERE ").append(kCrLf);
  sql.append("     ").append(company_column).append(" = ").append(company_code).append(" ");
  return sql;
}

}  // namespace dorsel
