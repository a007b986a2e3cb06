// The component's two value functions, used wherever stored values are read.
#pragma once

#include <string>

#include "automation/variant.h"

namespace dorsel {

// The right-trimmed text of a value (trailing blanks removed, leading kept); a missing
// argument, Null and Empty give "". Raises what the text conversion raises (an object: 13).
std::string ValoreTesto(const automation::Variant& value = automation::Variant::missing());

// The decimal number of a value as text in the current number format; "0" when ValoreTesto
// of it is empty. Raises 13 for a text that is not a number.
std::string ValoreNumerico(const automation::Variant& value = automation::Variant::missing());

// ValoreNumerico taken as a double, as callers compare it ("reads as zero", "equals 1").
double ValoreNumerico_double(const automation::Variant& value);

}  // namespace dorsel
