#include "console/demo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "automation/date.h"
#include "automation/error.h"
#include "automation/variant.h"
#include "console/schema.h"
#include "data/connection.h"
#include "data/sqlite/sqlite_provider.h"

namespace console {

namespace {

using automation::Bytes;
using automation::Variant;

constexpr std::string_view kSource = "console";
// Stands for Null in the tables of codes below.
constexpr int kNone = -32768;

// ---------------------------------------------------------------------------------------------
// Values and rows

Variant null() { return Variant::null(); }
Variant code(int value) { return value == kNone ? null() : Variant(value); }
Variant text(const char* value) { return value ? Variant(value) : null(); }
Variant amount(std::optional<double> value) { return value ? Variant(*value) : null(); }
Variant day(int year, int month, int day_of_month, int hour = 0, int minute = 0) {
  return automation::date_from_civil(
      {.year = year, .month = month, .day = day_of_month, .hour = hour, .minute = minute});
}
// Prices kept to four decimals, as a price list shows them.
double price(double value) { return std::round(value * 10000.0) / 10000.0; }

std::string format(const char* pattern, long long number) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, number);
  return buffer;
}

// One parameterised INSERT, built once per table and run for every row.
class Table {
 public:
  Table(data::Connection& connection, std::string_view name,
        std::initializer_list<std::string_view> columns)
      : connection_(&connection), columns_(columns.size()) {
    sql_ = "INSERT INTO " + std::string(name) + " (";
    std::string marks;
    for (std::string_view column : columns) {
      sql_ += marks.empty() ? "" : ", ";
      sql_ += column;
      marks += marks.empty() ? "?" : ", ?";
    }
    sql_ += ") VALUES (" + marks + ")";
  }

  void add(std::initializer_list<Variant> values) {
    add(std::span<const Variant>(values.begin(), values.size()));
  }
  void add(std::span<const Variant> values) {
    if (values.size() != columns_) {
      throw automation::Error(automation::errc::kInvalidProcedureCall, std::string(kSource),
                              "Wrong number of values for: " + sql_);
    }
    connection_->run(sql_, values);
  }

 private:
  data::Connection* connection_;
  std::string sql_;
  std::size_t columns_;
};

// Everything or nothing: a failure rolls the rows back.
class Transaction {
 public:
  explicit Transaction(data::Connection& connection) : connection_(connection) {
    connection_.BeginTrans();
  }
  ~Transaction() {
    if (!committed_) automation::ignore_errors([this] { connection_.RollbackTrans(); });
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit() {
    connection_.CommitTrans();
    committed_ = true;
  }

 private:
  data::Connection& connection_;
  bool committed_ = false;
};

// ---------------------------------------------------------------------------------------------
// Small real files for the catalogue's downloaded contents

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t adler32(const Bytes& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

void put_u32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void put_chunk(Bytes& out, std::string_view type, const Bytes& data) {
  put_u32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  put_u32(out, crc32(out.data() + start, out.size() - start));
}

struct Colour {
  std::uint8_t red, green, blue;
};

// An RGB image of one colour with a darker frame, in uncompressed deflate blocks: a valid PNG
// that any viewer opens, made without a compression library.
Bytes make_png(int width, int height, Colour colour) {
  Bytes pixels;
  for (int y = 0; y < height; ++y) {
    pixels.push_back(0);  // filter: none
    for (int x = 0; x < width; ++x) {
      const bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
      for (std::uint8_t channel : {colour.red, colour.green, colour.blue}) {
        pixels.push_back(frame ? static_cast<std::uint8_t>(channel / 2) : channel);
      }
    }
  }
  Bytes zlib = {0x78, 0x01};
  for (std::size_t at = 0; at < pixels.size(); at += 65535) {
    const std::size_t length = std::min<std::size_t>(65535, pixels.size() - at);
    zlib.push_back(at + length == pixels.size() ? 1 : 0);  // last block
    for (std::size_t half : {length, ~length}) {
      zlib.push_back(static_cast<std::uint8_t>(half));
      zlib.push_back(static_cast<std::uint8_t>(half >> 8));
    }
    zlib.insert(zlib.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at),
                pixels.begin() + static_cast<std::ptrdiff_t>(at + length));
  }
  put_u32(zlib, adler32(pixels));

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  put_u32(header, static_cast<std::uint32_t>(width));
  put_u32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  put_chunk(png, "IHDR", header);
  put_chunk(png, "IDAT", zlib);
  put_chunk(png, "IEND", {});
  return png;
}

std::string pdf_string(std::string_view text) {
  std::string out = "(";
  for (char c : text) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ")";
}

// A one-page document with a title and a line of text, its cross-reference table pointing at
// the real offsets of its objects.
Bytes make_pdf(std::string_view title, std::string_view line) {
  const std::string content = "BT /F1 18 Tf 72 770 Td " + pdf_string(title) +
                              " Tj ET\nBT /F1 11 Tf 72 740 Td " + pdf_string(line) + " Tj ET\n";
  const std::array<std::string, 5> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    pdf += format("%010lld 00000 n \n", static_cast<long long>(offset));
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return Bytes(pdf.begin(), pdf.end());
}

// ---------------------------------------------------------------------------------------------
// Reference data, the same in the demo and in the scaled data set

struct Company {
  int code;
  const char* name;
  const char* language;
  int localisation;  // CG18_INDLOCALIZ
  int retail;        // RE01_FLGATTIV
  int catalogue;     // IL00_STATO of the catalogue module
};
constexpr Company kCompanies[] = {
    {1, "Ferramenta Rossi S.p.A.", "ITA ", 1, 1, 1},
    {2, "Rossi Hardware Ltd", "ENG ", kNone, 0, 0},
};

// The words of the price panels, by the host's text number.
struct Translation {
  int id;
  const char* italian;
  const char* english;
};
constexpr Translation kTranslations[] = {
    {8435, "Automatica + manuale", "Automatic + manual"},
    {53199, "Solo manuale", "Manual only"},
    {52996, "Solo automatica", "Automatic only"},
    {52384, "Si", "Yes"},
    {39318, "No", "No"},
    {36810, "Manuale", "Manual"},
    {8434, "Automatica", "Automatic"},
    {17447, "Da file esterno", "From external file"},
    {59265, "Unità di misura 1", "Unit of measure 1"},
    {59267, "Unità di misura 2", "Unit of measure 2"},
};

struct CodedRow {  // priority codes and product classes
  int id, company;
  const char* code;
  const char* description;
};
constexpr CodedRow kPriorities[] = {
    {1, 1, "P1", "Priorità alta"},
    {2, 1, "P2", "Priorità normale"},
    {3, 1, "P3", "Priorità bassa"},
    {4, 2, "P1", "High priority"},
};
constexpr CodedRow kProductClasses[] = {
    {1, 1, "FERR", "Ferramenta"},
    {2, 1, "ELETTR", "Materiale elettrico"},
    {3, 1, "COLORI", "Colori e vernici"},
    {4, 2, "HARDW", "Hardware"},
};

struct VatCode {
  const char* code;
  const char* description;
  double rate;
  int agricultural;
  const char* compensation;
};
constexpr VatCode kVatCodes[] = {
    {"22", "IVA 22%", 22.0, 0, nullptr},
    {"10", "IVA 10%", 10.0, 0, nullptr},
    {"4", "IVA 4%", 4.0, 0, nullptr},
    {"64", "Compensazione 6,4%", 6.4, 0, nullptr},
    {"77", "Compensazione 7,7%", 7.7, 0, nullptr},
    {"10A", "IVA 10% regime agricolo", 10.0, 1, "64"},
    {"22A", "IVA 22% regime agricolo", 22.0, 1, "77"},
};

struct CatalogueType {
  int company;
  const char* code;
  const char* description;
  const char* brand;  // the company's brand on the catalogue service, or none
};
constexpr CatalogueType kCatalogueTypes[] = {
    {1, "VITERIA", "Viteria e bulloneria", "FIXPRO"},
    {1, "CAVI", "Cavi elettrici", "ELCAVI"},
    {1, "VERNICI", "Vernici e smalti", nullptr},
    {2, "CAVI", "Electric cables", "ELCAVI"},
};

void write_reference_data(data::Connection& c) {
  Table host_companies(c, "HOST_DITTE", {"HD_DITTA", "HD_RAGSOC", "HD_LINGUA"});
  Table companies(c, "CG18_ANADITTABASE", {"CG18_DITTA", "CG18_RAGSOC", "CG18_INDLOCALIZ"});
  Table retail(c, "RE01_CONFIGRETAIL", {"RE01_DITTA_CG18", "RE01_FLGATTIV"});
  Table currencies(c, "HOST_VALUTE", {"HV_DITTA", "HV_VALUTA", "HV_DECIMALI"});
  Table service(c, "IL00_CONFIG_GDPR",
                {"IL00_DITTA_CG18", "IL00_MODULO", "IL00_STATO", "IL00_USERNAME", "IL00_PASSWORD",
                 "IL00_DOMINIO_WS", "IL00_PATHCSV"});
  for (const Company& company : kCompanies) {
    const std::string number = std::to_string(company.code);
    host_companies.add({company.code, company.name, company.language});
    companies.add({company.code, company.name, code(company.localisation)});
    retail.add({company.code, company.retail});
    currencies.add({company.code, "EURO", 2});
    currencies.add({company.code, "USD", 2});
    service.add({company.code, "SORVANO", company.catalogue, "rossi." + number,
                 "Cat4logo!" + number, "https://ws.catalogo.example.com/api/v2",
                 "/srv/catalogo/csv/ditta" + number + "/"});
  }

  Table translations(c, "HOST_TRADUZIONI", {"TR_ID", "TR_LINGUA", "TR_TESTO"});
  for (const Translation& t : kTranslations) {
    translations.add({t.id, "ITA ", t.italian});
    translations.add({t.id, "ENG ", t.english});
  }

  Table priorities(c, "LP09_TESTATAPRIORITA",
                   {"LP09_ID", "LP09_DITTA_CG18", "LP09_CODICE", "LP09_DESCRIZIONE"});
  for (const CodedRow& p : kPriorities) priorities.add({p.id, p.company, p.code, p.description});
  Table classes(c, "RE37_CLASSIPROD",
                {"RE37_ID", "RE37_DITTAMASTER_CG18", "RE37_CODCLASSEPROD", "RE37_DESCRIZIONE"});
  for (const CodedRow& k : kProductClasses) classes.add({k.id, k.company, k.code, k.description});

  Table vat(c, "CG28_TABCODIVA",
            {"CG28_CODICE", "CG28_DESCRIZIONE", "CG28_ALIQUOTA", "CG28_FLGAGRI", "CG28_CODICEAGR"});
  for (const VatCode& v : kVatCodes) {
    vat.add({v.code, v.description, v.rate, v.agricultural, text(v.compensation)});
  }

  Table types(c, "CL01_TIPI", {"CL01_DITTA_CG18", "CL01_CODICE", "CL01_DESCRIZIONE"});
  Table brands(c, "IL01_MARCHEDITTA", {"IL01_DITTA_CG18", "IL01_CODICE_CL01", "IL01_CODICE_IL02"});
  for (const CatalogueType& type : kCatalogueTypes) {
    types.add({type.company, type.code, type.description});
    if (type.brand) brands.add({type.company, type.code, type.brand});
  }
}

// ---------------------------------------------------------------------------------------------
// The writers of the per-company and per-item tables, with every column

constexpr int kApplicationProvider = 1029;  // MG0S_PROVID_FW4A of the applications

struct PriceList {
  int company, side, number;
  const char* currency;  // none: the list whose currency was never set
  const char* description;
  int propose_start, propose_end;  // 2: the fixed proposed dates below
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

class Tables {
 public:
  explicit Tables(data::Connection& c)
      : lists(c, "MG44_PARMAGLIST",
              {"MG44_DITTA_CG18", "MG44_FLGVENACQ", "MG44_NUMLIST", "MG44_VALUTA_CG08",
               "MG44_DESCLIST", "MG44_INDPROPDATAINI", "MG44_INDPROPDATAFINE", "MG44_PROPDATAINI",
               "MG44_PROPDATAFINE"}),
        applications(c, "MG57_APPLICAZIONI", {"MG57_DITTA_CG18", "MG57_CODAPPLIC", "MG57_IDPROV"}),
        names(c, "MG0S_DESLINGUA",
              {"MG0S_PROVID_FW4A", "MG0S_IDPROV", "MG0S_CODLINGUA_MG52", "MG0S_DESCRIZIONE"}),
        groups(c, "MG5G_RAGGVAR",
               {"MG5G_DITTA_CG18", "MG5G_CODICEVAR_MG5F", "MG5G_CODRAGGVAR", "MG5G_DESCRIZIONE"}),
        items(c, "MG66_ANAGRART",
              {"MG66_DITTA_CG18", "MG66_CODART", "MG66_DESCART", "MG66_CODINTERNO",
               "MG66_FLGBASEVAR", "MG66_UM1", "MG66_UM2", "MG66_CODIVA_CG28", "MG66_ID_LP09",
               "MG66_ID_RE37", "MG66_DATACREAZ"}),
        descriptions(c, "MG87_ARTDESC",
                     {"MG87_DITTA_CG18", "MG87_CODART_MG66", "MG87_OPZIONE_MG5E",
                      "MG87_LINGUA_MG52", "MG87_DESCART", "MG87_NOTE"}),
        stock(c, "MG67_SCORTE",
              {"MG67_DITTA_CG18", "MG67_CODART_MG66", "MG67_OPZIONE_MG5E", "MG67_DEPOS_MG58",
               "MG67_FLGDEPPREF", "MG67_INDDEPPRELVERS", "MG67_SCORTAMIN", "MG67_SCORTAMAX",
               "MG67_PUNTORIORD"}),
        packs(c, "MG68_CONFART",
              {"MG68_DITTA_CG18", "MG68_CODART_MG66", "MG68_OPZIONE_MG5E", "MG68_CODCONF",
               "MG68_DESCCONF", "MG68_QTACONF", "MG68_FLGCONFPREF"}),
        locations(c, "MG7A_UBICAZARTFIX",
                  {"MG7A_DITTA_CG18", "MG7A_CODART_MG66", "MG7A_OPZIONE_MG5E", "MG7A_DEPOS_MG58",
                   "MG7A_UBICAZIONE"}),
        intrastat(c, "MG98_MAGINTRA",
                  {"MG98_DITTA_CG18", "MG98_CODART_MG66", "MG98_OPZIONE_MG5E", "MG98_CODNOMENC",
                   "MG98_MASSANETTA", "MG98_UNITASUPPL", "MG98_PAESEORIG"}),
        history(
            c, "MG1Q_ARTNOMENCLATURE",
            {"MG1Q_DITTA_CG18", "MG1Q_CODART_MG66", "MG1Q_ANNO", "MG1Q_INDTIPO", "MG1Q_CODICE"}),
        item_applications(c, "MG72_APPLICART",
                          {"MG72_DITTA_CG18", "MG72_CODART_MG66", "MG72_CODAPPLIC_MG57"}),
        variants(c, "MG6B_GESVARART",
                 {"MG6B_DITTA_CG18", "MG6B_CODART_MG66", "MG6B_CODICEVAR_MG5F",
                  "MG6B_CODRAGGVAR_MG5G", "MG6B_FLGOBBLIG"}),
        flags(
            c, "MG6D_FLGTABARTVAR",
            {"MG6D_DITTA_CG18", "MG6D_CODART_MG66", "MG6D_PROG", "MG6D_CODTAB", "MG6D_FLGATTIVO"}),
        entries(
            c, "CL02_ANAGCATALOGO",
            {"CL02_ID", "CL02_DITTA_CG18", "CL02_CODICE", "CL02_CODICE_CL01", "CL02_DESCRIZIONE"}),
        links(c, "CL03_LEGAMI", {"CL03_DITTA_CG18", "CL03_CODART_MG66", "CL03_ID_CL02"}),
        attachments(c, "CL06_LISTAALLEGATI",
                    {"CL06_ID", "CL06_ID_CL02", "CL06_DITTA_CG18", "CL06_TIPO", "CL06_NOMEFILE",
                     "CL06_SIGLATIPO", "CL06_TIPOFILE", "CL06_DIMENSIONE", "CL06_LINK",
                     "CL06_ISDOWNLOADED", "CL06_DATADOWNLOAD"}),
        contents(c, "CL07_FILEALLEGATI", {"CL07_ID_CL06", "CL07_FILE"}),
        prices_(c, "LI10_LISTARTIC",
                {"LI10_DITTA_CG18",   "LI10_FLGVENDACQ", "LI10_INDTIPOLIS",   "LI10_CODART_MG66",
                 "LI10_OPZIONE_MG5E", "LI10_DEPOS_MG58", "LI10_NUMLIST",      "LI10_DATAINIZIOVAL",
                 "LI10_DATAFINEVAL",  "LI10_PREZZO",     "LI10_SC1PER",       "LI10_SC2PER",
                 "LI10_SCIMP",        "LI10_MAG1PER",    "LI10_PERRICDELTA",  "LI10_INDRICALPR",
                 "LI10_INDARROT",     "LI10_SCAGL_MG02", "LI10_FLGPROVV",     "LI10_PROVPER",
                 "LI10_PROVVSC_PA10", "LI10_DATACREAZ",  "LI10_DATAULTAGG",   "LI10_FLGVARIATO",
                 "LI10_INDTIPOVAR",   "LI10_DATASTLIS",  "LI10_NUMPAGST",     "LI10_BVMBASE",
                 "LI10_BVMVAR",       "LI10_BVMMOLT",    "LI10_FLGPERSON",    "LI10_LIBEROVAL",
                 "LI10_INDUM",        "LI10_NOTE",       "LI10_IDMEDIA_CG99", "LI10_FLGUSODECOR",
                 "LI10_FLGLIST",      "LI10_SC3PER",     "LI10_SC4PER",       "LI10_SC5PER",
                 "LI10_SC6PER",       "LI10_MAG2PER",    "LI10_MAGIMP",       "LI10_PROVIMP"}),
        last_prices_(
            c, "LI11_ULTPRACQVEN",
            {"LI11_DITTA_CG18",   "LI11_FLGVENACQ",  "LI11_INDTIPOLIS", "LI11_CODART_MG66",
             "LI11_OPZIONE_MG5E", "LI11_DEPOS_MG58", "LI11_PROG",       "LI11_CODICE_CG08",
             "LI11_DATACAMBIO",   "LI11_CAMBIO",     "LI11_PREZZO",     "LI11_SC1PER",
             "LI11_DATAREG",      "LI11_DATADOC",    "LI11_NUMDOC",     "LI11_SEZDOC",
             "LI11_FLGDOCBIS",    "LI11_NUMDOCORIG", "LI11_TIPOCF",     "LI11_CODCLFO",
             "LI11_BVMBASE",      "LI11_BVMVAR",     "LI11_BVMMOLT",    "LI11_IDMEDIA_CG99",
             "LI11_SC2PER",       "LI11_SC3PER",     "LI11_SC4PER",     "LI11_SC5PER",
             "LI11_SC6PER",       "LI11_SCIMP",      "LI11_MAG1PER",    "LI11_MAG2PER",
             "LI11_MAGIMP"}) {}

  void add_list(const PriceList& list) {
    const bool fixed = list.propose_start == 2;
    lists.add({list.company, list.side, list.number, text(list.currency), list.description,
               list.propose_start, list.propose_end, fixed ? day(2025, 6, 1) : null(),
               fixed ? day(2025, 6, 30) : null()});
  }

  void add_price(const PriceRow& row) {
    static constexpr int kRecalculation[] = {0, 1, 2, 3, kNone};  // 3: no word for it
    static constexpr int kChanged[] = {1, 0, kNone};
    static constexpr int kChangeKind[] = {0, 1, 2, 9};  // 9: no word for it
    static constexpr int kUnit[] = {1, 2, 0};
    const int n = price_rows_++;
    const int recalculation = kRecalculation[n % 5];
    const bool copper = row.copper_weight > 0;
    const bool commission = row.commission >= 0;
    std::vector<Variant> values = {row.company,
                                   row.side,
                                   row.list_type,
                                   row.item,
                                   row.option,
                                   row.deposit,
                                   row.list,
                                   row.start,
                                   row.end,
                                   amount(row.price),
                                   row.discount1,
                                   row.discount2,
                                   row.discount_amount,
                                   row.markup1,
                                   recalculation == 2 ? 2.5 : 0.0,
                                   code(recalculation),
                                   n % 3,
                                   code(row.tier),
                                   commission ? 1 : 0,
                                   commission ? Variant(row.commission) : null(),
                                   text(row.agent_scheme),
                                   day(2023, 12, 15, 9, 30),
                                   n % 2 ? day(2024, 2, 1, 17, 5) : null(),
                                   code(kChanged[n % 3]),
                                   code(kChangeKind[n % 4]),
                                   row.catalogue_page == kNone ? null() : day(2024, 1, 5),
                                   code(row.catalogue_page),
                                   copper ? Variant(row.copper_base) : null(),
                                   copper ? Variant(row.copper_current) : null(),
                                   copper ? Variant(row.copper_weight) : null(),
                                   (n / 2) % 2,
                                   null(),
                                   code(kUnit[(n / 3) % 3]),
                                   text(row.note),
                                   null(),
                                   0,
                                   1};
    values.resize(values.size() + 7, Variant(0.0));  // the unused percentages and amounts
    prices_.add(values);
  }

  // LI11_PROG numbers the prices of one item, side and warehouse.
  void add_last_price(const LastPrice& p) {
    const int prog = ++last_price_numbers_[{p.company, p.side, p.item, p.deposit}];
    const bool exchange = p.rate > 0;
    std::vector<Variant> values = {p.company,
                                   p.side,
                                   0,
                                   p.item,
                                   " ",
                                   p.deposit,
                                   prog,
                                   p.currency,
                                   exchange ? day(2024, p.month, 1) : null(),
                                   exchange ? Variant(p.rate) : null(),
                                   amount(p.price),
                                   p.discount1,
                                   day(2024, p.month, 12),
                                   day(2024, p.month, 10),
                                   p.document,
                                   p.section,
                                   code(p.duplicate),
                                   text(p.original),
                                   code(p.counterpart),
                                   code(p.account),
                                   p.copper ? Variant(6.5) : null(),
                                   p.copper ? Variant(8.2) : null(),
                                   p.copper ? Variant(0.043) : null(),
                                   null()};
    values.resize(values.size() + 9, Variant(0.0));  // the unused percentages and amounts
    last_prices_.add(values);
  }

  Table lists, applications, names, groups, items, descriptions, stock, packs, locations, intrastat,
      history, item_applications, variants, flags, entries, links, attachments, contents;

 private:
  Table prices_, last_prices_;
  int price_rows_ = 0;
  std::map<std::tuple<int, int, std::string, std::string>, int> last_price_numbers_;
};

// ---------------------------------------------------------------------------------------------
// The demo: a hardware wholesaler

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
  int downloaded;  // 1 with a content; kNone: never set
  Colour colour;   // of an image's content
};
constexpr Attachment kAttachments[] = {
    {1, 1, 1, 0, "M6X20.png", nullptr, "png", -1, true, 1, {176, 176, 184}},
    {2, 1, 1, 1, "M6X20.png", nullptr, "png", -1, true, 1, {176, 176, 184}},
    {3, 1, 1, 2, "M6X20_TEC.png", nullptr, "png", 182340, true, 0, {}},
    {4, 1, 1, 3, "M6X20_TEC.png", nullptr, "png", kNone, false, 0, {}},
    {5, 1, 1, 4, "SCH_A12.pdf", "SCH", "pdf", 5242880, true, 1, {}},
    {6, 1, 1, 5, "MAN_M6.pdf", "MAN", "PDF", 1073741824, true, 0, {}},
    {7, 1, 1, 6, "CE_M6X20.pdf", "CE", "Pdf", 0, true, 1, {}},
    {8, 1, 1, 6, "A12.pdf", "SCH", "pdf", 73400, true, 0, {}},
    {9, 3, 1, 0, "FG16OR16.png", nullptr, "png", -1, true, 1, {40, 40, 40}},
    {10, 3, 1, 4, "DS_FG16OR16.pdf", "DS", "pdf", -1, true, 1, {}},
    {11, 3, 1, 6, "DOP_FG16OR16.docx", "DOP", "docx", 24576, true, kNone, {}},
    {12, 4, 1, 0, "SMALTO_BIANCO.png", nullptr, "png", -1, true, 1, {244, 244, 240}},
    {13, 4, 1, 4, "ST_SMALTO.pdf", "ST", "pdf", 310000, true, 0, {}},
    {14, 5, 2, 0, "FG16OR16.png", nullptr, "png", -1, true, 1, {40, 40, 40}},
};

bool has(const Item& item, Quirk quirk) { return (item.quirks & quirk) != 0; }

// The EAN-13 with which the item is also known (MG66_CODINTERNO).
std::string ean13(int company, int index) {
  const std::string digits = format("80%02lld", company) + format("%08lld", 123400 + index);
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
  return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

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
  if (std::string_view(a.type) == "png") {
    const int side = (a.kind == 1 || a.kind == 3) ? 8 : 32;  // thumbnails are smaller
    return make_png(side, side, a.colour);
  }
  std::string item;
  for (const CatalogueEntry& e : kCatalogueEntries) {
    if (e.id == a.entry) item = e.item;
  }
  return make_pdf(a.file, "Documento del catalogo per l'articolo " + item + ".");
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

// ---------------------------------------------------------------------------------------------
// The scaled data set

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
  // One image and one document serve every downloaded attachment.
  static const Bytes kImage = make_png(8, 8, {200, 120, 40});
  static const Bytes kDocument = make_pdf("Documento di prova", "Allegato per le misure.");
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

// A half-built file would be taken for a finished database next time.
void discard_database_file(data::Connection& connection, const std::filesystem::path& file) {
  automation::ignore_errors([&] {
    if (connection.State() == data::kStateOpen) connection.Close();
  });
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

}  // namespace

void create_demo(data::Connection& connection) {
  Transaction transaction(connection);
  write_reference_data(connection);
  Tables tables(connection);
  write_company_tables(tables);
  write_items(tables, 1, kItems);
  write_items(tables, 2, kEnglishItems);
  write_catalogue(tables);
  transaction.commit();
}

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

data::ConnectionPtr create_database_file(std::string_view path) {
  const std::filesystem::path file{std::string(path)};
  std::error_code ignored;
  if (std::filesystem::exists(file, ignored)) {
    throw automation::Error(automation::errc::kFileAlreadyExists, std::string(kSource),
                            "File already exists: " + std::string(path));
  }
  data::sqlite::register_provider();
  auto connection = data::Connection::create();
  const std::string source = std::string(path).find_first_of(";{}") == std::string::npos
                                 ? std::string(path)
                                 : "{" + std::string(path) + "}";
  try {
    // Written by few and read by several processes at once: readers then never wait for a
    // writer, and a commit needs no sync of its own.
    connection->Open("Provider=SQLite;Data Source=" + source + ";Journal Mode=WAL");
    create_schema(*connection);
  } catch (const automation::Error&) {
    discard_database_file(*connection, file);
    throw;
  }
  return connection;
}

void create_demo_database(std::string_view path) {
  data::ConnectionPtr connection = create_database_file(path);
  try {
    create_demo(*connection);
    connection->Close();
  } catch (const automation::Error&) {
    discard_database_file(*connection, std::filesystem::path{std::string(path)});
    throw;
  }
}

}  // namespace console
