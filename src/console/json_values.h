// Automation values as JSON, the way the automation session writes and reads them.
//
// JSON null is Null; strings, booleans and numbers stand for themselves (a whole number that
// fits 32 bits reads as a Long, any other number as a Double). Tagged objects carry the rest:
// {"$empty": true}, {"$missing": true}, {"$nothing": true}, {"$int": 3} (16-bit),
// {"$decimal": "12.50"}, {"$currency": "1.5"}, {"$date": "2019-12-31T00:00:00"},
// {"$bytes": "BASE64"}, {"$object": "TypeName"} (written only), {"$ref": NAME} (read only,
// resolved by the caller), {"$recordset": {...}} (written only).
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "automation/variant.h"
#include "data/recordset.h"

namespace console {

// Resolves {"$ref": NAME} while reading; raises when the name is unknown.
using RefResolver = std::function<automation::Variant(const std::string& name)>;

// Raises automation::Error 5 for a JSON value that is not a valid automation value.
automation::Variant variant_from_json(const nlohmann::json& json, const RefResolver& resolve);
nlohmann::json variant_to_json(const automation::Variant& value);

// {"state", "fields", "rows" (through the filter, in cursor order), "recordCount",
// "absolutePosition", "bof", "eof", "filter"}; a closed recordset has only state and fields.
// Reading leaves the recordset's position and filter as they were.
nlohmann::json recordset_to_json(data::Recordset& recordset);

// Calls `visit` with the fields of each row of `recordset` through its filter, in cursor order;
// a forward-only recordset has no rows to show. A clone walks them, so the recordset's position
// and filter stay as they were.
void for_each_row(data::Recordset& recordset, const std::function<void(data::Fields&)>& visit);

std::string base64_encode(const automation::Bytes& bytes);
// Raises automation::Error 5 for text that is not base64.
automation::Bytes base64_decode(std::string_view text);

}  // namespace console
