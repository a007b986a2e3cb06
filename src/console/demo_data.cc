// The demo data: a hardware wholesaler with two companies ("ITA " and "ENG "), about twenty
// items with every sub-table the console shows, price lists in two currencies and the
// catalogue mirror, each oddity the console has to cope with carried by one item.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "console/demo.h"
#include "console/demo_rows.h"

namespace console {

namespace demo {
namespace {

using automation::Bytes;

constexpr PriceList kPriceLists[] = {
    {1, 0, 1, "EURO", "Listino al pubblico", 1, 0, 1.00, 0, 0, 0},
    {1, 0, 2, "EURO", "Listino rivenditori", 1, 1, 1.00, 30, 5, 0},
    {1, 0, 3, "USD", "Export USA", 0, 0, 1.12, 0, 0, 3},
    {1, 0, 4, nullptr, "Promozioni", 2, 2, 0.90, 0, 0, 0},
    {1, 1, 1, "EURO", "Fornitore principale", 1, 0, 0.55, 10, 0, 0},
    {1, 1, 2, "USD", "Fornitore USA", 0, 0, 0.60, 0, 0, 0},
    {2, 0, 1, "EURO", "Retail price list", 1, 0, 1.00, 0, 0, 0},
    {2, 1, 1, "EURO", "Main supplier", 1, 0, 0.55, 10, 0, 0},
};

enum class Kind { kScrew, kCable, kPaint, kTool };

// Oddities that the console has to cope with, each carried by an item.
enum Quirk : unsigned {
  kTwoPreferredDeposits = 1u << 0,  // two warehouses flagged preferred, clashing roles
  kTwoPreferredPacks = 1u << 1,     // two packs flagged preferred
  kColourOption = 1u << 2,          // rows of a non-base option beside the base ones
  kInPromotion = 1u << 3,           // listed in the promotions list (no currency)
  kFreeInPromotion = 1u << 4,       // ... at price zero
  kNoDealerPrice = 1u << 5,         // dealer list row without a price
  kPriceIncrease = 1u << 6,         // a future price row after the current one
  kOtherWarehousePrice = 1u << 7,   // a price row of a particular warehouse
  kOtherListType = 1u << 8,         // a row of another list type
  kUnlistedPriceList = 1u << 9,     // a row of a list without parameters
  kColourWithoutGroup = 1u << 10,   // a variant parameter without its group
};

struct Item {
  const char* code;
  const char* italian;
  const char* english;
  Kind kind;
  int base_variation;  // MG66_FLGBASEVAR
  double price;        // public price in euro per first unit
  const char* unit1;
  const char* unit2;
  double copper;  // kg of copper per metre, for the base variation
  const char* nomenclature;
  double net_mass;  // kg per first unit
  const char* origin;
  const char* applications;  // blank-separated codes of MG57_APPLICAZIONI
  unsigned quirks;
};

constexpr Item kItems[] = {
    {"VITE-M6X20", "Vite TE M6x20 zincata 8.8", "Hex screw M6x20 zinc plated 8.8", Kind::kScrew, 0,
     0.12, "PZ", "KG", 0, "73181595", 0.0062, "IT", "EDIL AUTO",
     kPriceIncrease | kOtherWarehousePrice},
    {"VITE-M8X30", "Vite TE M8x30 zincata 8.8", "Hex screw M8x30 zinc plated 8.8", Kind::kScrew, 0,
     0.21, "PZ", "KG", 0, "73181595", 0.0165, "IT", "EDIL AUTO",
     kTwoPreferredDeposits | kInPromotion | kOtherListType},
    {"VITE-TRUC-4X40", "Vite truciolare 4x40 testa svasata", "Chipboard screw 4x40 countersunk",
     Kind::kScrew, 0, 0.05, "PZ", "KG", 0, "73181200", 0.0035, "DE", "EDIL", 0},
    {"BULL-M10X50", "Bullone M10x50 classe 8.8 con dado", "Bolt M10x50 grade 8.8 with nut",
     Kind::kScrew, 0, 0.58, "PZ", "KG", 0, "73181590", 0.0410, "IT", "EDIL AUTO NAUT", 0},
    {"DADO-M6", "Dado esagonale M6 zincato", "Hex nut M6 zinc plated", Kind::kScrew, 0, 0.03, "PZ",
     "KG", 0, "73181630", 0.0025, "CN", "EDIL AUTO", kTwoPreferredPacks | kUnlistedPriceList},
    {"ROND-M8", "Rondella piana M8 zincata", "Flat washer M8 zinc plated", Kind::kScrew, kNone,
     0.02, "PZ", "KG", 0, "73182200", 0.0018, "CN", "EDIL", kInPromotion},
    {"TASS-NYL-8", "Tassello in nylon 8 mm", "Nylon wall plug 8 mm", Kind::kScrew, 0, 0.06, "PZ",
     "KG", 0, "39269097", 0.0011, "DE", "EDIL", 0},
    {"O'RING-12", "O-ring 12x2 NBR 70", "O-ring 12x2 NBR 70", Kind::kScrew, 0, 0.35, "PZ", "KG", 0,
     "40169300", 0.0004, "IT", "IDRAUL AUTO", 0},
    {"CAVO-FG16-3G1.5", "Cavo FG16OR16 3G1,5 0,6/1 kV", "Power cable FG16OR16 3G1.5 0.6/1 kV",
     Kind::kCable, 1, 1.85, "M", "KG", 0.043, "85444995", 0.145, "IT", "ELETTR EDIL", 0},
    {"CAVO-FG16-3G2.5", "Cavo FG16OR16 3G2,5 0,6/1 kV", "Power cable FG16OR16 3G2.5 0.6/1 kV",
     Kind::kCable, 1, 2.70, "M", "KG", 0.072, "85444995", 0.205, "IT", "ELETTR EDIL", kInPromotion},
    {"CAVO-H07RNF-4G6", "Cavo H07RN-F 4G6 gomma", "Rubber cable H07RN-F 4G6", Kind::kCable, 1, 6.90,
     "M", "KG", 0.230, "85444995", 0.520, "DE", "ELETTR NAUT", 0},
    {"CAVO-UTP-CAT6", "Cavo rete UTP Cat.6 LSZH", "Network cable UTP Cat.6 LSZH", Kind::kCable, 0,
     0.95, "M", "KG", 0, "85444920", 0.038, "CN", "ELETTR", 0},
    {"VERN-SMALTO-BIANCO", "Smalto sintetico bianco lucido 0,75 l",
     "Synthetic gloss white enamel 0.75 l", Kind::kPaint, 0, 12.50, "PZ", "L", 0, "32081090", 0.95,
     "IT", "EDIL NAUT", kColourOption},
    {"VERN-SMALTO-ROSSO", "Smalto sintetico rosso RAL 3000 0,75 l",
     "Synthetic enamel red RAL 3000 0.75 l", Kind::kPaint, 0, 13.90, "PZ", "L", 0, "32081090", 0.95,
     "IT", "EDIL NAUT", kInPromotion},
    {"VERN-IDRO-10L", "Idropittura traspirante bianca 10 l", "Breathable white wall paint 10 l",
     Kind::kPaint, 0, 39.00, "PZ", "L", 0, "32091000", 14.2, "IT", "EDIL", kColourWithoutGroup},
    {"VERN-ANTIRUGG", "Antiruggine grigia 2,5 l", "Grey anti-rust primer 2.5 l", Kind::kPaint, 0,
     24.50, "PZ", "L", 0, "32081090", 3.4, "IT", "EDIL NAUT", 0},
    {"DILUENTE-NITRO-1L", "Diluente nitro antinebbia 1 l", "Nitro thinner 1 l", Kind::kPaint, 0,
     6.20, "PZ", "L", 0, "38140090", 0.85, "IT", "", 0},
    {"PENNELLO-50", "Pennello piatto 50 mm setola", "Flat paint brush 50 mm", Kind::kTool, 0, 3.40,
     "PZ", nullptr, 0, "96034010", 0.045, "CN", "EDIL", kNoDealerPrice},
    {"CHIAVE-COMB-13", "Chiave combinata 13 mm cromo vanadio", "Combination spanner 13 mm CrV",
     Kind::kTool, 0, 7.80, "PZ", nullptr, 0, "82041100", 0.110, "DE", "AUTO EDIL",
     kInPromotion | kFreeInPromotion},
    {"NASTRO-ISOL-19", "Nastro isolante PVC 19 mm nero", "PVC insulating tape 19 mm black",
     Kind::kTool, 0, 0.80, "PZ", nullptr, 0, "39191080", 0.030, "IT", "ELETTR", 0},
};
constexpr Item kEnglishItems[] = {
    {"VITE-M6X20", "Vite TE M6x20 zincata 8.8", "Hex screw M6x20 zinc plated 8.8", Kind::kScrew, 0,
     0.14, "PZ", "KG", 0, "73181595", 0.0062, "IT", "BUILD", 0},
    {"CAVO-FG16-3G1.5", "Cavo FG16OR16 3G1,5 0,6/1 kV", "Power cable FG16OR16 3G1.5 0.6/1 kV",
     Kind::kCable, 1, 2.05, "M", "KG", 0.043, "85444995", 0.145, "IT", "ELEC BUILD", 0},
    {"VERN-SMALTO-BIANCO", "Smalto sintetico bianco lucido 0,75 l",
     "Synthetic gloss white enamel 0.75 l", Kind::kPaint, 0, 13.50, "PZ", "L", 0, "32081090", 0.95,
     "IT", "BUILD", 0},
};

struct KindData {
  int priority_id, class_id;
  double minimum_stock;  // in the first unit
  const char* italian_note;
  const char* english_note;  // none: the note exists in Italian only
};
KindData kind_data(Kind kind) {
  switch (kind) {
    case Kind::kScrew:
      return {1, 1, 500,
              "Acciaio classe 8.8, zincatura bianca. Coppia di serraggio secondo UNI EN ISO 898-1.",
              "Steel grade 8.8, white zinc plated. Tightening torque to EN ISO 898-1."};
    case Kind::kCable:
      return {
          2, 2, 200,
          "Conforme al Regolamento CPR, classe Cca-s3,d1,a3. Prezzo soggetto a variazione rame.",
          "CPR compliant, class Cca-s3,d1,a3. Price subject to copper surcharge."};
    case Kind::kPaint:
      return {2, 3, 12, "Resa 12-14 m2/l per mano. Sovraverniciabile dopo 24 ore.",
              "Coverage 12-14 m2/l per coat. Recoat after 24 hours."};
    case Kind::kTool:
      break;
  }
  return {3, 1, 5, "Garanzia 2 anni.", nullptr};
}

struct Pack {
  Kind kind;
  const char* code;
  const char* description;
  double quantity;
  int preferred;
};
constexpr Pack kPacks[] = {
    {Kind::kScrew, "CF100", "Scatola da 100 pezzi", 100, 1},
    {Kind::kScrew, "CF500", "Scatola da 500 pezzi", 500, 0},
    {Kind::kScrew, "SC5000", "Sacco da 5000 pezzi", 5000, 0},
    {Kind::kCable, "MAT100", "Matassa da 100 m", 100, 1},
    {Kind::kCable, "BOB500", "Bobina da 500 m", 500, 0},
    {Kind::kPaint, "LATTA", "Latta singola", 1, 1},
    {Kind::kPaint, "CART6", "Cartone da 6 latte", 6, 0},
    {Kind::kTool, "PZ", "Pezzo singolo", 1, 0},
    {Kind::kTool, "BLIST10", "Blister da 10 pezzi", 10, 0},
};

// Variant parameters and variant flags of company 1's paints and cables.
struct VariantRow {
  Kind kind;
  const char* variant;
  const char* group;  // none: a parameter without a group
  int flag_position;  // MG6D_PROG
  int active;
};
constexpr VariantRow kVariantRows[] = {
    {Kind::kPaint, "COLORE", "RAL", 1, 1},
    {Kind::kPaint, "FORMATO", "STD", 2, 1},
    {Kind::kPaint, "FINITURA", nullptr, 3, 0},
    {Kind::kCable, "LUNGH", "STD", 1, 1},
};

struct Application {
  int company;
  const char* code;
  int id;  // MG57_IDPROV
  const char* italian;
  const char* english;  // none: no translation in that language
};
constexpr Application kApplications[] = {
    {1, "AUTO", 101, "Automotive", "Automotive"},
    {1, "EDIL", 102, "Edilizia", "Building"},
    {1, "NAUT", 103, "Nautica", nullptr},
    {1, "ELETTR", 104, "Impianti elettrici", "Electrical systems"},
    {1, "IDRAUL", 105, nullptr, nullptr},
    {2, "BUILD", 201, nullptr, "Building and construction"},
    {2, "ELEC", 202, "Impianti elettrici", "Electrical"},
};

struct VariantGroup {
  const char* variant;
  const char* group;
  const char* description;
};
constexpr VariantGroup kVariantGroups[] = {
    {"COLORE", "BASE", "Colori di base"},
    {"COLORE", "RAL", "Cartella RAL"},
    {"FORMATO", "STD", "Formati standard"},
    {"LUNGH", "STD", "Lunghezze standard"},
};

struct Deposit {
  const char* code;
  const char* area;  // first letter of its locations
};
constexpr Deposit kDeposits[] = {{"01", "A"}, {"02", "N"}, {"03", "P"}};

struct History {
  const char* item;
  int year, type;
  const char* code;
};
constexpr History kHistory[] = {
    {"VITE-M6X20", 2021, 0, "73181569"},         {"VITE-M6X20", 2022, 0, "73181590"},
    {"VITE-M6X20", 2023, 0, "73181595"},         {"VITE-M6X20", 2023, 1, "73181500"},
    {"CAVO-FG16-3G1.5", 2022, 0, "85444993"},    {"CAVO-FG16-3G1.5", 2023, 0, "85444995"},
    {"VERN-SMALTO-BIANCO", 2020, 0, "32081010"}, {"VERN-SMALTO-BIANCO", 2023, 0, "32081090"},
    {"O'RING-12", 2022, 0, "40169300"},
};

const LastPrice kLastPrices[] = {
    {1, "VITE-M6X20", 0, " ", "EURO", 0, 0.118, 0, 0, 0, 1001, 512, "A", nullptr, 3, false},
    {1, "VITE-M6X20", 1, " ", "EURO", 0, 0.064, 5, 0, 1, 2001, 4471, "A", nullptr, 2, false},
    {1, "VITE-M6X20", 1, " ", "USD", 1.085, 0.071, 0, 1, 1, 2002, 4471, "B", "4471", 2, false},
    {1, "VITE-M6X20", 0, "01", "EURO", 0, 0.115, 0, 0, 0, 1002, 530, "A", nullptr, 4, false},
    {1, "VITE-M8X30", 0, " ", "EURO", 0, 0.21, 0, 0, 2, kNone, 77, "C", nullptr, 5, false},
    {1, "VITE-M8X30", 1, " ", "EURO", 0, 0.112, 10, 0, 1, 2001, 4502, "A", nullptr, 5, false},
    {1, "CAVO-FG16-3G1.5", 0, " ", "EURO", 0, 1.80, 0, 0, 0, 1003, 618, "A", nullptr, 6, true},
    {1, "CAVO-FG16-3G1.5", 1, " ", "EURO", 0, 0.98, 0, 0, 1, 2003, 1180, "A", nullptr, 6, true},
    {1, "CAVO-FG16-3G1.5", 0, " ", "EURO", 0, 1.75, 0, kNone, kNone, kNone, 95, "A", nullptr, 1,
     true},
    {1, "VERN-SMALTO-BIANCO", 0, " ", "EURO", 0, 12.50, 10, 0, 0, 1001, 640, "A", nullptr, 7,
     false},
    {1, "VERN-SMALTO-BIANCO", 1, " ", "EURO", 0, std::nullopt, 0, 0, 1, 2004, 2210, "A", nullptr, 7,
     false},
    {1, "PENNELLO-50", 0, " ", "EURO", 0, 3.40, 0, 1, 0, 1004, 655, "A", "650", 8, false},
    {2, "VITE-M6X20", 0, " ", "EURO", 0, 0.14, 0, 0, 0, 3001, 41, "A", nullptr, 9, false},
};

// Rows beside an item's public price that the loaders must leave out or take in.
struct PriceVariation {
  Quirk quirk;
  const char* option;
  const char* deposit;
  int list_type, list;
  double factor;
  const char* note;
};
constexpr PriceVariation kPriceVariations[] = {
    {kOtherWarehousePrice, " ", "01", 0, 1, 0.92, nullptr},
    {kOtherListType, " ", " ", 1, 1, 0.90, nullptr},
    {kColourOption, "RAL9010", " ", 0, 1, 1.06, nullptr},
    {kUnlistedPriceList, " ", " ", 0, 5, 0.80, "Listino senza parametri"},
};

struct CatalogueEntry {
  int id, company;
  const char* code;
  const char* type;
  const char* description;
  const char* item;  // the item linked to it
};
constexpr CatalogueEntry kCatalogueEntries[] = {
    {1, 1, "FX-M6X20-ZN", "VITERIA", "Vite testa esagonale M6x20 zincata", "VITE-M6X20"},
    {2, 1, "FX-M8X30-ZN", "VITERIA", "Vite testa esagonale M8x30 zincata", "VITE-M8X30"},
    {3, 1, "EC-FG16-3G15", "CAVI", "FG16OR16 3G1,5", "CAVO-FG16-3G1.5"},
    {4, 1, "VR-SMALTO-BIA", "VERNICI", "Smalto sintetico bianco", "VERN-SMALTO-BIANCO"},
    {5, 2, "EC-FG16-3G15", "CAVI", "FG16OR16 3G1.5", "CAVO-FG16-3G1.5"},
};

struct Attachment {
  int id, entry, company, kind;
  const char* file;
  const char* prefix;  // CL06_SIGLATIPO of documents
  const char* type;    // CL06_TIPOFILE
  int size;            // the catalogue's size; kNone: unknown; -1: the content's own size
  bool link;
  int downloaded;  // 1 with a content (a file under schema/demo/); kNone: never set
};
constexpr Attachment kAttachments[] = {
    {1, 1, 1, 0, "M6X20.png", nullptr, "png", -1, true, 1},
    {2, 1, 1, 1, "M6X20.png", nullptr, "png", -1, true, 1},
    {3, 1, 1, 2, "M6X20_TEC.png", nullptr, "png", 182340, true, 0},
    {4, 1, 1, 3, "M6X20_TEC.png", nullptr, "png", kNone, false, 0},
    {5, 1, 1, 4, "SCH_A12.pdf", "SCH", "pdf", 5242880, true, 1},
    {6, 1, 1, 5, "MAN_M6.pdf", "MAN", "PDF", 1073741824, true, 0},
    {7, 1, 1, 6, "CE_M6X20.pdf", "CE", "Pdf", 0, true, 1},
    {8, 1, 1, 6, "A12.pdf", "SCH", "pdf", 73400, true, 0},
    {9, 3, 1, 0, "FG16OR16.png", nullptr, "png", -1, true, 1},
    {10, 3, 1, 4, "DS_FG16OR16.pdf", "DS", "pdf", -1, true, 1},
    {11, 3, 1, 6, "DOP_FG16OR16.docx", "DOP", "docx", 24576, true, kNone},
    {12, 4, 1, 0, "SMALTO_BIANCO.png", nullptr, "png", -1, true, 1},
    {13, 4, 1, 4, "ST_SMALTO.pdf", "ST", "pdf", 310000, true, 0},
    {14, 5, 2, 0, "FG16OR16.png", nullptr, "png", -1, true, 1},
};

bool has(const Item& item, Quirk quirk) { return (item.quirks & quirk) != 0; }

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    const std::size_t blank = text.find(' ');
    if (blank != 0) out.emplace_back(text.substr(0, blank));
    if (blank == std::string_view::npos) break;
    text.remove_prefix(blank + 1);
  }
  return out;
}

void write_company_tables(Tables& t) {
  for (const PriceList& list : kPriceLists) t.add_list(list);
  for (const Application& a : kApplications) {
    t.applications.add({a.company, a.code, a.id});
    if (a.italian) t.names.add({kApplicationProvider, a.id, "ITA ", a.italian});
    if (a.english) t.names.add({kApplicationProvider, a.id, "ENG ", a.english});
  }
  for (const VariantGroup& g : kVariantGroups) {
    t.groups.add({1, g.variant, g.group, g.description});
  }
  for (const History& h : kHistory) t.history.add({1, h.item, h.year, h.type, h.code});
  for (const LastPrice& p : kLastPrices) t.add_last_price(p);
}

// Public and dealer lists for every item, export for screws and cables, the promotions for
// some, the purchase lists, and last year's public price of screws and cables.
void write_prices(Tables& t, int company, const Item& item, int index) {
  const bool metal = item.kind == Kind::kScrew || item.kind == Kind::kCable;
  for (const PriceList& list : kPriceLists) {
    const bool sales = list.side == 0;
    const bool wanted =
        list.company == company &&
        (list.number == 1 || (sales && list.number == 2) || (sales && list.number == 3 && metal) ||
         (sales && list.number == 4 && has(item, kInPromotion)) ||
         (!sales && list.number == 2 && item.kind == Kind::kCable));
    if (!wanted) continue;
    PriceRow row;
    row.company = company;
    row.side = list.side;
    row.item = item.code;
    row.list = list.number;
    row.start = day(2024, 1, 1);
    row.end = day(2099, 12, 31);
    row.price = price(item.price * list.factor);
    row.discount1 = list.discount1;
    row.discount2 = list.discount2;
    row.markup1 = list.markup1;
    if (item.base_variation == 1) {
      row.copper_base = 6.5;
      row.copper_current = 8.2;
      row.copper_weight = item.copper;
    }
    if (sales) {
      row.agent_scheme = list.number == 2 ? "RIV" : "STD";
      row.commission = list.number == 2 ? 3.0 : 5.0;
      if (list.number == 1) row.catalogue_page = 10 + index;
      if (list.number == 2 && item.kind == Kind::kScrew) row.tier = 1;
      if (list.number == 2 && has(item, kNoDealerPrice)) row.price.reset();
      if (list.number == 4) {
        row.note = "Valido fino a esaurimento scorte";
        if (has(item, kFreeInPromotion)) row.price = 0.0;
      }
    }
    if (list.number == 2 && item.kind == Kind::kTool) row.discount_amount = 0.5;
    if (sales && list.number == 1 && has(item, kPriceIncrease)) {
      row.end = day(2026, 6, 30);
      PriceRow future = row;
      future.start = day(2026, 7, 1);
      future.end = day(2099, 12, 31);
      future.price = price(item.price * 1.04);
      future.note = "Aumento listino luglio 2026";
      t.add_price(future);
    }
    t.add_price(row);
    if (!sales || list.number != 1) continue;

    if (metal) {
      PriceRow old = row;
      old.start = day(2023, 1, 1);
      old.end = day(2023, 12, 31);
      old.price = price(item.price * 0.95);
      old.catalogue_page = kNone;
      t.add_price(old);
    }
    for (const PriceVariation& variation : kPriceVariations) {
      if (!has(item, variation.quirk)) continue;
      PriceRow other = row;
      other.option = variation.option;
      other.deposit = variation.deposit;
      other.list_type = variation.list_type;
      other.list = variation.list;
      other.price = price(item.price * variation.factor);
      other.note = variation.note;
      t.add_price(other);
    }
  }
}

void write_items(Tables& t, int company, std::span<const Item> items) {
  for (std::size_t index = 0; index < items.size(); ++index) {
    const Item& item = items[index];
    const int i = static_cast<int>(index);
    const KindData kind = kind_data(item.kind);
    const char* description = company == 1 ? item.italian : item.english;
    // The last item of the list has no internal code.
    t.items.add({company, item.code, description,
                 index + 1 == items.size() ? null() : Variant(ean13(company, i)),
                 code(item.base_variation), item.unit1, text(item.unit2), "22",
                 company == 1 ? kind.priority_id : 4, company == 1 ? kind.class_id : 4,
                 day(2019 + i % 5, 1 + i % 12, 1 + i)});

    t.descriptions.add({company, item.code, " ", " ", description, null()});
    if (i % 5 != 4) {
      t.descriptions.add({company, item.code, " ", "ITA ", item.italian, kind.italian_note});
      if (kind.english_note) {
        t.descriptions.add({company, item.code, " ", "ENG ", item.english, kind.english_note});
      }
    }

    // One to three warehouses: the first preferred and, when alone, for withdrawals and
    // deposits both.
    const bool clash = has(item, kTwoPreferredDeposits);
    const int deposits = clash ? 2 : 1 + i % 3;
    for (int d = 0; d < deposits; ++d) {
      const int preferred = clash || d == 0 ? 1 : 0;
      const int role = clash ? (d == 0 ? 1 : 3) : deposits == 1 ? 3 : d == 0 ? 1 : d == 1 ? 2 : 0;
      const double minimum = kind.minimum_stock * (d == 0 ? 1.0 : 0.5);
      t.stock.add({company, item.code, " ", kDeposits[d].code, preferred, role, minimum,
                   minimum * 10, minimum * 2});
      t.locations.add(
          {company, item.code, " ", kDeposits[d].code,
           std::string(kDeposits[d].area) + format("-%02lld", i + 1) + format("-%02lld", d + 1)});
    }

    for (const Pack& pack : kPacks) {
      if (pack.kind != item.kind) continue;
      const bool preferred =
          pack.preferred || (has(item, kTwoPreferredPacks) && pack.quantity == 500);
      t.packs.add(
          {company, item.code, " ", pack.code, pack.description, pack.quantity, preferred ? 1 : 0});
    }

    t.intrastat.add({company, item.code, " ", item.nomenclature, item.net_mass,
                     item.kind == Kind::kCable ? Variant(1.0) : null(), item.origin});
    for (const std::string& application : words(item.applications)) {
      t.item_applications.add({company, item.code, application});
    }
    for (const VariantRow& v : kVariantRows) {
      if (v.kind != item.kind || company != 1) continue;
      const bool grouped =
          v.group && !(has(item, kColourWithoutGroup) && std::string_view(v.variant) == "COLORE");
      t.variants.add(
          {company, item.code, v.variant, grouped ? Variant(v.group) : null(), v.active});
      t.flags.add({company, item.code, v.flag_position, v.variant, v.active});
    }

    if (has(item, kColourOption)) {
      t.descriptions.add(
          {company, item.code, "RAL9010", " ", "Smalto sintetico bianco puro RAL 9010", null()});
      t.stock.add({company, item.code, "RAL9010", "01", 1, 3, 6.0, 60.0, 12.0});
      t.intrastat.add(
          {company, item.code, "RAL9010", item.nomenclature, item.net_mass, null(), item.origin});
    }
    write_prices(t, company, item, i);
  }
}

Bytes attachment_content(const Attachment& a) {
  // A thumbnail is kept as the console downloads it, under "THB_" and the entry's file name.
  const bool thumbnail = a.kind == 1 || a.kind == 3;
  return demo_file(thumbnail ? "THB_" + std::string(a.file) : std::string(a.file));
}

void write_catalogue(Tables& t) {
  for (const CatalogueEntry& e : kCatalogueEntries) {
    t.entries.add({e.id, e.company, e.code, e.type, e.description});
    t.links.add({e.company, e.item, e.id});
  }
  for (const Attachment& a : kAttachments) {
    const bool downloaded = a.downloaded == 1;
    Bytes content = downloaded ? attachment_content(a) : Bytes();
    const Variant size = a.size == kNone ? null()
                         : a.size == -1  ? Variant(static_cast<int>(content.size()))
                                         : Variant(a.size);
    const std::string thumbnail = a.kind == 1 || a.kind == 3 ? "THB_" : "";
    t.attachments.add(
        {a.id, a.entry, a.company, a.kind, a.file, text(a.prefix), a.type, size,
         a.link ? Variant("https://catalogo.example.com/files/" + thumbnail + a.file) : null(),
         code(a.downloaded), downloaded ? day(2024, 3, 15, 10, 30) : null()});
    if (downloaded) t.contents.add({a.id, Variant(std::move(content))});
  }
}
}  // namespace
}  // namespace demo

void create_demo(data::Connection& connection) {
  demo::Transaction transaction(connection);
  demo::write_reference_data(connection);
  demo::Tables tables(connection);
  demo::write_company_tables(tables);
  demo::write_items(tables, 1, demo::kItems);
  demo::write_items(tables, 2, demo::kEnglishItems);
  demo::write_catalogue(tables);
  transaction.commit();
}

}  // namespace console
