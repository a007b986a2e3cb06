#include "automation/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "automation/error.h"
#include "automation/number_format.h"
#include "automation/number_text.h"

namespace automation {
namespace {

// 2^96 - 1: the largest magnitude the runtime's Decimal holds.
constexpr Int128 kMaxMantissa = (static_cast<Int128>(1) << 96) - 1;

Int128 pow10(int n) {
  Int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

Int128 abs128(Int128 v) { return v < 0 ? -v : v; }

[[noreturn]] void overflow() { throw Error(errc::kOverflow, std::string(kRuntimeSource)); }

// Divides by 10^digits with rounding of the dropped part.
Int128 shift_right(Int128 mantissa, int digits, Decimal::Rounding mode) {
  if (digits <= 0) return mantissa;
  if (digits > 38) return 0;
  Int128 divisor = pow10(digits);
  Int128 quotient = mantissa / divisor;
  Int128 remainder = abs128(mantissa % divisor);
  Int128 twice = remainder * 2;
  bool round_up = false;
  if (twice > divisor) {
    round_up = true;
  } else if (twice == divisor) {
    round_up = mode == Decimal::Rounding::kHalfAwayFromZero || (quotient % 2 != 0);
  }
  if (round_up) quotient += mantissa < 0 ? -1 : 1;
  return quotient;
}

// Multiplies by 10^digits; false when the result would leave the 128-bit range.
bool shift_left(Int128 mantissa, int digits, Int128* out) {
  Int128 value = mantissa;
  for (int i = 0; i < digits; ++i) {
    if (__builtin_mul_overflow(value, static_cast<Int128>(10), &value)) return false;
  }
  *out = value;
  return true;
}

// Brings a mantissa with any scale into range: drops decimals (rounding) while it is too
// large, and raises 6 when even the whole part does not fit.
Decimal normalize(Int128 mantissa, int scale) {
  while (scale > Decimal::kMaxScale) {
    mantissa = shift_right(mantissa, 1, Decimal::Rounding::kHalfEven);
    --scale;
  }
  while (abs128(mantissa) > kMaxMantissa && scale > 0) {
    mantissa = shift_right(mantissa, 1, Decimal::Rounding::kHalfEven);
    --scale;
  }
  if (scale < 0) {
    if (!shift_left(mantissa, -scale, &mantissa)) overflow();
    scale = 0;
  }
  return Decimal::from_parts(mantissa, scale);
}

// Aligns two decimals to one scale, dropping decimals of the finer one if the coarser one
// would otherwise leave the 128-bit range.
void align(const Decimal& a, const Decimal& b, Int128* ma, Int128* mb, int* scale) {
  int target = std::max(a.scale(), b.scale());
  for (;; --target) {
    Int128 x = 0, y = 0;
    bool ok_a = a.scale() <= target ? shift_left(a.mantissa(), target - a.scale(), &x) : true;
    bool ok_b = b.scale() <= target ? shift_left(b.mantissa(), target - b.scale(), &y) : true;
    if (a.scale() > target) {
      x = shift_right(a.mantissa(), a.scale() - target, Decimal::Rounding::kHalfEven);
    }
    if (b.scale() > target) {
      y = shift_right(b.mantissa(), b.scale() - target, Decimal::Rounding::kHalfEven);
    }
    if (ok_a && ok_b && abs128(x) < (static_cast<Int128>(1) << 125) &&
        abs128(y) < (static_cast<Int128>(1) << 125)) {
      *ma = x;
      *mb = y;
      *scale = target;
      return;
    }
    if (target == 0) overflow();
  }
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

Decimal parse_invariant(const std::string& text) {
  // text is "[-]digits[.digits][e[-]digits]" as the scanner writes it.
  std::size_t i = 0;
  bool negative = false;
  if (text[i] == '-') {
    negative = true;
    ++i;
  }
  Int128 mantissa = 0;
  int scale = 0;
  int dropped = 0;  // significant integer digits that did not fit, as a power of ten
  bool seen_point = false;
  bool round_up_pending = false;
  int significant = 0;
  for (; i < text.size() && text[i] != 'e'; ++i) {
    char c = text[i];
    if (c == '.') {
      seen_point = true;
      continue;
    }
    int d = c - '0';
    if (significant == 0 && d == 0) {
      if (seen_point) ++scale;
      continue;
    }
    if (significant < 30) {
      mantissa = mantissa * 10 + d;
      ++significant;
      if (seen_point) ++scale;
    } else {
      // Beyond 30 significant digits the value is rounded: only the first dropped digit
      // decides.
      if (significant == 30 && d >= 5) round_up_pending = true;
      if (significant == 30) significant = 31;
      if (!seen_point) ++dropped;
    }
  }
  if (round_up_pending) mantissa += 1;
  int exponent = 0;
  if (i < text.size() && text[i] == 'e') {
    ++i;
    bool exp_negative = false;
    if (i < text.size() && text[i] == '-') {
      exp_negative = true;
      ++i;
    }
    for (; i < text.size(); ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (exp_negative) exponent = -exponent;
  }
  if (mantissa == 0) return Decimal();
  int final_scale = scale - dropped - exponent;
  if (negative) mantissa = -mantissa;
  if (final_scale < -40) overflow();
  if (final_scale > 60) {
    // Far below the smallest step: rounds to zero.
    return Decimal();
  }
  return normalize(mantissa, final_scale);
}

}  // namespace

Decimal Decimal::from_parts(Int128 mantissa, int scale) {
  if (scale < 0 || scale > kMaxScale || abs128(mantissa) > kMaxMantissa) overflow();
  Decimal d;
  d.set_mantissa(mantissa);
  d.scale_ = scale;
  return d;
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
  if (mantissa == 0) return Decimal();
  return Decimal::from_parts(negative ? -mantissa : mantissa, scale);
}

}  // namespace

Decimal Decimal::parse(std::string_view text, const NumberFormat& format) {
  if (auto plain = parse_plain(text, format.decimal_separator)) return *plain;
  auto invariant = detail::normalize_number_text(text, format);
  if (!invariant) throw Error(errc::kTypeMismatch, std::string(kRuntimeSource));
  return parse_invariant(*invariant);
}

Decimal Decimal::parse(std::string_view text) { return parse(text, current_number_format()); }

Decimal Decimal::from_double(double value) {
  if (!std::isfinite(value)) overflow();
  if (value == 0) return Decimal();
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string text(buffer, result.ptr);
  // "d.ddddde+XX" -> "[-]dddddde+XX" in the scanner's invariant form.
  std::string invariant;
  for (char c : text) {
    if (c == '+') continue;
    invariant.push_back(c);
  }
  return parse_invariant(invariant);
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
  return from_parts(shift_right(mantissa(), scale_ - digits, mode), digits);
}

std::int64_t Decimal::to_int64_half_even() const {
  Int128 whole = shift_right(mantissa(), scale_, Rounding::kHalfEven);
  if (whole > INT64_MAX || whole < INT64_MIN) overflow();
  return static_cast<std::int64_t>(whole);
}

Decimal operator+(const Decimal& a, const Decimal& b) {
  Int128 x = 0, y = 0;
  int scale = 0;
  align(a, b, &x, &y, &scale);
  return normalize(x + y, scale);
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  Int128 x = 0, y = 0;
  int scale = 0;
  align(a, b, &x, &y, &scale);
  return normalize(x - y, scale);
}

Decimal operator*(const Decimal& a, const Decimal& b) {
  Int128 x = a.mantissa(), y = b.mantissa();
  int sx = a.scale(), sy = b.scale();
  Int128 product = 0;
  // Drop decimals of the finer operand until the exact product fits in 128 bits.
  while (__builtin_mul_overflow(x, y, &product)) {
    if (sx == 0 && sy == 0) overflow();
    if (sx >= sy) {
      x = shift_right(x, 1, Decimal::Rounding::kHalfEven);
      --sx;
    } else {
      y = shift_right(y, 1, Decimal::Rounding::kHalfEven);
      --sy;
    }
  }
  return normalize(product, sx + sy);
}

Decimal operator/(const Decimal& a, const Decimal& b) {
  if (b.is_zero()) throw Error(errc::kDivisionByZero, std::string(kRuntimeSource));
  if (a.is_zero()) return Decimal();
  bool negative = (a.mantissa() < 0) != (b.mantissa() < 0);
  Int128 n = abs128(a.mantissa());
  Int128 d = abs128(b.mantissa());
  int scale = a.scale() - b.scale();
  Int128 quotient = n / d;
  Int128 remainder = n % d;
  // Long division, one decimal at a time, while digits fit and the scale allows.
  while (remainder != 0 && scale < Decimal::kMaxScale && quotient < kMaxMantissa / 10) {
    remainder *= 10;
    quotient = quotient * 10 + remainder / d;
    remainder %= d;
    ++scale;
  }
  if (remainder != 0) {
    Int128 twice = remainder * 2;
    if (twice > d || (twice == d && quotient % 2 != 0)) quotient += 1;
  }
  return normalize(negative ? -quotient : quotient, scale);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  Int128 x = a.mantissa(), y = b.mantissa();
  // The usual case, a filter comparing a column with a literal, needs no rounding: the coarser
  // side brought to the finer scale fits. Only a huge value against many decimals gets aligned.
  bool exact =
      a.scale() == b.scale() || (a.scale() < b.scale() ? shift_left(x, b.scale() - a.scale(), &x)
                                                       : shift_left(y, a.scale() - b.scale(), &y));
  if (!exact) {
    int scale = 0;
    align(a, b, &x, &y, &scale);
  }
  if (x < y) return std::strong_ordering::less;
  if (x > y) return std::strong_ordering::greater;
  return std::strong_ordering::equal;
}

}  // namespace automation
