// The runtime's scanner for numbers written as text (VarParseNumFromStr with the standard
// flags): it turns a text in a number format into an invariant form that the Decimal and
// Double conversions read. Internal to the automation layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/number_format.h"

namespace automation::detail {

// "[-]digits[.digits][e[-]digits]" for an accepted text, nullopt for one the runtime rejects
// (no digits, stray characters, two decimal separators, an empty text). Accepts surrounding
// blanks and tabs, a leading or trailing sign, parentheses for negative numbers, group
// separators among the integer digits, the decimal separator, an exponent, and &H / &O
// prefixes for hexadecimal and octal whole numbers.
std::optional<std::string> normalize_number_text(std::string_view text, const NumberFormat& format);

}  // namespace automation::detail
