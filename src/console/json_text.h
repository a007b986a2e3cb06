// Automation values written straight as the session's JSON text, without a document tree: a
// recordset of thousands of rows goes from its rows to the answer's bytes.
//
// The text is exactly what serialising variant_to_json (json_values.h) gives with
// nlohmann::json's dump(-1, ' ', false, error_handler_t::replace): keys in sorted order, no
// blanks, numbers and strings as that library writes them (invalid UTF-8 replaced by U+FFFD).
// Stateless; safe to call from any thread on values no other thread changes.
#pragma once

#include <string>
#include <string_view>

#include "automation/variant.h"
#include "data/recordset.h"

namespace console {

// Appends a value; a recordset as {"$recordset": ...} (see recordset_to_json).
void append_json(std::string& out, const automation::Variant& value);

// Appends a recordset's body: its state and fields, and when open its rows through the filter
// in cursor order, count, position, BOF, EOF and filter. Leaves its position and filter as they
// were.
void append_recordset_json(std::string& out, data::Recordset& recordset);

// Appends a text as a JSON string.
void append_json_string(std::string& out, std::string_view text);

// Appends a number as nlohmann::json writes a double (null when not finite).
void append_json_double(std::string& out, double value);

}  // namespace console
