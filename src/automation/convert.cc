#include "automation/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "automation/date.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "automation/number_text.h"
#include "automation/object.h"
#include "automation/text.h"

namespace automation {
namespace {

[[noreturn]] void fail(std::int32_t number) { raise_runtime(number); }

std::string currency_text(Currency value, char separator) {
  return Decimal::from_parts(value.scaled, 4).to_string(NumberFormat{separator, ' '});
}

// Date text as the runtime shows it, in ISO order: the date part is left out for day 0 and the
// time part at midnight.
std::string date_text(Date date) {
  CivilDateTime c = civil_from_date(date);
  char buffer[40];
  bool has_day = std::trunc(date.serial) != 0;
  bool has_time = c.hour != 0 || c.minute != 0 || c.second != 0;
  if (has_day && has_time) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second);
  } else if (has_day) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", c.year, c.month, c.day);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", c.hour, c.minute, c.second);
  }
  return buffer;
}

double parse_double(std::string_view text) {
  auto invariant = detail::normalize_number_text(text, current_number_format());
  if (!invariant) fail(errc::kTypeMismatch);
  double value = 0;
  auto result = std::from_chars(invariant->data(), invariant->data() + invariant->size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is the runtime's error 6. Tell them apart by the
    // sign of the decimal exponent of the first significant digit.
    const std::string& t = *invariant;
    std::size_t e = t.find('e');
    long exponent = e == std::string::npos ? 0 : std::strtol(t.c_str() + e + 1, nullptr, 10);
    std::size_t point = t.find('.');
    std::size_t digits_end = std::min(point, e);
    std::size_t first = t.find_first_not_of("-0.");
    long integer_digits = first < digits_end ? static_cast<long>(digits_end - first) : 0;
    if (integer_digits + exponent > 0) fail(errc::kOverflow);
    return 0.0;
  }
  if (result.ec != std::errc()) fail(errc::kTypeMismatch);
  if (!std::isfinite(value)) fail(errc::kOverflow);
  return value;
}

std::int64_t round_half_even(double value) {
  double rounded = std::nearbyint(value);  // the default rounding mode is to nearest, ties even
  if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) fail(errc::kOverflow);
  return static_cast<std::int64_t>(rounded);
}

// CInt/CLng before the range check: the value rounded half to even.
std::int64_t whole_number(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
      return 0;
    case VarType::kNull:
      fail(errc::kInvalidUseOfNull);
    case VarType::kBoolean:
      return value.as_bool() ? -1 : 0;
    case VarType::kInteger:
      return value.as_integer();
    case VarType::kLong:
      return value.as_long();
    case VarType::kLongLong:
      return value.as_long_long();
    case VarType::kDouble:
      return round_half_even(value.as_double());
    case VarType::kDate:
      return round_half_even(value.as_date().serial);
    case VarType::kCurrency:
    case VarType::kDecimal:
    case VarType::kString:
      return to_decimal(value).to_int64_half_even();
    default:
      fail(errc::kTypeMismatch);
  }
}

}  // namespace

std::string double_to_text(double value, char decimal_separator) {
  if (value == 0 || !std::isfinite(value)) return "0";
  // A whole number of at most 15 digits is its own 15-significant-digit text.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    return std::to_string(static_cast<std::int64_t>(value));
  }
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::size_t e_pos = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e_pos)) {
    if (c != '.') digits.push_back(c);
  }
  int exponent = 0;
  std::from_chars(text.data() + e_pos + 1 + (text[e_pos + 1] == '+' ? 1 : 0),
                  text.data() + text.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int n = static_cast<int>(digits.size());

  std::string out = negative ? "-" : "";
  bool scientific = exponent >= 15 || (exponent < -4 && -exponent + std::max(n - 2, 0) >= 15);
  if (scientific) {
    out.push_back(digits[0]);
    if (n > 1) {
      out.push_back(decimal_separator);
      out.append(digits, 1, std::string::npos);
    }
    out.push_back('E');
    out.push_back(exponent < 0 ? '-' : '+');
    int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out.push_back('0');
    out += std::to_string(magnitude);
    return out;
  }
  if (exponent < 0) {
    out += "0";
    out.push_back(decimal_separator);
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  } else if (n <= exponent + 1) {
    out += digits;
    out.append(static_cast<std::size_t>(exponent + 1 - n), '0');
  } else {
    out.append(digits, 0, static_cast<std::size_t>(exponent) + 1);
    out.push_back(decimal_separator);
    out.append(digits, static_cast<std::size_t>(exponent) + 1, std::string::npos);
  }
  return out;
}

std::string double_to_text(double value) {
  return double_to_text(value, current_number_format().decimal_separator);
}

std::optional<std::string> exact_number_text(const Variant& value) {
  switch (value.type()) {
    case VarType::kInteger:
      return std::to_string(value.as_integer());
    case VarType::kLong:
      return std::to_string(value.as_long());
    case VarType::kLongLong:
      return std::to_string(value.as_long_long());
    case VarType::kDecimal:
      return value.as_decimal().to_string();
    default:
      return std::nullopt;
  }
}

std::string to_text(const Variant& value) {
  if (std::optional<std::string> exact = exact_number_text(value)) return *std::move(exact);
  const char separator = current_number_format().decimal_separator;
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
    case VarType::kError:
      return {};
    case VarType::kBoolean:
      return value.as_bool() ? "True" : "False";
    case VarType::kInteger:  // exact_number_text
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kDecimal:
      break;
    case VarType::kDouble:
      return double_to_text(value.as_double(), separator);
    case VarType::kCurrency:
      return currency_text(value.as_currency(), separator);
    case VarType::kDate:
      return date_text(value.as_date());
    case VarType::kString:
      return value.as_string();
    case VarType::kByteArray: {
      const Bytes& bytes = value.as_bytes();
      return std::string(bytes.begin(), bytes.end());
    }
    case VarType::kObject:
      if (value.is_nothing()) fail(errc::kObjectVariableNotSet);
      fail(errc::kTypeMismatch);
  }
  fail(errc::kTypeMismatch);
}

Decimal to_decimal(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
      return Decimal();
    case VarType::kNull:
      fail(errc::kInvalidUseOfNull);
    case VarType::kBoolean:
      return Decimal(value.as_bool() ? -1 : 0);
    case VarType::kInteger:
      return Decimal(value.as_integer());
    case VarType::kLong:
      return Decimal(value.as_long());
    case VarType::kLongLong:
      return Decimal(value.as_long_long());
    case VarType::kDouble:
      return Decimal::from_double(value.as_double());
    case VarType::kCurrency:
      return Decimal::from_parts(value.as_currency().scaled, 4);
    case VarType::kDecimal:
      return value.as_decimal();
    case VarType::kDate:
      return Decimal::from_double(value.as_date().serial);
    case VarType::kString:
      return Decimal::parse(value.as_string());
    default:
      fail(errc::kTypeMismatch);
  }
}

double to_double(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
      return 0.0;
    case VarType::kNull:
      fail(errc::kInvalidUseOfNull);
    case VarType::kBoolean:
      return value.as_bool() ? -1.0 : 0.0;
    case VarType::kInteger:
      return value.as_integer();
    case VarType::kLong:
      return value.as_long();
    case VarType::kLongLong:
      return static_cast<double>(value.as_long_long());
    case VarType::kDouble:
      return value.as_double();
    case VarType::kCurrency:
      return static_cast<double>(value.as_currency().scaled) / 10000.0;
    case VarType::kDecimal:
      return value.as_decimal().to_double();
    case VarType::kDate:
      return value.as_date().serial;
    case VarType::kString:
      return parse_double(value.as_string());
    default:
      fail(errc::kTypeMismatch);
  }
}

std::int16_t to_integer(const Variant& value) {
  std::int64_t whole = whole_number(value);
  if (whole < -32768 || whole > 32767) fail(errc::kOverflow);
  return static_cast<std::int16_t>(whole);
}

std::int32_t to_long(const Variant& value) {
  std::int64_t whole = whole_number(value);
  if (whole < std::numeric_limits<std::int32_t>::min() ||
      whole > std::numeric_limits<std::int32_t>::max()) {
    fail(errc::kOverflow);
  }
  return static_cast<std::int32_t>(whole);
}

bool to_bool(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
      return false;
    case VarType::kNull:
      fail(errc::kInvalidUseOfNull);
    case VarType::kBoolean:
      return value.as_bool();
    case VarType::kString: {
      std::string_view text = trim(value.as_string());
      if (iequals(text, "True")) return true;
      if (iequals(text, "False")) return false;
      return parse_double(value.as_string()) != 0.0;
    }
    default:
      return to_double(value) != 0.0;
  }
}

Currency to_currency(const Variant& value) {
  Decimal d = to_decimal(value).round(4, Decimal::Rounding::kHalfEven);
  Int128 scaled = d.mantissa();
  for (int i = d.scale(); i < 4; ++i) scaled *= 10;
  if (scaled > std::numeric_limits<std::int64_t>::max() ||
      scaled < std::numeric_limits<std::int64_t>::min()) {
    fail(errc::kOverflow);
  }
  return Currency{static_cast<std::int64_t>(scaled)};
}

Date to_date(const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
      return Date{0.0};
    case VarType::kNull:
      fail(errc::kInvalidUseOfNull);
    case VarType::kDate:
      return value.as_date();
    case VarType::kString: {
      auto parsed = parse_iso_date(trim(value.as_string()));
      if (!parsed) fail(errc::kTypeMismatch);
      return *parsed;
    }
    default: {
      double serial = to_double(value);
      if (serial < -657434.0 || serial >= 2958466.0) fail(errc::kOverflow);
      return Date{serial};
    }
  }
}

}  // namespace automation
