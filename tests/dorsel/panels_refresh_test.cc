#include <functional>
#include <string>
#include <vector>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

// Each panel refreshed row by row is pinned by the session script panels_refresh.jsonl; here,
// recordsets only a test in the process can hand over (uncounted, without the view's columns)
// and every case without a host.
namespace {

using test_support::error_of;

using test_support::column_text;
using Query = std::string dorsel::CLSMG_DORSEL::*;
using C = dorsel::CLSMG_DORSEL;

class PanelsRefreshTest : public test_support::ComponentTest {};

TEST_F(PanelsRefreshTest, UncountableRecordsetsOnlyGetTheQuery) {
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

TEST_F(PanelsRefreshTest, ViewErrorCarriesBothLabelsAfterTheRekey) {
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

TEST_F(PanelsRefreshTest, WithoutHostEveryCaseFailsBeforeItsQuery) {
  exec(
      "INSERT INTO MG98_MAGINTRA (MG98_DITTA_CG18, MG98_CODART_MG66, MG98_OPZIONE_MG5E) "
      "VALUES (1, 'OLD', ' ')");
  component->Initialize();
  component->Init_MG87_note("OLD");
  component->Init_MG67_scorte("OLD");
  component->Init_MG68_confezioni("OLD");
  component->Init_MG7A_infoubic("OLD");
  component->Init_MG98_INTRA("OLD");
  component->Init_MG1Q_nomenclature_INTRA_art("OLD", 0);
  component->Init_LI10("OLD", "0");
  component->Init_LI10("OLD", "1");
  component->Init_LI11_ultimi("OLD", "");
  component->Init_MG72_applicazioni();
  component->Init_MG6B_parametrivarianti();
  component->Init_MG6D_flagvarianti();
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
