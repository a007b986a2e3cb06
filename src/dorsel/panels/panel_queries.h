// The queries with which the panel methods re-read a panel's rows for one item, and the
// no-row queries that empty a panel. Texts are laid out one clause per line, lines joined by
// CR LF; every text value goes between single quotes through SqlText::quoted, numbers go in as
// text without quotes. Internal to the panel methods; stateless.
#pragma once

#include <string>
#include <string_view>

namespace dorsel::panels {

// What a per-item query is built from: the company code as text (read from the host by the
// caller), the item code as given, and the company language (4 characters, "ITA " without
// a host).
struct QueryValues {
  std::string company;
  std::string item;
  std::string language;
};

// Descriptions: the item's base-option rows with the blank language.
std::string descriptions(const QueryValues& v);
// Notes: the item's base-option rows of every language.
std::string notes(const QueryValues& v);
// Stock parameters, packs and fixed locations of the item's base option.
std::string stock(const QueryValues& v);
std::string packs(const QueryValues& v);
std::string locations(const QueryValues& v);
// Intrastat data of every option, and the nomenclature history of every type.
std::string intrastat(const QueryValues& v);
std::string nomenclature(const QueryValues& v);

// The stored price-list rows of one side ("0" sales, "1" purchases), base option, no
// particular deposit. The show form numbers the rows (MYID) and takes every list type; the
// refresh form has no row number and keeps list type 0.
std::string price_list_shown(const QueryValues& v, std::string_view side);
std::string price_list_refreshed(const QueryValues& v, std::string_view side);
// Last prices: the show form takes both directions, every deposit and list type; the refresh
// form keeps list type 0 and no particular deposit.
std::string last_prices_shown(const QueryValues& v);
std::string last_prices_refreshed(const QueryValues& v);

// The item's applications with their descriptions in the company language.
std::string applications(const QueryValues& v);
// The same columns with no row (only the language is used).
std::string applications_empty(std::string_view language);
// Variant parameters with their group, and variant flags in their order.
std::string variant_parameters(const QueryValues& v);
std::string variant_flags(const QueryValues& v);

}  // namespace dorsel::panels
