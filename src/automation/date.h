// Automation dates: days since 1899-12-30 as a double, the fraction being the time of day.
// Below zero the integer part counts days back while the fraction still adds time forwards.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace automation {

struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  friend bool operator==(const CivilDateTime&, const CivilDateTime&) = default;
};

// Raises 5 for a date outside 100-01-01 .. 9999-12-31 or fields out of range.
Date date_from_civil(const CivilDateTime& civil);
// The same without raising: nothing where date_from_civil raises.
std::optional<Date> try_date_from_civil(const CivilDateTime& civil);
CivilDateTime civil_from_date(Date date);

// "YYYY-MM-DDTHH:MM:SS" (with ".mmm" when there are milliseconds).
std::string to_iso_text(Date date);
// "YYYY-MM-DD HH:MM:SS.mmm": the form the schema stores dates in, which sorts as text.
std::string to_stored_text(const CivilDateTime& civil);
std::string to_stored_text(Date date);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" and the same with 'T'; nullopt otherwise.
std::optional<Date> parse_iso_date(std::string_view text);

// The date that the component sees as today: the system date unless a test or the host
// fixed one (in the installed ambient, ambient.h). Not synchronised.
CivilDateTime today();
void set_today_override(std::optional<CivilDateTime> fixed);

}  // namespace automation
