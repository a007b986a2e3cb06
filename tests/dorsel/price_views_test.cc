// The price views: the price lists' sales and purchase views, the last prices' view and the
// steps of a row's net price.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/convert.h"
#include "data/recordset.h"
#include "dorsel/pricelists/net_price_steps.h"
#include "prezzi/price_calculation.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

namespace {

using automation::Variant;
using dorsel::PriceView;
using test_support::crlf_lines;
using test_support::error_of;
using test_support::value_text;

// Put into gclsCalcoloPrezzi, it records every member written and called, in order, as
// "Member=value" lines (values as the recordset renderer writes them, so a text shows in
// quotes), and answers PREZZONETTO with a value the test chooses.
class RecordingPrice : public prezzi::PriceCalculation {
 public:
  std::string_view type_name() const override { return "RecordingPrice"; }

  void SetDittaCorrente(const automation::ObjectPtr& company) override {
    company_ = company;
    log_.push_back("DittaCorrente");
  }
  automation::ObjectPtr DittaCorrente() const override { return company_; }
  void SetValuta(const automation::Variant& v) override { write("Valuta", v); }
  void SetBVMBASE(const automation::Variant& v) override { write("BVMBASE", v); }
  void SetBVMVAR(const automation::Variant& v) override { write("BVMVAR", v); }
  void SetBVMMOLT(const automation::Variant& v) override { write("BVMMOLT", v); }
  void SetFLGBASEVAR(std::int32_t v) override { log_.push_back("FLGBASEVAR=" + std::to_string(v)); }
  void SetPREZZO(const automation::Variant& v) override { write("PREZZO", v); }
  void SetSCPER(int i, const automation::Variant& v) override {
    write("SC" + std::to_string(i) + "PER", v);
  }
  void SetSCIMP(const automation::Variant& v) override { write("SCIMP", v); }
  void SetMAGPER(int i, const automation::Variant& v) override {
    write("MAG" + std::to_string(i) + "PER", v);
  }
  void SetMAGIMP(const automation::Variant& v) override { write("MAGIMP", v); }
  automation::Variant PREZZONETTO() const override { return net_price; }
  void CalcolaPrezzoNetto() override { log_.push_back("CalcolaPrezzoNetto"); }

  // The log so far as one string, one entry per line; the log is emptied.
  std::string take() {
    std::string text;
    for (const std::string& line : log_) text += line + "\n";
    log_.clear();
    return text;
  }

  automation::Variant net_price = 1.5;

 private:
  void write(const std::string& member, const automation::Variant& value) {
    log_.push_back(member + "=" + value_text(value));
  }
  automation::ObjectPtr company_;
  std::vector<std::string> log_;
};

// The rows of a view through a clone (the view keeps its position), the named columns of each
// row joined by '|', one line per row.
inline std::string view_rows(data::Recordset& view, const std::vector<std::string_view>& columns) {
  data::RecordsetPtr walk = view.Clone();
  std::string out;
  if (walk->Bof() && walk->Eof()) return out;
  for (walk->MoveFirst(); !walk->Eof(); walk->MoveNext()) {
    bool first = true;
    for (std::string_view column : columns) {
      if (!first) out += "|";
      first = false;
      out += value_text(walk->Fields().Item(column).Value());
    }
    out += "\n";
  }
  return out;
}

// The statement that reads the base-variation flag of item A1, once per row priced.
inline std::string item_flag_query() {
  return crlf_lines({" SELECT ", "     MG66_FLGBASEVAR ", " FROM ", "     MG66_ANAGRART ",
                     " WHERE MG66_DITTA_CG18 = 1", " AND MG66_CODART ='A1'"});
}

// --- The price lists' views -----------------------------------------------------------------

// Each view's columns, decoded words (with and without the host), net prices, rebuilding and
// failures part way are pinned by the session script price_list_views_rows.jsonl; here, what
// the price object is handed (a recording one), a source the host builds, and what runs.

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
  std::shared_ptr<RecordingPrice> recording_price() {
    auto price = std::make_shared<RecordingPrice>();
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
    EXPECT_EQ(s[3], item_flag_query());
  }
}

// --- The last prices' view ------------------------------------------------------------------

// The view's layout, its copied rows and fixed words, the appending filler and a value too long
// for its column are pinned by the session script last_prices_view.jsonl; here, what the price
// object is handed and what runs.

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
  auto price = std::make_shared<RecordingPrice>();
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
  const std::string item_query = item_flag_query();
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

// --- The steps of a net price -----------------------------------------------------------------

// A missing price reaches the price object as an empty text, which counts as 0.
double number_or_zero(const automation::Variant& value) {
  return value.is_null() ? 0.0 : automation::to_double(value);
}

class NetPriceStepsTest : public test_support::ComponentTest {
 protected:
  NetPriceStepsTest() : ComponentTest(/*with_demo=*/true) {}

  std::vector<std::string> item_codes() {
    std::vector<std::string> codes;
    data::RecordsetPtr items = connection->Execute(
        "SELECT MG66_CODART FROM MG66_ANAGRART WHERE MG66_DITTA_CG18 = 1 ORDER BY MG66_CODART");
    for (; !items->Eof(); items->MoveNext()) {
      codes.push_back(automation::to_text(items->Fields().Item(0).Value()));
    }
    return codes;
  }

  void build_views(const std::string& item) {
    component->Init_LI10(item, "0");
    component->InitializeRecordsetLI10Ven();
    component->Init_LI10(item, "1");
    component->InitializeRecordsetLI10Acq();
    component->Init_LI11_ultimi(item, "");
    component->InitializeRecordsetLI11();
  }
};

// Every row of every view of every demo item: the explanation ends on the net price the view
// shows, and it starts from the row's own price.
TEST_F(NetPriceStepsTest, LastStepIsTheViewsNetPriceForEveryDemoRow) {
  const struct {
    PriceView view;
    data::RecordsetPtr dorsel::CLSMG_DORSEL::*slot;
    const char* price_column;
  } views[] = {
      {PriceView::kSales, &dorsel::CLSMG_DORSEL::Grst_RecSet_LI10Ven_append, "LI10_PREZZO"},
      {PriceView::kPurchase, &dorsel::CLSMG_DORSEL::Grst_RecSet_LI10Acq_append, "LI10_PREZZO"},
      {PriceView::kLastPrices, &dorsel::CLSMG_DORSEL::Grst_RecSet_LI11_append, "LI11_PREZZO"},
  };
  int explained = 0;
  bool saw_variation = false;
  for (const std::string& item : item_codes()) {
    SCOPED_TRACE(item);
    build_views(item);
    for (const auto& v : views) {
      data::RecordsetPtr walk = ((*component).*v.slot)->Clone();
      if (walk->Bof() && walk->Eof()) continue;
      int row = 0;
      for (walk->MoveFirst(); !walk->Eof(); walk->MoveNext()) {
        SCOPED_TRACE(++row);
        prezzi::PriceSteps steps = dorsel::explain_net_price(*component, v.view, row);
        ASSERT_GE(steps.size(), 12U);
        EXPECT_EQ(steps.front().kind, prezzi::StepKind::kBasePrice);
        EXPECT_EQ(number_or_zero(walk->Fields().Item(v.price_column).Value()),
                  steps.front().amount.to_double());
        EXPECT_EQ(automation::to_double(walk->Fields().Item("PREZZO_NETTO").Value()),
                  steps.back().price.to_double());
        saw_variation = saw_variation || steps[1].kind == prezzi::StepKind::kBaseVariation;
        ++explained;
      }
    }
  }
  EXPECT_GT(explained, 20);
  EXPECT_TRUE(saw_variation);
}

TEST_F(NetPriceStepsTest, RowOutsideTheViewOrForeignPriceObjectIsRefused) {
  const std::string item = item_codes().front();
  build_views(item);
  const int rows = static_cast<int>(component->Grst_RecSet_LI10Ven_append->RecordCount());
  for (int row : {0, -1, rows + 1}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(
        error_of([&] { dorsel::explain_net_price(*component, PriceView::kSales, row); }).number(),
        3021);
  }
  ASSERT_GT(rows, 0);
  // A host's own price object computes, but keeps no record to explain with.
  component->gclsCalcoloPrezzi = std::make_shared<RecordingPrice>();
  automation::Error refused =
      error_of([&] { dorsel::explain_net_price(*component, PriceView::kSales, 1); });
  EXPECT_EQ(refused.number(), 438);
  EXPECT_EQ(refused.source(), "explain_net_price");
}

}  // namespace
