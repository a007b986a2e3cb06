// Exact decimal numbers for the dialect's conversions: SQL Server rounds NUMERIC and MONEY
// values in decimal, half away from zero, so 2.345 becomes 2.35 although the double nearest to
// 2.345 lies below it. A double is therefore read through its 15-significant-digit text, the
// digits a person typed, before any rounding. The digits and their rounding are the runtime's
// exact decimal arithmetic; this type adds the dialect's texts. Internal to the dialect's
// functions. Value type; thread-compatible.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/exact_decimal.h"

namespace data::dialect {

class DecimalText {
 public:
  DecimalText() = default;

  static DecimalText from_integer(std::int64_t value);
  // The shortest text of at most 15 significant digits; nullopt for infinities and NaN.
  static std::optional<DecimalText> from_double(double value);
  // [blanks] [+|-] digits [. digits] [blanks], at least one digit; with `exponent` also
  // e[+|-]digits (at most kMaxExponent) after the digits. nullopt for anything else.
  static constexpr int kMaxExponent = 400;
  static std::optional<DecimalText> parse(std::string_view text, bool exponent);

  // Rounds (half away from zero) or pads to exactly `scale` fraction digits.
  void round_to(int scale);
  // Drops the fraction (toward zero).
  void truncate();

  bool negative() const { return value_.negative(); }
  bool is_zero() const { return value_.is_zero(); }
  int scale() const { return value_.scale(); }
  // Digits before the decimal point, leading zeros not counted.
  int integer_digits() const;

  // The whole part when it fits; nullopt otherwise. The fraction is ignored.
  std::optional<std::int64_t> to_integer() const;
  double to_double() const;
  // Fixed-point text with the current scale; `thousands` puts a comma every three digits.
  std::string format(bool thousands = false) const { return value_.to_string(thousands); }

 private:
  explicit DecimalText(automation::ExactDecimal value) : value_(std::move(value)) {}

  automation::ExactDecimal value_;  // never with a negative scale
};

}  // namespace data::dialect
