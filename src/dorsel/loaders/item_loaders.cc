// The item sub-table loaders: each builds its query into its query slot and opens its
// recordset slot from a new recordset source. The previous recordset of a slot is dropped, not
// closed, because the host may still be showing it.
#include <string>
#include <string_view>

#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"

namespace dorsel {
namespace {

// The company frame of `table` (table code `code`) and the item condition, CR LF,
// " AND <code>_CODART_MG66 = '<item>' ", then, unless `every_option`, the base option only
// (a single blank), not the item's variants.
SqlText item_query(std::string_view table, std::string_view code, const std::string& company,
                   const std::string& item_code, bool every_option = false) {
  SqlText sql;
  sql.company_frame(table, code, company)
      .line({" AND ", code, "_CODART_MG66 = "})
      .quoted(item_code)
      .add({" "});
  if (!every_option) sql.line({" AND ", code, "_OPZIONE_MG5E = ' ' "});
  return sql;
}

// The panels need these tables' column layout before any item is chosen; the fixed condition
// selects no row.
std::string no_row_query(std::string_view table, std::string_view code,
                         const std::string& company) {
  return SqlText().company_frame(table, code, company).line({"     AND 1 = 0"}).take();
}

}  // namespace

void CLSMG_DORSEL::Init_MG6B_parametrivarianti() {
  automation::trap_and_reraise("Init_MG6B_parametrivarianti:", [&] {
    Gstr_SQL_MG6B = no_row_query("MG6B_GESVARART", "MG6B", company_code_text());
    open_slot_from_source(Grst_RecSet_MG6B, Gstr_SQL_MG6B);
  });
}

void CLSMG_DORSEL::Init_MG72_applicazioni() {
  automation::trap_and_reraise("Init_MG72_applicazioni:", [&] {
    Gstr_SQL_MG72 = no_row_query("MG72_APPLICART", "MG72", company_code_text());
    open_slot_from_source(Grst_RecSet_MG72, Gstr_SQL_MG72);
  });
}

void CLSMG_DORSEL::Init_MG6D_flagvarianti() {
  automation::trap_and_reraise("Init_MG6D_flagvarianti:", [&] {
    Gstr_SQL_MG6D = no_row_query("MG6D_FLGTABARTVAR", "MG6D", company_code_text());
    open_slot_from_source(Grst_RecSet_MG6D, Gstr_SQL_MG6D);
  });
}

void CLSMG_DORSEL::Init_MG87_note(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG87_note:", [&] {
    // The code goes in as given: trailing blanks are part of what the host asked for.
    Gstr_SQL_MG87note = item_query("MG87_ARTDESC", "MG87", company_code_text(), CodiceArticolo)
                            .line({" ORDER BY MG87_LINGUA_MG52"})
                            .take();
    open_slot_from_source(Grst_RecSet_MG87note, Gstr_SQL_MG87note);
  });
}

void CLSMG_DORSEL::Init_MG67_scorte(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG67_scorte:", [&] {
    Gstr_SQL_MG67 = item_query("MG67_SCORTE", "MG67", company_code_text(), CodiceArticolo).take();
    open_slot_from_source(Grst_RecSet_MG67, Gstr_SQL_MG67);
  });
}

void CLSMG_DORSEL::Init_MG68_confezioni(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG68_confezioni:", [&] {
    Gstr_SQL_MG68 = item_query("MG68_CONFART", "MG68", company_code_text(), CodiceArticolo).take();
    open_slot_from_source(Grst_RecSet_MG68, Gstr_SQL_MG68);
  });
}

void CLSMG_DORSEL::Init_MG7A_infoubic(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG7A_infoubic:", [&] {
    Gstr_SQL_MG7A =
        item_query("MG7A_UBICAZARTFIX", "MG7A", company_code_text(), CodiceArticolo).take();
    open_slot_from_source(Grst_RecSet_MG7A, Gstr_SQL_MG7A);
  });
}

void CLSMG_DORSEL::Init_MG98_INTRA(const std::string& CodiceArticolo) {
  // The label ends in lower case unlike the method's name; hosts match errors on it as it is.
  automation::trap_and_reraise("Init_MG98_intra:", [&] {
    // Intrastat data is kept per option, and the panel shows every option's row.
    Gstr_SQL_MG98 = item_query("MG98_MAGINTRA", "MG98", company_code_text(), CodiceArticolo,
                               /*every_option=*/true)
                        .take();
    open_slot_from_source(Grst_RecSet_MG98, Gstr_SQL_MG98);
  });
}

void CLSMG_DORSEL::Init_MG1Q_nomenclature_INTRA_art(const std::string& CodiceArticolo,
                                                    std::int16_t IndTipo) {
  automation::trap_and_reraise("Init_MG1Q_nomenclature_INTRA_art:", [&] {
    // This query keeps its own spacing (four blanks before the star, the type test on the
    // item's line, no blank after the equals sign): hosts read the slot's text as it is.
    Gstr_SQL_MG1Q =
        SqlText()
            .company_frame("MG1Q_ARTNOMENCLATURE", "MG1Q", company_code_text(), "    * ")
            .line({" AND MG1Q_CODART_MG66 = "})
            .quoted(CodiceArticolo)
            .add({" AND MG1Q_INDTIPO=", std::to_string(IndTipo), " ORDER BY MG1Q_ANNO"})
            .take();
    open_slot_from_source(Grst_RecSet_MG1Q, Gstr_SQL_MG1Q);
  });
}

}  // namespace dorsel
