// The last-prices view: the last purchase and sale prices recorded per document, copied as
// stored (no looked-up currency or description), two codes shown as fixed words, and the net
// price from the price object.
#include <array>

#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/values.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace pricelists {
namespace {

constexpr ColumnDecl kLastPricesView[] = {
    {"LI11_DITTA_CG18", DataType::kDouble, 30, kUnspecified},
    {"LI11_FLGVENACQ", DataType::kDecimal, 1, kUnspecified},
    {"LI11_INDTIPOLIS", DataType::kDecimal, 2, kUnspecified},
    {"LI11_CODART_MG66", DataType::kBSTR, 30, kUnspecified},
    {"LI11_OPZIONE_MG5E", DataType::kBSTR, 30, kUnspecified},
    {"LI11_DEPOS_MG58", DataType::kBSTR, 2, kUnspecified},
    {"LI11_PROG", DataType::kDecimal, 3, kUnspecified},
    {"LI11_CODICE_CG08", DataType::kVarChar, 4, kUnspecified},
    {"LI11_DATACAMBIO", DataType::kDate, 10, kMayBeNull},
    {"LI11_CAMBIO", DataType::kDouble, 12, kMayBeNull},
    {"LI11_PREZZO", DataType::kDouble, 20, kUnspecified},
    {"LI11_SC1PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SC2PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SC3PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SC4PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SC5PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SC6PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_SCIMP", DataType::kDouble, 30, kUnspecified},
    {"LI11_MAG1PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_MAG2PER", DataType::kDouble, 10, kUnspecified},
    {"LI11_MAGIMP", DataType::kDouble, 30, kUnspecified},
    {"PREZZO_NETTO", DataType::kDouble, 30, kUnspecified},
    {"LI11_DATAREG", DataType::kDate, 10, kUnspecified},
    {"LI11_DATADOC", DataType::kDate, 10, kUnspecified},
    {"LI11_NUMDOC", DataType::kDouble, 10, kUnspecified},
    {"LI11_SEZDOC", DataType::kVarChar, 2, kUnspecified},
    {"LI11_FLGDOCBIS", DataType::kVarChar, 10, kUnspecified},
    {"LI11_NUMDOCORIG", DataType::kBSTR, 10, kMayBeNull},
    {"LI11_TIPOCF", DataType::kVarChar, 15, kUnspecified},
    {"LI11_CODCLFO", DataType::kDouble, 10, kMayBeNull},
    {"LI11_BVMBASE", DataType::kDouble, 30, kMayBeNull},
    {"LI11_BVMVAR", DataType::kDouble, 30, kMayBeNull},
    {"LI11_BVMMOLT", DataType::kDouble, 30, kMayBeNull},
    {"LI11_IDMEDIA_CG99", DataType::kDecimal, 20, kMayBeNull},
};

constexpr int kColumnCount = static_cast<int>(std::size(kLastPricesView));

}  // namespace

std::span<const ColumnDecl> last_prices_view_columns() { return kLastPricesView; }

namespace {

using automation::Variant;

// The two coded columns, shown with fixed words (not translated); other codes leave the
// column as a new row has it. Null and blank read as code 0.
const char* document_repeated_word(const std::string& code) {
  if (code == "0") return "No";
  if (code == "1") return "Si";
  return nullptr;
}

const char* counterpart_word(const std::string& code) {
  if (code == "0") return "Cliente";
  if (code == "1") return "Fornitore";
  if (code == "2") return "Nessuno";
  return nullptr;
}

void transfer_last_prices(CLSMG_DORSEL& component) {
  data::RecordsetPtr source = component.Grst_RecSet_LI11;
  data::RecordsetPtr view = component.Grst_RecSet_LI11_append;
  clear_filter(automation::require_set(source));
  clear_filter(automation::require_set(view));
  if (source->RecordCount() <= 0) return;

  std::array<Column, kColumnCount> from;
  std::array<Column, kColumnCount> to;
  for (int i = 0; i < kColumnCount; ++i) {
    from[i] = Column(*source, kLastPricesView[i].name);
    to[i] = Column(kLastPricesView[i].name, i);
  }
  const int net_price = position_of(kLastPricesView, "PREZZO_NETTO");
  const int document_repeated = position_of(kLastPricesView, "LI11_FLGDOCBIS");
  const int counterpart = position_of(kLastPricesView, "LI11_TIPOCF");
  Column item_code(*source, "LI11_CODART_MG66");

  // Not emptied first: called again without the initialiser, every stored row is added again.
  source->MoveFirst();
  while (!source->Eof()) {
    view->AddNew();
    for (int i = 0; i < kColumnCount; ++i) {
      if (i == net_price) continue;
      const char* word = nullptr;
      if (i == document_repeated) {
        word = document_repeated_word(ValoreNumerico(from[i].value(*source)));
      } else if (i == counterpart) {
        word = counterpart_word(ValoreNumerico(from[i].value(*source)));
      } else {
        to[i].set(*view, from[i].value(*source));
        continue;
      }
      if (word != nullptr) to[i].set(*view, Variant(word));
    }
    component.Calcola_PREZZONETTO_LI11(ValoreTesto(item_code.value(*source)));
    prezzi::PriceCalculation& price = automation::require_set(component.gclsCalcoloPrezzi);
    price.CalcolaPrezzoNetto();
    to[net_price].set(*view, price.PREZZONETTO());
    view->UpdateBatch(data::kAffectCurrent);
    source->MoveNext();
  }
}

}  // namespace
}  // namespace pricelists

void CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI11() {
  automation::trap_and_reraise("CreaRecset_Grst_RecSet_LI11:", [&] {
    pricelists::append_columns(Grst_RecSet_LI11_append, pricelists::last_prices_view_columns());
  });
}

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI11_Append() {
  automation::trap_and_reraise("Trasferisci_in_Grst_RecSet_LI11_Append:",
                               [&] { pricelists::transfer_last_prices(*this); });
}

}  // namespace dorsel
