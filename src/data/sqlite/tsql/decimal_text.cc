#include "data/sqlite/tsql/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace data::sqlite::tsql {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Exponents beyond this cannot come from a value the conversions accept; refusing them keeps
// the digit strings small whatever the input.
constexpr int kMaxExponent = 400;

}  // namespace

DecimalText DecimalText::from_integer(std::int64_t value) {
  DecimalText d;
  d.negative_ = value < 0;
  // The magnitude of INT64_MIN does not fit in int64; go through unsigned.
  std::uint64_t magnitude =
      d.negative_ ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  d.digits_ = std::to_string(magnitude);
  return d;
}

std::optional<DecimalText> DecimalText::from_double(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return parse(buffer, true);
}

std::optional<DecimalText> DecimalText::parse(std::string_view text, bool exponent) {
  std::size_t i = 0;
  std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  DecimalText d;
  if (i < n && (text[i] == '+' || text[i] == '-')) d.negative_ = text[i++] == '-';
  std::string digits;
  int scale = 0;
  bool any = false;
  while (i < n && is_digit(text[i])) {
    digits += text[i++];
    any = true;
  }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && is_digit(text[i])) {
      digits += text[i++];
      ++scale;
      any = true;
    }
  }
  if (!any) return std::nullopt;
  if (exponent && i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative_exponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
    if (i >= n || !is_digit(text[i])) return std::nullopt;
    int e = 0;
    while (i < n && is_digit(text[i])) {
      e = e * 10 + (text[i++] - '0');
      if (e > kMaxExponent) return std::nullopt;
    }
    if (negative_exponent) {
      scale += e;
    } else if (e <= scale) {
      scale -= e;
    } else {
      digits.append(static_cast<std::size_t>(e - scale), '0');
      scale = 0;
    }
  }
  if (i != n) return std::nullopt;
  // Keep one digit before the point and drop the other leading zeros.
  const std::size_t keep = static_cast<std::size_t>(scale) + 1;
  std::size_t lead = 0;
  while (digits.size() - lead > keep && digits[lead] == '0') ++lead;
  digits.erase(0, lead);
  if (digits.size() < keep) digits.insert(0, keep - digits.size(), '0');
  d.digits_ = std::move(digits);
  d.scale_ = scale;
  if (d.is_zero()) d.negative_ = false;
  return d;
}

void DecimalText::round_to(int scale) {
  if (scale >= scale_) {
    digits_.append(static_cast<std::size_t>(scale - scale_), '0');
    scale_ = scale;
    return;
  }
  const std::size_t drop = static_cast<std::size_t>(scale_ - scale);
  const bool up = digits_[digits_.size() - drop] >= '5';
  digits_.erase(digits_.size() - drop);
  scale_ = scale;
  if (up) {
    std::size_t i = digits_.size();
    while (i > 0) {
      --i;
      if (digits_[i] == '9') {
        digits_[i] = '0';
      } else {
        ++digits_[i];
        break;
      }
      if (i == 0) digits_.insert(digits_.begin(), '1');
    }
  }
  if (digits_.size() <= static_cast<std::size_t>(scale_)) {
    digits_.insert(0, static_cast<std::size_t>(scale_) + 1 - digits_.size(), '0');
  }
  if (is_zero()) negative_ = false;
}

void DecimalText::truncate() {
  digits_.erase(digits_.size() - static_cast<std::size_t>(scale_));
  scale_ = 0;
  if (digits_.empty()) digits_.push_back('0');
  if (is_zero()) negative_ = false;
}

int DecimalText::integer_digits() const {
  const std::size_t whole = digits_.size() - static_cast<std::size_t>(scale_);
  std::size_t lead = 0;
  while (lead < whole && digits_[lead] == '0') ++lead;
  return static_cast<int>(whole - lead);
}

std::optional<std::int64_t> DecimalText::to_integer() const {
  const std::size_t whole = digits_.size() - static_cast<std::size_t>(scale_);
  std::uint64_t magnitude = 0;
  constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(INT64_MAX) + 1;
  for (std::size_t i = 0; i < whole; ++i) {
    const std::uint64_t digit = static_cast<std::uint64_t>(digits_[i] - '0');
    if (magnitude > (kLimit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  if (negative_) {
    return magnitude == kLimit ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude == kLimit) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

double DecimalText::to_double() const { return std::strtod(format().c_str(), nullptr); }

std::string DecimalText::format(bool thousands) const {
  const std::size_t whole = digits_.size() - static_cast<std::size_t>(scale_);
  std::string out;
  out.reserve(digits_.size() + digits_.size() / 3 + 3);
  if (negative_) out += '-';
  for (std::size_t i = 0; i < whole; ++i) {
    if (thousands && i > 0 && (whole - i) % 3 == 0) out += ',';
    out += digits_[i];
  }
  if (scale_ > 0) {
    out += '.';
    out.append(digits_, whole, std::string::npos);
  }
  return out;
}

}  // namespace data::sqlite::tsql
