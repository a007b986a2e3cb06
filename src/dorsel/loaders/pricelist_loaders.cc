// The price-list loaders: the stored price-list rows and last prices of an item into their
// slots, and a price list's validity-date parameters as a recordset of its own. The kind and
// number arguments go into the text as the host gives them, as numbers without quotes: a text
// that is not a plain number is refused (13) under the loader's label before any statement.
#include <string>

#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/slot_source.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/frame/values.h"

namespace dorsel {

void CLSMG_DORSEL::Init_LI10(const std::string& CodiceArticolo, const std::string& TipoListino) {
  automation::trap_and_reraise("Init_LI10:", [&] {
    // MYID numbers the rows for the views; MG44_DESCLIST and VALUTA are placeholders that the
    // row transfer fills by lookup.
    std::string sql = "SELECT ";
    sql.append(kCrLf)
        .append("   ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID ")
        .append(kCrLf)
        .append("     ,* ")
        .append(kCrLf)
        .append("     , '' AS MG44_DESCLIST ")
        .append(kCrLf)
        .append("     , '' AS VALUTA ")
        .append(kCrLf)
        .append("   FROM LI10_LISTARTIC ")
        .append(kCrLf)
        .append(" WHERE ")
        .append(kCrLf)
        .append("     LI10_DITTA_CG18 = ")
        .append(company_code_text())
        .append(" ")
        .append(kCrLf)
        .append(" AND LI10_FLGVENDACQ = ")
        .append(TipoListino)
        .append(kCrLf)
        .append(" AND LI10_CODART_MG66 = '")
        .append(sql_quote(CodiceArticolo))
        .append("' ")
        .append(kCrLf)
        .append(" AND LI10_OPZIONE_MG5E = ' ' ")
        .append(kCrLf)
        .append(" AND LI10_DEPOS_MG58 = ' ' ")
        .append(kCrLf)
        .append(" ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL");

    // The kind is matched exactly: anything but "0" or "1" loads nothing and says nothing.
    auto load = [&](std::string& query_slot, data::RecordsetPtr& slot) {
      query_slot = sql;
      open_from_source(*this, slot, query_slot, HandedOutOpen::kCloseFirst);
    };
    if (TipoListino == "0") load(Gstr_SQL_LI10Ven, Grst_RecSet_LI10Ven);
    if (TipoListino == "1") load(Gstr_SQL_LI10Acq, Grst_RecSet_LI10Acq);
  });
}

void CLSMG_DORSEL::Init_LI11_ultimi(const std::string& CodiceArticolo,
                                    const std::string& TipoListino) {
  automation::trap_and_reraise("Init_LI11_ultimi:", [&] {
    std::string sql =
        company_query_frame("LI11_ULTPRACQVEN", "LI11_DITTA_CG18", company_code_text());
    sql.append(kCrLf)
        .append(" AND LI11_CODART_MG66 = '")
        .append(sql_quote(CodiceArticolo))
        .append("' ")
        .append(kCrLf)
        .append(" AND LI11_OPZIONE_MG5E = ' ' ");
    // A blank kind means both purchases and sales; a given one goes in untrimmed.
    if (!ValoreTesto(automation::Variant(TipoListino)).empty()) {
      sql.append(kCrLf).append(" AND LI11_FLGVENACQ  = ").append(require_plain_number(TipoListino));
    }
    Gstr_SQL_LI11 = std::move(sql);

    Grst_RecSet_LI11 = take_new_recordset();
    if (Grst_RecSet_LI11->State() == data::kStateOpen) Grst_RecSet_LI11->Close();
    Grst_RecSet_LI11->Open(Gstr_SQL_LI11, connection(), data::CursorTypeEnum::kUnspecified,
                           data::LockTypeEnum::kUnspecified, data::CommandTypeEnum::kText);
    release_recordset_source();
  });
}

data::RecordsetPtr CLSMG_DORSEL::ListiniDateValidita(const std::string& TipoListino,
                                                     const std::string& NumeroListino,
                                                     const std::string& Valuta) {
  data::RecordsetPtr result;
  automation::trap_and_reraise("ListiniDateValidita:", [&] {
    // Without a currency the parameters of the "EURO" list are read; a given one goes in as is.
    const std::string currency =
        ValoreTesto(automation::Variant(Valuta)).empty() ? std::string("EURO") : Valuta;

    std::string sql = " SELECT ";
    sql.append(kCrLf)
        .append("     MG44_INDPROPDATAINI, ")
        .append(kCrLf)
        .append("     MG44_INDPROPDATAFINE, ")
        .append(kCrLf)
        .append("     MG44_PROPDATAINI, ")
        .append(kCrLf)
        .append("     MG44_PROPDATAFINE ")
        .append(kCrLf)
        .append(" FROM ")
        .append(kCrLf)
        .append("     MG44_PARMAGLIST WITH (NOLOCK) ")
        .append(kCrLf)
        .append(" WHERE ")
        .append(kCrLf)
        .append("     MG44_DITTA_CG18 = ")
        .append(company_code_text())
        .append(" ")
        .append(kCrLf)
        .append(" AND MG44_FLGVENACQ = ")
        .append(require_plain_number(TipoListino))
        .append(kCrLf)
        .append(" AND MG44_NUMLIST = ")
        .append(require_plain_number(NumeroListino))
        .append(kCrLf)
        .append(" AND MG44_VALUTA_CG08 = '")
        .append(sql_quote(currency))
        .append("'");

    data::RecordsetPtr parameters = take_new_recordset();
    parameters->Open(sql, connection(), data::CursorTypeEnum::kUnspecified,
                     data::LockTypeEnum::kUnspecified, data::CommandTypeEnum::kText);
    release_recordset_source();
    // No parameter row is an answer, not an error: the caller then proposes no dates.
    if (!(parameters->Eof() && parameters->Bof())) result = std::move(parameters);
  });
  return result;
}

}  // namespace dorsel
