#include "scaled_data.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "automation/date.h"
#include "automation/error.h"
#include "console/demo_rows.h"

namespace bench {

namespace {

using automation::Bytes;
using console::demo::day;
using console::demo::demo_file;
using console::demo::ean13;
using console::demo::format;
using console::demo::kApplicationProvider;
using console::demo::kSource;
using console::demo::null;
using console::demo::price;
using console::demo::PriceRow;
using console::demo::Tables;
using console::demo::Transaction;
using console::demo::Variant;
using console::demo::write_reference_data;

void check_count(std::string_view name, long long value, long long limit) {
  if (value < 0 || value > limit) {
    throw automation::Error(automation::errc::kInvalidProcedureCall, std::string(kSource),
                            "DemoScale." + std::string(name) + " must be between 0 and " +
                                std::to_string(limit) + ", not " + std::to_string(value));
  }
}

std::string base36_pair(int n) {
  static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  return {kDigits[n / 36], kDigits[n % 36]};
}

// Company 1's lists, applications and variant groups, as many as the items' rows use.
int write_scaled_company(Tables& t, const DemoScale& scale) {
  // Price-list rows spread over up to a hundred lists per side, each list's rows over
  // consecutive validity starts.
  const int lists = std::clamp(std::max(scale.pricelist_rows, scale.purchase_rows), 1, 100);
  for (int side = 0; side <= 1; ++side) {
    for (int number = 1; number <= lists; ++number) {
      const char* currency = number % 10 == 0 ? nullptr : number % 3 == 0 ? "USD" : "EURO";
      const std::string name = format(side == 0 ? "Vendita %lld" : "Acquisto %lld", number);
      t.add_list({1, side, number, currency, name.c_str(), number % 3, 0, 1.0, 0, 0, 0});
    }
  }
  for (int k = 0; k < scale.stock_rows; ++k) {
    const std::string application = format("A%04lld", k);
    t.applications.add({1, application, 1'000'000 + k});
    t.names.add({kApplicationProvider, 1'000'000 + k, "ITA ", "Applicazione " + application});
    if (k % 2 == 0) {
      t.names.add({kApplicationProvider, 1'000'000 + k, "ENG ", "Application " + application});
    }
    t.groups.add({1, format("V%04lld", k), "G1", "Gruppo " + std::to_string(k)});
  }
  return lists;
}

void write_scaled_item(Tables& t, const DemoScale& scale, int n, int lists, int& attachment_id) {
  // One of the demo's images and documents serves every downloaded attachment.
  static const Bytes kImage = demo_file("THB_M6X20.png");
  static const Bytes kDocument = demo_file("SCH_A12.pdf");
  const std::string item = format("ART%06lld", n + 1);
  t.items.add({1, item, "Articolo di prova " + std::to_string(n + 1), ean13(3, n), n % 2, "PZ",
               "KG", "22", 1, 1, null()});

  const double first_day = automation::date_from_civil({.year = 2000, .month = 1, .day = 1}).serial;
  for (int side = 0; side <= 1; ++side) {
    const int rows = side == 0 ? scale.pricelist_rows : scale.purchase_rows;
    for (int k = 0; k < rows; ++k) {
      PriceRow row;
      row.side = side;
      row.item = item;
      row.list = 1 + k % lists;
      // Each list's rows start one whole day after the last.
      const int days_after_first = k / lists;
      const double start = first_day + days_after_first;
      row.start = automation::Date{start};
      row.end = automation::Date{start + 364};
      if (k % 97 != 96) row.price = price(1.0 + (k % 997) * 0.01);
      row.discount1 = k % 4 == 1 ? 10.0 : 0.0;
      if (n % 2 == 1) {
        row.copper_base = 6.5;
        row.copper_current = 8.2;
        row.copper_weight = 0.043;
      }
      t.add_price(row);
    }
  }

  for (int k = 0; k < scale.last_price_rows; ++k) {
    t.add_last_price({1, item, k % 2, " ", k % 5 == 4 ? "USD" : "EURO", 0,
                      price(1.0 + (k % 89) * 0.05), k % 3 == 0 ? 5.0 : 0.0, k % 2, k % 3,
                      1000 + k % 50, k + 1, "A", nullptr, 1 + k % 12, n % 2 == 1});
  }

  static constexpr int kRoles[] = {3, 1, 2, 0};
  for (int k = 0; k < scale.stock_rows; ++k) {
    const std::string deposit = base36_pair(k);
    const std::string language = k == 0   ? " "
                                 : k == 1 ? "ITA "
                                 : k == 2 ? "ENG "
                                          : format("L%03lld", k);
    t.stock.add({1, item, " ", deposit, k == 0 ? 1 : 0, kRoles[k % 4], 10.0 + k, null(), null()});
    t.packs.add({1, item, " ", format("C%05lld", k), "Confezione " + std::to_string(k + 1),
                 static_cast<double>(k + 1), k == 0 ? 1 : 0});
    t.locations.add({1, item, " ", deposit, "S-" + deposit + format("-%03lld", k)});
    t.descriptions.add({1, item, " ", language, "Descrizione " + std::to_string(k),
                        k == 0 ? null() : Variant("Nota " + std::to_string(k))});
    t.intrastat.add({1, item, k == 0 ? std::string(" ") : format("OPZ%05lld", k), "73181595",
                     0.01 * (k + 1), null(), "IT"});
    t.history.add({1, item, 2024 - k / 4, k % 4, format("7318%04lld", k)});
    t.variants.add({1, item, format("V%04lld", k), "G1", 0});
    t.flags.add({1, item, k + 1, format("T%04lld", k), k % 2});
    t.item_applications.add({1, item, format("A%04lld", k)});
  }

  if (scale.attachments > 0) {
    t.entries.add({n + 1, 1, "CAT-" + item, "VITERIA", null()});
    t.links.add({1, item, n + 1});
  }
  for (int k = 0; k < scale.attachments; ++k) {
    const int id = ++attachment_id;
    const int kind = k % 7;
    const bool image = kind <= 3;
    const bool downloaded = k % 2 == 0;
    const Bytes& content = image ? kImage : kDocument;
    const std::string file = image ? format("IMG%06lld.png", id) : format("DOC_%06lld.pdf", id);
    t.attachments.add({id, n + 1, 1, kind, file, image ? null() : Variant("DOC"),
                       image ? "png" : "pdf", static_cast<int>(content.size()),
                       "https://catalogo.example.com/files/" + file, downloaded ? 1 : 0,
                       downloaded ? day(2024, 3, 15) : null()});
    if (downloaded) t.contents.add({id, Variant(content)});
  }
}

}  // namespace

void generate_scaled(data::Connection& connection, const DemoScale& scale) {
  check_count("items", scale.items, kMaxScaledItems);
  check_count("pricelist_rows", scale.pricelist_rows, kMaxScaledPriceRows);
  check_count("purchase_rows", scale.purchase_rows, kMaxScaledPriceRows);
  check_count("last_price_rows", scale.last_price_rows, kMaxScaledLastPriceRows);
  check_count("stock_rows", scale.stock_rows, kMaxScaledStockRows);
  check_count("attachments", scale.attachments, kMaxScaledAttachments);
  // Attachment ids are INT and unique across items.
  check_count("items * attachments", static_cast<long long>(scale.items) * scale.attachments,
              2'000'000'000LL);
  Transaction transaction(connection);
  write_reference_data(connection);
  Tables tables(connection);
  const int lists = write_scaled_company(tables, scale);
  int attachment_id = 0;
  for (int n = 0; n < scale.items; ++n) write_scaled_item(tables, scale, n, lists, attachment_id);
  transaction.commit();
}

}  // namespace bench
