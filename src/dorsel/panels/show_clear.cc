// ShowChild and ClearChild: a panel re-reads its item's rows from the database, or is emptied
// while keeping its columns. Both re-open the recordset object already in the panel's slot,
// so the panel stays bound to the same object and its cursor and lock settings.
#include <string>
#include <string_view>

#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/panels/panel_queries.h"
#include "dorsel/panels/panel_support.h"

namespace dorsel {
namespace {

using automation::Variant;
using panels::QueryValues;

enum class Closing {
  kWhenOpen,
  // The variant panels are closed without looking at their state: clearing one that is not
  // open raises, and the host relies on hearing of it.
  kAlways,
};

// Stores the query in its slot, then re-opens the slot's recordset on the slot's text with
// the component's connection; cursor and lock type stay those the recordset already has.
void reopen(const CLSMG_DORSEL& component, std::string& query_slot, std::string query,
            const data::RecordsetPtr& slot, data::CommandTypeEnum options,
            Closing closing = Closing::kWhenOpen) {
  query_slot = std::move(query);
  data::Recordset& rows = automation::require_set(slot);
  if (closing == Closing::kAlways || rows.State() == data::kStateOpen) rows.Close();
  rows.Open(query_slot, component.connection(), data::CursorTypeEnum::kUnspecified,
            data::LockTypeEnum::kUnspecified, options);
}

}  // namespace

void CLSMG_DORSEL::ShowChild(const std::string& CodiceArticolo,
                             const std::string& ControlloAttivo) {
  automation::trap_and_reraise("ShowChild:", [&] {
    const std::string language = panels::panel_language(*this);
    const std::string& panel = ControlloAttivo;
    // The company is read only once a panel is recognised: an unknown name touches nothing.
    auto values = [&] { return QueryValues{company_code_text(), CodiceArticolo, language}; };
    constexpr data::CommandTypeEnum kText = data::CommandTypeEnum::kText;

    if (panel == "FRMMG_DORSEL_DESCR") {
      reopen(*this, Gstr_SQL_MG87descr, panels::descriptions(values()), Grst_RecSet_MG87descr,
             data::CommandTypeEnum::kUnspecified);
    } else if (panel == "FRMUC_NOTE") {
      reopen(*this, Gstr_SQL_MG87note, panels::notes(values()), Grst_RecSet_MG87note, kText);
    } else if (panel == "FRMUC_SCORTE") {
      reopen(*this, Gstr_SQL_MG67, panels::stock(values()), Grst_RecSet_MG67, kText);
    } else if (panel == "FRMUC_CONFEZIONI") {
      reopen(*this, Gstr_SQL_MG68, panels::packs(values()), Grst_RecSet_MG68, kText);
    } else if (panel == "FRMUC_INFOUBIC") {
      reopen(*this, Gstr_SQL_MG7A, panels::locations(values()), Grst_RecSet_MG7A, kText);
    } else if (panel == "FRMUC_INTRA") {
      // The Intrastat data first, then its nomenclature history.
      reopen(*this, Gstr_SQL_MG98, panels::intrastat(values()), Grst_RecSet_MG98, kText);
      reopen(*this, Gstr_SQL_MG1Q, panels::nomenclature(values()), Grst_RecSet_MG1Q, kText);
    } else if (panel == "FRMUC_LISTINI_ACQ") {
      reopen(*this, Gstr_SQL_LI10Acq, panels::price_list_shown(values(), "1"), Grst_RecSet_LI10Acq,
             kText);
      InitializeRecordsetLI10Acq();
    } else if (panel == "FRMUC_LISTINI_VEN") {
      reopen(*this, Gstr_SQL_LI10Ven, panels::price_list_shown(values(), "0"), Grst_RecSet_LI10Ven,
             kText);
      InitializeRecordsetLI10Ven();
    } else if (panel == "FRMUC_LISTINI_ULP") {
      reopen(*this, Gstr_SQL_LI11, panels::last_prices_shown(values()), Grst_RecSet_LI11, kText);
      InitializeRecordsetLI11();
    } else if (panel == "APPLICAZIONI") {
      reopen(*this, Gstr_SQL_MG72, panels::applications(values()), Grst_RecSet_MG72, kText);
    } else if (panel == "GEST_VARIANTI") {
      reopen(*this, Gstr_SQL_MG6B, panels::variant_parameters(values()), Grst_RecSet_MG6B, kText);
    } else if (panel == "FLAG_VARIANTI") {
      reopen(*this, Gstr_SQL_MG6D, panels::variant_flags(values()), Grst_RecSet_MG6D, kText);
    }
  });
}

void CLSMG_DORSEL::ClearChild(const std::string& ControlloAttivo) {
  automation::trap_and_reraise("ClearChild:", [&] {
    // Only the applications query uses it, but it is read on every call as the other panel
    // methods read it.
    const std::string language = panels::panel_language(*this);
    const std::string& panel = ControlloAttivo;
    constexpr data::CommandTypeEnum kText = data::CommandTypeEnum::kText;

    // The price views are left as they are: a cleared price panel keeps showing its last view
    // until it is shown again.
    if (panel == "FRMMG_DORSEL_DESCR") {
      reopen(*this, Gstr_SQL_MG87descr, "SELECT * FROM MG87_ARTDESC WHERE 1=0",
             Grst_RecSet_MG87descr, kText);
    } else if (panel == "FRMUC_NOTE") {
      reopen(*this, Gstr_SQL_MG87note, "SELECT * FROM MG87_ARTDESC WHERE 1=0", Grst_RecSet_MG87note,
             kText);
    } else if (panel == "FRMUC_SCORTE") {
      reopen(*this, Gstr_SQL_MG67, "SELECT * FROM MG67_SCORTE WHERE 1=0", Grst_RecSet_MG67, kText);
    } else if (panel == "FRMUC_CONFEZIONI") {
      reopen(*this, Gstr_SQL_MG68, "SELECT * FROM MG68_CONFART WHERE 1=0", Grst_RecSet_MG68, kText);
    } else if (panel == "FRMUC_INFOUBIC") {
      reopen(*this, Gstr_SQL_MG7A, "SELECT * FROM MG7A_UBICAZARTFIX WHERE 1=0", Grst_RecSet_MG7A,
             kText);
    } else if (panel == "FRMUC_INTRA") {
      reopen(*this, Gstr_SQL_MG98, "SELECT * FROM MG98_MAGINTRA WHERE 1=0", Grst_RecSet_MG98,
             kText);
      reopen(*this, Gstr_SQL_MG1Q, "SELECT * FROM MG1Q_ARTNOMENCLATURE WHERE 1=0", Grst_RecSet_MG1Q,
             kText);
    } else if (panel == "FRMUC_LISTINI_ACQ") {
      reopen(*this, Gstr_SQL_LI10Acq, "SELECT * FROM LI10_LISTARTIC WHERE 1=0", Grst_RecSet_LI10Acq,
             kText);
    } else if (panel == "FRMUC_LISTINI_VEN") {
      reopen(*this, Gstr_SQL_LI10Ven, "SELECT * FROM LI10_LISTARTIC WHERE 1=0", Grst_RecSet_LI10Ven,
             kText);
    } else if (panel == "FRMUC_LISTINI_ULP") {
      reopen(*this, Gstr_SQL_LI11, "SELECT * FROM LI11_ULTPRACQVEN WHERE 1=0", Grst_RecSet_LI11,
             kText);
    } else if (panel == "APPLICAZIONI") {
      reopen(*this, Gstr_SQL_MG72, panels::applications_empty(language), Grst_RecSet_MG72, kText);
    } else if (panel == "GEST_VARIANTI") {
      reopen(*this, Gstr_SQL_MG6B, "SELECT * FROM MG6B_GESVARART WHERE 1=0", Grst_RecSet_MG6B,
             kText, Closing::kAlways);
    } else if (panel == "FLAG_VARIANTI") {
      reopen(*this, Gstr_SQL_MG6D, "SELECT * FROM MG6D_FLGTABARTVAR WHERE 1=0", Grst_RecSet_MG6D,
             kText, Closing::kAlways);
    }
  });
}

}  // namespace dorsel
