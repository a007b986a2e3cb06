#include <string>
#include <vector>

#include "automation/convert.h"
#include "dorsel/price_view_helpers.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

// Each view's columns, decoded words, net prices and rebuilding are pinned by the session script
// price_list_views_rows.jsonl; here, what the price object is handed (a recording one), a
// source the host builds, and failures part way.
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

// The decoded columns in the order of the case table below.
const std::vector<std::string_view> kDecoded = {"LI10_INDRICALPR", "LI10_FLGVARIATO",
                                                "LI10_INDTIPOVAR", "LI10_FLGPERSON", "LI10_INDUM"};

struct DecodingCase {
  const char* stored[5];     // INDRICALPR, FLGVARIATO, INDTIPOVAR, FLGPERSON, INDUM
  const char* without_host;  // the fixed words
};

const DecodingCase kDecodingCases[] = {
    {{"0", "1", "0", "1", "1"}, "'Automatica + manuale'|'Si'|'Manuale'|'Si'|'Unità di misura 1'"},
    {{"1", "0", "1", "0", "2"}, "'Solo manuale'|'No'|'Automatica'|'No'|'Unità di misura 2'"},
    {{"2", "NULL", "2", "2", "0"}, "'Solo automatica'|'No'|'Da file esterno'|'No'|Empty"},
    {{"3", "NULL", "3", "NULL", "NULL"}, "Empty|'No'|Empty|'No'|Empty"},
    // A missing change kind reads as code 0.
    {{"NULL", "2", "NULL", "1", "3"}, "Empty|'No'|'Manuale'|'Si'|Empty"},
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

TEST_F(PriceListViewsTest, PurchaseViewReadsThePurchaseSide) {
  item("A1", "0");
  list_parameters(0, 4, "'CHF'", "'Vendita'");
  list_parameters(1, 4, "'GBP'", "'Acquisto'");
  price_row(0, 4, "LI10_PREZZO = 1");
  price_row(1, 4, "LI10_PREZZO = 2");
  component->Init_LI10("A1", "1");
  auto price = recording_price();
  component->InitializeRecordsetLI10Acq();
  EXPECT_TRUE(price->take().starts_with("Valuta='GBP'\nFLGBASEVAR=0\nPREZZO='2'\n"));
  EXPECT_EQ(component->Grst_RecSet_LI10Ven_append, nullptr);
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
