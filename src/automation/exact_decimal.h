// ExactDecimal: a decimal number held exactly, a sign, a coefficient of any length and a scale
// (the value is coefficient / 10^scale; a negative scale stands for trailing zeros). It is the
// one arithmetic behind the runtime's Decimal and the dialect's numeric conversions: sums,
// differences and products are exact, and a quotient is exact to the digits asked for and
// remembers whether anything was left over, so that each caller rounds once, from the exact
// value, to what its own type keeps.
//
// Sizes grow with the digits; callers keep operands within the ranges their types allow (a
// padding to a finer scale allocates that many digits). Value type; thread-compatible.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace automation {

__extension__ using Int128 = __int128;
__extension__ using UInt128 = unsigned __int128;

class ExactDecimal {
 public:
  enum class Rounding { kHalfEven, kHalfAwayFromZero, kTowardZero };

  // Significant digits a parsed text keeps; the digits after them only make the value inexact
  // (rounding still sees that something followed), which no caller's type can tell apart.
  static constexpr int kMaxDigits = 1000;

  ExactDecimal() = default;  // zero, scale 0

  static ExactDecimal from_int128(Int128 coefficient, int scale);

  // [+|-] digits [. digits] [(e|E) [+|-] digits], at least one digit before the exponent.
  // nullopt for anything else, and for a written exponent of more than `max_exponent` digits'
  // worth (|exponent| > max_exponent), which bounds the size of any later padding.
  static std::optional<ExactDecimal> parse(std::string_view text, int max_exponent);

  bool is_zero() const { return limbs_.empty(); }
  bool negative() const { return negative_; }
  int scale() const { return scale_; }
  // True when digits were dropped without rounding: the value lies strictly between this one
  // and the next coefficient away from zero.
  bool inexact() const { return inexact_; }
  // Digits of the coefficient, leading zeros not counted (0 for zero).
  int digits() const;
  // Digits before the decimal point: digits() - scale(), zero or less for a value below 1.
  int whole_digits() const { return digits() - scale_; }

  // The value with exactly `scale` fraction digits: rounded when coarser, padded with zeros
  // when finer. The result is exact (inexact() false). An inexact value must be rounded to a
  // coarser scale than its own: the mark alone cannot say on which side of a half it lies.
  ExactDecimal rounded(int scale, Rounding mode) const;
  // The same value with trailing zero digits of the fraction dropped, down to `min_scale`.
  ExactDecimal trimmed(int min_scale) const;

  // The signed coefficient when its magnitude is below 2^127.
  std::optional<Int128> coefficient() const;

  // Fixed-point text with exactly max(scale, 0) fraction digits after `separator` ("-" for a
  // negative value other than zero; a comma every three whole digits when `thousands`).
  std::string to_string(bool thousands = false, char separator = '.') const;

  friend ExactDecimal operator+(const ExactDecimal& a, const ExactDecimal& b);
  friend ExactDecimal operator-(const ExactDecimal& a, const ExactDecimal& b);
  friend ExactDecimal operator*(const ExactDecimal& a, const ExactDecimal& b);
  ExactDecimal operator-() const;
  // Numeric order; inexact marks are ignored.
  friend std::strong_ordering operator<=>(const ExactDecimal& a, const ExactDecimal& b);
  friend bool operator==(const ExactDecimal& a, const ExactDecimal& b) {
    return std::is_eq(a <=> b);
  }

  // a / b cut (toward zero) after `scale` fraction digits, inexact when a remainder was left.
  // b must not be zero and its coefficient must have at most kMaxDivisorDigits digits.
  static constexpr int kMaxDivisorDigits = 29;
  static ExactDecimal divide(const ExactDecimal& a, const ExactDecimal& b, int scale);

 private:
  using Limbs = std::vector<std::uint32_t>;  // base 10^9, least significant first, no high zero

  ExactDecimal(bool negative, Limbs limbs, int scale, bool inexact);
  ExactDecimal aligned_to(int scale) const;  // the same value at a finer scale (exact)

  bool negative_ = false;
  bool inexact_ = false;
  int scale_ = 0;
  Limbs limbs_;
};

}  // namespace automation
