// The year, quoted codes and the call without a host are pinned by the session script
// nomenclature_history.jsonl; here, the statements each answer leads to.
#include <string>
#include <vector>

#include "automation/date.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using automation::PromptAnswer;

class NomenclatureHistoryTest : public test_support::ComponentTest {
 protected:
  NomenclatureHistoryTest() {
    automation::set_today_override(automation::CivilDateTime{2020, 3, 15});
  }
  ~NomenclatureHistoryTest() override { automation::set_today_override(std::nullopt); }

  bool store(std::string code, std::string item, std::int16_t kind) {
    return component->StoricizzaNomenclaturaIntra(code, item, kind);
  }
  std::string history() {
    return query_text(
        "SELECT MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, MG1Q_INDTIPO, MG1Q_CODICE FROM "
        "MG1Q_ARTNOMENCLATURE ORDER BY MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, "
        "MG1Q_INDTIPO");
  }
};

constexpr const char* kQuestion2019 =
    "E' stato variato il codice nomenclatura, esiste già un codice storicizzato valido fino al "
    "2019. Vuoi sostituirlo con quello attuale?";

TEST_F(NomenclatureHistoryTest, FirstRecordOfTheYearIsInsertedWithoutAsking) {
  std::vector<std::string> statements;
  {
    test_support::StatementLog log(*connection);
    EXPECT_TRUE(store("84713000", "A1", 0));
    statements = log.statements();
  }
  EXPECT_TRUE(prompt->asked().empty());
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[0],
            "SELECT * FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND "
            "MG1Q_CODART_MG66='A1' AND MG1Q_ANNO=2019 AND MG1Q_INDTIPO=0");
  EXPECT_EQ(statements[1],
            "INSERT INTO MG1Q_ARTNOMENCLATURE "
            "(MG1Q_CODART_MG66,MG1Q_DITTA_CG18,MG1Q_ANNO,MG1Q_CODICE,MG1Q_INDTIPO) VALUES "
            "('A1',1,2019,'84713000',0)");
  EXPECT_EQ(history(), "1|A1|2019|0|84713000\n");
}

TEST_F(NomenclatureHistoryTest, StoredRecordIsReplacedOnlyWhenTheUserAgrees) {
  exec(
      "INSERT INTO MG1Q_ARTNOMENCLATURE (MG1Q_DITTA_CG18, MG1Q_CODART_MG66, MG1Q_ANNO, "
      "MG1Q_INDTIPO, MG1Q_CODICE) VALUES (1, 'A1', 2019, 0, 'OLD'), (1, 'A1', 2018, 0, "
      "'OLD2018'), (1, 'A1', 2019, 1, 'TYPE1'), (2, 'A1', 2019, 0, 'CO2')");
  const std::string before = history();

  std::vector<std::string> statements;
  prompt->queue(PromptAnswer::kNo);
  {
    test_support::StatementLog log(*connection);
    EXPECT_FALSE(store("NEW", "A1", 0));
    statements = log.statements();
  }
  EXPECT_EQ(statements.size(), 1u);  // the test query only
  EXPECT_EQ(history(), before);
  ASSERT_EQ(prompt->asked().size(), 1u);
  EXPECT_EQ(prompt->asked()[0].title, "Modifica codice nomenclatura Intra");
  EXPECT_EQ(prompt->asked()[0].text, kQuestion2019);
  EXPECT_EQ(prompt->asked()[0].style, 68);

  prompt->queue(PromptAnswer::kYes);
  {
    test_support::StatementLog log(*connection);
    EXPECT_TRUE(store("NEW", "A1", 0));
    statements = log.statements();
  }
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[1],
            "DELETE FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND MG1Q_CODART_MG66='A1' "
            "AND MG1Q_INDTIPO=0 AND MG1Q_ANNO=2019");
  EXPECT_EQ(prompt->asked().size(), 2u);
  // Other years, other type indicators and other companies are left as they were.
  EXPECT_EQ(history(),
            "1|A1|2018|0|OLD2018\n"
            "1|A1|2019|0|NEW\n"
            "1|A1|2019|1|TYPE1\n"
            "2|A1|2019|0|CO2\n");
}

TEST_F(NomenclatureHistoryTest, FailingTestQueryAsksNothing) {
  // A failing test query: nothing is asked and nothing written.
  test_support::drop_table(*connection, "MG1Q_ARTNOMENCLATURE");
  const automation::Error error = error_of([&] { store("C", "A1", 0); });
  EXPECT_TRUE(error.source().starts_with("StoricizzaNomenclaturaIntra:\r\n"));
  EXPECT_TRUE(prompt->asked().empty());
}

}  // namespace
