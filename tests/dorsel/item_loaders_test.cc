#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using test_support::column_text;
using test_support::crlf_lines;

class ItemLoadersTest : public test_support::ComponentTest {};

// " SELECT ... WHERE <company column> = <company> " written out for one table.
std::string frame(std::string_view table, std::string_view company_column, std::string_view company,
                  std::string_view star = "     * ") {
  return crlf_lines({" SELECT ", star, " FROM ", "     " + std::string(table) + " ", " WHERE ",
                     "     " + std::string(company_column) + " = " + std::string(company) + " "});
}

TEST_F(ItemLoadersTest, EachLoaderWritesItsQueryAndOpensItsSlot) {
  // Any company but the fixture's own shows that each query reads the host's.
  host->company().set_code(5);
  dorsel::CLSMG_DORSEL& c = *component;
  struct Case {
    const char* name;
    std::function<void()> load;
    const std::string* query;
    const data::RecordsetPtr* slot;
    std::string expected;
  };
  const Case cases[] = {
      {"MG6B", [&] { c.Init_MG6B_parametrivarianti(); }, &c.Gstr_SQL_MG6B, &c.Grst_RecSet_MG6B,
       frame("MG6B_GESVARART", "MG6B_DITTA_CG18", "5") + "\r\n     AND 1 = 0"},
      {"MG72", [&] { c.Init_MG72_applicazioni(); }, &c.Gstr_SQL_MG72, &c.Grst_RecSet_MG72,
       frame("MG72_APPLICART", "MG72_DITTA_CG18", "5") + "\r\n     AND 1 = 0"},
      {"MG6D", [&] { c.Init_MG6D_flagvarianti(); }, &c.Gstr_SQL_MG6D, &c.Grst_RecSet_MG6D,
       frame("MG6D_FLGTABARTVAR", "MG6D_DITTA_CG18", "5") + "\r\n     AND 1 = 0"},
      {"MG87", [&] { c.Init_MG87_note("A1  "); }, &c.Gstr_SQL_MG87note, &c.Grst_RecSet_MG87note,
       frame("MG87_ARTDESC", "MG87_DITTA_CG18", "5") +
           "\r\n AND MG87_CODART_MG66 = 'A1  ' \r\n AND MG87_OPZIONE_MG5E = ' ' "
           "\r\n ORDER BY MG87_LINGUA_MG52"},
      {"MG67", [&] { c.Init_MG67_scorte("A1"); }, &c.Gstr_SQL_MG67, &c.Grst_RecSet_MG67,
       frame("MG67_SCORTE", "MG67_DITTA_CG18", "5") +
           "\r\n AND MG67_CODART_MG66 = 'A1' \r\n AND MG67_OPZIONE_MG5E = ' ' "},
      {"MG68", [&] { c.Init_MG68_confezioni("A1"); }, &c.Gstr_SQL_MG68, &c.Grst_RecSet_MG68,
       frame("MG68_CONFART", "MG68_DITTA_CG18", "5") +
           "\r\n AND MG68_CODART_MG66 = 'A1' \r\n AND MG68_OPZIONE_MG5E = ' ' "},
      {"MG7A", [&] { c.Init_MG7A_infoubic("A1"); }, &c.Gstr_SQL_MG7A, &c.Grst_RecSet_MG7A,
       frame("MG7A_UBICAZARTFIX", "MG7A_DITTA_CG18", "5") +
           "\r\n AND MG7A_CODART_MG66 = 'A1' \r\n AND MG7A_OPZIONE_MG5E = ' ' "},
      {"MG98", [&] { c.Init_MG98_INTRA("A1"); }, &c.Gstr_SQL_MG98, &c.Grst_RecSet_MG98,
       frame("MG98_MAGINTRA", "MG98_DITTA_CG18", "5") + "\r\n AND MG98_CODART_MG66 = 'A1' "},
      {"MG1Q", [&] { c.Init_MG1Q_nomenclature_INTRA_art("A1", -1); }, &c.Gstr_SQL_MG1Q,
       &c.Grst_RecSet_MG1Q,
       frame("MG1Q_ARTNOMENCLATURE", "MG1Q_DITTA_CG18", "5", "    * ") +
           "\r\n AND MG1Q_CODART_MG66 = 'A1' AND MG1Q_INDTIPO=-1 ORDER BY MG1Q_ANNO"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    t.load();
    EXPECT_EQ(*t.query, t.expected);
    ASSERT_NE(*t.slot, nullptr);
    EXPECT_EQ((*t.slot)->State(), data::kStateOpen);
    EXPECT_EQ((*t.slot)->RecordCount(), 0);
  }
}

TEST_F(ItemLoadersTest, NotesOfTheBaseOptionInLanguageOrder) {
  exec(
      "INSERT INTO MG87_ARTDESC (MG87_DITTA_CG18, MG87_CODART_MG66, MG87_OPZIONE_MG5E, "
      "MG87_LINGUA_MG52, MG87_NOTE) VALUES "
      "(1, 'A1', ' ', 'ITA ', 'nota'), (1, 'A1', ' ', 'ENG ', 'note'), "
      "(1, 'A1', 'V1', 'DEU ', 'variante'), (2, 'A1', ' ', 'FRA ', 'altra ditta'), "
      "(1, 'A2', ' ', 'ESP ', 'altro articolo')");
  // Trailing blanks stay in the code, and the database compares as SQL Server does.
  component->Init_MG87_note("A1  ");
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG87note, "MG87_NOTE"), "note,nota");
}

TEST_F(ItemLoadersTest, OptionFilterAppliesToStockPacksAndLocationsButNotIntrastat) {
  exec(
      "INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, MG67_OPZIONE_MG5E, "
      "MG67_DEPOS_MG58, MG67_SCORTAMIN) VALUES (1, 'A1', ' ', '01', 5), (1, 'A1', 'V1', '01', 7), "
      "(1, 'A1', ' ', '02', 9)");
  exec(
      "INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, MG68_OPZIONE_MG5E, "
      "MG68_CODCONF) VALUES (1, 'A1', ' ', 'C6'), (1, 'A1', 'V1', 'C12')");
  exec(
      "INSERT INTO MG7A_UBICAZARTFIX (MG7A_DITTA_CG18, MG7A_CODART_MG66, MG7A_OPZIONE_MG5E, "
      "MG7A_DEPOS_MG58, MG7A_UBICAZIONE) VALUES (1, 'A1', ' ', '01', 'S1'), "
      "(1, 'A1', 'V1', '01', 'S9')");
  exec(
      "INSERT INTO MG98_MAGINTRA (MG98_DITTA_CG18, MG98_CODART_MG66, MG98_OPZIONE_MG5E, "
      "MG98_CODNOMENC) VALUES (1, 'A1', ' ', '8471'), (1, 'A1', 'V1', '8472'), "
      "(1, 'A2', ' ', '9999')");

  component->Init_MG67_scorte("A1");
  component->Init_MG68_confezioni("A1");
  component->Init_MG7A_infoubic("A1");
  component->Init_MG98_INTRA("A1");
  EXPECT_EQ(component->Grst_RecSet_MG67->RecordCount(), 2);
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG68, "MG68_CODCONF"), "C6");
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG7A, "MG7A_UBICAZIONE"), "S1");
  EXPECT_EQ(component->Grst_RecSet_MG98->RecordCount(), 2);
}

TEST_F(ItemLoadersTest, NomenclatureHistoryOfOneTypeInYearOrder) {
  exec(
      "INSERT INTO MG1Q_ARTNOMENCLATURE (MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, "
      "MG1Q_INDTIPO, MG1Q_CODICE) VALUES (1, 'A1', 2019, 0, 'B'), (1, 'A1', 2017, 0, 'A'), "
      "(1, 'A1', 2018, 1, 'X'), (1, 'A2', 2016, 0, 'Y')");
  component->Init_MG1Q_nomenclature_INTRA_art("A1", 0);
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG1Q, "MG1Q_CODICE"), "A,B");
  component->Init_MG1Q_nomenclature_INTRA_art("A1", 1);
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG1Q, "MG1Q_CODICE"), "X");
}

TEST_F(ItemLoadersTest, QuoteInItemCodeStaysInsideItsLiteral) {
  exec(
      "INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, MG67_OPZIONE_MG5E, "
      "MG67_DEPOS_MG58) VALUES (1, 'O''NEIL', ' ', '01'), (1, 'X', ' ', '01')");
  component->Init_MG67_scorte("O'NEIL");
  EXPECT_NE(component->Gstr_SQL_MG67.find(" AND MG67_CODART_MG66 = 'O''NEIL' "), std::string::npos);
  EXPECT_EQ(column_text(*component->Grst_RecSet_MG67, "MG67_CODART_MG66"), "O'NEIL");

  // A code built to end the literal early matches nothing instead of every row.
  component->Init_MG67_scorte("X' OR '1'='1");
  EXPECT_EQ(component->Grst_RecSet_MG67->RecordCount(), 0);
}

TEST_F(ItemLoadersTest, ReloadingDropsThePreviousRecordsetWithoutClosingIt) {
  component->Init_MG68_confezioni("A1");
  data::RecordsetPtr held = component->Grst_RecSet_MG68;
  component->Init_MG68_confezioni("A1");
  EXPECT_NE(component->Grst_RecSet_MG68, held);
  EXPECT_EQ(held->State(), data::kStateOpen);
}

TEST_F(ItemLoadersTest, FailingOpeningCarriesTheLabelAndKeepsTheNewText) {
  test_support::drop_table(*connection, "MG67_SCORTE");
  test_support::drop_table(*connection, "MG98_MAGINTRA");
  struct Case {
    const char* label;
    std::function<void()> load;
    const std::string* query;
    const data::RecordsetPtr* slot;
  };
  dorsel::CLSMG_DORSEL& c = *component;
  const Case cases[] = {
      {"Init_MG67_scorte:", [&] { c.Init_MG67_scorte("A1"); }, &c.Gstr_SQL_MG67,
       &c.Grst_RecSet_MG67},
      // The Intrastat loader's label ends in lower case, unlike its name.
      {"Init_MG98_intra:", [&] { c.Init_MG98_INTRA("A1"); }, &c.Gstr_SQL_MG98, &c.Grst_RecSet_MG98},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.label);
    automation::Error error = error_of(t.load);
    // The provider's own error for the text the loader stored, with the label in front.
    automation::Error direct = error_of([&] { connection->Execute(*t.query); });
    EXPECT_EQ(error.number(), direct.number());
    EXPECT_EQ(error.description(), direct.description());
    EXPECT_EQ(error.source(), std::string(t.label) + "\r\n" + direct.source());
    ASSERT_NE(*t.slot, nullptr);
    EXPECT_EQ((*t.slot)->State(), data::kStateClosed);
  }
}

TEST_F(ItemLoadersTest, WithoutHostNothingIsWritten) {
  component->Init_MG7A_infoubic("A1");
  const std::string query = component->Gstr_SQL_MG7A;
  data::RecordsetPtr slot = component->Grst_RecSet_MG7A;
  component->SetActiveInterface(automation::Variant::nothing());

  automation::Error error = error_of([&] { component->Init_MG7A_infoubic("B2"); });
  EXPECT_EQ(error.number(), automation::errc::kObjectVariableNotSet);
  EXPECT_TRUE(error.source().starts_with("Init_MG7A_infoubic:\r\n"));
  EXPECT_EQ(component->Gstr_SQL_MG7A, query);
  EXPECT_EQ(component->Grst_RecSet_MG7A, slot);
}

}  // namespace
