// RefreshChild: a panel keeps the rows it holds and has their keys rewritten to the given item
// and the current company, so that every row it holds belongs to the item the host is working
// on. Three panels re-read their rows first; the price panels have their views rebuilt.
#include <string>
#include <string_view>
#include <vector>

#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/host/host_view.h"
#include "dorsel/panels/panel_queries.h"
#include "dorsel/panels/panel_support.h"

namespace dorsel {
namespace {

using automation::Variant;
using panels::QueryValues;

// What a key column receives in every row.
enum class KeyValue {
  kCompany,  // the host's company code, read anew for every row, as the host returns it
  kItem,     // the item code as given
  kBlank,    // " ": the base option, no particular deposit, no language
  kZero,     // 16-bit 0: sales, or list type 0
  kOne,      // 16-bit 1: purchases
};

struct KeyColumn {
  std::string_view column;
  KeyValue value;
};

enum class Reopen {
  kNo,
  kOptionsUnspecified,  // re-read with Open's options left unspecified
  kCommandText,         // re-read as command text
};

using QueryBuilder = std::string (*)(const QueryValues&);
using Rebuild = void (CLSMG_DORSEL::*)();

struct RefreshCase {
  std::string_view panel;
  // nullptr: a panel that is recognised and needs nothing.
  std::string CLSMG_DORSEL::*query_slot = nullptr;
  data::RecordsetPtr CLSMG_DORSEL::*recordset_slot = nullptr;
  QueryBuilder query = nullptr;
  Reopen reopen = Reopen::kNo;
  bool keeps_position = false;
  std::vector<KeyColumn> keys = {};
  Rebuild rebuild = nullptr;  // the price view built from the re-keyed rows
  bool intrastat = false;     // the Intrastat row is re-keyed beside the history
};

std::vector<KeyColumn> price_list_keys(KeyValue side) {
  return {{"LI10_DITTA_CG18", KeyValue::kCompany}, {"LI10_FLGVENDACQ", side},
          {"LI10_INDTIPOLIS", KeyValue::kZero},    {"LI10_CODART_MG66", KeyValue::kItem},
          {"LI10_OPZIONE_MG5E", KeyValue::kBlank}, {"LI10_DEPOS_MG58", KeyValue::kBlank}};
}

std::vector<KeyColumn> last_prices_keys(KeyValue side) {
  return {{"LI11_DITTA_CG18", KeyValue::kCompany}, {"LI11_FLGVENACQ", side},
          {"LI11_INDTIPOLIS", KeyValue::kZero},    {"LI11_CODART_MG66", KeyValue::kItem},
          {"LI11_OPZIONE_MG5E", KeyValue::kBlank}, {"LI11_DEPOS_MG58", KeyValue::kBlank}};
}

// The panels refresh knows, in the order they are compared. Refresh has one last-prices panel
// per direction; show and clear have one for both.
const std::vector<RefreshCase>& refresh_cases() {
  using C = CLSMG_DORSEL;
  static const std::vector<RefreshCase> cases = {
      {"FRMMG_DORSEL_DESCR",
       &C::Gstr_SQL_MG87descr,
       &C::Grst_RecSet_MG87descr,
       panels::descriptions,
       Reopen::kNo,
       false,
       {{"MG87_DITTA_CG18", KeyValue::kCompany},
        {"MG87_OPZIONE_MG5E", KeyValue::kBlank},
        {"MG87_LINGUA_MG52", KeyValue::kBlank},
        {"MG87_CODART_MG66", KeyValue::kItem}}},
      {"FRMUC_BASE"},
      {"FRMUC_CPARTFLAFG"},
      {"FRMUC_SCORTE",
       &C::Gstr_SQL_MG67,
       &C::Grst_RecSet_MG67,
       panels::stock,
       Reopen::kNo,
       true,
       {{"MG67_DITTA_CG18", KeyValue::kCompany},
        {"MG67_CODART_MG66", KeyValue::kItem},
        {"MG67_OPZIONE_MG5E", KeyValue::kBlank}}},
      {"FRMUC_CONFEZIONI",
       &C::Gstr_SQL_MG68,
       &C::Grst_RecSet_MG68,
       panels::packs,
       Reopen::kNo,
       true,
       {{"MG68_DITTA_CG18", KeyValue::kCompany},
        {"MG68_CODART_MG66", KeyValue::kItem},
        {"MG68_OPZIONE_MG5E", KeyValue::kBlank}}},
      {"FRMUC_INFOUBIC",
       &C::Gstr_SQL_MG7A,
       &C::Grst_RecSet_MG7A,
       panels::locations,
       Reopen::kNo,
       true,
       {{"MG7A_DITTA_CG18", KeyValue::kCompany},
        {"MG7A_CODART_MG66", KeyValue::kItem},
        {"MG7A_OPZIONE_MG5E", KeyValue::kBlank}}},
      {"FRMUC_INTRA",
       &C::Gstr_SQL_MG1Q,
       &C::Grst_RecSet_MG1Q,
       panels::nomenclature,
       Reopen::kNo,
       true,
       {{"MG1Q_DITTA_CG18", KeyValue::kCompany}, {"MG1Q_CODART_MG66", KeyValue::kItem}},
       nullptr,
       true},
      {"FRMUC_LISTINI_ACQ", &C::Gstr_SQL_LI10Acq, &C::Grst_RecSet_LI10Acq,
       [](const QueryValues& v) { return panels::price_list_refreshed(v, "1"); }, Reopen::kNo, true,
       price_list_keys(KeyValue::kOne), &C::InitializeRecordsetLI10Acq},
      {"FRMUC_LISTINI_VEN", &C::Gstr_SQL_LI10Ven, &C::Grst_RecSet_LI10Ven,
       [](const QueryValues& v) { return panels::price_list_refreshed(v, "0"); }, Reopen::kNo, true,
       price_list_keys(KeyValue::kZero), &C::InitializeRecordsetLI10Ven},
      {"FRMUC_LISTINI_ULP_V", &C::Gstr_SQL_LI11, &C::Grst_RecSet_LI11,
       panels::last_prices_refreshed, Reopen::kNo, true, last_prices_keys(KeyValue::kZero),
       &C::InitializeRecordsetLI11},
      {"FRMUC_LISTINI_ULP_A", &C::Gstr_SQL_LI11, &C::Grst_RecSet_LI11,
       panels::last_prices_refreshed, Reopen::kNo, true, last_prices_keys(KeyValue::kOne),
       &C::InitializeRecordsetLI11},
      {"FRMUC_NOTE",
       &C::Gstr_SQL_MG87note,
       &C::Grst_RecSet_MG87note,
       panels::notes,
       Reopen::kNo,
       false,
       {{"MG87_DITTA_CG18", KeyValue::kCompany},
        {"MG87_OPZIONE_MG5E", KeyValue::kBlank},
        {"MG87_CODART_MG66", KeyValue::kItem}}},
      {"APPLICAZIONI",
       &C::Gstr_SQL_MG72,
       &C::Grst_RecSet_MG72,
       panels::applications,
       Reopen::kOptionsUnspecified,
       true,
       {{"MG72_DITTA_CG18", KeyValue::kCompany}, {"MG72_CODART_MG66", KeyValue::kItem}}},
      {"GEST_VARIANTI",
       &C::Gstr_SQL_MG6B,
       &C::Grst_RecSet_MG6B,
       panels::variant_parameters,
       Reopen::kCommandText,
       true,
       {{"MG6B_DITTA_CG18", KeyValue::kCompany}, {"MG6B_CODART_MG66", KeyValue::kItem}}},
      {"FLAG_VARIANTI",
       &C::Gstr_SQL_MG6D,
       &C::Grst_RecSet_MG6D,
       panels::variant_flags,
       Reopen::kCommandText,
       true,
       {{"MG6D_DITTA_CG18", KeyValue::kCompany}, {"MG6D_CODART_MG66", KeyValue::kItem}}},
  };
  return cases;
}

// Whole-string, case-sensitive: the host's panel names are fixed identifiers.
const RefreshCase* find_case(const std::string& panel) {
  for (const RefreshCase& c : refresh_cases()) {
    if (c.panel == panel) return &c;
  }
  return nullptr;
}

Variant key_value(const CLSMG_DORSEL& component, KeyValue value, const std::string& item) {
  switch (value) {
    case KeyValue::kCompany:
      return host::company_code(component.host());
    case KeyValue::kItem:
      return Variant(item);
    case KeyValue::kBlank:
      return Variant(" ");
    case KeyValue::kZero:
      return Variant(std::int16_t{0});
    case KeyValue::kOne:
      return Variant(std::int16_t{1});
  }
  return Variant();
}

}  // namespace

void CLSMG_DORSEL::RefreshChild(const std::string& CodiceArticolo,
                                const std::string& ControlloAttivo) {
  automation::trap_and_reraise("RefreshChild:", [&] {
    // Read on every call whatever the panel, so a change of language shows at once.
    const std::string language = panels::panel_language(*this);
    const RefreshCase* found = find_case(ControlloAttivo);
    if (found == nullptr || found->query_slot == nullptr) return;
    const RefreshCase& c = *found;

    if (c.intrastat) {
      // The Intrastat data goes with the item too: its current row takes the new code, once,
      // wherever the cursor stands (an empty set fails here, before the history is touched).
      automation::require_set(Grst_RecSet_MG98)
          .Fields()
          .Item("MG98_CODART_MG66")
          .SetValue(Variant(CodiceArticolo));
    }

    this->*c.query_slot = c.query(QueryValues{company_code_text(), CodiceArticolo, language});

    // Held by us for the call: the view rebuild below must not be able to drop it.
    data::RecordsetPtr held = this->*c.recordset_slot;
    data::Recordset& rows = automation::require_set(held);
    if (c.reopen != Reopen::kNo) {
      if (rows.State() == data::kStateOpen) rows.Close();
      // No connection argument: the recordset keeps the one of its last opening.
      rows.Open(Variant(this->*c.query_slot), Variant::missing(),
                data::CursorTypeEnum::kUnspecified, data::LockTypeEnum::kUnspecified,
                c.reopen == Reopen::kCommandText ? data::CommandTypeEnum::kText
                                                 : data::CommandTypeEnum::kUnspecified);
    }

    // -1 (a cursor that cannot count) is treated as nothing to re-key.
    if (rows.RecordCount() <= 0) return;
    Variant bookmark;
    if (c.keeps_position) bookmark = rows.Bookmark();

    rows.MoveFirst();
    while (!rows.Eof()) {
      for (const KeyColumn& key : c.keys) {
        rows.Fields().Item(key.column).SetValue(key_value(*this, key.value, CodiceArticolo));
      }
      rows.MoveNext();
    }

    // The view is built from the re-keyed rows; the description panels stay at the end.
    if (c.rebuild != nullptr) (this->*c.rebuild)();
    if (c.keeps_position) rows.SetBookmark(bookmark);
  });
}

}  // namespace dorsel
