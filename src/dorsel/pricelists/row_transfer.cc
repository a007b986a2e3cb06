// Filling the sales and purchase price-list views from the stored price-list rows: one view
// row per stored row, in the stored order, with some codes decoded into words, the price
// list's currency and description looked up, and the net price from the price object.
#include <array>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/values.h"
#include "dorsel/host/host_view.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace {

using automation::Variant;
using pricelists::Column;

// A display word: its key in the host's translations and the text used when no host is set.
struct Word {
  std::int32_t text_id;
  const char* fixed_text;
};

constexpr Word kAutomaticAndManual{8435, "Automatica + manuale"};
constexpr Word kManualOnly{53199, "Solo manuale"};
constexpr Word kAutomaticOnly{52996, "Solo automatica"};
constexpr Word kYes{52384, "Si"};
constexpr Word kNo{39318, "No"};
constexpr Word kManual{36810, "Manuale"};
constexpr Word kAutomatic{8434, "Automatica"};
constexpr Word kFromExternalFile{17447, "Da file esterno"};
constexpr Word kUnitOfMeasure1{59265, "Unità di misura 1"};
constexpr Word kUnitOfMeasure2{59267, "Unità di misura 2"};

// The names the transfer reads from the stored rows and writes into the view. Copied columns
// keep the same name on both sides.
// clang-format off
enum Col : int {
  kMyId, kDitta, kFlgUsoDecor, kFlgVendAcq, kIndTipoLis, kCodArt, kOpzione, kDepos, kNumList,
  kValuta, kDataFineVal, kDataInizioVal, kFlgList, kPrezzo, kSc1Per, kSc2Per, kSc3Per, kSc4Per,
  kSc5Per, kSc6Per, kScImp, kMag1Per, kMag2Per, kMagImp, kPerRicDelta, kIndRicalPr, kIndArrot,
  kScaglMg02, kFlgProvv, kProvPer, kProvImp, kProvvScPa10, kDataCreaz, kDataUltAgg, kFlgVariato,
  kIndTipoVar, kDataStLis, kNumPagSt, kBvmBase, kBvmVar, kBvmMolt, kFlgPerson, kIndUm, kNote,
  kLiberoVal, kIdMediaCg99, kDescList, kPrezzoNetto, kColumnCount
};

constexpr std::array<std::string_view, kColumnCount> kNames = {
    "MYID", "LI10_DITTA_CG18", "LI10_FLGUSODECOR", "LI10_FLGVENDACQ", "LI10_INDTIPOLIS",
    "LI10_CODART_MG66", "LI10_OPZIONE_MG5E", "LI10_DEPOS_MG58", "LI10_NUMLIST", "VALUTA",
    "LI10_DATAFINEVAL", "LI10_DATAINIZIOVAL", "LI10_FLGLIST", "LI10_PREZZO", "LI10_SC1PER",
    "LI10_SC2PER", "LI10_SC3PER", "LI10_SC4PER", "LI10_SC5PER", "LI10_SC6PER", "LI10_SCIMP",
    "LI10_MAG1PER", "LI10_MAG2PER", "LI10_MAGIMP", "LI10_PERRICDELTA", "LI10_INDRICALPR",
    "LI10_INDARROT", "LI10_SCAGL_MG02", "LI10_FLGPROVV", "LI10_PROVPER", "LI10_PROVIMP",
    "LI10_PROVVSC_PA10", "LI10_DATACREAZ", "LI10_DATAULTAGG", "LI10_FLGVARIATO",
    "LI10_INDTIPOVAR", "LI10_DATASTLIS", "LI10_NUMPAGST", "LI10_BVMBASE", "LI10_BVMVAR",
    "LI10_BVMMOLT", "LI10_FLGPERSON", "LI10_INDUM", "LI10_NOTE", "LI10_LIBEROVAL",
    "LI10_IDMEDIA_CG99", "MG44_DESCLIST", "PREZZO_NETTO"};
// clang-format on

using NetPriceRoutine = void (CLSMG_DORSEL::*)(const std::string&, const std::string&);

class PriceListTransfer {
 public:
  PriceListTransfer(CLSMG_DORSEL& component, data::Recordset& source, data::Recordset& view)
      : component_(component), source_(source), view_(view) {
    std::span<const pricelists::ColumnDecl> layout = pricelists::price_list_view_columns();
    for (int i = 0; i < kColumnCount; ++i) {
      from_[i] = Column(source, kNames[i]);
      to_[i] = Column(kNames[i], pricelists::position_of(layout, kNames[i]));
    }
  }

  void run(NetPriceRoutine net_price) {
    source_.MoveFirst();
    while (!source_.Eof()) {
      view_.AddNew();
      fill_row();
      // Looked up again rather than read back from the view: nothing is kept between lookups.
      std::string currency = look_up_currency();
      (component_.*net_price)(currency, ValoreTesto(in(kCodArt)));
      prezzi::PriceCalculation& price = automation::require_set(component_.gclsCalcoloPrezzi);
      price.CalcolaPrezzoNetto();
      out(kPrezzoNetto, price.PREZZONETTO());
      view_.UpdateBatch(data::kAffectCurrent);
      source_.MoveNext();
    }
    // The view stays on its last row and the source at its end: the panel positions itself.
  }

 private:
  const Variant& in(Col c) const { return from_[c].value(source_); }
  void out(Col c, const Variant& value) const { to_[c].set(view_, value); }
  void copy(Col c) const { out(c, in(c)); }
  void copy_decimal_text(Col c) const { out(c, Variant(ValoreNumerico(in(c)))); }
  void copy_trimmed_text(Col c) const { out(c, Variant(ValoreTesto(in(c)))); }

  // The presence of the host is asked for every word: a host may come or go between rows.
  void word(Col c, const Word& w) const {
    const Variant host = component_.host();
    if (host::is_present(host)) {
      out(c, host::translate_text(host, w.text_id));
    } else {
      out(c, Variant(w.fixed_text));
    }
  }

  std::int16_t side() const {
    return automation::to_integer(Variant(ValoreNumerico(in(kFlgVendAcq))));
  }
  std::int16_t list_number() const {
    return automation::to_integer(Variant(ValoreNumerico(in(kNumList))));
  }
  std::string look_up_currency() const {
    std::int16_t number = list_number();
    return component_.RecuperaValuta(side(), number);
  }
  std::string look_up_description() const {
    std::int16_t number = list_number();
    return component_.RecuperaDescrizioneListino(side(), number);
  }

  void fill_row() const {
    std::string id = ValoreNumerico(in(kMyId));
    if (automation::to_double(Variant(id)) != 0) {
      out(kMyId, Variant(id));
    } else {
      out(kMyId, Variant(static_cast<std::int32_t>(view_.AbsolutePosition())));
    }
    for (Col c :
         {kDitta, kFlgUsoDecor, kFlgVendAcq, kIndTipoLis, kCodArt, kOpzione, kDepos, kNumList}) {
      copy(c);
    }
    out(kValuta, Variant(look_up_currency()));
    for (Col c : {kDataFineVal, kDataInizioVal, kFlgList}) copy(c);
    if (ValoreNumerico_double(in(kPrezzo)) == 0) {
      out(kPrezzo, Variant(std::int16_t{0}));
    } else {
      copy(kPrezzo);
    }
    for (Col c : {kSc1Per, kSc2Per, kSc3Per, kSc4Per, kSc5Per, kSc6Per, kScImp, kMag1Per, kMag2Per,
                  kMagImp, kPerRicDelta}) {
      copy(c);
    }
    decode_recalculation();
    copy(kIndArrot);
    copy_decimal_text(kScaglMg02);
    for (Col c : {kFlgProvv, kProvPer, kProvImp}) copy(c);
    copy_trimmed_text(kProvvScPa10);
    for (Col c : {kDataCreaz, kDataUltAgg}) copy(c);
    decode_yes_no(kFlgVariato);
    decode_change_kind();
    copy(kDataStLis);
    for (Col c : {kNumPagSt, kBvmBase, kBvmVar, kBvmMolt}) copy_decimal_text(c);
    decode_yes_no(kFlgPerson);
    decode_unit_of_measure();
    copy_trimmed_text(kNote);
    for (Col c : {kLiberoVal, kIdMediaCg99}) copy_decimal_text(c);
    out(kDescList, Variant(look_up_description()));
  }

  // Codes without a word leave the column as a new row has it.
  void decode_recalculation() const {
    const Variant& code = in(kIndRicalPr);
    if (code.is_null()) return;
    double value = automation::to_double(code);
    if (value == 0) {
      word(kIndRicalPr, kAutomaticAndManual);
    } else if (value == 1) {
      word(kIndRicalPr, kManualOnly);
    } else if (value == 2) {
      word(kIndRicalPr, kAutomaticOnly);
    }
  }

  void decode_yes_no(Col c) const { word(c, ValoreNumerico_double(in(c)) == 1 ? kYes : kNo); }

  void decode_change_kind() const {
    std::string code = ValoreNumerico(in(kIndTipoVar));
    if (code == "0") {
      word(kIndTipoVar, kManual);
    } else if (code == "1") {
      word(kIndTipoVar, kAutomatic);
    } else if (code == "2") {
      word(kIndTipoVar, kFromExternalFile);
    }
  }

  void decode_unit_of_measure() const {
    std::string code = ValoreNumerico(in(kIndUm));
    if (code == "1") {
      word(kIndUm, kUnitOfMeasure1);
    } else if (code == "2") {
      word(kIndUm, kUnitOfMeasure2);
    }
  }

  CLSMG_DORSEL& component_;
  data::Recordset& source_;
  data::Recordset& view_;
  std::array<Column, kColumnCount> from_;
  std::array<Column, kColumnCount> to_;
};

void transfer_price_list(CLSMG_DORSEL& component, const data::RecordsetPtr& source_slot,
                         const data::RecordsetPtr& view_slot, NetPriceRoutine net_price) {
  // Held here so that the recordsets outlive the transfer whatever the host does to the slots.
  data::RecordsetPtr source = source_slot;  // NOLINT(performance-unnecessary-copy-initialization)
  data::RecordsetPtr view = view_slot;      // NOLINT(performance-unnecessary-copy-initialization)
  // A filter the host set on the source is dropped for good: the view shows every stored row.
  pricelists::clear_filter(automation::require_set(source));
  pricelists::clear_filter(automation::require_set(view));
  // A count the source cannot tell (-1) counts as no rows.
  if (source->RecordCount() <= 0) return;
  PriceListTransfer(component, *source, *view).run(net_price);
}

}  // namespace

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Ven_Append() {
  automation::trap_and_reraise("Trasferisci_in_Grst_RecSet_LI10Ven_Append:", [&] {
    transfer_price_list(*this, Grst_RecSet_LI10Ven, Grst_RecSet_LI10Ven_append,
                        &CLSMG_DORSEL::Calcola_PREZZONETTO_LI10Ven);
  });
}

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Acq_Append() {
  automation::trap_and_reraise("Trasferisci_in_Grst_RecSet_LI10Acq_Append:", [&] {
    transfer_price_list(*this, Grst_RecSet_LI10Acq, Grst_RecSet_LI10Acq_append,
                        &CLSMG_DORSEL::Calcola_PREZZONETTO_LI10Acq);
  });
}

}  // namespace dorsel
