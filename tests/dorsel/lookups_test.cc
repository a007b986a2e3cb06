// The code lookups' values, the errors they raise and their defaults without a host or a
// connection, and the nomenclature history's year, quoted codes, questions, what each answer
// stores and the call without a host, are pinned by the session scripts code_lookups.jsonl and
// nomenclature_history.jsonl; here: the statements they write, and what only a test inside the
// process can arrange (missing tables, a closed connection, a result that cannot count its
// rows, a failing test query).
#include <functional>
#include <string>
#include <vector>

#include "automation/date.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using automation::PromptAnswer;
using test_support::error_of;

class CodeLookupsTest : public test_support::ComponentTest {};

TEST_F(CodeLookupsTest, StatementsQuoteTheirTextsAndFollowTheHostsCompany) {
  dorsel::CLSMG_DORSEL& c = *component;
  std::int16_t list = 3;
  host->company().set_code(2);
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { c.Get_MG66_ID_LP09("O'K  "); },  // trailing blanks trimmed
       test_support::crlf_lines({"SELECT LP09_ID", "FROM LP09_TESTATAPRIORITA",
                                 "WHERE LP09_CODICE = 'O''K'", "AND LP09_DITTA_CG18 = 2"})},
      {[&] { c.GetCodIvaCompensazione("A'1 "); },
       "SELECT CG28_CODICEAGR FROM CG28_TABCODIVA WHERE CG28_CODICE = 'A''1 ' AND "
       "CG28_FLGAGRI = 1"},
      {[&] { c.GestioneVelmarRetail(); },
       " SELECT * FROM RE01_CONFIGRETAIL WHERE RE01_DITTA_CG18 = 2"},
      {[&] { c.LocalizzazioneAzienda(); },
       "SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE WHERE "
       "CG18_DITTA = 2"},
  };
  for (const auto& [call, statement] : cases) {
    test_support::StatementLog log(*connection);
    call();
    EXPECT_EQ(log.last(), statement);
  }
  test_support::StatementLog log(*connection);
  c.Get_LP09_CODICE("  ");  // looks up id 0, in every company
  EXPECT_TRUE(log.last().ends_with("WHERE LP09_ID = 0")) << log.last();
  c.RecuperaValuta(1, list);
  EXPECT_TRUE(log.last().ends_with("AND MG44_FLGVENACQ = 1 AND MG44_NUMLIST =3")) << log.last();
  c.RecuperaDescrizioneListino(0, list);
  EXPECT_NE(log.last().find("MG44_PARMAGLIST WITH (NOLOCK)"), std::string::npos);
  EXPECT_NE(log.last().find("MG44_DITTA_CG18 =2"), std::string::npos);
}

// A result that cannot count its rows reads as no configuration.
TEST_F(CodeLookupsTest, RetailFlagOverAServerCursorReadsAsNone) {
  exec("INSERT INTO RE01_CONFIGRETAIL (RE01_DITTA_CG18, RE01_FLGATTIV) VALUES (1, 1)");
  EXPECT_TRUE(component->GestioneVelmarRetail());
  connection->SetCursorLocation(data::kUseServer);
  EXPECT_FALSE(component->GestioneVelmarRetail());
}

TEST_F(CodeLookupsTest, MissingTablesAndAClosedConnection) {
  dorsel::CLSMG_DORSEL& c = *component;
  exec(
      "INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_CODINTERNO) "
      "VALUES (1, 'A1', 'INT1')");
  for (const char* table : {"RE37_CLASSIPROD", "CG28_TABCODIVA", "RE01_CONFIGRETAIL",
                            "MG44_PARMAGLIST", "CG18_ANADITTABASE"}) {
    test_support::drop_table(*connection, table);
  }
  const std::pair<const char*, std::function<void()>> trapping[] = {
      {"Get_RE37_ID:\r\n", [&] { c.Get_RE37_ID("X"); }},
      {"Get_RE37_CODCLASSEPROD:\r\n", [&] { c.Get_RE37_CODCLASSEPROD(1); }},
      {"GetCodIvaCompensazione:\r\n", [&] { c.GetCodIvaCompensazione("A10"); }},
      {"GestioneVelmarRetail:\r\n", [&] { c.GestioneVelmarRetail(); }},
  };
  for (const auto& [label, call] : trapping) {
    SCOPED_TRACE(label);
    const automation::Error error = error_of(call);
    EXPECT_TRUE(error.source().starts_with(label)) << error.source();
  }
  // These four are called while a panel fills; whatever fails, they answer their default.
  std::int16_t list = 3;
  EXPECT_EQ(c.EsisteAlias("INT1"), "A1");
  for (const char* state : {"missing tables", "closed connection"}) {
    SCOPED_TRACE(state);
    if (state[0] == 'c') {
      connection->Close();
    } else {
      test_support::drop_table(*connection, "MG66_ANAGRART");
    }
    EXPECT_NO_THROW(EXPECT_EQ(c.EsisteAlias("INT1"), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.RecuperaValuta(0, list), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.RecuperaDescrizioneListino(0, list), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.LocalizzazioneAzienda(), 0));
  }
}

class NomenclatureHistoryTest : public test_support::ComponentTest {
 protected:
  NomenclatureHistoryTest() {
    automation::set_today_override(automation::CivilDateTime{2020, 3, 15});
  }
  ~NomenclatureHistoryTest() override { automation::set_today_override(std::nullopt); }

  // The statements one call runs.
  std::vector<std::string> store(std::string code, std::string item = "A1", std::int16_t kind = 0) {
    test_support::StatementLog log(*connection);
    component->StoricizzaNomenclaturaIntra(code, item, kind);
    return log.statements();
  }
};

TEST_F(NomenclatureHistoryTest, TestQueryThenInsertOrAskAndReplace) {
  const std::string test_query =
      "SELECT * FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND MG1Q_CODART_MG66='A1' AND "
      "MG1Q_ANNO=2019 AND MG1Q_INDTIPO=0";
  EXPECT_EQ(store("84713000"),
            (std::vector<std::string>{
                test_query,
                "INSERT INTO MG1Q_ARTNOMENCLATURE "
                "(MG1Q_CODART_MG66,MG1Q_DITTA_CG18,MG1Q_ANNO,MG1Q_CODICE,MG1Q_INDTIPO) VALUES "
                "('A1',1,2019,'84713000',0)"}));
  prompt->queue(PromptAnswer::kNo);
  EXPECT_EQ(store("NEW"), std::vector<std::string>{test_query});
  prompt->queue(PromptAnswer::kYes);
  const std::vector<std::string> replaced = store("NEW");
  ASSERT_EQ(replaced.size(), 3u);
  EXPECT_EQ(replaced[0], test_query);
  EXPECT_EQ(replaced[1],
            "DELETE FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND MG1Q_CODART_MG66='A1' "
            "AND MG1Q_INDTIPO=0 AND MG1Q_ANNO=2019");
  EXPECT_EQ(prompt->asked().size(), 2u);
}

TEST_F(NomenclatureHistoryTest, FailingTestQueryAsksNothing) {
  test_support::drop_table(*connection, "MG1Q_ARTNOMENCLATURE");
  const automation::Error error = test_support::error_of([&] { store("C"); });
  EXPECT_TRUE(error.source().starts_with("StoricizzaNomenclaturaIntra:\r\n"));
  EXPECT_TRUE(prompt->asked().empty());
}

}  // namespace
