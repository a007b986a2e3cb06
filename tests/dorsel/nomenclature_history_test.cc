// The year, quoted codes, the questions asked, what each answer stores and the call without a
// host are pinned by the session script nomenclature_history.jsonl; here, the statements each
// answer leads to, and a failing test query.
#include <string>
#include <vector>

#include "automation/date.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using automation::PromptAnswer;

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
