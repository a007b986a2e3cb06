// The item and price-list loaders' queries, the rows they select, their refusals and their
// behaviour without a host are pinned by the session scripts item_loaders.jsonl and
// pricelist_loaders.jsonl; here, the statement of the validity dates (which keeps no query slot)
// and what needs a table dropped under them.
#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::column_text;
using test_support::crlf_lines;
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

class PricelistLoadersTest : public test_support::ComponentTest {};

TEST_F(PricelistLoadersTest, ValidityDateParametersOfOneList) {
  exec(
      "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
      "MG44_VALUTA_CG08, MG44_INDPROPDATAINI, MG44_INDPROPDATAFINE) VALUES "
      "(1, 0, 3, 'EURO', 1, 2), (1, 0, 4, 'USD', 3, 4)");
  test_support::StatementLog log(*connection);

  data::RecordsetPtr found = component->ListiniDateValidita("0", "3", "");
  EXPECT_EQ(log.last(),
            crlf_lines({" SELECT ", "     MG44_INDPROPDATAINI, ", "     MG44_INDPROPDATAFINE, ",
                        "     MG44_PROPDATAINI, ", "     MG44_PROPDATAFINE ", " FROM ",
                        "     MG44_PARMAGLIST WITH (NOLOCK) ", " WHERE ",
                        "     MG44_DITTA_CG18 = 1 ", " AND MG44_FLGVENACQ = 0",
                        " AND MG44_NUMLIST = 3", " AND MG44_VALUTA_CG08 = 'EURO'"}));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->State(), data::kStateOpen);
  EXPECT_EQ(test_support::column_names(*found),
            "MG44_INDPROPDATAINI,MG44_INDPROPDATAFINE,MG44_PROPDATAINI,MG44_PROPDATAFINE");
  EXPECT_EQ(column_text(*found, "MG44_INDPROPDATAFINE"), "2");

  ASSERT_NE(component->ListiniDateValidita("0", "3", "   "), nullptr);
  EXPECT_TRUE(log.last().ends_with("'EURO'"));
  // A given currency goes in untrimmed.
  ASSERT_NE(component->ListiniDateValidita("0", "4", "USD "), nullptr);
  EXPECT_TRUE(log.last().ends_with(" AND MG44_VALUTA_CG08 = 'USD '"));

  EXPECT_EQ(component->ListiniDateValidita("0", "4", ""), nullptr);
  EXPECT_EQ(component->ListiniDateValidita("1", "3", "EURO"), nullptr);
  component->ListiniDateValidita("0", "3", "E'U");
  EXPECT_TRUE(log.last().ends_with(" AND MG44_VALUTA_CG08 = 'E''U'"));
}

TEST_F(PricelistLoadersTest, FailuresCarryTheLoadersLabel) {
  test_support::drop_table(*connection, "MG44_PARMAGLIST");
  automation::Error error = error_of([&] { component->ListiniDateValidita("0", "3", ""); });
  EXPECT_TRUE(error.source().starts_with("ListiniDateValidita:\r\n")) << error.source();

  test_support::drop_table(*connection, "LI11_ULTPRACQVEN");
  error = error_of([&] { component->Init_LI11_ultimi("A1", "0"); });
  EXPECT_TRUE(error.source().starts_with("Init_LI11_ultimi:\r\n")) << error.source();
  EXPECT_TRUE(component->Gstr_SQL_LI11.ends_with(" AND LI11_FLGVENACQ  = 0"));
}

}  // namespace
