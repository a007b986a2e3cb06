#include "data/dialect/decimal_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace data::dialect {

using automation::ExactDecimal;

DecimalText DecimalText::from_integer(std::int64_t value) {
  return DecimalText(ExactDecimal::from_int128(value, 0));
}

std::optional<DecimalText> DecimalText::from_double(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return parse(buffer, true);
}

std::optional<DecimalText> DecimalText::parse(std::string_view text, bool exponent) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!exponent && text.find_first_of("eE") != std::string_view::npos) return std::nullopt;
  auto value = ExactDecimal::parse(text, kMaxExponent);
  if (!value) return std::nullopt;
  // An exponent's trailing zeros become digits before the point, as written out in full.
  if (value->scale() < 0) *value = value->rounded(0, ExactDecimal::Rounding::kTowardZero);
  return DecimalText(std::move(*value));
}

void DecimalText::round_to(int scale) {
  value_ = value_.rounded(scale, ExactDecimal::Rounding::kHalfAwayFromZero);
}

void DecimalText::truncate() { value_ = value_.rounded(0, ExactDecimal::Rounding::kTowardZero); }

int DecimalText::integer_digits() const { return std::max(value_.whole_digits(), 0); }

std::optional<std::int64_t> DecimalText::to_integer() const {
  const auto whole = value_.rounded(0, ExactDecimal::Rounding::kTowardZero).coefficient();
  if (!whole || *whole > INT64_MAX || *whole < INT64_MIN) return std::nullopt;
  return static_cast<std::int64_t>(*whole);
}

double DecimalText::to_double() const { return std::strtod(format().c_str(), nullptr); }

}  // namespace data::dialect
