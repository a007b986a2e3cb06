#include "automation/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "automation/error.h"
#include "automation/number_format.h"
#include "automation/number_text.h"

namespace automation {
namespace {

// 2^96 - 1: the largest magnitude the runtime's Decimal holds; it has 29 digits.
constexpr Int128 kMaxMantissa = (static_cast<Int128>(1) << 96) - 1;
constexpr int kMaxMantissaDigits = 29;

Int128 abs128(Int128 v) { return v < 0 ? -v : v; }

[[noreturn]] void overflow() { raise_runtime(errc::kOverflow); }

// Multiplies by 10^digits; false when the result would leave the 128-bit range.
bool shift_left(Int128 mantissa, int digits, Int128* out) {
  Int128 value = mantissa;
  for (int i = 0; i < digits; ++i) {
    if (__builtin_mul_overflow(value, static_cast<Int128>(10), &value)) return false;
  }
  *out = value;
  return true;
}

// Both mantissas at the finer of the two scales, when that needs no rounding and stays in
// 128 bits: the common case, which needs no wider arithmetic.
bool align_exactly(const Decimal& a, const Decimal& b, Int128* x, Int128* y, int* scale) {
  *x = a.mantissa();
  *y = b.mantissa();
  *scale = std::max(a.scale(), b.scale());
  if (a.scale() < b.scale()) return shift_left(*x, b.scale() - a.scale(), x);
  if (b.scale() < a.scale()) return shift_left(*y, a.scale() - b.scale(), y);
  return true;
}

ExactDecimal::Rounding exact_rounding(Decimal::Rounding mode) {
  return mode == Decimal::Rounding::kHalfEven ? ExactDecimal::Rounding::kHalfEven
                                              : ExactDecimal::Rounding::kHalfAwayFromZero;
}

// The scanner's form, read exactly; its exponents are bounded, so the only refusal left is a
// text far longer than any number.
Decimal parse_invariant(std::string_view text) {
  auto exact = ExactDecimal::parse(text, std::numeric_limits<int>::max());
  if (!exact) overflow();
  return Decimal::fit(*exact);
}

std::string digits_of(Int128 value) {
  if (value == 0) return "0";
  std::string out;
  Int128 v = abs128(value);
  while (v > 0) {
    out.push_back(static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  }
  return std::string(out.rbegin(), out.rend());
}

std::string format_decimal(Int128 mantissa, int scale, char separator) {
  std::string digits = digits_of(mantissa);
  int frac = scale;
  // Trailing zeros of the scale carry no value in the text.
  while (frac > 0 && digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
    --frac;
  }
  if (frac > 0 && digits == "0") frac = 0;
  std::string out;
  if (mantissa < 0 && digits != "0") out.push_back('-');
  if (frac == 0) return out + digits;
  if (static_cast<int>(digits.size()) <= frac) {
    out += "0";
    out.push_back(separator);
    out.append(static_cast<std::size_t>(frac) - digits.size(), '0');
    out += digits;
  } else {
    out += digits.substr(0, digits.size() - static_cast<std::size_t>(frac));
    out.push_back(separator);
    out += digits.substr(digits.size() - static_cast<std::size_t>(frac));
  }
  return out;
}

}  // namespace

Decimal Decimal::from_parts(Int128 mantissa, int scale) {
  if (scale < 0 || scale > kMaxScale || abs128(mantissa) > kMaxMantissa) overflow();
  Decimal d;
  d.set_mantissa(mantissa);
  d.scale_ = scale;
  return d;
}

Decimal Decimal::fit(const ExactDecimal& exact) {
  if (auto fitted = try_fit(exact)) return *fitted;
  overflow();
}

std::optional<Decimal> Decimal::try_fit(const ExactDecimal& exact) {
  // A 96-bit mantissa has at most 29 digits, which bounds the scale to try first; rounding up
  // may still carry it over the limit, and then one decimal fewer fits.
  const int top =
      std::min({std::max(exact.scale(), 0), kMaxScale, kMaxMantissaDigits - exact.whole_digits()});
  for (int scale = top; scale >= 0; --scale) {
    const std::optional<Int128> mantissa =
        exact.rounded(scale, ExactDecimal::Rounding::kHalfEven).coefficient();
    if (mantissa && abs128(*mantissa) <= kMaxMantissa) return from_parts(*mantissa, scale);
  }
  return std::nullopt;
}

namespace {

// The common plain form, "[-]digits[<separator>digits]" with at most 18 digits, read without
// the general scanner; nullopt for anything else.
std::optional<Decimal> parse_plain(std::string_view text, char separator) {
  std::size_t i = 0;
  bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  std::int64_t mantissa = 0;
  int digits = 0;
  int scale = 0;
  bool seen_separator = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      if (++digits > 18) return std::nullopt;
      mantissa = mantissa * 10 + (c - '0');
      if (seen_separator) ++scale;
    } else if (c == separator && !seen_separator && digits > 0) {
      seen_separator = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || (seen_separator && scale == 0)) return std::nullopt;
  return Decimal::from_parts(negative ? -mantissa : mantissa, scale);
}

}  // namespace

Decimal Decimal::parse(std::string_view text, const NumberFormat& format) {
  std::int32_t error_number = 0;
  if (auto value = try_parse(text, format, &error_number)) return *value;
  raise_runtime(error_number);
}

std::optional<Decimal> Decimal::try_parse(std::string_view text, const NumberFormat& format,
                                          std::int32_t* error_number) {
  if (auto plain = parse_plain(text, format.decimal_separator)) return plain;
  std::int32_t error = errc::kTypeMismatch;
  if (auto invariant = detail::normalize_number_text(text, format)) {
    error = errc::kOverflow;
    auto exact = ExactDecimal::parse(*invariant, std::numeric_limits<int>::max());
    if (exact) {
      if (auto fitted = try_fit(*exact)) return fitted;
    }
  }
  if (error_number != nullptr) *error_number = error;
  return std::nullopt;
}

Decimal Decimal::parse(std::string_view text) { return parse(text, current_number_format()); }

Decimal Decimal::from_double(double value) {
  if (!std::isfinite(value)) overflow();
  if (value == 0) return Decimal();
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  return parse_invariant(text);
}

double Decimal::to_double() const {
  // Both operands exact in a double, so the one rounding of the division is the correct one,
  // the same the text would give.
  constexpr Int128 kExactInDouble = Int128{1} << 53;
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  Int128 m = mantissa();
  if (m > -kExactInDouble && m < kExactInDouble && scale_ <= 22) {
    return static_cast<double>(m) / kPowersOfTen[scale_];
  }
  std::string text = to_invariant_string();
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string Decimal::to_string(const NumberFormat& format) const {
  return format_decimal(mantissa(), scale_, format.decimal_separator);
}

std::string Decimal::to_string() const { return to_string(current_number_format()); }

std::string Decimal::to_invariant_string() const { return format_decimal(mantissa(), scale_, '.'); }

Decimal Decimal::round(int digits, Rounding mode) const {
  if (digits < 0) digits = 0;
  if (digits >= scale_) return *this;
  return from_parts(*exact().rounded(digits, exact_rounding(mode)).coefficient(), digits);
}

std::int64_t Decimal::to_int64_half_even() const {
  const Int128 whole = *exact().rounded(0, ExactDecimal::Rounding::kHalfEven).coefficient();
  if (whole > INT64_MAX || whole < INT64_MIN) overflow();
  return static_cast<std::int64_t>(whole);
}

Decimal operator+(const Decimal& a, const Decimal& b) {
  Int128 x = 0, y = 0, sum = 0;
  int scale = 0;
  if (align_exactly(a, b, &x, &y, &scale) && !__builtin_add_overflow(x, y, &sum) &&
      abs128(sum) <= kMaxMantissa) {
    return Decimal::from_parts(sum, scale);
  }
  return Decimal::fit(a.exact() + b.exact());
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  Int128 x = 0, y = 0, difference = 0;
  int scale = 0;
  if (align_exactly(a, b, &x, &y, &scale) && !__builtin_sub_overflow(x, y, &difference) &&
      abs128(difference) <= kMaxMantissa) {
    return Decimal::from_parts(difference, scale);
  }
  return Decimal::fit(a.exact() - b.exact());
}

Decimal operator*(const Decimal& a, const Decimal& b) {
  Int128 product = 0;
  const int scale = a.scale() + b.scale();
  if (!__builtin_mul_overflow(a.mantissa(), b.mantissa(), &product) &&
      scale <= Decimal::kMaxScale && abs128(product) <= kMaxMantissa) {
    return Decimal::from_parts(product, scale);
  }
  return Decimal::fit(a.exact() * b.exact());
}

Decimal operator/(const Decimal& a, const Decimal& b) {
  if (b.is_zero()) raise_runtime(errc::kDivisionByZero);
  const int least_scale = std::max(a.scale() - b.scale(), 0);
  // Long division in 128 bits while it stays exact: most quotients end within the digits
  // that fit, and then the result is exact at the fewest decimals it needs.
  Int128 n = abs128(a.mantissa());
  const Int128 d = abs128(b.mantissa());
  if (a.scale() - b.scale() >= 0 || shift_left(n, b.scale() - a.scale(), &n)) {
    int scale = least_scale;
    Int128 quotient = n / d;
    Int128 remainder = n % d;
    while (remainder != 0 && scale < Decimal::kMaxScale && quotient < kMaxMantissa / 10) {
      remainder *= 10;
      quotient = quotient * 10 + remainder / d;
      remainder %= d;
      ++scale;
    }
    if (remainder == 0 && quotient <= kMaxMantissa) {
      const bool negative = (a.mantissa() < 0) != (b.mantissa() < 0);
      return Decimal::from_parts(negative ? -quotient : quotient, scale);
    }
  }
  // One digit beyond the finest scale lets the one rounding see which side of a half it is on.
  ExactDecimal quotient = ExactDecimal::divide(a.exact(), b.exact(), Decimal::kMaxScale + 1);
  if (!quotient.inexact()) quotient = quotient.trimmed(least_scale);
  return Decimal::fit(quotient);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  Int128 x = 0, y = 0;
  int scale = 0;
  // The usual case, a filter comparing a column with a literal: the coarser side brought to
  // the finer scale fits in 128 bits.
  if (align_exactly(a, b, &x, &y, &scale)) return x <=> y;
  return a.exact() <=> b.exact();
}

}  // namespace automation
