// The dual interface: every member of CLSMG_DORSEL by name, in interface order, with the
// arguments converted to the declared parameter types as the runtime converts them (a 16-bit
// parameter given 70000 is an overflow, error 6; Null for a text parameter is error 94).
#include <string>

#include "automation/convert.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {
namespace {

using automation::Variant;
using Self = CLSMG_DORSEL;
using Args = std::span<Variant>;

const Variant& argument(Args args, std::size_t index) {
  if (index >= args.size() || args[index].is_missing()) {
    automation::raise_runtime(automation::errc::kWrongNumberOfArguments);
  }
  return args[index];
}

std::string text_arg(Args args, std::size_t index) {
  const Variant& v = argument(args, index);
  if (v.is_null()) automation::raise_runtime(automation::errc::kInvalidUseOfNull);
  return automation::to_text(v);
}

std::int16_t integer_arg(Args args, std::size_t index) {
  return automation::to_integer(argument(args, index));
}

bool bool_arg(Args args, std::size_t index) { return automation::to_bool(argument(args, index)); }

Variant object_result(const automation::ObjectPtr& object) {
  return object ? Variant(object) : Variant::nothing();
}

// A slot set by reference takes a recordset or Nothing; anything else is a type mismatch.
data::RecordsetPtr recordset_value(const Variant& value) {
  if (!value.is_object()) {
    automation::raise_runtime(automation::errc::kObjectRequired);
  }
  if (!value.as_object()) return nullptr;
  auto recordset = std::dynamic_pointer_cast<data::Recordset>(value.as_object());
  if (!recordset) automation::raise_runtime(automation::errc::kTypeMismatch);
  return recordset;
}

void add_slot(automation::DispatchTable<Self>& t, const char* name,
              data::RecordsetPtr Self::*slot) {
  t.property(
      name, [slot](Self& self) { return object_result(self.*slot); }, nullptr,
      [slot](Self& self, const Variant& v) { self.*slot = recordset_value(v); });
}

void add_query_slot(automation::DispatchTable<Self>& t, const char* name, std::string Self::*slot) {
  t.property(
      name, [slot](Self& self) { return Variant(self.*slot); },
      [slot](Self& self, const Variant& v) { self.*slot = automation::to_text(v); });
}

template <class F>
void add_method(automation::DispatchTable<Self>& t, const char* name, F f) {
  t.method(name, [f](Self& self, Args args) -> Variant {
    if constexpr (std::is_void_v<decltype(f(self, args))>) {
      f(self, args);
      return Variant();
    } else {
      return Variant(f(self, args));
    }
  });
}

automation::DispatchTable<Self> build() {
  automation::DispatchTable<Self> t;
  add_slot(t, "Grst_RecSet_MG66", &Self::Grst_RecSet_MG66);
  add_slot(t, "Grst_RecSet_MG87descr", &Self::Grst_RecSet_MG87descr);
  add_slot(t, "Grst_RecSet_MG87note", &Self::Grst_RecSet_MG87note);
  add_slot(t, "Grst_RecSet_Immagini", &Self::Grst_RecSet_Immagini);
  add_slot(t, "Grst_RecSet_ArticoloMarca", &Self::Grst_RecSet_ArticoloMarca);
  add_slot(t, "Grst_RecSet_MG67", &Self::Grst_RecSet_MG67);
  add_slot(t, "Grst_RecSet_MG68", &Self::Grst_RecSet_MG68);
  add_slot(t, "Grst_RecSet_MG7A", &Self::Grst_RecSet_MG7A);
  add_slot(t, "Grst_RecSet_MG72", &Self::Grst_RecSet_MG72);
  add_slot(t, "Grst_RecSet_MG98", &Self::Grst_RecSet_MG98);
  add_slot(t, "Grst_RecSet_MG6D", &Self::Grst_RecSet_MG6D);
  add_slot(t, "Grst_RecSet_MG6B", &Self::Grst_RecSet_MG6B);
  add_slot(t, "Grst_RecSet_MG1Q", &Self::Grst_RecSet_MG1Q);
  add_slot(t, "Grst_RecSet_LI10Ven", &Self::Grst_RecSet_LI10Ven);
  add_slot(t, "Grst_RecSet_LI10Ven_append", &Self::Grst_RecSet_LI10Ven_append);
  add_slot(t, "Grst_RecSet_LI10Acq", &Self::Grst_RecSet_LI10Acq);
  add_slot(t, "Grst_RecSet_LI10Acq_append", &Self::Grst_RecSet_LI10Acq_append);
  add_slot(t, "Grst_RecSet_LI11", &Self::Grst_RecSet_LI11);
  add_slot(t, "Grst_RecSet_LI11_append", &Self::Grst_RecSet_LI11_append);

  add_query_slot(t, "Gstr_SQL_MG66", &Self::Gstr_SQL_MG66);
  add_query_slot(t, "Gstr_SQL_MG66_NoRecord", &Self::Gstr_SQL_MG66_NoRecord);
  add_query_slot(t, "Gstr_SQL_MG72", &Self::Gstr_SQL_MG72);
  add_query_slot(t, "Gstr_SQL_MG87descr", &Self::Gstr_SQL_MG87descr);
  add_query_slot(t, "Gstr_SQL_MG87note", &Self::Gstr_SQL_MG87note);
  add_query_slot(t, "Gstr_SQL_MG67", &Self::Gstr_SQL_MG67);
  add_query_slot(t, "Gstr_SQL_MG68", &Self::Gstr_SQL_MG68);
  add_query_slot(t, "Gstr_SQL_MG7A", &Self::Gstr_SQL_MG7A);
  add_query_slot(t, "Gstr_SQL_MG98", &Self::Gstr_SQL_MG98);
  add_query_slot(t, "Gstr_SQL_MG6B", &Self::Gstr_SQL_MG6B);
  add_query_slot(t, "Gstr_SQL_MG6D", &Self::Gstr_SQL_MG6D);
  add_query_slot(t, "Gstr_SQL_LI10Ven", &Self::Gstr_SQL_LI10Ven);
  add_query_slot(t, "Gstr_SQL_LI10Acq", &Self::Gstr_SQL_LI10Acq);
  add_query_slot(t, "Gstr_SQL_LI11", &Self::Gstr_SQL_LI11);
  add_query_slot(t, "Gstr_SQL_MG1Q", &Self::Gstr_SQL_MG1Q);

  t.property(
      "gclsCalcoloPrezzi", [](Self& self) { return object_result(self.gclsCalcoloPrezzi); },
      nullptr,
      [](Self& self, const Variant& v) {
        if (!v.is_object()) {
          automation::raise_runtime(automation::errc::kObjectRequired);
        }
        if (!v.as_object()) {
          self.gclsCalcoloPrezzi.reset();
          return;
        }
        auto price = std::dynamic_pointer_cast<prezzi::PriceCalculation>(v.as_object());
        if (!price) automation::raise_runtime(automation::errc::kTypeMismatch);
        self.gclsCalcoloPrezzi = std::move(price);
      });
  add_slot(t, "Grst_RecSet_CL07", &Self::Grst_RecSet_CL07);
  add_slot(t, "Grst_RecSet_IL00", &Self::Grst_RecSet_IL00);
  add_query_slot(t, "ListFileToDelete", &Self::ListFileToDelete);

  t.property(
      "Connessione", [](Self& self) { return object_result(self.Connessione()); }, nullptr,
      [](Self& self, const Variant& v) {
        if (!v.is_object()) {
          automation::raise_runtime(automation::errc::kTypeMismatch);
        }
        self.SetConnessione(v.as_object());
      });
  t.property(
      "ActiveInterface", [](Self& self) { return self.ActiveInterface(); },
      [](Self& self, const Variant& v) { self.SetActiveInterface(v); },
      [](Self& self, const Variant& v) { self.SetActiveInterface(v); });

  add_method(t, "Initialize", [](Self& s, Args) { s.Initialize(); });

  add_method(t, "Init_MG6B_parametrivarianti",
             [](Self& s, Args) { s.Init_MG6B_parametrivarianti(); });
  add_method(t, "Init_MG72_applicazioni", [](Self& s, Args) { s.Init_MG72_applicazioni(); });
  add_method(t, "Init_MG6D_flagvarianti", [](Self& s, Args) { s.Init_MG6D_flagvarianti(); });
  add_method(t, "Init_MG87_note", [](Self& s, Args a) { s.Init_MG87_note(text_arg(a, 0)); });
  add_method(t, "Init_MG67_scorte", [](Self& s, Args a) { s.Init_MG67_scorte(text_arg(a, 0)); });
  add_method(t, "Init_MG68_confezioni",
             [](Self& s, Args a) { s.Init_MG68_confezioni(text_arg(a, 0)); });
  add_method(t, "Init_MG7A_infoubic",
             [](Self& s, Args a) { s.Init_MG7A_infoubic(text_arg(a, 0)); });
  add_method(t, "Init_MG98_INTRA", [](Self& s, Args a) { s.Init_MG98_INTRA(text_arg(a, 0)); });
  add_method(t, "Init_MG1Q_nomenclature_INTRA_art", [](Self& s, Args a) {
    s.Init_MG1Q_nomenclature_INTRA_art(text_arg(a, 0), integer_arg(a, 1));
  });

  add_method(t, "Init_LI10", [](Self& s, Args a) { s.Init_LI10(text_arg(a, 0), text_arg(a, 1)); });
  add_method(t, "Init_LI11_ultimi",
             [](Self& s, Args a) { s.Init_LI11_ultimi(text_arg(a, 0), text_arg(a, 1)); });
  add_method(t, "ListiniDateValidita", [](Self& s, Args a) {
    return object_result(s.ListiniDateValidita(text_arg(a, 0), text_arg(a, 1), text_arg(a, 2)));
  });

  add_method(t, "CreaRecset_Grst_RecSet_LI10Ven_Append",
             [](Self& s, Args) { s.CreaRecset_Grst_RecSet_LI10Ven_Append(); });
  add_method(t, "Trasferisci_in_Grst_RecSet_LI10Ven_Append",
             [](Self& s, Args) { s.Trasferisci_in_Grst_RecSet_LI10Ven_Append(); });
  add_method(t, "Calcola_PREZZONETTO_LI10Ven", [](Self& s, Args a) {
    s.Calcola_PREZZONETTO_LI10Ven(text_arg(a, 0), text_arg(a, 1));
  });
  add_method(t, "CreaRecset_Grst_RecSet_LI10Acq_Append",
             [](Self& s, Args) { s.CreaRecset_Grst_RecSet_LI10Acq_Append(); });
  add_method(t, "Trasferisci_in_Grst_RecSet_LI10Acq_Append",
             [](Self& s, Args) { s.Trasferisci_in_Grst_RecSet_LI10Acq_Append(); });
  add_method(t, "Calcola_PREZZONETTO_LI10Acq", [](Self& s, Args a) {
    s.Calcola_PREZZONETTO_LI10Acq(text_arg(a, 0), text_arg(a, 1));
  });
  add_method(t, "CreaRecset_Grst_RecSet_LI11",
             [](Self& s, Args) { s.CreaRecset_Grst_RecSet_LI11(); });
  add_method(t, "Trasferisci_in_Grst_RecSet_LI11_Append",
             [](Self& s, Args) { s.Trasferisci_in_Grst_RecSet_LI11_Append(); });
  add_method(t, "Calcola_PREZZONETTO_LI11",
             [](Self& s, Args a) { s.Calcola_PREZZONETTO_LI11(text_arg(a, 0)); });

  add_method(t, "RefreshChild",
             [](Self& s, Args a) { s.RefreshChild(text_arg(a, 0), text_arg(a, 1)); });
  add_method(t, "ShowChild", [](Self& s, Args a) { s.ShowChild(text_arg(a, 0), text_arg(a, 1)); });
  add_method(t, "ClearChild", [](Self& s, Args a) { s.ClearChild(text_arg(a, 0)); });

  add_method(t, "InitializeRecordsetLI10Ven",
             [](Self& s, Args) { s.InitializeRecordsetLI10Ven(); });
  add_method(t, "InitializeRecordsetLI10Acq",
             [](Self& s, Args) { s.InitializeRecordsetLI10Acq(); });
  add_method(t, "InitializeRecordsetLI11", [](Self& s, Args) { s.InitializeRecordsetLI11(); });

  add_method(t, "Get_PathImage",
             [](Self& s, Args a) { return object_result(s.Get_PathImage(text_arg(a, 0))); });
  add_method(t, "Get_ArticoloEMarca",
             [](Self& s, Args a) { return object_result(s.Get_ArticoloEMarca(text_arg(a, 0))); });
  add_method(t, "GetPathFileAllegato", [](Self& s, Args a) {
    return s.GetPathFileAllegato(integer_arg(a, 0), text_arg(a, 1), bool_arg(a, 2));
  });
  add_method(t, "RemoveAllegato", [](Self& s, Args a) { s.RemoveAllegato(text_arg(a, 0)); });
  add_method(t, "RecuperaUtenzaSorvano", [](Self& s, Args) { s.RecuperaUtenzaSorvano(); });
  add_method(t, "RemoveAllFile", [](Self& s, Args a) { s.RemoveAllFile(text_arg(a, 0)); });
  add_method(t, "IsSorvanoAttivo", [](Self& s, Args) { return s.IsSorvanoAttivo(); });

  add_method(t, "Get_MG66_ID_LP09",
             [](Self& s, Args a) { return s.Get_MG66_ID_LP09(text_arg(a, 0)); });
  add_method(t, "Get_LP09_CODICE",
             [](Self& s, Args a) { return s.Get_LP09_CODICE(text_arg(a, 0)); });
  add_method(t, "GestioneVelmarRetail", [](Self& s, Args) { return s.GestioneVelmarRetail(); });
  add_method(t, "Get_RE37_ID", [](Self& s, Args a) { return s.Get_RE37_ID(text_arg(a, 0)); });
  add_method(t, "Get_RE37_CODCLASSEPROD",
             [](Self& s, Args a) { return s.Get_RE37_CODCLASSEPROD(integer_arg(a, 0)); });
  add_method(t, "EsisteAlias", [](Self& s, Args a) { return s.EsisteAlias(text_arg(a, 0)); });
  add_method(t, "RecuperaValuta", [](Self& s, Args a) {
    std::int16_t num_list = integer_arg(a, 1);
    std::string result = s.RecuperaValuta(integer_arg(a, 0), num_list);
    a[1] = Variant(num_list);
    return result;
  });
  add_method(t, "RecuperaDescrizioneListino", [](Self& s, Args a) {
    std::int16_t num_list = integer_arg(a, 1);
    std::string result = s.RecuperaDescrizioneListino(integer_arg(a, 0), num_list);
    a[1] = Variant(num_list);
    return result;
  });
  add_method(t, "GetCodIvaCompensazione",
             [](Self& s, Args a) { return s.GetCodIvaCompensazione(text_arg(a, 0)); });

  add_method(t, "EsisteConfezionePreferenziale",
             [](Self& s, Args) { return s.EsisteConfezionePreferenziale(); });
  add_method(t, "EsisteDepositoPreferenziale",
             [](Self& s, Args) { return s.EsisteDepositoPreferenziale(); });
  add_method(t, "EsisteDepositoPrelievoVersamento",
             [](Self& s, Args) { return s.EsisteDepositoPrelievoVersamento(); });

  add_method(t, "StoricizzaNomenclaturaIntra", [](Self& s, Args a) {
    std::string code = text_arg(a, 0);
    std::string item = text_arg(a, 1);
    std::int16_t kind = integer_arg(a, 2);
    bool result = s.StoricizzaNomenclaturaIntra(code, item, kind);
    a[0] = Variant(code);
    a[1] = Variant(item);
    a[2] = Variant(kind);
    return result;
  });
  t.property("LocalizzazioneAzienda", [](Self& s) { return Variant(s.LocalizzazioneAzienda()); });
  return t;
}

const automation::DispatchTable<Self>& table() {
  static const automation::DispatchTable<Self> kTable = build();
  return kTable;
}

}  // namespace

Variant CLSMG_DORSEL::invoke(std::string_view name, automation::InvokeKind kind, Args args) {
  return table().invoke(*this, name, kind, args);
}

automation::MemberKind CLSMG_DORSEL::member_kind(std::string_view name) {
  return table().kind_of(name);
}

}  // namespace dorsel
