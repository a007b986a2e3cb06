// The rows of the demo database and of the benchmarks' scaled data set: one parameterised
// INSERT per table, the host's reference data that both share, and the files that the
// catalogue's downloaded attachments hold. Used by the demo and the benchmark generator only;
// stateless, one connection at a time.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "automation/variant.h"
#include "data/connection.h"

namespace console::demo {

using automation::Variant;

inline constexpr std::string_view kSource = "console";
// Stands for Null in the tables of codes.
inline constexpr int kNone = -32768;

Variant null();
Variant code(int value);          // kNone: Null
Variant text(const char* value);  // nullptr: Null
Variant amount(std::optional<double> value);
Variant day(int year, int month, int day_of_month, int hour = 0, int minute = 0);
// Prices kept to four decimals, as a price list shows them.
double price(double value);
std::string format(const char* pattern, long long number);

// One parameterised INSERT, built once per table and run for every row.
class Table {
 public:
  Table(data::Connection& connection, std::string_view name,
        std::initializer_list<std::string_view> columns);

  void add(std::initializer_list<Variant> values) {
    add(std::span<const Variant>(values.begin(), values.size()));
  }
  // Raises 5 when the count of values is not the count of columns, else the provider's error.
  void add(std::span<const Variant> values);

 private:
  data::Connection* connection_;
  std::string sql_;
  std::size_t columns_;
};

// Everything or nothing: a failure rolls the rows back.
class Transaction {
 public:
  explicit Transaction(data::Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  data::Connection& connection_;
  bool committed_ = false;
};

// The host's companies, currencies and translations, the priority codes, product classes, VAT
// codes and catalogue types: the same in the demo and in the scaled data set.
void write_reference_data(data::Connection& c);

inline constexpr int kApplicationProvider = 1029;  // MG0S_PROVID_FW4A of the applications

struct PriceList {
  int company, side, number;
  const char* currency;  // none: the list whose currency was never set
  const char* description;
  int propose_start, propose_end;  // 2: the fixed proposed dates (June 2025)
  double factor;                   // applied to the item's public price
  double discount1, discount2, markup1;
};

// One stored price-list row. The decoded codes come from the row's sequence number, so every
// code value, Null included, appears among the rows that the price panels show.
struct PriceRow {
  int company = 1, side = 0, list_type = 0;
  std::string item;
  std::string option = " ";
  std::string deposit = " ";
  int list = 1;
  Variant start, end;
  std::optional<double> price;
  double discount1 = 0, discount2 = 0, discount_amount = 0, markup1 = 0;
  double copper_base = 0, copper_current = 0, copper_weight = 0;  // base variation, 0: none
  int tier = kNone;
  const char* agent_scheme = nullptr;
  double commission = -1;  // -1: none
  int catalogue_page = kNone;
  const char* note = nullptr;
};

// One last purchase or sale price, recorded by a document.
struct LastPrice {
  int company;
  std::string item;
  int side;  // 0 sale, 1 purchase
  const char* deposit;
  const char* currency;
  double rate;  // 0: no exchange
  std::optional<double> price;
  double discount1;
  int duplicate;    // LI11_FLGDOCBIS
  int counterpart;  // LI11_TIPOCF: 0 customer, 1 supplier, 2 none
  int account;      // LI11_CODCLFO
  int document;
  const char* section;
  const char* original;  // LI11_NUMDOCORIG
  int month;             // of 2024, the document's date
  bool copper;           // base variation values
};

// The per-company and per-item tables, with every column the console reads.
class Tables {
 public:
  explicit Tables(data::Connection& c);

  void add_list(const PriceList& list);
  void add_price(const PriceRow& row);
  // LI11_PROG numbers the prices of one item, side and warehouse.
  void add_last_price(const LastPrice& p);

  Table lists, applications, names, groups, items, descriptions, stock, packs, locations, intrastat,
      history, item_applications, variants, flags, entries, links, attachments, contents;

 private:
  Table prices_, last_prices_;
  int price_rows_ = 0;
  std::map<std::tuple<int, int, std::string, std::string>, int> last_price_numbers_;
};
// The EAN-13 with which the item is also known (MG66_CODINTERNO).
std::string ean13(int company, int index);

// The bytes of a file the library embeds from schema/demo/ (the catalogue's images and
// documents). Raises 53 (File not found) for a name it does not hold.
automation::Bytes demo_file(std::string_view name);

}  // namespace console::demo
