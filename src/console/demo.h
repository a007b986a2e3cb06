// The demo database of the reference host: two companies ("ITA " and "ENG "), about twenty
// items of a hardware wholesaler (screws, cables, paints, tools) with every sub-table the
// item-master console shows, price lists in two currencies, the catalogue mirror with small
// real image and document files, and the host's translated texts; and a generator that
// scales the same shape to many items and rows for benchmarks.
//
// Rows are written through the data layer with parameterised INSERTs inside one transaction.
// Stateless; one connection at a time.
#pragma once

#include <memory>
#include <string_view>

namespace data {
class Connection;
using ConnectionPtr = std::shared_ptr<Connection>;
}  // namespace data

namespace console {

// Inserts the demo rows into a database that has the schema (create_schema) and no rows.
// Raises the provider's error (for example a duplicate key when rows are there already);
// the transaction is rolled back then, so a failure leaves the tables as they were.
void create_demo(data::Connection& connection);

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
// limit, before anything is written; otherwise as create_demo.
void generate_scaled(data::Connection& connection, const DemoScale& scale);

// Creates a new SQLite database file with the schema, as the program's schema and demo
// commands make one (in WAL mode), and returns it open. Raises 58 (File already exists) when the
// file exists, leaving it untouched; otherwise the errors of Connection::Open and create_schema,
// after removing the half-made file.
data::ConnectionPtr create_database_file(std::string_view path);

// Creates a new SQLite database file with the schema and the demo rows (the program's
// demo command). Raises 58 (File already exists) when the file exists, leaving it untouched;
// otherwise the errors of Connection::Open, create_schema and create_demo.
void create_demo_database(std::string_view path);

}  // namespace console
