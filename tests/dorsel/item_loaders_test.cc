// The loaders' queries, the rows they select and their behaviour without a host are pinned by
// the session script item_loaders.jsonl; here, what needs a table dropped under them.
#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

class ItemLoadersTest : public test_support::ComponentTest {};

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

}  // namespace
