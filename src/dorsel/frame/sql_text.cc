#include "dorsel/frame/sql_text.h"

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/text.h"

namespace dorsel {

const std::string& require_plain_number(const std::string& text) {
  std::string_view number = automation::trim(text);
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) number.remove_prefix(1);
  const std::size_t point = number.find('.');
  const std::string_view whole = number.substr(0, point);
  const std::string_view decimals =
      point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
  const auto all_digits = [](std::string_view part) {
    return part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (whole.empty() || !all_digits(whole) || !all_digits(decimals) ||
      (point != std::string_view::npos && decimals.empty())) {
    automation::raise_runtime(automation::errc::kTypeMismatch);
  }
  return text;
}

void append_quoted(std::string& sql, std::string_view value) {
  // Most values hold no quote: each run up to a quote goes over in one piece.
  for (std::size_t quote; (quote = value.find('\'')) != std::string_view::npos;) {
    sql.append(value.substr(0, quote + 1)).push_back('\'');
    value.remove_prefix(quote + 1);
  }
  sql.append(value);
}

SqlText& SqlText::quoted(std::string_view value) {
  text_.push_back('\'');
  append_quoted(text_, value);
  text_.push_back('\'');
  return *this;
}

SqlText& SqlText::number(const std::string& text) {
  text_.append(require_plain_number(text));
  return *this;
}

SqlText& SqlText::company_frame(std::string_view table, std::string_view code,
                                const std::string& company_code, std::string_view star) {
  add({" SELECT ", kCrLf, star, kCrLf, " FROM ", kCrLf, "     ", table, " ", kCrLf, " WHERE ",
       kCrLf, "     ", code, "_DITTA_CG18 = "});
  return number(company_code).add({" "});
}

}  // namespace dorsel
