#include <string>

#include "dorsel/price_view_helpers.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

// The view's layout, its copied rows and fixed words, the appending filler and a value too long
// for its column are pinned by the session script last_prices_view.jsonl; here, what the price
// object is handed and what runs.
namespace {

using test_support::error_of;

using test_support::view_rows;

class LastPricesViewTest : public test_support::ComponentTest {
 protected:
  // A last price of item A1 with progressive `prog`; `more` is an SQL assignment list for
  // further columns.
  void last_price(int prog, const std::string& more = "") {
    exec(
        "INSERT INTO LI11_ULTPRACQVEN (LI11_DITTA_CG18, LI11_FLGVENACQ, LI11_CODART_MG66, "
        "LI11_OPZIONE_MG5E, LI11_DEPOS_MG58, LI11_PROG) VALUES (1, 0, 'A1  ', ' ', ' ', " +
        std::to_string(prog) + ")");
    if (!more.empty()) {
      exec("UPDATE LI11_ULTPRACQVEN SET " + more + " WHERE LI11_PROG = " + std::to_string(prog));
    }
  }
  void load() { component->Init_LI11_ultimi("A1  ", ""); }
  data::Recordset& view() { return *component->Grst_RecSet_LI11_append; }
};

TEST_F(LastPricesViewTest, EachRowIsHandedOverWithItsOwnCurrencyAndTrimmedPrice) {
  exec(
      "INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_FLGBASEVAR) "
      "VALUES (1, 'A1', 1)");
  last_price(1,
             "LI11_CODICE_CG08 = 'CHF ', LI11_PREZZO = 12.5, LI11_SC3PER = 3, LI11_MAGIMP = 0.5, "
             "LI11_BVMBASE = 4, LI11_BVMVAR = 6");
  last_price(2);  // no currency (no default), no price (an empty text)
  load();
  auto price = std::make_shared<test_support::RecordingPrice>();
  price->net_price = 7.0;
  component->gclsCalcoloPrezzi = price;
  test_support::StatementLog log(*connection);
  component->InitializeRecordsetLI11();

  EXPECT_EQ(price->take(),
            "FLGBASEVAR=1\nBVMBASE='4'\nBVMVAR='6'\nBVMMOLT='0'\nValuta='CHF'\nPREZZO='12.5'\n"
            "SC1PER='0'\nSC2PER='0'\nSC3PER='3'\nSC4PER='0'\nSC5PER='0'\nSC6PER='0'\n"
            "SCIMP='0'\nMAG1PER='0'\nMAG2PER='0'\nMAGIMP='0.5'\nCalcolaPrezzoNetto\n"
            "FLGBASEVAR=1\nBVMBASE='0'\nBVMVAR='0'\nBVMMOLT='0'\nValuta=''\nPREZZO=''\n"
            "SC1PER='0'\nSC2PER='0'\nSC3PER='0'\nSC4PER='0'\nSC5PER='0'\nSC6PER='0'\n"
            "SCIMP='0'\nMAG1PER='0'\nMAG2PER='0'\nMAGIMP='0'\nCalcolaPrezzoNetto\n");
  EXPECT_EQ(view_rows(view(), {"PREZZO_NETTO"}), "7\n7\n");
  // Only the item is read, once per row, with the trimmed code.
  const std::string item_query = test_support::item_flag_query();
  EXPECT_EQ(log.statements(), (std::vector<std::string>{item_query, item_query}));
}

TEST_F(LastPricesViewTest, SourceThatCannotCountItsRowsGivesAnEmptyView) {
  last_price(1);
  connection->SetCursorLocation(data::kUseServer);
  component->Grst_RecSet_LI11 = connection->Execute("SELECT * FROM LI11_ULTPRACQVEN");
  ASSERT_EQ(component->Grst_RecSet_LI11->RecordCount(), -1);
  component->InitializeRecordsetLI11();
  EXPECT_EQ(view().RecordCount(), 0);
  EXPECT_EQ(view().State(), data::kStateOpen);
}

// Called on a view without a current row, the routine still reads the item and makes the
// price object, then fails on the row's first column.
TEST_F(LastPricesViewTest, NetPriceWithoutACurrentRowReadsTheItemFirst) {
  component->gclsCalcoloPrezzi = nullptr;
  load();
  component->InitializeRecordsetLI11();
  test_support::StatementLog log(*connection);
  automation::Error e = error_of([&] { component->Calcola_PREZZONETTO_LI11("A1"); });
  EXPECT_EQ(e.number(), data::errc::kNoCurrentRecord);
  EXPECT_TRUE(e.source().starts_with("Calcola_PREZZONETTO_LI11:\r\n")) << e.source();
  EXPECT_EQ(log.statements().size(), 1u);
  EXPECT_NE(component->gclsCalcoloPrezzi, nullptr);
}

}  // namespace
