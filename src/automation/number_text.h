// The runtime's scanner for numbers written as text (VarParseNumFromStr with the standard
// flags): it turns a text in a number format into an invariant form that the Decimal and
// Double conversions read. Internal to the automation layer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/number_format.h"

namespace automation::detail {

// A whole number written in digits of a radix, read with its overflow checked.
struct UnsignedText {
  std::uint64_t value = 0;  // saturated at the largest 64-bit value when too_large
  bool too_large = false;   // the digits stand for more than 64 bits
};

// The conversion layer's one reading of whole-number digits (&H and &O numbers, exponents):
// nullopt when `digits` is empty or holds a character that is not a digit of `radix` (2..16).
std::optional<UnsignedText> read_unsigned(std::string_view digits, int radix);

// "[-]digits[.digits][e[-]digits]" for an accepted text, nullopt for one the runtime rejects
// (no digits, stray characters, two decimal separators, an empty text). Accepts surrounding
// blanks and tabs, a leading or trailing sign, parentheses for negative numbers, group
// separators among the integer digits, the decimal separator, an exponent, and &H / &O
// prefixes for hexadecimal and octal whole numbers (up to 4 digits 16-bit, up to 8 digits
// 32-bit, else 64-bit, in two's complement). Raises 6 (Overflow) for a number beyond every
// numeric type: an &H or &O number past 64 bits or its negation past the 64-bit range, and a
// first significant digit more than kMaxExponent places before the point. One more than
// kMaxExponent places after the point reads as zero ("0e-400"), below every type's smallest
// step.
inline constexpr int kMaxExponent = 400;
std::optional<std::string> normalize_number_text(std::string_view text, const NumberFormat& format);

}  // namespace automation::detail
