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

// CR LF, " AND <column> = '<code>' ": the item condition of every per-item loader.
std::string item_condition(std::string_view code_column, const std::string& item_code) {
  std::string sql(kCrLf);
  sql.append(" AND ").append(code_column).append(" = '").append(sql_quote(item_code)).append("' ");
  return sql;
}

// The base option only (a single blank), not the item's variants.
std::string base_option_condition(std::string_view option_column) {
  std::string sql(kCrLf);
  sql.append(" AND ").append(option_column).append(" = ' ' ");
  return sql;
}

// The panels need these tables' column layout before any item is chosen; the fixed condition
// selects no row.
constexpr std::string_view kNoRowLine = "     AND 1 = 0";

}  // namespace

void CLSMG_DORSEL::Init_MG6B_parametrivarianti() {
  automation::trap_and_reraise("Init_MG6B_parametrivarianti:", [&] {
    Gstr_SQL_MG6B = company_query_frame("MG6B_GESVARART", "MG6B_DITTA_CG18", company_code_text()) +
                    std::string(kCrLf) + std::string(kNoRowLine);
    open_slot_from_source(Grst_RecSet_MG6B, Gstr_SQL_MG6B);
  });
}

void CLSMG_DORSEL::Init_MG72_applicazioni() {
  automation::trap_and_reraise("Init_MG72_applicazioni:", [&] {
    Gstr_SQL_MG72 = company_query_frame("MG72_APPLICART", "MG72_DITTA_CG18", company_code_text()) +
                    std::string(kCrLf) + std::string(kNoRowLine);
    open_slot_from_source(Grst_RecSet_MG72, Gstr_SQL_MG72);
  });
}

void CLSMG_DORSEL::Init_MG6D_flagvarianti() {
  automation::trap_and_reraise("Init_MG6D_flagvarianti:", [&] {
    Gstr_SQL_MG6D =
        company_query_frame("MG6D_FLGTABARTVAR", "MG6D_DITTA_CG18", company_code_text()) +
        std::string(kCrLf) + std::string(kNoRowLine);
    open_slot_from_source(Grst_RecSet_MG6D, Gstr_SQL_MG6D);
  });
}

void CLSMG_DORSEL::Init_MG87_note(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG87_note:", [&] {
    // The code goes in as given: trailing blanks are part of what the host asked for.
    Gstr_SQL_MG87note =
        company_query_frame("MG87_ARTDESC", "MG87_DITTA_CG18", company_code_text()) +
        item_condition("MG87_CODART_MG66", CodiceArticolo) +
        base_option_condition("MG87_OPZIONE_MG5E") + std::string(kCrLf) +
        " ORDER BY MG87_LINGUA_MG52";
    open_slot_from_source(Grst_RecSet_MG87note, Gstr_SQL_MG87note);
  });
}

void CLSMG_DORSEL::Init_MG67_scorte(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG67_scorte:", [&] {
    Gstr_SQL_MG67 = company_query_frame("MG67_SCORTE", "MG67_DITTA_CG18", company_code_text()) +
                    item_condition("MG67_CODART_MG66", CodiceArticolo) +
                    base_option_condition("MG67_OPZIONE_MG5E");
    open_slot_from_source(Grst_RecSet_MG67, Gstr_SQL_MG67);
  });
}

void CLSMG_DORSEL::Init_MG68_confezioni(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG68_confezioni:", [&] {
    Gstr_SQL_MG68 = company_query_frame("MG68_CONFART", "MG68_DITTA_CG18", company_code_text()) +
                    item_condition("MG68_CODART_MG66", CodiceArticolo) +
                    base_option_condition("MG68_OPZIONE_MG5E");
    open_slot_from_source(Grst_RecSet_MG68, Gstr_SQL_MG68);
  });
}

void CLSMG_DORSEL::Init_MG7A_infoubic(const std::string& CodiceArticolo) {
  automation::trap_and_reraise("Init_MG7A_infoubic:", [&] {
    Gstr_SQL_MG7A =
        company_query_frame("MG7A_UBICAZARTFIX", "MG7A_DITTA_CG18", company_code_text()) +
        item_condition("MG7A_CODART_MG66", CodiceArticolo) +
        base_option_condition("MG7A_OPZIONE_MG5E");
    open_slot_from_source(Grst_RecSet_MG7A, Gstr_SQL_MG7A);
  });
}

void CLSMG_DORSEL::Init_MG98_INTRA(const std::string& CodiceArticolo) {
  // The label ends in lower case unlike the method's name; hosts match errors on it as it is.
  automation::trap_and_reraise("Init_MG98_intra:", [&] {
    // Intrastat data is kept per option, and the panel shows every option's row.
    Gstr_SQL_MG98 = company_query_frame("MG98_MAGINTRA", "MG98_DITTA_CG18", company_code_text()) +
                    item_condition("MG98_CODART_MG66", CodiceArticolo);
    open_slot_from_source(Grst_RecSet_MG98, Gstr_SQL_MG98);
  });
}

void CLSMG_DORSEL::Init_MG1Q_nomenclature_INTRA_art(const std::string& CodiceArticolo,
                                                    std::int16_t IndTipo) {
  automation::trap_and_reraise("Init_MG1Q_nomenclature_INTRA_art:", [&] {
    // This query keeps its own spacing (four blanks before the star, the type test on the
    // item's line, no blank after the equals sign): hosts read the slot's text as it is.
    std::string sql = company_query_frame("MG1Q_ARTNOMENCLATURE", "MG1Q_DITTA_CG18",
                                          company_code_text(), "    * ");
    sql.append(kCrLf)
        .append(" AND MG1Q_CODART_MG66 = '")
        .append(sql_quote(CodiceArticolo))
        .append("' AND MG1Q_INDTIPO=")
        .append(std::to_string(IndTipo))
        .append(" ORDER BY MG1Q_ANNO");
    Gstr_SQL_MG1Q = std::move(sql);
    open_slot_from_source(Grst_RecSet_MG1Q, Gstr_SQL_MG1Q);
  });
}

}  // namespace dorsel
