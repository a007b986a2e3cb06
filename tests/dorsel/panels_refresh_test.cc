#include <functional>
#include <string>
#include <vector>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using test_support::column_text;
using test_support::crlf_lines;
using Slot = data::RecordsetPtr dorsel::CLSMG_DORSEL::*;
using Query = std::string dorsel::CLSMG_DORSEL::*;
using C = dorsel::CLSMG_DORSEL;

class PanelsRefreshTest : public test_support::ComponentTest {
 protected:
  void insert_li10(int side, int count) {
    for (int list = 1; list <= count; ++list) {
      exec(
          "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_INDTIPOLIS, "
          "LI10_CODART_MG66, LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, "
          "LI10_DATAINIZIOVAL, LI10_PREZZO) VALUES (1, " +
          std::to_string(side) + ", 0, 'OLD', ' ', ' ', " + std::to_string(list) +
          ", '2024-01-01', 10)");
    }
  }
};

// The rows of a recordset seen through a few columns, without moving its cursor.
std::string rows_of(data::Recordset& rs, std::initializer_list<const char*> columns) {
  data::RecordsetPtr walker = rs.Clone();
  std::string text;
  for (const char* column : columns) text += column_text(*walker, column) + "\n";
  return text;
}

TEST_F(PanelsRefreshTest, RekeysEveryRowAndPutsTheCursorBack) {
  for (const char* deposit : {"01", "02", "03"}) {
    exec(std::string("INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, "
                     "MG67_OPZIONE_MG5E, MG67_DEPOS_MG58) VALUES (1, 'OLD', ' ', '") +
         deposit + "')");
    exec(
        std::string("INSERT INTO MG87_ARTDESC (MG87_DITTA_CG18, MG87_CODART_MG66, "
                    "MG87_OPZIONE_MG5E, MG87_LINGUA_MG52, MG87_DESCART) VALUES (1, 'OLD', ' ', '") +
        deposit + "', 'd" + deposit + "')");
  }
  component->Initialize();
  component->Init_MG67_scorte("OLD");
  // The descriptions panel holds whatever rows the host put there: here a set of its own.
  component->Init_MG87_note("OLD");
  component->Grst_RecSet_MG87descr = component->Grst_RecSet_MG87note;
  component->Init_MG87_note("OLD");
  host->company().set_code(7);

  data::Recordset& stock = *component->Grst_RecSet_MG67;
  stock.MoveFirst();
  stock.MoveNext();
  component->RefreshChild("NEW", "FRMUC_SCORTE");
  EXPECT_EQ(component->Gstr_SQL_MG67,
            crlf_lines({"SELECT *", "FROM MG67_SCORTE", "WHERE MG67_DITTA_CG18 = 7",
                        "  AND MG67_CODART_MG66 = 'NEW'", "  AND MG67_OPZIONE_MG5E = ' '"}));
  EXPECT_EQ(rows_of(stock, {"MG67_DITTA_CG18", "MG67_CODART_MG66", "MG67_DEPOS_MG58"}),
            "7,7,7\nNEW,NEW,NEW\n01,02,03\n");
  EXPECT_EQ(stock.AbsolutePosition(), 2);
  // Nothing is written to the database: the rows stay pending in the recordset.
  EXPECT_EQ(query_text("SELECT DISTINCT MG67_CODART_MG66 FROM MG67_SCORTE"), "OLD\n");

  // The description panel blanks the language; the notes panel keeps it. Neither keeps the
  // cursor where it was.
  component->RefreshChild("NEW", "FRMMG_DORSEL_DESCR");
  EXPECT_EQ(rows_of(*component->Grst_RecSet_MG87descr, {"MG87_LINGUA_MG52", "MG87_CODART_MG66"}),
            " , , \nNEW,NEW,NEW\n");
  EXPECT_TRUE(component->Grst_RecSet_MG87descr->Eof());
  component->RefreshChild("NEW2", "FRMUC_NOTE");
  EXPECT_EQ(component->Gstr_SQL_MG87note,
            crlf_lines({"SELECT *", "FROM MG87_ARTDESC", "WHERE MG87_DITTA_CG18 = 7",
                        "  AND MG87_CODART_MG66 = 'NEW2'", "  AND MG87_OPZIONE_MG5E = ' '"}));
  EXPECT_EQ(rows_of(*component->Grst_RecSet_MG87note, {"MG87_LINGUA_MG52", "MG87_CODART_MG66"}),
            "01,02,03\nNEW2,NEW2,NEW2\n");
  EXPECT_TRUE(component->Grst_RecSet_MG87note->Eof());
}

TEST_F(PanelsRefreshTest, EmptyOrUncountableRecordsetsOnlyGetTheQuery) {
  exec(
      "INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, MG68_OPZIONE_MG5E, "
      "MG68_CODCONF) VALUES (1, 'OLD', ' ', 'C6')");
  component->Init_MG7A_infoubic("OLD");  // no rows
  component->RefreshChild("NEW", "FRMUC_INFOUBIC");
  EXPECT_NE(component->Gstr_SQL_MG7A.find("'NEW'"), std::string::npos);

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

TEST_F(PanelsRefreshTest, LastPricesNamesShareTheQueryAndDifferInTheFlag) {
  exec(
      "INSERT INTO LI11_ULTPRACQVEN (LI11_DITTA_CG18, LI11_FLGVENACQ, LI11_INDTIPOLIS, "
      "LI11_CODART_MG66, LI11_OPZIONE_MG5E, LI11_DEPOS_MG58, LI11_PROG) VALUES "
      "(1, 0, 1, 'OLD', ' ', '01', 1), (1, 1, 0, 'OLD', ' ', ' ', 2)");
  component->Initialize();
  const std::string expected =
      crlf_lines({"SELECT *", "FROM LI11_ULTPRACQVEN", "WHERE LI11_DITTA_CG18 = 1",
                  "  AND LI11_CODART_MG66 = 'NEW'", "  AND LI11_INDTIPOLIS = 0",
                  "  AND LI11_OPZIONE_MG5E = ' '", "  AND LI11_DEPOS_MG58 = ' '"});
  const struct {
    const char* panel;
    const char* flags;
  } cases[] = {{"FRMUC_LISTINI_ULP_V", "0,0"}, {"FRMUC_LISTINI_ULP_A", "1,1"}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.panel);
    component->Init_LI11_ultimi("OLD", "");
    component->RefreshChild("NEW", t.panel);
    EXPECT_EQ(component->Gstr_SQL_LI11, expected);
    EXPECT_EQ(rows_of(*component->Grst_RecSet_LI11,
                      {"LI11_FLGVENACQ", "LI11_INDTIPOLIS", "LI11_DEPOS_MG58", "LI11_CODART_MG66"}),
              std::string(t.flags) + "\n0,0\n , \nNEW,NEW\n");
    EXPECT_EQ(column_text(*component->Grst_RecSet_LI11_append, "LI11_CODART_MG66"), "NEW,NEW");
  }
}

TEST_F(PanelsRefreshTest, PriceViewIsRebuiltFromRekeyedRowsBeforeTheCursorIsPutBack) {
  insert_li10(0, 3);
  insert_li10(1, 3);
  component->Initialize();
  const struct {
    const char* panel;
    const char* side;
    Query query;
    Slot rows, view;
  } cases[] = {
      {"FRMUC_LISTINI_VEN", "0", &C::Gstr_SQL_LI10Ven, &C::Grst_RecSet_LI10Ven,
       &C::Grst_RecSet_LI10Ven_append},
      {"FRMUC_LISTINI_ACQ", "1", &C::Gstr_SQL_LI10Acq, &C::Grst_RecSet_LI10Acq,
       &C::Grst_RecSet_LI10Acq_append},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.panel);
    component->Init_LI10("OLD", t.side);
    data::Recordset& rows = *((*component).*t.rows);
    rows.MoveFirst();
    rows.MoveNext();
    component->RefreshChild("NEW", t.panel);
    EXPECT_EQ(
        (*component).*t.query,
        crlf_lines({"SELECT *", "FROM LI10_LISTARTIC", "WHERE LI10_DITTA_CG18 = 1",
                    "  AND LI10_CODART_MG66 = 'NEW'",
                    std::string("  AND LI10_FLGVENDACQ = ") + t.side, "  AND LI10_INDTIPOLIS = 0",
                    "  AND LI10_OPZIONE_MG5E = ' '", "  AND LI10_DEPOS_MG58 = ' '",
                    "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL"}));
    // The view already shows the new keys, and the rows' cursor is back after the view's walk.
    EXPECT_EQ(column_text(*((*component).*t.view), "LI10_CODART_MG66"), "NEW,NEW,NEW");
    EXPECT_EQ(rows.AbsolutePosition(), 2);
  }
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

TEST_F(PanelsRefreshTest, ReopenedPanelsReadTheItemOnTheirLastConnection) {
  exec("INSERT INTO MG57_APPLICAZIONI VALUES (1, 'AUTO', 101)");
  exec("INSERT INTO MG72_APPLICART VALUES (1, 'A1', 'AUTO'), (1, 'A2', 'AUTO')");
  exec(
      "INSERT INTO MG6B_GESVARART (MG6B_DITTA_CG18, MG6B_CODART_MG66, MG6B_CODICEVAR_MG5F) "
      "VALUES (1, 'A1', 'COLORE'), (1, 'A1', 'FORMATO')");
  exec(
      "INSERT INTO MG6D_FLGTABARTVAR (MG6D_DITTA_CG18, MG6D_CODART_MG66, MG6D_PROG) "
      "VALUES (1, 'A1', 1), (1, 'A1', 2), (1, 'A1', 3)");
  component->Init_MG72_applicazioni();
  component->Init_MG6B_parametrivarianti();
  component->Init_MG6D_flagvarianti();
  // Re-opening passes no connection: the one of the loader's opening serves.
  component->SetConnessione(nullptr);
  const struct {
    const char* panel;
    Slot slot;
    const char* code_column;
    std::int64_t rows;
  } cases[] = {{"APPLICAZIONI", &C::Grst_RecSet_MG72, "MG72_CODART_MG66", 1},
               {"GEST_VARIANTI", &C::Grst_RecSet_MG6B, "MG6B_CODART_MG66", 2},
               {"FLAG_VARIANTI", &C::Grst_RecSet_MG6D, "MG6D_CODART_MG66", 3}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.panel);
    data::RecordsetPtr before = (*component).*t.slot;
    component->RefreshChild("A1", t.panel);
    ASSERT_EQ((*component).*t.slot, before);
    EXPECT_EQ(before->RecordCount(), t.rows);
    EXPECT_EQ(before->AbsolutePosition(), 1);
    component->RefreshChild("A9", t.panel);
    EXPECT_EQ(before->State(), data::kStateOpen);
    EXPECT_EQ(before->RecordCount(), 0);
  }
}

TEST_F(PanelsRefreshTest, IntrastatRekeysTheCurrentDataRowAndTheHistory) {
  exec(
      "INSERT INTO MG98_MAGINTRA (MG98_DITTA_CG18, MG98_CODART_MG66, MG98_OPZIONE_MG5E) "
      "VALUES (1, 'OLD', ' '), (1, 'OLD', 'V1')");
  exec(
      "INSERT INTO MG1Q_ARTNOMENCLATURE (MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, "
      "MG1Q_INDTIPO) VALUES (1, 'OLD', 2022, 0), (1, 'OLD', 2023, 0)");
  component->Init_MG98_INTRA("OLD");
  component->Init_MG1Q_nomenclature_INTRA_art("OLD", 0);
  const std::string mg98_query = component->Gstr_SQL_MG98;
  component->RefreshChild("NEW", "FRMUC_INTRA");
  EXPECT_EQ(rows_of(*component->Grst_RecSet_MG98, {"MG98_CODART_MG66"}), "NEW,OLD\n");
  EXPECT_EQ(component->Gstr_SQL_MG98, mg98_query);
  EXPECT_EQ(component->Gstr_SQL_MG1Q,
            crlf_lines({"SELECT *", "FROM MG1Q_ARTNOMENCLATURE", "WHERE MG1Q_DITTA_CG18 = 1",
                        "  AND MG1Q_CODART_MG66 = 'NEW'"}));
  EXPECT_EQ(rows_of(*component->Grst_RecSet_MG1Q, {"MG1Q_CODART_MG66"}), "NEW,NEW\n");

  // With no Intrastat row the first write fails and the history is not touched.
  component->Init_MG98_INTRA("NONE");
  component->Init_MG1Q_nomenclature_INTRA_art("OLD", 0);
  const std::string mg1q_query = component->Gstr_SQL_MG1Q;
  automation::Error error = error_of([&] { component->RefreshChild("NEW", "FRMUC_INTRA"); });
  EXPECT_EQ(error.number(), 3021);
  EXPECT_TRUE(error.source().starts_with("RefreshChild:\r\n")) << error.source();
  EXPECT_EQ(component->Gstr_SQL_MG1Q, mg1q_query);
  EXPECT_EQ(rows_of(*component->Grst_RecSet_MG1Q, {"MG1Q_CODART_MG66"}), "OLD,OLD\n");
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
