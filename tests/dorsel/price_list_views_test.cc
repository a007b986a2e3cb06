#include <string>
#include <vector>

#include "automation/convert.h"
#include "dorsel/price_view_helpers.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using automation::Variant;
using test_support::crlf_lines;
using test_support::value_text;
using test_support::view_rows;

// An item code as an SQL literal.
std::string literal(const std::string& code) {
  std::string out = "'";
  for (char c : code) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

constexpr std::int32_t kCannotStore = -2147217887;

class PriceListViewsTest : public test_support::ComponentTest {
 protected:
  // A stored row of item `item` in list `list` of one side (0 sales, 1 purchases); `more` is
  // an SQL assignment list for further columns ("LI10_PREZZO = 10, LI10_NOTE = 'x'").
  void price_row(int side, int list, const std::string& more = "", const std::string& item = "A1") {
    const std::string key = "LI10_FLGVENDACQ = " + std::to_string(side) +
                            " AND LI10_NUMLIST = " + std::to_string(list) +
                            " AND LI10_CODART_MG66 = " + literal(item);
    exec(
        "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
        "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL) VALUES (1, " +
        std::to_string(side) + ", " + literal(item) + ", ' ', ' ', " + std::to_string(list) +
        ", '2024-01-01')");
    if (!more.empty()) exec("UPDATE LI10_LISTARTIC SET " + more + " WHERE " + key);
  }
  void list_parameters(int side, int list, const std::string& currency,
                       const std::string& description) {
    exec(
        "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
        "MG44_VALUTA_CG08, MG44_DESCLIST) VALUES (1, " +
        std::to_string(side) + ", " + std::to_string(list) + ", " + currency + ", " + description +
        ")");
  }
  void item(const std::string& code, const std::string& base_variation) {
    exec("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_FLGBASEVAR) VALUES (1, " +
         literal(code) + ", " + base_variation + ")");
  }
  std::shared_ptr<test_support::RecordingPrice> recording_price() {
    auto price = std::make_shared<test_support::RecordingPrice>();
    component->gclsCalcoloPrezzi = price;
    return price;
  }
  void without_host() { component->SetActiveInterface(Variant::nothing()); }
  void with_host() { component->SetActiveInterface(Variant(automation::ObjectPtr(host))); }

  data::Recordset& sales_view() { return *component->Grst_RecSet_LI10Ven_append; }
};

TEST_F(PriceListViewsTest, EmptySourceGivesAnOpenViewWithTheLayoutAndRunsNothing) {
  price_row(0, 1, {}, "OTHER");
  component->Init_LI10("A1", "0");
  component->Init_LI10("A1", "1");
  test_support::StatementLog log(*connection);
  component->InitializeRecordsetLI10Ven();
  component->InitializeRecordsetLI10Acq();

  for (data::Recordset* view :
       {component->Grst_RecSet_LI10Ven_append.get(), component->Grst_RecSet_LI10Acq_append.get()}) {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->State(), data::kStateOpen);
    EXPECT_EQ(view->RecordCount(), 0);
    EXPECT_EQ(view->ActiveConnection(), nullptr);
    EXPECT_EQ(view->Fields().Count(), 48);
  }
  EXPECT_TRUE(log.statements().empty());
  EXPECT_EQ(component->gclsCalcoloPrezzi, nullptr);
}

TEST_F(PriceListViewsTest, CopiesDecodesAndLooksUpEveryColumnOfAStoredRow) {
  item("A1", "0");
  list_parameters(0, 3, "'USD'", "'Listino dollari  '");
  host->translations().set_override(53199, "Only by hand");
  price_row(0, 3,
            "LI10_FLGUSODECOR = 1, LI10_INDTIPOLIS = 2, LI10_DATAFINEVAL = '2024-12-31', "
            "LI10_FLGLIST = 1, LI10_PREZZO = 12.5, LI10_SC1PER = 10, LI10_SC6PER = 1.5, "
            "LI10_SCIMP = 0.25, LI10_MAG2PER = 3, LI10_MAGIMP = 0.75, LI10_PERRICDELTA = 2.5, "
            "LI10_INDRICALPR = 1, LI10_INDARROT = 2, LI10_SCAGL_MG02 = 4, LI10_FLGPROVV = 1, "
            "LI10_PROVPER = 3.5, LI10_PROVIMP = 0.5, LI10_PROVVSC_PA10 = '  PV1  ', "
            "LI10_DATACREAZ = '2023-05-06 07:08:09', LI10_FLGVARIATO = 1, LI10_INDTIPOVAR = 2, "
            "LI10_NUMPAGST = 12, LI10_BVMBASE = 1.25, LI10_FLGPERSON = 0, LI10_LIBEROVAL = 7.5, "
            "LI10_INDUM = 2, LI10_NOTE = 'a note  ', LI10_IDMEDIA_CG99 = 99");
  component->Init_LI10("A1", "0");
  component->InitializeRecordsetLI10Ven();

  data::Recordset& view = sales_view();
  ASSERT_EQ(view.RecordCount(), 1);
  // Keys and validity copied; the currency looked up.
  EXPECT_EQ(view_rows(view, {"MYID", "LI10_DITTA_CG18", "LI10_FLGUSODECOR", "LI10_FLGVENDACQ",
                             "LI10_INDTIPOLIS", "LI10_CODART_MG66", "LI10_OPZIONE_MG5E",
                             "LI10_DEPOS_MG58", "LI10_NUMLIST", "VALUTA", "LI10_DATAFINEVAL",
                             "LI10_DATAINIZIOVAL", "LI10_FLGLIST"}),
            "1|1|1|0|2|'A1'|' '|' '|3|'USD'|#2024-12-31 00:00:00#|#2024-01-01 00:00:00#|1\n");
  // Price, discounts and increases copied as stored, Null included.
  EXPECT_EQ(
      view_rows(view, {"LI10_PREZZO", "LI10_SC1PER", "LI10_SC2PER", "LI10_SC6PER", "LI10_SCIMP",
                       "LI10_MAG1PER", "LI10_MAG2PER", "LI10_MAGIMP", "LI10_PERRICDELTA",
                       "LI10_INDARROT", "LI10_FLGPROVV", "LI10_PROVPER", "LI10_PROVIMP",
                       "LI10_DATACREAZ", "LI10_DATAULTAGG", "LI10_DATASTLIS"}),
      "12.5|10|Null|1.5|0.25|Null|3|0.75|2.5|2|1|3.5|0.5|#2023-05-06 07:08:09#|Null|Null\n");
  // Decimal and trimmed texts, the host's words and the looked-up description.
  EXPECT_EQ(view_rows(view, {"LI10_SCAGL_MG02", "LI10_PROVVSC_PA10", "LI10_NUMPAGST",
                             "LI10_BVMBASE", "LI10_BVMVAR", "LI10_NOTE", "LI10_LIBEROVAL",
                             "LI10_IDMEDIA_CG99", "MG44_DESCLIST"}),
            "4|'  PV1'|12|1.25|0|'a note'|7.5|99|'Listino dollari'\n");
  EXPECT_EQ(view_rows(view, {"LI10_INDRICALPR", "LI10_FLGVARIATO", "LI10_INDTIPOVAR",
                             "LI10_FLGPERSON", "LI10_INDUM"}),
            "'Only by hand'|'[52384]'|'[17447]'|'[39318]'|'[59267]'\n");
}

TEST_F(PriceListViewsTest, MyIdZeroOrNullTakesThePositionInTheView) {
  item("A1", "0");
  for (int list : {1, 2, 3, 4}) price_row(0, list);
  // The stored numbers as a host might give them: 7, zero, missing, 9.
  data::RecordsetPtr source = data::Recordset::create();
  source->Open(
      Variant(std::string(
          "SELECT CASE LI10_NUMLIST WHEN 1 THEN 7 WHEN 2 THEN 0 WHEN 4 THEN 9 END AS MYID, "
          "*, '' AS MG44_DESCLIST, '' AS VALUTA FROM LI10_LISTARTIC ORDER BY LI10_NUMLIST")),
      Variant(automation::ObjectPtr(connection)), data::CursorTypeEnum::kStatic,
      data::LockTypeEnum::kBatchOptimistic, data::CommandTypeEnum::kText);
  component->Grst_RecSet_LI10Ven = source;
  component->InitializeRecordsetLI10Ven();
  EXPECT_EQ(view_rows(sales_view(), {"MYID", "LI10_NUMLIST"}), "7|1\n2|2\n3|3\n9|4\n");
}

TEST_F(PriceListViewsTest, MissingValuesReadAsZeroOrEmptyWhereTheViewAsksForIt) {
  item("A1", "0");
  price_row(0, 1);  // every optional column Null
  price_row(0, 2, "LI10_PREZZO = 0");
  price_row(0, 3, "LI10_PREZZO = 7.25");
  component->Init_LI10("A1", "0");
  component->InitializeRecordsetLI10Ven();
  data::Recordset& view = sales_view();
  EXPECT_EQ(view_rows(view, {"LI10_PREZZO"}), "0\n0\n7.25\n");
  const std::string zeros = "0|0|0|0|0|0|0|''|''\n";
  EXPECT_EQ(view_rows(view, {"LI10_NUMPAGST", "LI10_BVMBASE", "LI10_BVMVAR", "LI10_BVMMOLT",
                             "LI10_LIBEROVAL", "LI10_IDMEDIA_CG99", "LI10_SCAGL_MG02", "LI10_NOTE",
                             "LI10_PROVVSC_PA10"}),
            zeros + zeros + zeros);
  // Copied columns keep their Null; a list without parameters has an empty currency and
  // description.
  const std::string nulls = "Null|Null|Null|Null|''|''\n";
  EXPECT_EQ(view_rows(view, {"LI10_SC1PER", "LI10_SCIMP", "LI10_DATAFINEVAL", "LI10_PROVPER",
                             "VALUTA", "MG44_DESCLIST"}),
            nulls + nulls + nulls);
}

// The decoded columns in the order of the case table below.
const std::vector<std::string_view> kDecoded = {"LI10_INDRICALPR", "LI10_FLGVARIATO",
                                                "LI10_INDTIPOVAR", "LI10_FLGPERSON", "LI10_INDUM"};

struct DecodingCase {
  const char* stored[5];     // INDRICALPR, FLGVARIATO, INDTIPOVAR, FLGPERSON, INDUM
  const char* with_host;     // the words as the host translates them ("[id]": no text)
  const char* without_host;  // the fixed words
};

const DecodingCase kDecodingCases[] = {
    {{"0", "1", "0", "1", "1"},
     "'[8435]'|'[52384]'|'[36810]'|'[52384]'|'[59265]'",
     "'Automatica + manuale'|'Si'|'Manuale'|'Si'|'Unità di misura 1'"},
    {{"1", "0", "1", "0", "2"},
     "'[53199]'|'[39318]'|'[8434]'|'[39318]'|'[59267]'",
     "'Solo manuale'|'No'|'Automatica'|'No'|'Unità di misura 2'"},
    {{"2", "NULL", "2", "2", "0"},
     "'[52996]'|'[39318]'|'[17447]'|'[39318]'|Empty",
     "'Solo automatica'|'No'|'Da file esterno'|'No'|Empty"},
    {{"3", "NULL", "3", "NULL", "NULL"},
     "Empty|'[39318]'|Empty|'[39318]'|Empty",
     "Empty|'No'|Empty|'No'|Empty"},
    // A missing change kind reads as code 0.
    {{"NULL", "2", "NULL", "1", "3"},
     "Empty|'[39318]'|'[36810]'|'[52384]'|Empty",
     "Empty|'No'|'Manuale'|'Si'|Empty"},
};

std::string decoded_columns(const DecodingCase& c) {
  std::string columns;
  int i = 0;
  for (std::string_view name : kDecoded) {
    if (i != 0) columns += ", ";
    columns += std::string(name) + " = " + c.stored[i++];
  }
  return columns;
}

TEST_F(PriceListViewsTest, DecodedWordsComeFromTheHostsTranslation) {
  item("A1", "0");
  std::string expected;
  int list = 1;
  for (const DecodingCase& c : kDecodingCases) {
    price_row(0, list++, decoded_columns(c));
    expected += std::string(c.with_host) + "\n";
  }
  component->Init_LI10("A1", "0");
  component->InitializeRecordsetLI10Ven();
  EXPECT_EQ(view_rows(sales_view(), kDecoded), expected);
}

TEST_F(PriceListViewsTest, WithoutTheHostTheFixedWordsAreWrittenAndTheNetPriceFails) {
  item("A1", "0");
  for (const DecodingCase& c : kDecodingCases) {
    SCOPED_TRACE(c.without_host);
    exec("DELETE FROM LI10_LISTARTIC");
    price_row(0, 1, decoded_columns(c));
    component->Init_LI10("A1", "0");
    without_host();
    automation::Error e = error_of([&] { component->InitializeRecordsetLI10Ven(); });
    with_host();
    // The net price needs the company; the row stays as far as it was filled.
    EXPECT_EQ(e.number(), automation::errc::kObjectVariableNotSet);
    EXPECT_EQ(e.source(),
              "InitializeRecordsetLI10Ven:\r\nTrasferisci_in_Grst_RecSet_LI10Ven_Append:\r\n"
              "Calcola_PREZZONETTO_LI10Ven:\r\nTRAVE_DORSEL");
    data::Recordset& view = sales_view();
    EXPECT_EQ(view.EditMode(), data::kEditAdd);
    std::string row;
    for (std::string_view column : kDecoded) {
      if (!row.empty()) row += "|";
      row += value_text(view.Fields().Item(column).Value());
    }
    EXPECT_EQ(row, c.without_host);
    EXPECT_EQ(value_text(view.Fields().Item("PREZZO_NETTO").Value()), "Empty");
  }
}

TEST_F(PriceListViewsTest, EachRowIsHandedToThePriceObjectAsTexts) {
  item("A1", "1");
  list_parameters(0, 1, "'USD'", "'Dollari'");
  price_row(
      0, 1,
      "LI10_PREZZO = 100, LI10_SC1PER = 10, LI10_SC2PER = 2.5, LI10_SC3PER = 3, LI10_SC4PER = 4, "
      "LI10_SC5PER = 5, LI10_SC6PER = 6, LI10_SCIMP = 1.25, LI10_MAG1PER = 7, LI10_MAG2PER = 8, "
      "LI10_MAGIMP = 0.5, LI10_BVMBASE = 10, LI10_BVMVAR = 12, LI10_BVMMOLT = 2");
  price_row(0, 2);  // no parameters for list 2, every amount missing
  component->Init_LI10("A1", "0");
  auto price = recording_price();
  price->net_price = 42.125;
  test_support::StatementLog log(*connection);
  component->InitializeRecordsetLI10Ven();

  // The host's own object is used as it is: its company is not set.
  EXPECT_EQ(price->take(),
            "Valuta='USD'\nFLGBASEVAR=1\nBVMBASE='10'\nBVMVAR='12'\nBVMMOLT='2'\nPREZZO='100'\n"
            "SC1PER='10'\nSC2PER='2.5'\nSC3PER='3'\nSC4PER='4'\nSC5PER='5'\nSC6PER='6'\n"
            "SCIMP='1.25'\nMAG1PER='7'\nMAG2PER='8'\nMAGIMP='0.5'\nCalcolaPrezzoNetto\n"
            "Valuta='EURO'\nFLGBASEVAR=1\nBVMBASE='0'\nBVMVAR='0'\nBVMMOLT='0'\nPREZZO='0'\n"
            "SC1PER='0'\nSC2PER='0'\nSC3PER='0'\nSC4PER='0'\nSC5PER='0'\nSC6PER='0'\n"
            "SCIMP='0'\nMAG1PER='0'\nMAG2PER='0'\nMAGIMP='0'\nCalcolaPrezzoNetto\n");
  EXPECT_EQ(view_rows(sales_view(), {"PREZZO_NETTO"}), "42.125\n42.125\n");

  // Per row: the currency, the description, the currency again and the item, nothing kept.
  const std::string item_query =
      crlf_lines({" SELECT ", "     MG66_FLGBASEVAR ", " FROM ", "     MG66_ANAGRART ",
                  " WHERE MG66_DITTA_CG18 = 1", " AND MG66_CODART ='A1'"});
  std::vector<std::string> ours;  // the host reads its translations on the same connection
  for (const std::string& statement : log.statements()) {
    if (statement.find("HOST_") == std::string::npos) ours.push_back(statement);
  }
  ASSERT_EQ(ours.size(), 8u);
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row);
    const std::string* s = &ours[static_cast<std::size_t>(row) * 4];
    EXPECT_TRUE(s[0].starts_with("SELECT MG44_VALUTA_CG08")) << s[0];
    EXPECT_TRUE(s[1].starts_with("SELECT MG44_DESCLIST")) << s[1];
    EXPECT_EQ(s[2], s[0]);
    EXPECT_EQ(s[3], item_query);
  }
}

TEST_F(PriceListViewsTest, BaseVariationIsHandedOverOnlyForAnItemWithTheFlag) {
  const struct {
    const char* item_code;
    const char* flag;  // nullptr: no item row
    bool handed_over;
  } cases[] = {
      {"A1", "1", true},     {"A1", "0", false},     {"A1", "2", false},
      {"A1", "NULL", false}, {"A1", nullptr, false}, {"O'K", "1", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.item_code) + " flag " + (c.flag ? c.flag : "(no item)"));
    exec("DELETE FROM LI10_LISTARTIC");
    exec("DELETE FROM MG66_ANAGRART");
    if (c.flag) item(c.item_code, c.flag);
    price_row(0, 1, "LI10_PREZZO = 5, LI10_BVMBASE = 1, LI10_BVMVAR = 3, LI10_BVMMOLT = 2",
              c.item_code);
    component->Init_LI10(c.item_code, "0");
    auto price = recording_price();
    component->InitializeRecordsetLI10Ven();
    const std::string log = price->take();
    EXPECT_EQ(log.find("FLGBASEVAR=1\nBVMBASE='1'\nBVMVAR='3'\nBVMMOLT='2'\nPREZZO='5'") !=
                  std::string::npos,
              c.handed_over)
        << log;
    EXPECT_EQ(log.find("FLGBASEVAR=0\nPREZZO='5'") != std::string::npos, !c.handed_over) << log;
  }
}

TEST_F(PriceListViewsTest, NetPriceOfEachRowIsWhatThePriceLibraryComputes) {
  exec(
      "INSERT INTO HOST_VALUTE (HV_DITTA, HV_VALUTA, HV_DECIMALI) VALUES "
      "(1, 'EURO', 2), (1, 'USD', 3)");
  item("A1", "1");
  item("B2", "0");
  list_parameters(0, 1, "'USD'", "'Dollari'");
  for (const char* code : {"A1", "B2"}) {
    price_row(0, 1,
              "LI10_PREZZO = 100, LI10_SC1PER = 10, LI10_BVMBASE = 10, LI10_BVMVAR = 12, "
              "LI10_BVMMOLT = 2",
              code);
    price_row(0, 2,
              "LI10_PREZZO = 10.123456, LI10_SC2PER = 3.3, LI10_SCIMP = 0.1, LI10_MAG1PER = 2, "
              "LI10_MAGIMP = 0.004",
              code);
    price_row(0, 3, "LI10_PREZZO = NULL, LI10_MAGIMP = 1", code);
  }

  const struct {
    const char* item_code;
    const char* net_prices;  // as worked out by hand, for the rounding and the flag
  } cases[] = {{"A1", "93.6\n9.89\n1\n"}, {"B2", "90\n9.89\n1\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item_code);
    component->Init_LI10(c.item_code, "0");
    component->InitializeRecordsetLI10Ven();
    EXPECT_EQ(view_rows(sales_view(), {"PREZZO_NETTO"}), c.net_prices);
  }
}

TEST_F(PriceListViewsTest, PurchaseViewReadsThePurchaseSide) {
  item("A1", "0");
  list_parameters(0, 4, "'CHF'", "'Vendita'");
  list_parameters(1, 4, "'GBP'", "'Acquisto'");
  price_row(0, 4, "LI10_PREZZO = 1");
  price_row(1, 4, "LI10_PREZZO = 2");
  component->Init_LI10("A1", "1");
  auto price = recording_price();
  component->InitializeRecordsetLI10Acq();
  EXPECT_EQ(view_rows(*component->Grst_RecSet_LI10Acq_append,
                      {"LI10_FLGVENDACQ", "VALUTA", "MG44_DESCLIST", "LI10_PREZZO"}),
            "1|'GBP'|'Acquisto'|2\n");
  EXPECT_TRUE(price->take().starts_with("Valuta='GBP'\nFLGBASEVAR=0\nPREZZO='2'\n"));
  EXPECT_EQ(component->Grst_RecSet_LI10Ven_append, nullptr);
}

TEST_F(PriceListViewsTest, ViewIsRebuiltFromTheWholeSourceEveryTime) {
  item("A1", "0");
  for (int list : {1, 2, 3}) price_row(0, list);
  component->Init_LI10("A1", "0");
  data::Recordset& source = *component->Grst_RecSet_LI10Ven;
  source.SetFilter(Variant("LI10_NUMLIST = 2"));

  component->InitializeRecordsetLI10Ven();
  data::RecordsetPtr first = component->Grst_RecSet_LI10Ven_append;
  EXPECT_EQ(view_rows(*first, {"MYID"}), "1\n2\n3\n");
  // The host's filter stays cleared; the source is left at its end, the view on its last row.
  EXPECT_EQ(value_text(source.Filter()), "0");
  EXPECT_TRUE(source.Eof());
  EXPECT_EQ(first->AbsolutePosition(), 3);

  component->InitializeRecordsetLI10Ven();
  EXPECT_NE(component->Grst_RecSet_LI10Ven_append, first);
  EXPECT_EQ(first->State(), data::kStateClosed);
  EXPECT_EQ(view_rows(sales_view(), {"MYID"}), "1\n2\n3\n");
}

TEST_F(PriceListViewsTest, ValueTooLongForItsColumnStopsTheTransferAfterTheRowsCommitted) {
  item("A1", "0");
  for (const char* what : {"currency", "description", "translation"}) {
    SCOPED_TRACE(what);
    exec("DELETE FROM LI10_LISTARTIC");
    exec("DELETE FROM MG44_PARMAGLIST");
    host->translations().clear_overrides();
    price_row(0, 1, "LI10_INDRICALPR = 1");
    price_row(0, 2, "LI10_INDRICALPR = 0");
    price_row(0, 3);
    const std::string which = what;
    if (which == "currency") list_parameters(0, 2, "'EURO1'", "'x'");
    if (which == "description") list_parameters(0, 2, "'EUR'", "'" + std::string(31, 'd') + "'");
    if (which == "translation") host->translations().set_override(8435, std::string(41, 't'));
    component->Init_LI10("A1", "0");
    automation::Error e = error_of([&] { component->InitializeRecordsetLI10Ven(); });
    EXPECT_EQ(e.number(), kCannotStore);
    EXPECT_TRUE(e.source().starts_with(
        "InitializeRecordsetLI10Ven:\r\nTrasferisci_in_Grst_RecSet_LI10Ven_Append:\r\n"))
        << e.source();
    // The first row is committed, the second is left being added, the third never started.
    data::Recordset& view = sales_view();
    EXPECT_EQ(view.EditMode(), data::kEditAdd);
    EXPECT_EQ(view.RecordCount(), 2);
    EXPECT_EQ(component->Grst_RecSet_LI10Ven->AbsolutePosition(), 2);
  }
}

TEST_F(PriceListViewsTest, RoutinesCalledOutOfOrderFailCleanlyOrDoNothing) {
  component->Init_LI10("A1", "0");
  component->InitializeRecordsetLI10Ven();
  test_support::StatementLog log(*connection);
  // No current row in the view: nothing is handed over and no object is made.
  component->Calcola_PREZZONETTO_LI10Ven("", "A1");
  EXPECT_EQ(component->gclsCalcoloPrezzi, nullptr);
  EXPECT_TRUE(log.statements().empty());

  // No view at all, a builder on an open view, a transfer without its source.
  automation::Error e = error_of([&] { component->Calcola_PREZZONETTO_LI10Acq("", "A1"); });
  EXPECT_EQ(e.number(), automation::errc::kObjectVariableNotSet);
  EXPECT_EQ(e.source(), "Calcola_PREZZONETTO_LI10Acq:\r\nTRAVE_DORSEL");

  e = error_of([&] { component->CreaRecset_Grst_RecSet_LI10Ven_Append(); });
  EXPECT_EQ(e.number(), data::errc::kObjectOpen);
  EXPECT_TRUE(e.source().starts_with("CreaRecset_Grst_RecSet_LI10Ven_Append:\r\n"));
  e = error_of([&] { component->InitializeRecordsetLI10Acq(); });
  EXPECT_EQ(e.number(), automation::errc::kObjectVariableNotSet);
  EXPECT_EQ(e.source(),
            "InitializeRecordsetLI10Acq:\r\nTrasferisci_in_Grst_RecSet_LI10Acq_Append:\r\n"
            "TRAVE_DORSEL");
  // The view was still built and opened before the transfer failed.
  EXPECT_EQ(component->Grst_RecSet_LI10Acq_append->State(), data::kStateOpen);
}

}  // namespace
