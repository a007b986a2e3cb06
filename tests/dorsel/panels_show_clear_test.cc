#include <cstdint>
#include <functional>
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
using Slot = data::RecordsetPtr dorsel::CLSMG_DORSEL::*;
using Query = std::string dorsel::CLSMG_DORSEL::*;
using C = dorsel::CLSMG_DORSEL;

class PanelsShowClearTest : public test_support::ComponentTest {
 protected:
  PanelsShowClearTest() : ComponentTest(/*with_demo=*/true) {}
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

TEST_F(PanelsShowClearTest, ShowOfTheIntrastatPanelOpensDataThenHistory) {
  load("DADO-M6");
  {
    test_support::StatementLog log(*connection);
    component->ShowChild("VITE-M6X20", "FRMUC_INTRA");
    EXPECT_EQ(log.statements(),
              (std::vector<std::string>{component->Gstr_SQL_MG98, component->Gstr_SQL_MG1Q}));
  }
  // A failing history leaves the data already re-opened for the new item.
  test_support::drop_table(*connection, "MG1Q_ARTNOMENCLATURE");
  automation::Error error = error_of([&] { component->ShowChild("DADO-M6", "FRMUC_INTRA"); });
  EXPECT_TRUE(error.source().starts_with("ShowChild:\r\n")) << error.source();
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG98, "MG98_CODNOMENC"), "73181630");
  EXPECT_NE(component->Gstr_SQL_MG1Q.find("'DADO-M6'"), std::string::npos);
  EXPECT_EQ(component->Grst_RecSet_MG1Q->State(), data::kStateClosed);
}

TEST_F(PanelsShowClearTest, NamesOutsideAMethodsTableTouchNothing) {
  load("VITE-M6X20");
  component->ShowChild("VITE-M6X20", "FRMUC_LISTINI_VEN");
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
      {"ShowChild", [&](const std::string& n) { component->ShowChild("DADO-M6", n); },
       with({"FRMUC_BASE", "FRMUC_CPARTFLAFG", "FRMUC_LISTINI_ULP_V", "FRMUC_LISTINI_ULP_A"})},
      {"ClearChild", [&](const std::string& n) { component->ClearChild(n); },
       with({"FRMUC_BASE", "FRMUC_CPARTFLAFG", "FRMUC_LISTINI_ULP_V", "FRMUC_LISTINI_ULP_A"})},
      {"RefreshChild", [&](const std::string& n) { component->RefreshChild("DADO-M6", n); },
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

TEST_F(PanelsShowClearTest, UncountableRecordsetsOnlyGetTheQuery) {
  exec(
      "INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, MG68_OPZIONE_MG5E, "
      "MG68_CODCONF) VALUES (1, 'OLD', ' ', 'C6')");
  // A forward-only cursor cannot count its rows (-1): they are left as they are.
  component->Grst_RecSet_MG68 = data::Recordset::create();
  component->Grst_RecSet_MG68->Open(
      automation::Variant("SELECT * FROM MG68_CONFART WHERE MG68_CODART_MG66 = 'OLD'"),
      automation::Variant(automation::ObjectPtr(connection)), data::CursorTypeEnum::kForwardOnly,
      data::LockTypeEnum::kBatchOptimistic);
  component->RefreshChild("NEW", "FRMUC_CONFEZIONI");
  EXPECT_NE(component->Gstr_SQL_MG68.find("'NEW'"), std::string::npos);
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG68, "MG68_CODART_MG66"), "OLD");
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

// Without a host, showing fails under the method's label and touches no slot; refreshing fails
// before its query; clearing still works (its text, in Italian, is pinned by
// panels_show_clear.jsonl).
TEST_F(PanelsShowClearTest, WithoutHostShowAndRefreshFailAndClearStillWorks) {
  load("VITE-M6X20");
  component->SetActiveInterface(automation::Variant::nothing());

  const struct {
    const char* panel;  // to show and clear; the last-prices panel refreshes by side
    const char* refreshed;
    Query query;
  } cases[] = {
      {"FRMMG_DORSEL_DESCR", "FRMMG_DORSEL_DESCR", &C::Gstr_SQL_MG87descr},
      {"FRMUC_SCORTE", "FRMUC_SCORTE", &C::Gstr_SQL_MG67},
      {"FRMUC_CONFEZIONI", "FRMUC_CONFEZIONI", &C::Gstr_SQL_MG68},
      {"FRMUC_INFOUBIC", "FRMUC_INFOUBIC", &C::Gstr_SQL_MG7A},
      {"FRMUC_INTRA", "FRMUC_INTRA", &C::Gstr_SQL_MG1Q},
      {"FRMUC_LISTINI_ACQ", "FRMUC_LISTINI_ACQ", &C::Gstr_SQL_LI10Acq},
      {"FRMUC_LISTINI_VEN", "FRMUC_LISTINI_VEN", &C::Gstr_SQL_LI10Ven},
      {"FRMUC_LISTINI_ULP", "FRMUC_LISTINI_ULP_V", &C::Gstr_SQL_LI11},
      {nullptr, "FRMUC_LISTINI_ULP_A", &C::Gstr_SQL_LI11},
      {"FRMUC_NOTE", "FRMUC_NOTE", &C::Gstr_SQL_MG87note},
      {"APPLICAZIONI", "APPLICAZIONI", &C::Gstr_SQL_MG72},
      {"GEST_VARIANTI", "GEST_VARIANTI", &C::Gstr_SQL_MG6B},
      {"FLAG_VARIANTI", "FLAG_VARIANTI", &C::Gstr_SQL_MG6D},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.refreshed);
    if (t.panel) {
      const std::string before = snapshot();
      automation::Error error = error_of([&] { component->ShowChild("DADO-M6", t.panel); });
      EXPECT_EQ(error.number(), automation::errc::kObjectVariableNotSet);
      EXPECT_TRUE(error.source().starts_with("ShowChild:\r\n")) << error.source();
      EXPECT_EQ(snapshot(), before);
    }
    const std::string before = (*component).*t.query;
    automation::Error error = error_of([&] { component->RefreshChild("NEW", t.refreshed); });
    EXPECT_EQ(error.number(), automation::errc::kObjectVariableNotSet);
    EXPECT_TRUE(error.source().starts_with("RefreshChild:\r\n")) << error.source();
    EXPECT_EQ((*component).*t.query, before);
  }
  // The Intrastat row was re-keyed before the company was needed.
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG98, "MG98_CODART_MG66"), "NEW");
  for (const char* known_and_idle : {"FRMUC_BASE", "FRMUC_CPARTFLAFG"}) {
    EXPECT_NO_THROW(component->RefreshChild("NEW", known_and_idle));
  }
  for (const auto& t : cases) {
    if (t.panel) {
      EXPECT_NO_THROW(component->ClearChild(t.panel)) << t.panel;
    }
  }
}

}  // namespace
