#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

// What each panel shows, clears and refreshes is pinned by the session scripts
// panels_show_clear.jsonl and panels_refresh.jsonl; here, the order of the Intrastat
// statements, names outside the tables, the calls without a host checked against every slot at
// once, and recordsets only a test in the process can hand over.
namespace {

using test_support::error_of;

using test_support::column_text;
using test_support::crlf_lines;
using Slot = data::RecordsetPtr dorsel::CLSMG_DORSEL::*;
using Query = std::string dorsel::CLSMG_DORSEL::*;
using C = dorsel::CLSMG_DORSEL;

class PanelsShowClearTest : public test_support::ComponentTest {
 protected:
  // What a host does before it drives the panels: Initialize and every loader.
  void load(const std::string& item) {
    component->Initialize();
    component->Init_MG87_note(item);
    component->Init_MG67_scorte(item);
    component->Init_MG68_confezioni(item);
    component->Init_MG7A_infoubic(item);
    component->Init_MG98_INTRA(item);
    component->Init_MG1Q_nomenclature_INTRA_art(item, 0);
    component->Init_LI10(item, "0");
    component->Init_LI10(item, "1");
    component->Init_LI11_ultimi(item, "");
    component->Init_MG72_applicazioni();
    component->Init_MG6B_parametrivarianti();
    component->Init_MG6D_flagvarianti();
  }

  void insert_panel_rows();

  // Every query slot and every recordset slot (object and content), as one text.
  std::string snapshot() {
    std::string text;
    for (Query q : {&C::Gstr_SQL_MG66, &C::Gstr_SQL_MG72, &C::Gstr_SQL_MG87descr,
                    &C::Gstr_SQL_MG87note, &C::Gstr_SQL_MG67, &C::Gstr_SQL_MG68, &C::Gstr_SQL_MG7A,
                    &C::Gstr_SQL_MG98, &C::Gstr_SQL_MG6B, &C::Gstr_SQL_MG6D, &C::Gstr_SQL_LI10Ven,
                    &C::Gstr_SQL_LI10Acq, &C::Gstr_SQL_LI11, &C::Gstr_SQL_MG1Q}) {
      text += (*component).*q + "\n";
    }
    for (Slot s :
         {&C::Grst_RecSet_MG87descr, &C::Grst_RecSet_MG87note, &C::Grst_RecSet_MG67,
          &C::Grst_RecSet_MG68, &C::Grst_RecSet_MG7A, &C::Grst_RecSet_MG72, &C::Grst_RecSet_MG98,
          &C::Grst_RecSet_MG6D, &C::Grst_RecSet_MG6B, &C::Grst_RecSet_MG1Q, &C::Grst_RecSet_LI10Ven,
          &C::Grst_RecSet_LI10Ven_append, &C::Grst_RecSet_LI10Acq, &C::Grst_RecSet_LI10Acq_append,
          &C::Grst_RecSet_LI11, &C::Grst_RecSet_LI11_append}) {
      const data::RecordsetPtr& rs = (*component).*s;
      text += rs ? std::to_string(reinterpret_cast<std::uintptr_t>(rs.get())) + "\n" +
                       test_support::recordset_text(*rs)
                 : "(none)";
      text += "\n";
    }
    return text;
  }
};

// The values of a column in sorted order, for queries that fix no order.
std::string sorted_column(data::Recordset& rs, const char* column) {
  std::vector<std::string> parts;
  std::istringstream values(column_text(rs, column));
  for (std::string part; std::getline(values, part, ',');) parts.push_back(part);
  std::sort(parts.begin(), parts.end());
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ",") + p;
  return out;
}

std::string applications_head(const std::string& language) {
  return crlf_lines(
      {// One line of the statement, split for width.
       // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
       "SELECT MG72_DITTA_CG18, MG72_CODART_MG66, MG72_CODAPPLIC_MG57, "
       "MG0S_DESCRIZIONE AS MG57_DESCRAPPLIC",
       "FROM MG57_APPLICAZIONI",
       "LEFT JOIN MG0S_DESLINGUA WITH (NOLOCK) ON MG0S_CODLINGUA_MG52 = '" + language + "'",
       "  AND MG0S_PROVID_FW4A = 1029", "  AND MG0S_IDPROV = MG57_IDPROV",
       "INNER JOIN MG72_APPLICART ON MG57_DITTA_CG18 = MG72_DITTA_CG18",
       "  AND MG57_CODAPPLIC = MG72_CODAPPLIC_MG57"});
}

// Rows of item A1 that each panel must select, beside rows it must not: other options,
// deposits, list types, items and companies.
void PanelsShowClearTest::insert_panel_rows() {
  exec(
      "INSERT INTO MG87_ARTDESC (MG87_DITTA_CG18, MG87_CODART_MG66, MG87_OPZIONE_MG5E, "
      "MG87_LINGUA_MG52, MG87_DESCART) VALUES (1, 'A1', ' ', ' ', 'descr'), "
      "(1, 'A1', ' ', 'ENG ', 'note'), (1, 'A1', 'V1', ' ', 'variant'), "
      "(2, 'A1', ' ', ' ', 'company 2'), (1, 'A2', ' ', ' ', 'item 2')");
  for (const char* table : {"MG67_SCORTE", "MG7A_UBICAZARTFIX"}) {
    std::string code = std::string(table).substr(0, 4);
    exec("INSERT INTO " + std::string(table) + " (" + code + "_DITTA_CG18, " + code +
         "_CODART_MG66, " + code + "_OPZIONE_MG5E, " + code + "_DEPOS_MG58) VALUES " +
         "(1, 'A1', ' ', '01'), (1, 'A1', 'V1', '02'), (1, 'A2', ' ', '03'), (2, 'A1', ' ', '04')");
  }
  exec(
      "INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, MG68_OPZIONE_MG5E, "
      "MG68_CODCONF) VALUES (1, 'A1', ' ', 'C6'), (1, 'A1', 'V1', 'C12'), (1, 'A2', ' ', 'C1')");
  exec(
      "INSERT INTO MG98_MAGINTRA (MG98_DITTA_CG18, MG98_CODART_MG66, MG98_OPZIONE_MG5E, "
      "MG98_CODNOMENC) VALUES (1, 'A1', ' ', 'N1'), (1, 'A1', 'V1', 'N2'), (1, 'A2', ' ', 'N3')");
  exec(
      "INSERT INTO MG1Q_ARTNOMENCLATURE (MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, "
      "MG1Q_INDTIPO, MG1Q_CODICE) VALUES (1, 'A1', 2019, 0, 'H1'), (1, 'A1', 2020, 1, 'H2'), "
      "(2, 'A1', 2019, 0, 'H3')");
  exec(
      "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_INDTIPOLIS, "
      "LI10_CODART_MG66, LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL, "
      "LI10_PREZZO) VALUES (1, 0, 0, 'A1', ' ', ' ', 2, '2024-01-01', 20), "
      "(1, 0, 1, 'A1', ' ', ' ', 1, '2024-01-01', 10), (1, 0, 0, 'A1', ' ', '01', 3, "
      "'2024-01-01', 30), (1, 1, 0, 'A1', ' ', ' ', 4, '2024-01-01', 40), "
      "(1, 0, 0, 'A1', 'V1', ' ', 5, '2024-01-01', 50)");
  exec(
      "INSERT INTO LI11_ULTPRACQVEN (LI11_DITTA_CG18, LI11_FLGVENACQ, LI11_INDTIPOLIS, "
      "LI11_CODART_MG66, LI11_OPZIONE_MG5E, LI11_DEPOS_MG58, LI11_PROG) VALUES "
      "(1, 0, 0, 'A1', ' ', ' ', 1), (1, 1, 0, 'A1', ' ', '01', 2), (1, 0, 1, 'A1', ' ', ' ', 3), "
      "(1, 0, 0, 'A1', 'V1', ' ', 4), (1, 0, 0, 'A2', ' ', ' ', 5)");
  exec("INSERT INTO MG57_APPLICAZIONI VALUES (1, 'AUTO', 101), (1, 'EDIL', 102)");
  exec(
      "INSERT INTO MG0S_DESLINGUA VALUES (1029, 101, 'ITA ', 'Automotive'), "
      "(1029, 102, 'ENG ', 'Building'), (1030, 102, 'ITA ', 'other provider')");
  exec("INSERT INTO MG72_APPLICART VALUES (1, 'A1', 'AUTO'), (1, 'A1', 'EDIL'), (1, 'A2', 'AUTO')");
  exec("INSERT INTO MG5G_RAGGVAR VALUES (1, 'COLORE', 'BASE', 'Colori di base')");
  exec(
      "INSERT INTO MG6B_GESVARART (MG6B_DITTA_CG18, MG6B_CODART_MG66, MG6B_CODICEVAR_MG5F, "
      "MG6B_CODRAGGVAR_MG5G) VALUES (1, 'A1', 'FORMATO', NULL), (1, 'A1', 'COLORE', 'BASE'), "
      "(1, 'A2', 'COLORE', 'BASE')");
  exec(
      "INSERT INTO MG6D_FLGTABARTVAR (MG6D_DITTA_CG18, MG6D_CODART_MG66, MG6D_PROG, "
      "MG6D_CODTAB) VALUES (1, 'A1', 2, 'T2'), (1, 'A1', 1, 'T1'), (1, 'A2', 1, 'T9')");
}

TEST_F(PanelsShowClearTest, ShowOfTheIntrastatPanelOpensDataThenHistory) {
  insert_panel_rows();
  load("A2");
  {
    test_support::StatementLog log(*connection);
    component->ShowChild("A1", "FRMUC_INTRA");
    EXPECT_EQ(log.statements(),
              (std::vector<std::string>{component->Gstr_SQL_MG98, component->Gstr_SQL_MG1Q}));
  }
  // A failing history leaves the data already re-opened for the new item.
  test_support::drop_table(*connection, "MG1Q_ARTNOMENCLATURE");
  automation::Error error = error_of([&] { component->ShowChild("A2", "FRMUC_INTRA"); });
  EXPECT_TRUE(error.source().starts_with("ShowChild:\r\n")) << error.source();
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG98, "MG98_CODNOMENC"), "N3");
  EXPECT_NE(component->Gstr_SQL_MG1Q.find("'A2'"), std::string::npos);
  EXPECT_EQ(component->Grst_RecSet_MG1Q->State(), data::kStateClosed);
}

TEST_F(PanelsShowClearTest, NamesOutsideAMethodsTableTouchNothing) {
  insert_panel_rows();
  load("A1");
  component->ShowChild("A1", "FRMUC_LISTINI_VEN");
  const std::string before = snapshot();
  struct Case {
    const char* method;
    std::function<void(const std::string&)> call;
    std::vector<std::string> names;
  };
  const std::vector<std::string> misspelt = {"frmuc_scorte", "FRMUC_SCORTE ", " FRMUC_SCORTE",
                                             "Applicazioni", ""};
  auto with = [&](std::vector<std::string> extra) {
    extra.insert(extra.end(), misspelt.begin(), misspelt.end());
    return extra;
  };
  const Case cases[] = {
      // Names only refresh knows are unknown here, and the reverse.
      {"ShowChild", [&](const std::string& n) { component->ShowChild("A2", n); },
       with({"FRMUC_BASE", "FRMUC_CPARTFLAFG", "FRMUC_LISTINI_ULP_V", "FRMUC_LISTINI_ULP_A"})},
      {"ClearChild", [&](const std::string& n) { component->ClearChild(n); },
       with({"FRMUC_BASE", "FRMUC_CPARTFLAFG", "FRMUC_LISTINI_ULP_V", "FRMUC_LISTINI_ULP_A"})},
      {"RefreshChild", [&](const std::string& n) { component->RefreshChild("A2", n); },
       with({"FRMUC_LISTINI_ULP", "FRMUC_BASE", "FRMUC_CPARTFLAFG"})},
  };
  for (const Case& t : cases) {
    for (const std::string& name : t.names) {
      SCOPED_TRACE(std::string(t.method) + " \"" + name + "\"");
      EXPECT_NO_THROW(t.call(name));
      EXPECT_EQ(snapshot(), before);
    }
  }
}

TEST_F(PanelsShowClearTest, WithoutHostShowFailsAndClearUsesItalian) {
  insert_panel_rows();
  load("A1");
  host->company().set_language("ENG ");
  component->ClearChild("APPLICAZIONI");
  EXPECT_EQ(component->Gstr_SQL_MG72, applications_head("ENG ") + "\r\nWHERE 1=0");
  component->ShowChild("A1", "APPLICAZIONI");
  EXPECT_EQ(sorted_column(*component->Grst_RecSet_MG72, "MG57_DESCRAPPLIC"), "Building,NULL");

  component->SetActiveInterface(automation::Variant::nothing());
  for (const char* panel :
       {"FRMMG_DORSEL_DESCR", "FRMUC_NOTE", "FRMUC_SCORTE", "FRMUC_CONFEZIONI", "FRMUC_INFOUBIC",
        "FRMUC_INTRA", "FRMUC_LISTINI_ACQ", "FRMUC_LISTINI_VEN", "FRMUC_LISTINI_ULP",
        "APPLICAZIONI", "GEST_VARIANTI", "FLAG_VARIANTI"}) {
    SCOPED_TRACE(panel);
    const std::string before = snapshot();
    automation::Error error = error_of([&] { component->ShowChild("A2", panel); });
    EXPECT_EQ(error.number(), automation::errc::kObjectVariableNotSet);
    EXPECT_TRUE(error.source().starts_with("ShowChild:\r\n")) << error.source();
    EXPECT_EQ(snapshot(), before);
    EXPECT_NO_THROW(component->ClearChild(panel));
  }
  EXPECT_EQ(component->Gstr_SQL_MG72, applications_head("ITA ") + "\r\nWHERE 1=0");
  EXPECT_EQ(component->Grst_RecSet_MG72->Fields().Count(), 4);
}

TEST_F(PanelsShowClearTest, UncountableRecordsetsOnlyGetTheQuery) {
  exec(
      "INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, MG68_OPZIONE_MG5E, "
      "MG68_CODCONF) VALUES (1, 'OLD', ' ', 'C6')");
  // A forward-only cursor cannot count its rows (-1): they are left as they are.
  component->Grst_RecSet_MG68 = data::Recordset::create();
  component->Grst_RecSet_MG68->Open(automation::Variant("SELECT * FROM MG68_CONFART"),
                                    automation::Variant(automation::ObjectPtr(connection)),
                                    data::CursorTypeEnum::kForwardOnly,
                                    data::LockTypeEnum::kBatchOptimistic);
  component->RefreshChild("NEW", "FRMUC_CONFEZIONI");
  EXPECT_NE(component->Gstr_SQL_MG68.find("'NEW'"), std::string::npos);
  EXPECT_EQ(component->Grst_RecSet_MG68->Fields().Item("MG68_CODART_MG66").Value().as_string(),
            "OLD");
}

TEST_F(PanelsShowClearTest, ViewErrorCarriesBothLabelsAfterTheRekey) {
  component->Initialize();
  // Rows that carry the keys but not the columns the view copies.
  auto rows = data::Recordset::create();
  for (const char* column : {"LI10_DITTA_CG18", "LI10_FLGVENDACQ", "LI10_INDTIPOLIS",
                             "LI10_CODART_MG66", "LI10_OPZIONE_MG5E", "LI10_DEPOS_MG58"}) {
    rows->Fields().Append(column, data::DataType::kVariant);
  }
  rows->Open();
  rows->AddNew();
  rows->Update();
  component->Grst_RecSet_LI10Ven = rows;
  automation::Error error = error_of([&] { component->RefreshChild("NEW", "FRMUC_LISTINI_VEN"); });
  EXPECT_EQ(error.number(), 3265);
  EXPECT_TRUE(error.source().starts_with("RefreshChild:\r\nInitializeRecordsetLI10Ven:\r\n"))
      << error.source();
  EXPECT_EQ(column_text(*rows, "LI10_CODART_MG66"), "NEW");
}

TEST_F(PanelsShowClearTest, WithoutHostEveryCaseFailsBeforeItsQuery) {
  exec(
      "INSERT INTO MG98_MAGINTRA (MG98_DITTA_CG18, MG98_CODART_MG66, MG98_OPZIONE_MG5E) "
      "VALUES (1, 'OLD', ' ')");
  load("OLD");
  component->SetActiveInterface(automation::Variant::nothing());

  const struct {
    const char* panel;
    Query query;
  } cases[] = {
      {"FRMMG_DORSEL_DESCR", &C::Gstr_SQL_MG87descr},
      {"FRMUC_SCORTE", &C::Gstr_SQL_MG67},
      {"FRMUC_CONFEZIONI", &C::Gstr_SQL_MG68},
      {"FRMUC_INFOUBIC", &C::Gstr_SQL_MG7A},
      {"FRMUC_INTRA", &C::Gstr_SQL_MG1Q},
      {"FRMUC_LISTINI_ACQ", &C::Gstr_SQL_LI10Acq},
      {"FRMUC_LISTINI_VEN", &C::Gstr_SQL_LI10Ven},
      {"FRMUC_LISTINI_ULP_V", &C::Gstr_SQL_LI11},
      {"FRMUC_LISTINI_ULP_A", &C::Gstr_SQL_LI11},
      {"FRMUC_NOTE", &C::Gstr_SQL_MG87note},
      {"APPLICAZIONI", &C::Gstr_SQL_MG72},
      {"GEST_VARIANTI", &C::Gstr_SQL_MG6B},
      {"FLAG_VARIANTI", &C::Gstr_SQL_MG6D},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.panel);
    const std::string before = (*component).*t.query;
    automation::Error error = error_of([&] { component->RefreshChild("NEW", t.panel); });
    EXPECT_EQ(error.number(), automation::errc::kObjectVariableNotSet);
    EXPECT_TRUE(error.source().starts_with("RefreshChild:\r\n")) << error.source();
    EXPECT_EQ((*component).*t.query, before);
  }
  // The Intrastat row was re-keyed before the company was needed.
  EXPECT_EQ(component->Grst_RecSet_MG98->Fields().Item("MG98_CODART_MG66").Value().as_string(),
            "NEW");
  for (const char* known_and_idle : {"FRMUC_BASE", "FRMUC_CPARTFLAFG"}) {
    EXPECT_NO_THROW(component->RefreshChild("NEW", known_and_idle));
  }
}

}  // namespace
