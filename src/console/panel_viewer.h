// The panel viewer for people: creates the component as a host would (connection with the
// client cursor location, the host object, Initialize, every loader), shows an item's panels
// through ShowChild and prints each one as a readable table, or as JSON.
//
// Table form: a heading per panel (its title and its panel name, the number of rows), the
// column names without the panel table's code in front, values aligned (numbers to the right,
// in the current number format; dates as dates; Null empty) and a line "(no rows)" for an
// empty panel. The company and item columns are left out (the item's heading says them); the
// price panels show their views with the columns a buyer or seller reads (list, currency,
// validity, price, discounts, markups, net price, decoded codes). A text longer than 32
// characters wraps inside its cell, and a table wider than 120 characters is printed in
// blocks of columns, each block repeating the row number.
//
// JSON form: one object, panel name -> {"title", "columns" (every column), "rows" (arrays of
// values as the automation session writes them)}; the Intrastat panel carries its
// nomenclature history as a second table under "history"; a panel that failed has "error"
// ({number, source, description}) instead of columns and rows.
//
// Not thread-safe: it sets the process's number format for the time of a call.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "console/options.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace console {

enum class ViewFormat { kTable, kJson };

// The panel names the viewer knows, in the order it shows them by default: the panels of
// ShowChild, then "IMMAGINI", the item's catalogue images and attachments (Get_PathImage).
const std::vector<std::string>& viewer_panels();

// The title the viewer gives a panel, or "" for a name it does not know.
std::string_view panel_title(std::string_view name);

// For hosts that lay the panels out themselves (the browser console): runs every loader for
// the item on a component that is bound and initialised, then reads `panels` (all when empty)
// in the viewer's order, as the JSON form gives them. With `layout`, each table also carries
// "code" (the table code in front of its column names) and "shown" (the columns the table
// form shows, in its order). Raises 5 naming an unknown panel, before anything is loaded, and
// what a loader raises; a panel's own failure is its "error" entry.
nlohmann::ordered_json read_item_panels(dorsel::CLSMG_DORSEL& component, const std::string& item,
                                        const std::vector<std::string>& panels, bool layout);

// Shows `panels` (all of them when empty) of an item. Returns 0 when every panel was shown;
// 2 for a panel name the viewer does not know (nothing is opened then); 1 when the
// connection, Initialize or a loader fails (the error is printed to `err`) or when a panel's
// ShowChild fails (its error is printed in its place and the other panels are still shown).
int run_show(const HostOptions& options, const std::string& item,
             const std::vector<std::string>& panels, ViewFormat format, std::ostream& out,
             std::ostream& err);

}  // namespace console
