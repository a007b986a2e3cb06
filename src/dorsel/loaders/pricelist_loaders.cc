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
    // The kind goes in unchecked: only "0" and "1" load anything below.
    const std::string sql =
        SqlText()
            .line({"SELECT "})
            .line({"   ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID "})
            .line({"     ,* "})
            .line({"     , '' AS MG44_DESCLIST "})
            .line({"     , '' AS VALUTA "})
            .line({"   FROM LI10_LISTARTIC "})
            .line({" WHERE "})
            .line({"     LI10_DITTA_CG18 = "})
            .number(company_code_text())
            .add({" "})
            .line({" AND LI10_FLGVENDACQ = ", TipoListino})
            .line({" AND LI10_CODART_MG66 = "})
            .quoted(CodiceArticolo)
            .add({" "})
            .line({" AND LI10_OPZIONE_MG5E = ' ' "})
            .line({" AND LI10_DEPOS_MG58 = ' ' "})
            .line({" ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL"})
            .take();

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
    SqlText sql;
    sql.company_frame("LI11_ULTPRACQVEN", "LI11", company_code_text())
        .line({" AND LI11_CODART_MG66 = "})
        .quoted(CodiceArticolo)
        .add({" "})
        .line({" AND LI11_OPZIONE_MG5E = ' ' "});
    // A blank kind means both purchases and sales; a given one goes in untrimmed.
    if (!ValoreTesto(automation::Variant(TipoListino)).empty()) {
      sql.line({" AND LI11_FLGVENACQ  = "}).number(TipoListino);
    }
    Gstr_SQL_LI11 = sql.take();

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

    const std::string sql = SqlText()
                                .line({" SELECT "})
                                .line({"     MG44_INDPROPDATAINI, "})
                                .line({"     MG44_INDPROPDATAFINE, "})
                                .line({"     MG44_PROPDATAINI, "})
                                .line({"     MG44_PROPDATAFINE "})
                                .line({" FROM "})
                                .line({"     MG44_PARMAGLIST WITH (NOLOCK) "})
                                .line({" WHERE "})
                                .line({"     MG44_DITTA_CG18 = "})
                                .number(company_code_text())
                                .add({" "})
                                .line({" AND MG44_FLGVENACQ = "})
                                .number(TipoListino)
                                .line({" AND MG44_NUMLIST = "})
                                .number(NumeroListino)
                                .line({" AND MG44_VALUTA_CG08 = "})
                                .quoted(currency)
                                .take();

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
