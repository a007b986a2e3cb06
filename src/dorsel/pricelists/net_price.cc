// Handing a view row's price data to the price object. The routines only write the object's
// members; the transfers then have it compute and store what it returns, so the component
// never rounds or computes a price itself. Every value goes over as text.
#include "automation/error.h"
#include "automation/reference.h"
#include "data/connection.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/frame/values.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace {

using automation::Variant;
using pricelists::Column;

// The price, discount and increase columns of a view, by their name without the table prefix.
struct RowColumns {
  Column prezzo, bvm_base, bvm_var, bvm_molt, sc_per[6], sc_imp, mag_per[2], mag_imp;
  Column currency;  // the last-prices view only
};

RowColumns row_columns(std::span<const pricelists::ColumnDecl> layout, bool last_prices) {
  auto col = [&](std::string_view name) {
    return Column(name, pricelists::position_of(layout, name));
  };
  if (last_prices) {
    return {col("LI11_PREZZO"),
            col("LI11_BVMBASE"),
            col("LI11_BVMVAR"),
            col("LI11_BVMMOLT"),
            {col("LI11_SC1PER"), col("LI11_SC2PER"), col("LI11_SC3PER"), col("LI11_SC4PER"),
             col("LI11_SC5PER"), col("LI11_SC6PER")},
            col("LI11_SCIMP"),
            {col("LI11_MAG1PER"), col("LI11_MAG2PER")},
            col("LI11_MAGIMP"),
            col("LI11_CODICE_CG08")};
  }
  return {col("LI10_PREZZO"),
          col("LI10_BVMBASE"),
          col("LI10_BVMVAR"),
          col("LI10_BVMMOLT"),
          {col("LI10_SC1PER"), col("LI10_SC2PER"), col("LI10_SC3PER"), col("LI10_SC4PER"),
           col("LI10_SC5PER"), col("LI10_SC6PER")},
          col("LI10_SCIMP"),
          {col("LI10_MAG1PER"), col("LI10_MAG2PER")},
          col("LI10_MAGIMP"),
          Column()};
}

// Per thread: a Column remembers the field it last found, and instances of the component may
// live in different threads.
const RowColumns& price_list_row() {
  thread_local const RowColumns columns = row_columns(pricelists::price_list_view_columns(), false);
  return columns;
}

const RowColumns& last_prices_row() {
  thread_local const RowColumns columns = row_columns(pricelists::last_prices_view_columns(), true);
  return columns;
}

Variant decimal_text(data::Recordset& view, const Column& column) {
  return Variant(ValoreNumerico(column.value(view)));
}

// Whether the item's prices carry base-variation data. The item is read for every row, on the
// host's connection; a result that cannot tell its count (-1) reads as no.
bool item_has_base_variation(CLSMG_DORSEL& component, const std::string& item_code) {
  const std::string sql = SqlText()
                              .line({" SELECT "})
                              .line({"     MG66_FLGBASEVAR "})
                              .line({" FROM "})
                              .line({"     MG66_ANAGRART "})
                              .line({" WHERE MG66_DITTA_CG18 = "})
                              .number(component.company_code_text())
                              .line({" AND MG66_CODART ="})
                              .quoted(item_code)
                              .take();
  // Dropped, not closed, when it goes out of scope.
  data::RecordsetPtr item =
      automation::require_set(component.connection()).Execute(sql, nullptr, data::kCmdUnspecified);
  return item->RecordCount() > 0 &&
         ValoreNumerico_double(item->Fields().Item("MG66_FLGBASEVAR").value_ref()) == 1;
}

// Writes the flag and, only with the flag, the three base-variation values; an item without
// the flag leaves in the object those of an earlier row.
void hand_over_base_variation(prezzi::PriceCalculation& price, bool base_variation,
                              const data::RecordsetPtr& view_slot, const RowColumns& columns) {
  if (!base_variation) {
    price.SetFLGBASEVAR(0);
    return;
  }
  price.SetFLGBASEVAR(1);
  data::Recordset& view = automation::require_set(view_slot);
  price.SetBVMBASE(decimal_text(view, columns.bvm_base));
  price.SetBVMVAR(decimal_text(view, columns.bvm_var));
  price.SetBVMMOLT(decimal_text(view, columns.bvm_molt));
}

void hand_over_discounts(prezzi::PriceCalculation& price, data::Recordset& view,
                         const RowColumns& columns) {
  for (int i = 0; i < 6; ++i) price.SetSCPER(i + 1, decimal_text(view, columns.sc_per[i]));
  price.SetSCIMP(decimal_text(view, columns.sc_imp));
  for (int i = 0; i < 2; ++i) price.SetMAGPER(i + 1, decimal_text(view, columns.mag_per[i]));
  price.SetMAGIMP(decimal_text(view, columns.mag_imp));
}

void hand_over_price_list_row(CLSMG_DORSEL& component, const data::RecordsetPtr& view_slot,
                              const std::string& currency, const std::string& item_code) {
  // Held here so that the view outlives the hand-over whatever the host does to the slot.
  data::RecordsetPtr view = view_slot;  // NOLINT(performance-unnecessary-copy-initialization)
  data::Recordset& rows = automation::require_set(view);
  // Without a current row there is nothing to hand over, and no object is made for it.
  if (rows.Bof() || rows.Eof()) return;
  component.create_price_object();
  prezzi::PriceCalculation& price = automation::require_set(component.gclsCalcoloPrezzi);
  price.SetValuta(ValoreTesto(Variant(currency)).empty() ? Variant("EURO") : Variant(currency));
  const RowColumns& columns = price_list_row();
  hand_over_base_variation(price, item_has_base_variation(component, item_code), view, columns);
  price.SetPREZZO(Variant(ValoreNumerico(Variant(ValoreTesto(columns.prezzo.value(rows))))));
  hand_over_discounts(price, rows, columns);
}

}  // namespace

void CLSMG_DORSEL::Calcola_PREZZONETTO_LI10Ven(const std::string& Valuta,
                                               const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Calcola_PREZZONETTO_LI10Ven:", [&] {
    hand_over_price_list_row(*this, Grst_RecSet_LI10Ven_append, Valuta, CodiceArticolo);
  });
}

void CLSMG_DORSEL::Calcola_PREZZONETTO_LI10Acq(const std::string& Valuta,
                                               const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Calcola_PREZZONETTO_LI10Acq:", [&] {
    hand_over_price_list_row(*this, Grst_RecSet_LI10Acq_append, Valuta, CodiceArticolo);
  });
}

void CLSMG_DORSEL::Calcola_PREZZONETTO_LI11(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Calcola_PREZZONETTO_LI11:", [&] {
    data::RecordsetPtr view = Grst_RecSet_LI11_append;
    // This routine asks the item first and checks no current row: with none, it still makes
    // the object and then fails on the first column it reads.
    bool base_variation = item_has_base_variation(*this, CodiceArticolo);
    create_price_object();
    prezzi::PriceCalculation& price = automation::require_set(gclsCalcoloPrezzi);
    const RowColumns& columns = last_prices_row();
    hand_over_base_variation(price, base_variation, view, columns);
    data::Recordset& rows = automation::require_set(view);
    // The stored currency as it stands, with no default; the price as trimmed text, so a
    // missing price reaches the object as an empty text.
    price.SetValuta(Variant(ValoreTesto(columns.currency.value(rows))));
    price.SetPREZZO(Variant(ValoreTesto(columns.prezzo.value(rows))));
    hand_over_discounts(price, rows, columns);
  });
}

}  // namespace dorsel
