#include "dorsel/panels/panel_queries.h"

#include <initializer_list>

#include "dorsel/frame/sql_text.h"

namespace dorsel::panels {
namespace {

std::string join_lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text.append(kCrLf);
    text.append(line);
  }
  return text;
}

std::string quoted(std::string_view value) { return "'" + sql_quote(value) + "'"; }

// The opening lines of every per-item filter; `code` is the table code (MG67, LI10, ...).
std::string company_line(std::string_view code, const QueryValues& v) {
  return "WHERE " + std::string(code) + "_DITTA_CG18 = " + v.company;
}
std::string item_line(std::string_view code, const QueryValues& v) {
  return "  AND " + std::string(code) + "_CODART_MG66 = " + quoted(v.item);
}
std::string base_option_line(std::string_view code) {
  return "  AND " + std::string(code) + "_OPZIONE_MG5E = ' '";
}

constexpr std::string_view kPriceListOrder =
    "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL";

// The select list and joins of the applications panel, up to its WHERE clause. The
// descriptions come from the translations of provider 1029 in the company language; an
// application without one keeps its row with a Null description.
std::string applications_head(std::string_view language) {
  return join_lines({
      "SELECT MG72_DITTA_CG18, MG72_CODART_MG66, MG72_CODAPPLIC_MG57, "
      "MG0S_DESCRIZIONE AS MG57_DESCRAPPLIC",
      "FROM MG57_APPLICAZIONI",
      "LEFT JOIN MG0S_DESLINGUA WITH (NOLOCK) ON MG0S_CODLINGUA_MG52 = " + quoted(language),
      "  AND MG0S_PROVID_FW4A = 1029",
      "  AND MG0S_IDPROV = MG57_IDPROV",
      "INNER JOIN MG72_APPLICART ON MG57_DITTA_CG18 = MG72_DITTA_CG18",
      "  AND MG57_CODAPPLIC = MG72_CODAPPLIC_MG57",
  });
}

}  // namespace

std::string descriptions(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG87_ARTDESC", company_line("MG87", v), item_line("MG87", v),
                     base_option_line("MG87"), "  AND MG87_LINGUA_MG52 = ' '"});
}

std::string notes(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG87_ARTDESC", company_line("MG87", v), item_line("MG87", v),
                     base_option_line("MG87")});
}

std::string stock(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG67_SCORTE", company_line("MG67", v), item_line("MG67", v),
                     base_option_line("MG67")});
}

std::string packs(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG68_CONFART", company_line("MG68", v), item_line("MG68", v),
                     base_option_line("MG68")});
}

std::string locations(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG7A_UBICAZARTFIX", company_line("MG7A", v),
                     item_line("MG7A", v), base_option_line("MG7A")});
}

std::string intrastat(const QueryValues& v) {
  return join_lines(
      {"SELECT *", "FROM MG98_MAGINTRA", company_line("MG98", v), item_line("MG98", v)});
}

std::string nomenclature(const QueryValues& v) {
  return join_lines(
      {"SELECT *", "FROM MG1Q_ARTNOMENCLATURE", company_line("MG1Q", v), item_line("MG1Q", v)});
}

std::string price_list_shown(const QueryValues& v, std::string_view side) {
  return join_lines({"SELECT ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID, *",
                     "FROM LI10_LISTARTIC", company_line("LI10", v),
                     "  AND LI10_FLGVENDACQ = " + std::string(side), item_line("LI10", v),
                     base_option_line("LI10"), "  AND LI10_DEPOS_MG58 = ' '",
                     std::string(kPriceListOrder)});
}

std::string price_list_refreshed(const QueryValues& v, std::string_view side) {
  return join_lines({"SELECT *", "FROM LI10_LISTARTIC", company_line("LI10", v),
                     item_line("LI10", v), "  AND LI10_FLGVENDACQ = " + std::string(side),
                     "  AND LI10_INDTIPOLIS = 0", base_option_line("LI10"),
                     "  AND LI10_DEPOS_MG58 = ' '", std::string(kPriceListOrder)});
}

std::string last_prices_shown(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM LI11_ULTPRACQVEN", company_line("LI11", v),
                     item_line("LI11", v), base_option_line("LI11")});
}

std::string last_prices_refreshed(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM LI11_ULTPRACQVEN", company_line("LI11", v),
                     item_line("LI11", v), "  AND LI11_INDTIPOLIS = 0", base_option_line("LI11"),
                     "  AND LI11_DEPOS_MG58 = ' '"});
}

std::string applications(const QueryValues& v) {
  return join_lines({applications_head(v.language), company_line("MG72", v), item_line("MG72", v)});
}

std::string applications_empty(std::string_view language) {
  // The joined description column stays, so an emptied panel has the shown panel's columns.
  return join_lines({applications_head(language), "WHERE 1=0"});
}

std::string variant_parameters(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG6B_GESVARART",
                     "LEFT OUTER JOIN MG5G_RAGGVAR ON MG6B_DITTA_CG18 = MG5G_DITTA_CG18",
                     "  AND MG6B_CODICEVAR_MG5F = MG5G_CODICEVAR_MG5F",
                     "  AND MG6B_CODRAGGVAR_MG5G = MG5G_CODRAGGVAR", company_line("MG6B", v),
                     item_line("MG6B", v), "ORDER BY MG6B_CODICEVAR_MG5F"});
}

std::string variant_flags(const QueryValues& v) {
  return join_lines({"SELECT *", "FROM MG6D_FLGTABARTVAR", company_line("MG6D", v),
                     item_line("MG6D", v), "ORDER BY MG6D_PROG"});
}

}  // namespace dorsel::panels
