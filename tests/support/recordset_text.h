// Renders a recordset as one string, for tests that compare a whole state at once: a header of
// the field names, then one line per row visible through the recordset's filter, values joined
// by " | ". Values read: Null, Empty, numbers without grouping ('.' as separator), 'texts' with
// quotes doubled, #YYYY-MM-DD HH:MM:SS# dates, True/False, 0x.. bytes.
//
// A scrollable recordset is walked through a clone (same filter), so its position and edit
// state stay as they were; a forward-only one is walked from its first row and left at EOF.
#pragma once

#include <string>

#include "automation/variant.h"
#include "data/recordset.h"

namespace test_support {

enum class ShowTypes { kNo, kYes };

// One value as the renderer writes it; with kYes its subtype follows (":Long", ":String").
std::string value_text(const automation::Variant& value, ShowTypes types = ShowTypes::kNo);

// "(closed)" for a closed recordset.
std::string recordset_text(data::Recordset& recordset, ShowTypes types = ShowTypes::kNo);

}  // namespace test_support
