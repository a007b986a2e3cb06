// Raising the data layer's errors with ADO's numbers, descriptions and sources.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/error.h"

namespace data {

// ADO's description for one of the numbers in ado.h; empty for others.
std::string_view ado_description(std::int32_t number);

// An automation::Error with ADO's description for `number` and `source` such as
// "ADODB.Recordset", "ADODB.Field", "ADODB.Connection", "ADODB.Stream".
[[noreturn]] void raise(std::int32_t number, std::string_view source);
[[noreturn]] void raise(std::int32_t number, std::string_view source, std::string description);

}  // namespace data
