// The one-query lookups: each runs its query on the host's connection, reads one column of the
// first row and falls back to a fixed default when no row comes back.
//
// Two error modes live side by side here. The code lookups report a failure with their label;
// EsisteAlias, RecuperaValuta, RecuperaDescrizioneListino and LocalizzazioneAzienda never
// report one (the price-list views call two of them for every row they fill): each of their
// statements runs on its own and a failing one is skipped, so the caller gets whatever the
// result held, the default whenever the query or the reading failed.
#include <initializer_list>
#include <string>
#include <string_view>

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

// Joins clauses with CR LF, in one allocation: a price-list view runs these for every row.
std::string lines(std::initializer_list<std::string_view> clauses) {
  std::size_t size = 0;
  for (std::string_view clause : clauses) size += clause.size() + kCrLf.size();
  std::string sql;
  sql.reserve(size);
  for (std::string_view clause : clauses) {
    if (!sql.empty()) sql.append(kCrLf);
    sql.append(clause);
  }
  return sql;
}

}  // namespace

std::int16_t CLSMG_DORSEL::Get_MG66_ID_LP09(const std::string& strLP09_CODICE) {
  return automation::trap_and_reraise("Get_MG66_ID_LP09:", [&] {
    std::int16_t result = 0;
    const std::string code = ValoreTesto(Variant(strLP09_CODICE));
    const std::string sql = lines({"SELECT LP09_ID", "FROM LP09_TESTATAPRIORITA",
                                   "WHERE LP09_CODICE = '" + sql_quote(code) + "'",
                                   "AND LP09_DITTA_CG18 = " + company_code_text()});
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    if (has_current_row(automation::require_set(rs))) {
      result =
          automation::to_integer(Variant(ValoreNumerico(rs->Fields().Item("LP09_ID").Value())));
    }
    automation::require_set(rs).Close();
    return result;
  });
}

std::string CLSMG_DORSEL::Get_LP09_CODICE(const std::string& intLP09_ID) {
  return automation::trap_and_reraise("Get_LP09_CODICE:", [&] {
    std::string result;
    // Ids are unique across companies, so no company condition.
    const std::string id = ValoreNumerico(Variant(intLP09_ID));
    const std::string sql =
        lines({"SELECT LP09_CODICE", "FROM LP09_TESTATAPRIORITA", "WHERE LP09_ID = " + id});
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    if (has_current_row(automation::require_set(rs))) {
      result = ValoreTesto(rs->Fields().Item("LP09_CODICE").Value());
    }
    automation::require_set(rs).Close();
    return result;
  });
}

bool CLSMG_DORSEL::GestioneVelmarRetail() {
  return automation::trap_and_reraise("GestioneVelmarRetail:", [&] {
    bool result = false;
    const std::string sql =
        " SELECT * FROM RE01_CONFIGRETAIL WHERE RE01_DITTA_CG18 = " + company_code_text();
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
    std::int16_t result = -1;
    const std::string code = ValoreTesto(Variant(strRE37_CODCLASSEPROD));
    const std::string sql = lines({"SELECT RE37_ID", "FROM RE37_CLASSIPROD",
                                   "WHERE RE37_CODCLASSEPROD = '" + sql_quote(code) + "'",
                                   "AND RE37_DITTAMASTER_CG18 = " + company_code_text()});
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    if (has_current_row(automation::require_set(rs))) {
      result =
          automation::to_integer(Variant(ValoreNumerico(rs->Fields().Item("RE37_ID").Value())));
    }
    automation::require_set(rs).Close();
    return result;
  });
}

std::string CLSMG_DORSEL::Get_RE37_CODCLASSEPROD(std::int16_t intRE37_ID) {
  return automation::trap_and_reraise("Get_RE37_CODCLASSEPROD:", [&] {
    std::string result;
    const std::string id = ValoreNumerico(Variant(intRE37_ID));
    const std::string sql =
        lines({"SELECT RE37_CODCLASSEPROD", "FROM RE37_CLASSIPROD", "WHERE RE37_ID = " + id,
               "AND RE37_DITTAMASTER_CG18 = " + company_code_text()});
    data::RecordsetPtr rs =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    if (has_current_row(automation::require_set(rs))) {
      result = ValoreTesto(rs->Fields().Item("RE37_CODCLASSEPROD").Value());
    }
    automation::require_set(rs).Close();
    return result;
  });
}

std::string CLSMG_DORSEL::EsisteAlias(const std::string& strAlias) {
  std::string result;
  std::string alias;
  std::string sql;
  data::RecordsetPtr rs;
  automation::ignore_errors([&] { alias = ValoreTesto(Variant(strAlias)); });
  automation::ignore_errors([&] {
    sql = lines({"SELECT MG66_CODART", "FROM MG66_ANAGRART",
                 "WHERE MG66_CODINTERNO = '" + sql_quote(alias) + "'",
                 "AND MG66_DITTA_CG18 = " + company_code_text()});
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
    sql = lines({"SELECT MG44_VALUTA_CG08", "FROM MG44_PARMAGLIST",
                 "WHERE MG44_DITTA_CG18 = " + company_code_text(),
                 "AND MG44_FLGVENACQ = " + std::to_string(VenAcq) +
                     " AND MG44_NUMLIST =" + std::to_string(NumList)});
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
    sql = lines({"SELECT MG44_DESCLIST", "FROM MG44_PARMAGLIST WITH (NOLOCK)",
                 "WHERE MG44_DITTA_CG18 =" + company_code_text(),
                 "AND MG44_FLGVENACQ = " + std::to_string(VenAcq),
                 "AND MG44_NUMLIST =" + std::to_string(NumList)});
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
    const std::string sql = "SELECT CG28_CODICEAGR FROM CG28_TABCODIVA WHERE CG28_CODICE = '" +
                            sql_quote(CodIva) + "' AND CG28_FLGAGRI = 1";
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
    sql =
        "SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE WHERE "
        "CG18_DITTA = " +
        company;
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
