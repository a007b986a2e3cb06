#include <string>
#include <vector>

#include "automation/convert.h"
#include "dorsel/price_view_helpers.h"
#include "dorsel/pricelists/net_price_steps.h"
#include "support/component_fixture.h"
#include "support/error_of.h"

namespace {

using dorsel::PriceView;
using test_support::error_of;

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
  component->gclsCalcoloPrezzi = std::make_shared<test_support::RecordingPrice>();
  automation::Error refused =
      error_of([&] { dorsel::explain_net_price(*component, PriceView::kSales, 1); });
  EXPECT_EQ(refused.number(), 438);
  EXPECT_EQ(refused.source(), "explain_net_price");
}

}  // namespace
