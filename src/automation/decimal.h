// Decimal: the automation runtime's exact decimal number, up to 28 digits after the point
// and a 96-bit magnitude (about 7.9e28), kept as a 128-bit mantissa and a scale.
//
// Every operation rounds once, from the exact result, half to even, to the largest scale (at
// most 28) whose mantissa fits 96 bits; an exact result that fits keeps its own scale (the
// larger operand scale for + and -, the sum of the scales for *, the fewest decimals at or
// above the difference of the scales for /). A result that does not fit even without
// decimals raises error 6 (Overflow).
//
// Value type; thread-compatible.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/exact_decimal.h"

namespace automation {

struct NumberFormat;

class Decimal {
 public:
  static constexpr int kMaxScale = 28;

  Decimal() = default;
  Decimal(std::int64_t value) { set_mantissa(value); }  // NOLINT(google-explicit-constructor)

  // mantissa / 10^scale. Raises 6 when the mantissa is out of the 96-bit range or scale > 28.
  static Decimal from_parts(Int128 mantissa, int scale);

  // The runtime's text to decimal conversion in the given number format: surrounding blanks,
  // a leading or trailing sign, parentheses for negative, group separators among the integer
  // digits, one decimal separator, an exponent. Raises 13 for anything else (including an
  // empty text) and 6 when the value is out of range. Digits past what fits are rounded.
  static Decimal parse(std::string_view text, const NumberFormat& format);
  static Decimal parse(std::string_view text);  // in the current number format
  // The same without raising: nothing where parse raises, and the number it would raise (13 or
  // 6) in `*error_number` when that is given.
  static std::optional<Decimal> try_parse(std::string_view text, const NumberFormat& format,
                                          std::int32_t* error_number = nullptr);

  // A double through its 15-significant-digit text, as the runtime converts it.
  // Raises 6 for infinities, NaN and magnitudes beyond the range.
  static Decimal from_double(double value);

  Int128 mantissa() const {
    return static_cast<Int128>((static_cast<UInt128>(high_) << 64) | low_);
  }
  int scale() const { return scale_; }
  bool is_zero() const { return low_ == 0 && high_ == 0; }
  bool is_negative() const { return static_cast<std::int64_t>(high_) < 0; }

  double to_double() const;
  // Text with the format's decimal separator, trailing zeros of the scale removed, no exponent
  // and no group separators ("1.5", "-0.0009", "12").
  std::string to_string(const NumberFormat& format) const;
  std::string to_string() const;  // in the current number format
  // Plain text with '.' whatever the locale, for SQL and storage.
  std::string to_invariant_string() const;

  // Round to `digits` decimals: half away from zero (the default) or half to even.
  enum class Rounding { kHalfAwayFromZero, kHalfEven };
  Decimal round(int digits, Rounding mode = Rounding::kHalfAwayFromZero) const;
  // Whole-number value, rounded half to even as CInt/CLng do. Raises 6 past int64.
  std::int64_t to_int64_half_even() const;

  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  // Raises 11 when b is zero.
  friend Decimal operator/(const Decimal& a, const Decimal& b);
  Decimal operator-() const { return from_parts(-mantissa(), scale_); }

  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
  friend bool operator==(const Decimal& a, const Decimal& b) { return std::is_eq(a <=> b); }

  // The exact value, for arithmetic that rounds only at its end.
  ExactDecimal exact() const { return ExactDecimal::from_int128(mantissa(), scale_); }
  // The exact value rounded as every operation rounds (see above). Raises 6 when it does not fit.
  static Decimal fit(const ExactDecimal& exact);
  // The same without raising: nothing when it does not fit.
  static std::optional<Decimal> try_fit(const ExactDecimal& exact);

 private:
  void set_mantissa(Int128 mantissa) {
    low_ = static_cast<std::uint64_t>(mantissa);
    high_ = static_cast<std::uint64_t>(static_cast<UInt128>(mantissa) >> 64);
  }

  // The mantissa in two halves rather than one __int128, whose 16-byte alignment would make
  // every Variant (and so every stored value) 8 bytes larger.
  std::uint64_t low_ = 0;
  std::uint64_t high_ = 0;
  int scale_ = 0;
};

}  // namespace automation
