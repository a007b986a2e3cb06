#include "dorsel/panels/panel_queries.h"

#include <initializer_list>

#include "dorsel/frame/sql_text.h"

namespace dorsel::panels {
namespace {

// A query text, one clause a line, lines joined by CR LF, built in one buffer: a panel builds
// one for every show and refresh.
class Query {
 public:
  Query() { text_.reserve(320); }

  // A line made of `pieces`.
  Query& line(std::initializer_list<std::string_view> pieces) {
    if (!text_.empty()) text_.append(kCrLf);
    for (std::string_view piece : pieces) text_.append(piece);
    return *this;
  }
  // The opening lines of every per-item filter; `code` is the table code (MG67, LI10, ...).
  Query& company(std::string_view code, const QueryValues& v) {
    return line({"WHERE ", code, "_DITTA_CG18 = ", v.company});
  }
  Query& item(std::string_view code, const QueryValues& v) {
    line({"  AND ", code, "_CODART_MG66 = '"});
    append_quoted(text_, v.item);
    text_.push_back('\'');
    return *this;
  }
  Query& base_option(std::string_view code) {
    return line({"  AND ", code, "_OPZIONE_MG5E = ' '"});
  }
  // A line that ends with a quoted text value.
  Query& line_quoting(std::string_view head, std::string_view value) {
    line({head, "'"});
    append_quoted(text_, value);
    text_.push_back('\'');
    return *this;
  }

  // The text, moved out: the query is spent.
  std::string take_text() { return std::move(text_); }

 private:
  std::string text_;
};

constexpr std::string_view kPriceListOrder =
    "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL";

// The select list and joins of the applications panel, up to its WHERE clause. The
// descriptions come from the translations of provider 1029 in the company language; an
// application without one keeps its row with a Null description.
Query applications_head(std::string_view language) {
  Query q;
  q.line({"SELECT MG72_DITTA_CG18, MG72_CODART_MG66, MG72_CODAPPLIC_MG57, "
          "MG0S_DESCRIZIONE AS MG57_DESCRAPPLIC"})
      .line({"FROM MG57_APPLICAZIONI"})
      .line_quoting("LEFT JOIN MG0S_DESLINGUA WITH (NOLOCK) ON MG0S_CODLINGUA_MG52 = ", language)
      .line({"  AND MG0S_PROVID_FW4A = 1029"})
      .line({"  AND MG0S_IDPROV = MG57_IDPROV"})
      .line({"INNER JOIN MG72_APPLICART ON MG57_DITTA_CG18 = MG72_DITTA_CG18"})
      .line({"  AND MG57_CODAPPLIC = MG72_CODAPPLIC_MG57"});
  return q;
}

// The usual per-item panel query: every column of `table`, the company's and the item's rows.
Query item_rows(std::string_view table, std::string_view code, const QueryValues& v) {
  Query q;
  q.line({"SELECT *"}).line({"FROM ", table}).company(code, v).item(code, v);
  return q;
}

}  // namespace

std::string descriptions(const QueryValues& v) {
  return item_rows("MG87_ARTDESC", "MG87", v)
      .base_option("MG87")
      .line({"  AND MG87_LINGUA_MG52 = ' '"})
      .take_text();
}

std::string notes(const QueryValues& v) {
  return item_rows("MG87_ARTDESC", "MG87", v).base_option("MG87").take_text();
}

std::string stock(const QueryValues& v) {
  return item_rows("MG67_SCORTE", "MG67", v).base_option("MG67").take_text();
}

std::string packs(const QueryValues& v) {
  return item_rows("MG68_CONFART", "MG68", v).base_option("MG68").take_text();
}

std::string locations(const QueryValues& v) {
  return item_rows("MG7A_UBICAZARTFIX", "MG7A", v).base_option("MG7A").take_text();
}

std::string intrastat(const QueryValues& v) {
  return item_rows("MG98_MAGINTRA", "MG98", v).take_text();
}

std::string nomenclature(const QueryValues& v) {
  return item_rows("MG1Q_ARTNOMENCLATURE", "MG1Q", v).take_text();
}

std::string price_list_shown(const QueryValues& v, std::string_view side) {
  Query q;
  return q.line({"SELECT ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID, *"})
      .line({"FROM LI10_LISTARTIC"})
      .company("LI10", v)
      .line({"  AND LI10_FLGVENDACQ = ", side})
      .item("LI10", v)
      .base_option("LI10")
      .line({"  AND LI10_DEPOS_MG58 = ' '"})
      .line({kPriceListOrder})
      .take_text();
}

std::string price_list_refreshed(const QueryValues& v, std::string_view side) {
  return item_rows("LI10_LISTARTIC", "LI10", v)
      .line({"  AND LI10_FLGVENDACQ = ", side})
      .line({"  AND LI10_INDTIPOLIS = 0"})
      .base_option("LI10")
      .line({"  AND LI10_DEPOS_MG58 = ' '"})
      .line({kPriceListOrder})
      .take_text();
}

std::string last_prices_shown(const QueryValues& v) {
  return item_rows("LI11_ULTPRACQVEN", "LI11", v).base_option("LI11").take_text();
}

std::string last_prices_refreshed(const QueryValues& v) {
  return item_rows("LI11_ULTPRACQVEN", "LI11", v)
      .line({"  AND LI11_INDTIPOLIS = 0"})
      .base_option("LI11")
      .line({"  AND LI11_DEPOS_MG58 = ' '"})
      .take_text();
}

std::string applications(const QueryValues& v) {
  return applications_head(v.language).company("MG72", v).item("MG72", v).take_text();
}

std::string applications_empty(std::string_view language) {
  // The joined description column stays, so an emptied panel has the shown panel's columns.
  return applications_head(language).line({"WHERE 1=0"}).take_text();
}

std::string variant_parameters(const QueryValues& v) {
  Query q;
  return q.line({"SELECT *"})
      .line({"FROM MG6B_GESVARART"})
      .line({"LEFT OUTER JOIN MG5G_RAGGVAR ON MG6B_DITTA_CG18 = MG5G_DITTA_CG18"})
      .line({"  AND MG6B_CODICEVAR_MG5F = MG5G_CODICEVAR_MG5F"})
      .line({"  AND MG6B_CODRAGGVAR_MG5G = MG5G_CODRAGGVAR"})
      .company("MG6B", v)
      .item("MG6B", v)
      .line({"ORDER BY MG6B_CODICEVAR_MG5F"})
      .take_text();
}

std::string variant_flags(const QueryValues& v) {
  return item_rows("MG6D_FLGTABARTVAR", "MG6D", v).line({"ORDER BY MG6D_PROG"}).take_text();
}

}  // namespace dorsel::panels
