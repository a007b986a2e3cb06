// The reference host's dictionaries: read once per language or company, overrides first.
#include <gtest/gtest.h>

#include "console/host_objects.h"
#include "support/test_database.h"

namespace {

TEST(HostObjectsTest, DictionariesAreReadOncePerLanguageAndCompany) {
  data::ConnectionPtr db = test_support::make_test_connection(false);
  db->Execute(
      "INSERT INTO HOST_TRADUZIONI (TR_ID, TR_LINGUA, TR_TESTO) VALUES (7, 'ITA ', 'Sette'), "
      "(7, 'ENG ', 'Seven')");
  db->Execute(
      "INSERT INTO HOST_VALUTE (HV_DITTA, HV_VALUTA, HV_DECIMALI) VALUES (1, 'USD', 2), "
      "(2, 'USD', 3)");
  auto host = console::HostApplication::create(db, 1, "ITA ");
  console::HostTranslations& texts = host->translations();
  console::HostCompany& company = host->company();

  EXPECT_EQ(texts.TraduzioneTesto(7), "Sette");
  EXPECT_EQ(texts.TraduzioneTesto(8), "[8]");
  EXPECT_EQ(company.DecimaliPrezzo("USD"), 2);
  db->Execute("UPDATE HOST_TRADUZIONI SET TR_TESTO = 'Changed'");
  db->Execute("UPDATE HOST_VALUTE SET HV_DECIMALI = 4");
  EXPECT_EQ(texts.TraduzioneTesto(7), "Sette");
  EXPECT_EQ(company.DecimaliPrezzo("USD"), 2);

  // Another language or company is another dictionary, read when first asked.
  company.set_language("ENG ");
  EXPECT_EQ(texts.TraduzioneTesto(7), "Changed");
  company.set_code(2);
  EXPECT_EQ(company.DecimaliPrezzo("USD"), 4);
  EXPECT_EQ(company.DecimaliPrezzo("JPY"), 5);

  texts.set_override(7, "Mine");
  EXPECT_EQ(texts.TraduzioneTesto(7), "Mine");
}

}  // namespace
