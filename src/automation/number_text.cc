#include "automation/number_text.h"

#include <algorithm>
#include <cstdint>

#include "automation/error.h"

namespace automation::detail {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void overflow() { raise_runtime(errc::kOverflow); }

int digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> radix_number(std::string_view digits, int radix, bool negative) {
  const auto read = read_unsigned(digits, radix);
  if (!read) return std::nullopt;
  if (read->too_large) overflow();
  const std::uint64_t value = read->value;
  // &H literals of up to four digits are 16-bit and of up to eight 32-bit, in two's complement;
  // longer ones are 64-bit, also in two's complement.
  std::int64_t signed_value = 0;
  if (radix == 16 && digits.size() <= 4 && value > 0x7FFF) {
    signed_value = static_cast<std::int64_t>(value) - 0x10000;
  } else if (radix == 16 && digits.size() <= 8 && value > 0x7FFFFFFF) {
    signed_value = static_cast<std::int64_t>(value) - 0x100000000LL;
  } else if (value > static_cast<std::uint64_t>(INT64_MAX)) {
    signed_value = -static_cast<std::int64_t>(~value) - 1;
  } else {
    signed_value = static_cast<std::int64_t>(value);
  }
  if (negative) {
    if (signed_value == INT64_MIN) overflow();
    signed_value = -signed_value;
  }
  return std::to_string(signed_value);
}

}  // namespace

std::optional<UnsignedText> read_unsigned(std::string_view digits, int radix) {
  if (digits.empty()) return std::nullopt;
  UnsignedText out;
  const auto base = static_cast<std::uint64_t>(radix);
  for (char c : digits) {
    const int d = digit_value(c);
    if (d < 0 || d >= radix) return std::nullopt;
    if (out.too_large) continue;
    if (out.value > (UINT64_MAX - static_cast<std::uint64_t>(d)) / base) {
      out.value = UINT64_MAX;
      out.too_large = true;
    } else {
      out.value = out.value * base + static_cast<std::uint64_t>(d);
    }
  }
  return out;
}

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
    bool exponent_negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponent_negative = s[i++] == '-';
    const std::size_t start = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    const auto exponent = read_unsigned(s.substr(start, i - start), 10);
    if (!exponent || i != s.size()) return std::nullopt;
    const std::int64_t written = exponent->too_large || exponent->value > 1000000000
                                     ? 1000000001
                                     : static_cast<std::int64_t>(exponent->value);
    std::int64_t kept = written;
    const std::size_t first = out.find_first_of("123456789");
    if (first == std::string::npos) {
      // Zero, whatever its exponent: only its scale is left to say, and no type keeps more
      // than kMaxExponent decimals.
      kept = std::min<std::int64_t>(written, kMaxExponent);
    } else {
      // Where the first significant digit stands, as a power of ten: past kMaxExponent either
      // way the text is beyond every type, whatever the size of its exponent.
      const std::size_t point = std::min(out.find('.'), out.size());
      const std::int64_t position = first < point ? static_cast<std::int64_t>(point - first - 1)
                                                  : -static_cast<std::int64_t>(first - point);
      const std::int64_t magnitude = position + (exponent_negative ? -written : written);
      if (magnitude > kMaxExponent) overflow();
      if (magnitude < -kMaxExponent) return "0e-" + std::to_string(kMaxExponent);
    }
    out.push_back('e');
    if (exponent_negative) out.push_back('-');
    out += std::to_string(kept);
  }
  if (i != s.size()) return std::nullopt;
  return out;
}

}  // namespace automation::detail
