// Exact decimal numbers for the dialect's conversions: SQL Server rounds NUMERIC and MONEY
// values in decimal, half away from zero, so 2.345 becomes 2.35 although the double nearest to
// 2.345 lies below it. A double is therefore read through its 15-significant-digit text, the
// digits a person typed, before any rounding. Internal to the dialect's functions. Value type;
// thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace data::sqlite::tsql {

class DecimalText {
 public:
  DecimalText() = default;

  static DecimalText from_integer(std::int64_t value);
  // The shortest text of at most 15 significant digits; nullopt for infinities and NaN.
  static std::optional<DecimalText> from_double(double value);
  // [blanks] [+|-] digits [. digits] [blanks], at least one digit; with `exponent` also
  // e[+|-]digits after the digits. nullopt for anything else.
  static std::optional<DecimalText> parse(std::string_view text, bool exponent);

  // Rounds (half away from zero) or pads to exactly `scale` fraction digits.
  void round_to(int scale);
  // Drops the fraction (toward zero).
  void truncate();

  bool negative() const { return negative_; }
  bool is_zero() const { return digits_.find_first_not_of('0') == std::string::npos; }
  int scale() const { return scale_; }
  // Digits before the decimal point, leading zeros not counted.
  int integer_digits() const;

  // The whole part when it fits; nullopt otherwise. The fraction is ignored.
  std::optional<std::int64_t> to_integer() const;
  double to_double() const;
  // Fixed-point text with the current scale; `thousands` puts a comma every three digits.
  std::string format(bool thousands = false) const;

 private:
  bool negative_ = false;
  std::string digits_ = "0";  // unscaled value, most significant first, no sign
  int scale_ = 0;             // digits_ holds this many fraction digits at its end
};

}  // namespace data::sqlite::tsql
