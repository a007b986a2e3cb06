// The one-query lookups: each runs its query on the host's connection, reads one column of the
// first row and falls back to a fixed default when no row comes back.
//
// Two error modes live side by side here. The code lookups report a failure with their label;
// EsisteAlias, RecuperaValuta, RecuperaDescrizioneListino and LocalizzazioneAzienda never
// report one (the price-list views call two of them for every row they fill): each of their
// statements runs on its own and a failing one is skipped, so the caller gets whatever the
// result held, the default whenever the query or the reading failed.
#include <string>
#include <string_view>
#include <utility>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/frame/values.h"
#include "dorsel/host/host_view.h"

namespace dorsel {
namespace {

using automation::Variant;

// CStr: unlike the text of `value & ""`, Null cannot be turned into text (94).
std::string strict_text(const Variant& value) {
  if (value.is_null()) {
    automation::raise_runtime(automation::errc::kInvalidUseOfNull);
  }
  return automation::to_text(value);
}

// A freshly run query is on its first row, or at both ends when it found nothing.
bool has_current_row(const data::Recordset& recordset) {
  return !(recordset.Bof() || recordset.Eof());
}

// A table of codes with numeric ids: the priorities (per company) and the product classes
// (per master company).
struct CodeTable {
  std::string_view table;
  std::string_view id_column;
  std::string_view code_column;
  std::string_view company_column;
};
constexpr CodeTable kPriorities{"LP09_TESTATAPRIORITA", "LP09_ID", "LP09_CODICE",
                                "LP09_DITTA_CG18"};
constexpr CodeTable kProductClasses{"RE37_CLASSIPROD", "RE37_ID", "RE37_CODCLASSEPROD",
                                    "RE37_DITTAMASTER_CG18"};

// Runs `sql` on the host's connection: `read` turns the first row's `column` into the result,
// which is `none` when no row comes back. The result set is closed once read; a failing read
// leaves it to be dropped.
template <typename Result, typename Read>
Result first_row(const CLSMG_DORSEL& component, const std::string& sql, std::string_view column,
                 Result none, Read read) {
  data::RecordsetPtr rs =
      automation::require_set(component.connection()).Execute(sql, nullptr, data::kCmdText);
  Result result = std::move(none);
  if (has_current_row(automation::require_set(rs))) {
    result = read(rs->Fields().Item(column).Value());
  }
  automation::require_set(rs).Close();
  return result;
}

// The id of the company's `code` (taken as given), or `none`.
std::int16_t id_of_code(const CLSMG_DORSEL& component, const CodeTable& t, const std::string& code,
                        std::int16_t none) {
  SqlText sql;
  sql.line({"SELECT ", t.id_column})
      .line({"FROM ", t.table})
      .line({"WHERE ", t.code_column, " = "})
      .quoted(code)
      .line({"AND ", t.company_column, " = "})
      .number(component.company_code_text());
  return first_row(component, sql.take(), t.id_column, none, [](const Variant& id) {
    return automation::to_integer(Variant(ValoreNumerico(id)));
  });
}

// The code of `id` (a number's text), of the company's codes unless `any_company`; "" when none.
std::string code_of_id(const CLSMG_DORSEL& component, const CodeTable& t, const std::string& id,
                       bool any_company = false) {
  SqlText sql;
  sql.line({"SELECT ", t.code_column})
      .line({"FROM ", t.table})
      .line({"WHERE ", t.id_column, " = ", id});
  if (!any_company) {
    sql.line({"AND ", t.company_column, " = "}).number(component.company_code_text());
  }
  return first_row(component, sql.take(), t.code_column, std::string(),
                   [](const Variant& code) { return ValoreTesto(code); });
}

}  // namespace

std::int16_t CLSMG_DORSEL::Get_MG66_ID_LP09(const std::string& strLP09_CODICE) {
  return automation::trap_and_reraise("Get_MG66_ID_LP09:", [&] {
    return id_of_code(*this, kPriorities, ValoreTesto(Variant(strLP09_CODICE)), 0);
  });
}

std::string CLSMG_DORSEL::Get_LP09_CODICE(const std::string& intLP09_ID) {
  return automation::trap_and_reraise("Get_LP09_CODICE:", [&] {
    // Ids are unique across companies, so no company condition.
    return code_of_id(*this, kPriorities, ValoreNumerico(Variant(intLP09_ID)),
                      /*any_company=*/true);
  });
}

bool CLSMG_DORSEL::GestioneVelmarRetail() {
  return automation::trap_and_reraise("GestioneVelmarRetail:", [&] {
    bool result = false;
    const std::string sql = SqlText()
                                .add({" SELECT * FROM RE01_CONFIGRETAIL WHERE RE01_DITTA_CG18 = "})
                                .number(company_code_text())
                                .take();
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    // The count decides, not the cursor: a result that cannot count its rows (-1) reads as no
    // configuration.
    if (automation::require_set(rs).RecordCount() > 0) {
      result = ValoreNumerico_double(rs->Fields().Item("RE01_FLGATTIV").Value()) == 1.0;
    }
    return result;
  });
}

std::int16_t CLSMG_DORSEL::Get_RE37_ID(const std::string& strRE37_CODCLASSEPROD) {
  return automation::trap_and_reraise("Get_RE37_ID:", [&] {
    // Nothing found reads -1 here, where the priority lookup gives 0.
    return id_of_code(*this, kProductClasses, ValoreTesto(Variant(strRE37_CODCLASSEPROD)), -1);
  });
}

std::string CLSMG_DORSEL::Get_RE37_CODCLASSEPROD(std::int16_t intRE37_ID) {
  return automation::trap_and_reraise("Get_RE37_CODCLASSEPROD:", [&] {
    return code_of_id(*this, kProductClasses, ValoreNumerico(Variant(intRE37_ID)));
  });
}

std::string CLSMG_DORSEL::EsisteAlias(const std::string& strAlias) {
  std::string result;
  std::string alias;
  std::string sql;
  data::RecordsetPtr rs;
  automation::ignore_errors([&] { alias = ValoreTesto(Variant(strAlias)); });
  automation::ignore_errors([&] {
    sql = SqlText()
              .line({"SELECT MG66_CODART"})
              .line({"FROM MG66_ANAGRART"})
              .line({"WHERE MG66_CODINTERNO = "})
              .quoted(alias)
              .line({"AND MG66_DITTA_CG18 = "})
              .number(company_code_text())
              .take();
  });
  automation::ignore_errors(
      [&] { rs = automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText); });
  // The item code is returned as stored, trailing blanks included.
  automation::ignore_errors([&] {
    if (has_current_row(automation::require_set(rs))) {
      result = strict_text(rs->Fields().Item("MG66_CODART").Value());
    }
  });
  automation::ignore_errors([&] { automation::require_set(rs).Close(); });
  return result;
}

std::string CLSMG_DORSEL::RecuperaValuta(std::int16_t VenAcq, std::int16_t& NumList) {
  std::string result;
  std::string sql;
  data::RecordsetPtr rs;
  automation::ignore_errors([&] {
    sql = SqlText()
              .line({"SELECT MG44_VALUTA_CG08"})
              .line({"FROM MG44_PARMAGLIST"})
              .line({"WHERE MG44_DITTA_CG18 = "})
              .number(company_code_text())
              .line({"AND MG44_FLGVENACQ = ", std::to_string(VenAcq),
                     " AND MG44_NUMLIST =", std::to_string(NumList)})
              .take();
  });
  automation::ignore_errors(
      [&] { rs = automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText); });
  automation::ignore_errors([&] {
    if (has_current_row(automation::require_set(rs))) {
      // A Null currency has no text; the failure would be ignored and leave the result empty,
      // so it is not raised at all (this runs twice for every price-list row).
      const Variant& currency = rs->Fields().Item("MG44_VALUTA_CG08").value_ref();
      if (!currency.is_null()) result = strict_text(currency);
    }
  });
  automation::ignore_errors([&] { automation::require_set(rs).Close(); });
  return result;
}

std::string CLSMG_DORSEL::RecuperaDescrizioneListino(std::int16_t VenAcq, std::int16_t& NumList) {
  std::string result;
  std::string sql;
  data::RecordsetPtr rs;
  automation::ignore_errors([&] {
    sql = SqlText()
              .line({"SELECT MG44_DESCLIST"})
              .line({"FROM MG44_PARMAGLIST WITH (NOLOCK)"})
              .line({"WHERE MG44_DITTA_CG18 ="})
              .number(company_code_text())
              .line({"AND MG44_FLGVENACQ = ", std::to_string(VenAcq)})
              .line({"AND MG44_NUMLIST =", std::to_string(NumList)})
              .take();
  });
  automation::ignore_errors([&] {
    rs = automation::require_set(connection()).Execute(sql, nullptr, data::kCmdUnspecified);
  });
  automation::ignore_errors([&] {
    if (has_current_row(automation::require_set(rs))) {
      result = ValoreTesto(rs->Fields().Item("MG44_DESCLIST").Value());
    }
  });
  return result;
}

std::string CLSMG_DORSEL::GetCodIvaCompensazione(const std::string& CodIva) {
  return automation::trap_and_reraise("GetCodIvaCompensazione:", [&] {
    std::string result;
    // VAT codes are not kept per company; the code goes in untrimmed.
    const std::string sql =
        SqlText()
            .add({"SELECT CG28_CODICEAGR FROM CG28_TABCODIVA WHERE CG28_CODICE = "})
            .quoted(CodIva)
            .add({" AND CG28_FLGAGRI = 1"})
            .take();
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdUnspecified);
    if (has_current_row(automation::require_set(rs))) {
      result = ValoreTesto(rs->Fields().Item("CG28_CODICEAGR").Value());
    }
    automation::require_set(rs).Close();
    return result;
  });
}

std::int16_t CLSMG_DORSEL::LocalizzazioneAzienda() {
  std::int16_t result = 0;
  std::string company;
  std::string sql;
  data::RecordsetPtr rs;
  automation::ignore_errors([&] { company = ValoreNumerico(host::company_code(host())); });
  automation::ignore_errors([&] {
    sql = SqlText()
              .add({"SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE "
                    "WHERE CG18_DITTA = ",
                    company})
              .take();
  });
  automation::ignore_errors(
      [&] { rs = automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText); });
  automation::ignore_errors([&] {
    if (has_current_row(automation::require_set(rs))) {
      result = automation::to_integer(
          Variant(ValoreNumerico(rs->Fields().Item("CG18_INDLOCALIZ").Value())));
    }
  });
  return result;
}

}  // namespace dorsel
