// The benchmarks' data set: the demo's shape (its companies, currencies, translations and
// table writers) scaled to many items and rows, written into a database that has the schema.
// Stateless; one connection at a time.
#pragma once

#include "data/connection.h"

namespace bench {

// What generate_scaled writes: company 1 with `items` items, each with the given number of
// rows per panel. Counts are per item.
struct DemoScale {
  int items = 1;
  int pricelist_rows = 10;   // sales price-list rows (LI10_LISTARTIC)
  int purchase_rows = 10;    // purchase price-list rows (LI10_LISTARTIC)
  int last_price_rows = 10;  // last purchase and sale prices (LI11_ULTPRACQVEN)
  // Rows in each of the other panel tables: stock, packs, fixed locations, descriptions and
  // notes, Intrastat, nomenclature history, variant parameters, variant flags, applications.
  int stock_rows = 10;
  int attachments = 14;  // catalogue attachments of the item's entry, kinds 0 to 6 in turn
};

// Limits that keep the generated keys inside their columns.
inline constexpr int kMaxScaledItems = 999'999;
inline constexpr int kMaxScaledPriceRows = 1'000'000;
inline constexpr int kMaxScaledStockRows = 1'000;
inline constexpr int kMaxScaledLastPriceRows = 32'767;
inline constexpr int kMaxScaledAttachments = 10'000;

// Writes the scaled data set into a database that has the schema and no rows: the host's
// companies, currencies and translations as in the demo, price-list parameters for every list
// number used, and per item the rows that `scale` asks for. Raises 5 (Invalid procedure call
// or argument) with a description naming the count when a count is negative or over its
// limit, before anything is written; otherwise the provider's error, with the
// transaction rolled back.
void generate_scaled(data::Connection& connection, const DemoScale& scale);

}  // namespace bench
