#include "console/demo_rows.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "automation/date.h"
#include "automation/error.h"

namespace console {

namespace detail {
std::string_view embedded_demo_file(std::string_view name);
}  // namespace detail

namespace demo {

namespace {

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

}  // namespace

Variant null() { return Variant::null(); }
Variant code(int value) { return value == kNone ? null() : Variant(value); }
Variant text(const char* value) { return value ? Variant(value) : null(); }
Variant amount(std::optional<double> value) { return value ? Variant(*value) : null(); }
Variant day(int year, int month, int day_of_month, int hour, int minute) {
  return automation::date_from_civil(
      {.year = year, .month = month, .day = day_of_month, .hour = hour, .minute = minute});
}
double price(double value) { return std::round(value * 10000.0) / 10000.0; }

std::string format(const char* pattern, long long number) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, number);
  return buffer;
}

Table::Table(data::Connection& connection, std::string_view name,
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

void Table::add(std::span<const Variant> values) {
  if (values.size() != columns_) {
    throw automation::Error(automation::errc::kInvalidProcedureCall, std::string(kSource),
                            "Wrong number of values for: " + sql_);
  }
  connection_->run(sql_, values);
}

Transaction::Transaction(data::Connection& connection) : connection_(connection) {
  connection_.BeginTrans();
}

Transaction::~Transaction() {
  if (!committed_) automation::ignore_errors([this] { connection_.RollbackTrans(); });
}

void Transaction::commit() {
  connection_.CommitTrans();
  committed_ = true;
}

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

Tables::Tables(data::Connection& c)
    : lists(
          c, "MG44_PARMAGLIST",
          {"MG44_DITTA_CG18", "MG44_FLGVENACQ", "MG44_NUMLIST", "MG44_VALUTA_CG08", "MG44_DESCLIST",
           "MG44_INDPROPDATAINI", "MG44_INDPROPDATAFINE", "MG44_PROPDATAINI", "MG44_PROPDATAFINE"}),
      applications(c, "MG57_APPLICAZIONI", {"MG57_DITTA_CG18", "MG57_CODAPPLIC", "MG57_IDPROV"}),
      names(c, "MG0S_DESLINGUA",
            {"MG0S_PROVID_FW4A", "MG0S_IDPROV", "MG0S_CODLINGUA_MG52", "MG0S_DESCRIZIONE"}),
      groups(c, "MG5G_RAGGVAR",
             {"MG5G_DITTA_CG18", "MG5G_CODICEVAR_MG5F", "MG5G_CODRAGGVAR", "MG5G_DESCRIZIONE"}),
      items(c, "MG66_ANAGRART",
            {"MG66_DITTA_CG18", "MG66_CODART", "MG66_DESCART", "MG66_CODINTERNO", "MG66_FLGBASEVAR",
             "MG66_UM1", "MG66_UM2", "MG66_CODIVA_CG28", "MG66_ID_LP09", "MG66_ID_RE37",
             "MG66_DATACREAZ"}),
      descriptions(c, "MG87_ARTDESC",
                   {"MG87_DITTA_CG18", "MG87_CODART_MG66", "MG87_OPZIONE_MG5E", "MG87_LINGUA_MG52",
                    "MG87_DESCART", "MG87_NOTE"}),
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
      history(c, "MG1Q_ARTNOMENCLATURE",
              {"MG1Q_DITTA_CG18", "MG1Q_CODART_MG66", "MG1Q_ANNO", "MG1Q_INDTIPO", "MG1Q_CODICE"}),
      item_applications(c, "MG72_APPLICART",
                        {"MG72_DITTA_CG18", "MG72_CODART_MG66", "MG72_CODAPPLIC_MG57"}),
      variants(c, "MG6B_GESVARART",
               {"MG6B_DITTA_CG18", "MG6B_CODART_MG66", "MG6B_CODICEVAR_MG5F",
                "MG6B_CODRAGGVAR_MG5G", "MG6B_FLGOBBLIG"}),
      flags(c, "MG6D_FLGTABARTVAR",
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
      last_prices_(c, "LI11_ULTPRACQVEN",
                   {"LI11_DITTA_CG18",   "LI11_FLGVENACQ",  "LI11_INDTIPOLIS", "LI11_CODART_MG66",
                    "LI11_OPZIONE_MG5E", "LI11_DEPOS_MG58", "LI11_PROG",       "LI11_CODICE_CG08",
                    "LI11_DATACAMBIO",   "LI11_CAMBIO",     "LI11_PREZZO",     "LI11_SC1PER",
                    "LI11_DATAREG",      "LI11_DATADOC",    "LI11_NUMDOC",     "LI11_SEZDOC",
                    "LI11_FLGDOCBIS",    "LI11_NUMDOCORIG", "LI11_TIPOCF",     "LI11_CODCLFO",
                    "LI11_BVMBASE",      "LI11_BVMVAR",     "LI11_BVMMOLT",    "LI11_IDMEDIA_CG99",
                    "LI11_SC2PER",       "LI11_SC3PER",     "LI11_SC4PER",     "LI11_SC5PER",
                    "LI11_SC6PER",       "LI11_SCIMP",      "LI11_MAG1PER",    "LI11_MAG2PER",
                    "LI11_MAGIMP"}) {}

void Tables::add_list(const PriceList& list) {
  const bool fixed = list.propose_start == 2;
  lists.add({list.company, list.side, list.number, text(list.currency), list.description,
             list.propose_start, list.propose_end, fixed ? day(2025, 6, 1) : null(),
             fixed ? day(2025, 6, 30) : null()});
}

void Tables::add_price(const PriceRow& row) {
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

void Tables::add_last_price(const LastPrice& p) {
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

std::string ean13(int company, int index) {
  const std::string digits = format("80%02lld", company) + format("%08lld", 123400 + index);
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
  return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

automation::Bytes demo_file(std::string_view name) {
  const std::string_view bytes = detail::embedded_demo_file(name);
  if (bytes.empty()) {
    throw automation::Error(automation::errc::kFileNotFound, std::string(kSource),
                            "File not found: " + std::string(name));
  }
  return {bytes.begin(), bytes.end()};
}

}  // namespace demo
}  // namespace console
