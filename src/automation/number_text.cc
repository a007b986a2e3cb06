#include "automation/number_text.h"

#include <cstdint>

namespace automation::detail {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> radix_number(std::string_view digits, int radix, bool negative) {
  if (digits.empty() || digits.size() > 22) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    int d = -1;
    if (is_digit(c)) d = c - '0';
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0 || d >= radix) return std::nullopt;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
  }
  // &H literals of up to four digits are 16-bit and of up to eight 32-bit, in two's complement.
  std::int64_t signed_value = static_cast<std::int64_t>(value);
  if (radix == 16 && digits.size() <= 4 && value > 0x7FFF)
    signed_value -= 0x10000;
  else if (radix == 16 && digits.size() <= 8 && value > 0x7FFFFFFF)
    signed_value -= 0x100000000LL;
  if (negative) signed_value = -signed_value;
  return std::to_string(signed_value);
}

}  // namespace

std::optional<std::string> normalize_number_text(std::string_view text,
                                                 const NumberFormat& format) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;
  std::string_view s = text.substr(begin, end - begin);
  if (s.empty()) return std::nullopt;

  bool negative = false;
  bool signed_already = false;
  if (s.front() == '(' && s.back() == ')') {
    negative = true;
    signed_already = true;
    s = s.substr(1, s.size() - 2);
  }
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    if (signed_already) return std::nullopt;
    negative = s.front() == '-';
    signed_already = true;
    s.remove_prefix(1);
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  }
  if (!s.empty() && (s.back() == '+' || s.back() == '-')) {
    if (signed_already) return std::nullopt;
    negative = s.back() == '-';
    s.remove_suffix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  }
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    return radix_number(s.substr(2), 16, negative);
  }
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o')) {
    return radix_number(s.substr(2), 8, negative);
  }

  std::string out;
  out.reserve(s.size() + 2);
  if (negative) out.push_back('-');
  std::size_t i = 0;
  bool int_digits = false;
  while (i < s.size()) {
    char c = s[i];
    if (is_digit(c)) {
      out.push_back(c);
      int_digits = true;
    } else if (c == format.group_separator && int_digits) {
      // Group separators may stand anywhere among the integer digits.
    } else {
      break;
    }
    ++i;
  }
  bool frac_digits = false;
  if (i < s.size() && s[i] == format.decimal_separator) {
    ++i;
    out.push_back('.');
    while (i < s.size() && is_digit(s[i])) {
      out.push_back(s[i]);
      frac_digits = true;
      ++i;
    }
  }
  if (!int_digits && !frac_digits) return std::nullopt;
  if (out.back() == '.') out.pop_back();
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    out.push_back('e');
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      if (s[i] == '-') out.push_back('-');
      ++i;
    }
    bool exp_digits = false;
    while (i < s.size() && is_digit(s[i])) {
      out.push_back(s[i]);
      exp_digits = true;
      ++i;
    }
    if (!exp_digits) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  return out;
}

}  // namespace automation::detail
