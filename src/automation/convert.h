// The Basic runtime's value conversions, as free functions. Each raises the runtime's error
// (13 Type mismatch, 6 Overflow, 94 Invalid use of Null) where the runtime does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace automation {

// What `value & ""` gives: Empty, Null and a missing argument give "", a Double at most 15
// significant digits in the current number format (exponent form outside 1e-4..1e15 as the
// runtime writes it), Boolean "True"/"False", a Date its text (see date.h), Decimal and
// Currency all their digits without an exponent. An object raises 13.
std::string to_text(const Variant& value);
// The text of a whole number or a Decimal, which no number format changes; nothing for a value
// of another type.
std::optional<std::string> exact_number_text(const Variant& value);

// Text of a Double as the runtime writes it (15 significant digits), in the given separator.
std::string double_to_text(double value, char decimal_separator);
std::string double_to_text(double value);  // current number format

// CDec: strings are parsed in the current number format; Empty gives 0; Null raises 94;
// Boolean True gives -1; an object or byte array raises 13.
Decimal to_decimal(const Variant& value);
// CDbl.
double to_double(const Variant& value);
// CInt: round half to even, then range -32768..32767, else 6.
std::int16_t to_integer(const Variant& value);
// CLng: round half to even, then the 32-bit range, else 6.
std::int32_t to_long(const Variant& value);
// CBool: numbers are True when not zero; "True"/"False" (any case) and numeric texts.
bool to_bool(const Variant& value);
// CCur: to four decimals, half to even.
Currency to_currency(const Variant& value);
// CDate: Date as is, numbers as serials, text in ISO form (see date.h).
Date to_date(const Variant& value);

}  // namespace automation
