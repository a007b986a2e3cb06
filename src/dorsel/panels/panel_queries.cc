#include "dorsel/panels/panel_queries.h"

#include "dorsel/frame/sql_text.h"

namespace dorsel::panels {
namespace {

constexpr std::string_view kPriceListOrder =
    "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL";

// The opening lines of every per-item filter; `code` is the table code (MG67, LI10, ...).
SqlText& company_and_item(SqlText& q, std::string_view code, const QueryValues& v) {
  return q.line({"WHERE ", code, "_DITTA_CG18 = "})
      .number(v.company)
      .line({"  AND ", code, "_CODART_MG66 = "})
      .quoted(v.item);
}

// The select list and joins of the applications panel, up to its WHERE clause. The
// descriptions come from the translations of provider 1029 in the company language; an
// application without one keeps its row with a Null description.
SqlText applications_head(std::string_view language) {
  SqlText q;
  q.line({"SELECT MG72_DITTA_CG18, MG72_CODART_MG66, MG72_CODAPPLIC_MG57, "
          "MG0S_DESCRIZIONE AS MG57_DESCRAPPLIC"})
      .line({"FROM MG57_APPLICAZIONI"})
      .line({"LEFT JOIN MG0S_DESLINGUA WITH (NOLOCK) ON MG0S_CODLINGUA_MG52 = "})
      .quoted(language)
      .line({"  AND MG0S_PROVID_FW4A = 1029"})
      .line({"  AND MG0S_IDPROV = MG57_IDPROV"})
      .line({"INNER JOIN MG72_APPLICART ON MG57_DITTA_CG18 = MG72_DITTA_CG18"})
      .line({"  AND MG57_CODAPPLIC = MG72_CODAPPLIC_MG57"});
  return q;
}

// The usual per-item panel query: every column of `table`, the company's and the item's rows,
// of the base option only unless `every_option`.
SqlText item_rows(std::string_view table, std::string_view code, const QueryValues& v,
                  bool every_option = false) {
  SqlText q;
  company_and_item(q.line({"SELECT *"}).line({"FROM ", table}), code, v);
  if (!every_option) q.line({"  AND ", code, "_OPZIONE_MG5E = ' '"});
  return q;
}

}  // namespace

std::string descriptions(const QueryValues& v) {
  return item_rows("MG87_ARTDESC", "MG87", v).line({"  AND MG87_LINGUA_MG52 = ' '"}).take();
}

std::string notes(const QueryValues& v) { return item_rows("MG87_ARTDESC", "MG87", v).take(); }

std::string stock(const QueryValues& v) { return item_rows("MG67_SCORTE", "MG67", v).take(); }

std::string packs(const QueryValues& v) { return item_rows("MG68_CONFART", "MG68", v).take(); }

std::string locations(const QueryValues& v) {
  return item_rows("MG7A_UBICAZARTFIX", "MG7A", v).take();
}

std::string intrastat(const QueryValues& v) {
  return item_rows("MG98_MAGINTRA", "MG98", v, /*every_option=*/true).take();
}

std::string nomenclature(const QueryValues& v) {
  return item_rows("MG1Q_ARTNOMENCLATURE", "MG1Q", v, /*every_option=*/true).take();
}

std::string price_list_shown(const QueryValues& v, std::string_view side) {
  SqlText q;
  return q.line({"SELECT ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID, *"})
      .line({"FROM LI10_LISTARTIC"})
      .line({"WHERE LI10_DITTA_CG18 = "})
      .number(v.company)
      .line({"  AND LI10_FLGVENDACQ = ", side})
      .line({"  AND LI10_CODART_MG66 = "})
      .quoted(v.item)
      .line({"  AND LI10_OPZIONE_MG5E = ' '"})
      .line({"  AND LI10_DEPOS_MG58 = ' '"})
      .line({kPriceListOrder})
      .take();
}

std::string price_list_refreshed(const QueryValues& v, std::string_view side) {
  return item_rows("LI10_LISTARTIC", "LI10", v, /*every_option=*/true)
      .line({"  AND LI10_FLGVENDACQ = ", side})
      .line({"  AND LI10_INDTIPOLIS = 0"})
      .line({"  AND LI10_OPZIONE_MG5E = ' '"})
      .line({"  AND LI10_DEPOS_MG58 = ' '"})
      .line({kPriceListOrder})
      .take();
}

std::string last_prices_shown(const QueryValues& v) {
  return item_rows("LI11_ULTPRACQVEN", "LI11", v).take();
}

std::string last_prices_refreshed(const QueryValues& v) {
  return item_rows("LI11_ULTPRACQVEN", "LI11", v, /*every_option=*/true)
      .line({"  AND LI11_INDTIPOLIS = 0"})
      .line({"  AND LI11_OPZIONE_MG5E = ' '"})
      .line({"  AND LI11_DEPOS_MG58 = ' '"})
      .take();
}

std::string applications(const QueryValues& v) {
  SqlText q = applications_head(v.language);
  return company_and_item(q, "MG72", v).take();
}

std::string applications_empty(std::string_view language) {
  // The joined description column stays, so an emptied panel has the shown panel's columns.
  return applications_head(language).line({"WHERE 1=0"}).take();
}

std::string variant_parameters(const QueryValues& v) {
  SqlText q;
  q.line({"SELECT *"})
      .line({"FROM MG6B_GESVARART"})
      .line({"LEFT OUTER JOIN MG5G_RAGGVAR ON MG6B_DITTA_CG18 = MG5G_DITTA_CG18"})
      .line({"  AND MG6B_CODICEVAR_MG5F = MG5G_CODICEVAR_MG5F"})
      .line({"  AND MG6B_CODRAGGVAR_MG5G = MG5G_CODRAGGVAR"});
  return company_and_item(q, "MG6B", v).line({"ORDER BY MG6B_CODICEVAR_MG5F"}).take();
}

std::string variant_flags(const QueryValues& v) {
  return item_rows("MG6D_FLGTABARTVAR", "MG6D", v, /*every_option=*/true)
      .line({"ORDER BY MG6D_PROG"})
      .take();
}

}  // namespace dorsel::panels
