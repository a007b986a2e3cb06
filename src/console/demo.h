// The demo database of the reference host: two companies ("ITA " and "ENG "), about twenty
// items of a hardware wholesaler (screws, cables, paints, tools) with every sub-table the
// item-master console shows, price lists in two currencies, the catalogue mirror with small
// real image and document files (embedded from schema/demo/), and the host's translated texts.
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
