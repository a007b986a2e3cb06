#include <string>
#include <vector>

#include "automation/convert.h"
#include "dorsel/price_view_helpers.h"
#include "support/component_fixture.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

// Each view's columns, decoded words (with and without the host), net prices, rebuilding and
// failures part way are pinned by the session script price_list_views_rows.jsonl; here, what
// the price object is handed (a recording one), a source the host builds, and what runs.
namespace {

using automation::Variant;
using test_support::view_rows;

class PriceListViewsTest : public test_support::ComponentTest {
 protected:
  // A stored sales row of `item` in list `list`; `more` is an SQL assignment list for further
  // columns ("LI10_PREZZO = 10, LI10_NOTE = 'x'").
  void price_row(int list, const std::string& more = "", const std::string& item = "A1") {
    exec(
        "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
        "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL) VALUES (1, 0, '" +
        item + "', ' ', ' ', " + std::to_string(list) + ", '2024-01-01')");
    if (!more.empty()) {
      exec("UPDATE LI10_LISTARTIC SET " + more + " WHERE LI10_NUMLIST = " + std::to_string(list));
    }
  }
  void item(const std::string& base_variation) {
    exec(
        "INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_FLGBASEVAR) VALUES (1, "
        "'A1', " +
        base_variation + ")");
  }
  std::shared_ptr<test_support::RecordingPrice> recording_price() {
    auto price = std::make_shared<test_support::RecordingPrice>();
    component->gclsCalcoloPrezzi = price;
    return price;
  }

  data::Recordset& sales_view() { return *component->Grst_RecSet_LI10Ven_append; }
};

TEST_F(PriceListViewsTest, EmptySourceGivesAnOpenViewWithTheLayoutAndRunsNothing) {
  price_row(1, {}, "OTHER");
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
  // No current row in the view: nothing is handed over and no object is made.
  component->Calcola_PREZZONETTO_LI10Ven("", "A1");
  EXPECT_EQ(component->gclsCalcoloPrezzi, nullptr);
  EXPECT_TRUE(log.statements().empty());
}

TEST_F(PriceListViewsTest, MyIdZeroOrNullTakesThePositionInTheView) {
  item("0");
  for (int list : {1, 2, 3, 4}) price_row(list);
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

TEST_F(PriceListViewsTest, EachRowIsHandedToThePriceObjectAsTexts) {
  item("1");
  exec(
      "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
      "MG44_VALUTA_CG08, MG44_DESCLIST) VALUES (1, 0, 1, 'USD', 'Dollari')");
  price_row(
      1,
      "LI10_PREZZO = 100, LI10_SC1PER = 10, LI10_SC2PER = 2.5, LI10_SC3PER = 3, LI10_SC4PER = 4, "
      "LI10_SC5PER = 5, LI10_SC6PER = 6, LI10_SCIMP = 1.25, LI10_MAG1PER = 7, LI10_MAG2PER = 8, "
      "LI10_MAGIMP = 0.5, LI10_BVMBASE = 10, LI10_BVMVAR = 12, LI10_BVMMOLT = 2");
  price_row(2);  // no parameters for list 2, every amount missing
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
    EXPECT_EQ(s[3], test_support::item_flag_query());
  }
}

}  // namespace
