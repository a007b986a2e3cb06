#include "dorsel/pricelists/net_price_steps.h"

#include <string>

#include "automation/error.h"
#include "automation/reference.h"
#include "data/ado.h"
#include "data/errors.h"
#include "dorsel/frame/values.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace {

constexpr std::string_view kSource = "explain_net_price";

data::RecordsetPtr view_slot(const CLSMG_DORSEL& component, PriceView view) {
  switch (view) {
    case PriceView::kSales:
      return component.Grst_RecSet_LI10Ven_append;
    case PriceView::kPurchase:
      return component.Grst_RecSet_LI10Acq_append;
    case PriceView::kLastPrices:
      return component.Grst_RecSet_LI11_append;
  }
  return nullptr;
}

void move_to_row(data::Recordset& rows, int row) {
  if (row < 1 || rows.RecordCount() < row) data::raise(data::errc::kNoCurrentRecord, kSource);
  rows.MoveFirst();
  for (int i = 1; i < row; ++i) rows.MoveNext();
}

std::string text_of(data::Recordset& rows, std::string_view column) {
  return ValoreTesto(rows.Fields().Item(column).Value());
}

// The record is the caller's: it is unhooked from the object however the calculation ends.
class StepRecording {
 public:
  StepRecording(prezzi::CLSPREZZI& library, prezzi::PriceSteps& steps) : library_(library) {
    library_.record_steps(&steps);
  }
  ~StepRecording() { library_.record_steps(nullptr); }
  StepRecording(const StepRecording&) = delete;
  StepRecording& operator=(const StepRecording&) = delete;

 private:
  prezzi::CLSPREZZI& library_;
};

}  // namespace

prezzi::PriceSteps explain_net_price(CLSMG_DORSEL& component, PriceView view, int row) {
  data::RecordsetPtr slot = view_slot(component, view);
  data::Recordset& rows = automation::require_set(slot);
  move_to_row(rows, row);
  // The same hand-over the transfer made for this row: the stored currency and item.
  switch (view) {
    case PriceView::kSales:
      component.Calcola_PREZZONETTO_LI10Ven(text_of(rows, "VALUTA"),
                                            text_of(rows, "LI10_CODART_MG66"));
      break;
    case PriceView::kPurchase:
      component.Calcola_PREZZONETTO_LI10Acq(text_of(rows, "VALUTA"),
                                            text_of(rows, "LI10_CODART_MG66"));
      break;
    case PriceView::kLastPrices:
      component.Calcola_PREZZONETTO_LI11(text_of(rows, "LI11_CODART_MG66"));
      break;
  }
  auto* library = dynamic_cast<prezzi::CLSPREZZI*>(component.gclsCalcoloPrezzi.get());
  if (library == nullptr) {
    throw automation::Error(automation::errc::kMemberNotFound, std::string(kSource));
  }
  prezzi::PriceSteps steps;
  StepRecording recording(*library, steps);
  library->CalcolaPrezzoNetto();
  return steps;
}

}  // namespace dorsel
