#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

class CodeLookupsTest : public test_support::ComponentTest {
 protected:
  void SetUp() override {
    exec(
        "INSERT INTO LP09_TESTATAPRIORITA (LP09_ID, LP09_DITTA_CG18, LP09_CODICE) VALUES "
        "(7, 1, 'P1'), (8, 2, 'P2'), (40000, 1, 'BIG')");
    exec(
        "INSERT INTO RE37_CLASSIPROD (RE37_ID, RE37_DITTAMASTER_CG18, RE37_CODCLASSEPROD) VALUES "
        "(0, 1, 'ZERO'), (12, 1, 'C''12'), (13, 2, 'C13')");
    exec(
        "INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_CODINTERNO) VALUES "
        "(1, 'A1  ', 'INT1'), (2, 'A2', 'INT2')");
    exec(
        "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
        "MG44_VALUTA_CG08, MG44_DESCLIST) VALUES (1, 0, 3, 'USD ', 'Listino 3  '), "
        "(1, 1, 3, NULL, NULL), (2, 0, 3, 'CHF', 'Altra ditta')");
    exec(
        "INSERT INTO CG28_TABCODIVA (CG28_CODICE, CG28_FLGAGRI, CG28_CODICEAGR) VALUES "
        "('A10', 1, 'C4'), ('N10', 0, 'C5'), ('B 2', 1, NULL)");
  }
};

TEST_F(CodeLookupsTest, PriorityCodesAndIds) {
  dorsel::CLSMG_DORSEL& c = *component;
  EXPECT_EQ(c.Get_MG66_ID_LP09("P1   "), 7);  // trailing blanks trimmed
  EXPECT_EQ(c.Get_MG66_ID_LP09("P2"), 0);     // another company's code
  EXPECT_EQ(c.Get_MG66_ID_LP09("none"), 0);

  EXPECT_EQ(c.Get_LP09_CODICE("7"), "P1");
  EXPECT_EQ(c.Get_LP09_CODICE("8"), "P2");  // ids are looked up in every company
  EXPECT_EQ(c.Get_LP09_CODICE(""), "");     // looks up id 0

  test_support::StatementLog log(*connection);
  c.Get_MG66_ID_LP09("O'K");
  EXPECT_EQ(log.last(),
            test_support::crlf_lines({"SELECT LP09_ID", "FROM LP09_TESTATAPRIORITA",
                                      "WHERE LP09_CODICE = 'O''K'", "AND LP09_DITTA_CG18 = 1"}));
  c.Get_LP09_CODICE("  ");
  EXPECT_TRUE(log.last().ends_with("WHERE LP09_ID = 0"));
}

TEST_F(CodeLookupsTest, ProductClassesWithinTheMasterCompany) {
  dorsel::CLSMG_DORSEL& c = *component;
  EXPECT_EQ(c.Get_RE37_ID("C'12 "), 12);
  EXPECT_EQ(c.Get_RE37_ID("ZERO"), 0);
  EXPECT_EQ(c.Get_RE37_ID("C13"), -1);  // nothing found in this company
  EXPECT_EQ(c.Get_RE37_CODCLASSEPROD(12), "C'12");
  EXPECT_EQ(c.Get_RE37_CODCLASSEPROD(13), "");
}

TEST_F(CodeLookupsTest, TrappingLookupsReportWithTheirLabel) {
  dorsel::CLSMG_DORSEL& c = *component;
  struct Case {
    const char* label;
    std::function<void()> call;
    std::int32_t number;
  };
  const Case cases[] = {
      {"Get_LP09_CODICE:", [&] { c.Get_LP09_CODICE("abc"); }, automation::errc::kTypeMismatch},
      // Past 64 bits: once read as id 1, the code of another row.
      {"Get_LP09_CODICE:", [&] { c.Get_LP09_CODICE("&H10000000000000001"); },
       automation::errc::kOverflow},
      {"Get_MG66_ID_LP09:", [&] { c.Get_MG66_ID_LP09("BIG"); }, automation::errc::kOverflow},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.label);
    automation::Error error = error_of(t.call);
    EXPECT_EQ(error.number(), t.number);
    EXPECT_TRUE(error.source().starts_with(std::string(t.label) + "\r\n")) << error.source();
  }

  test_support::drop_table(*connection, "RE37_CLASSIPROD");
  test_support::drop_table(*connection, "CG28_TABCODIVA");
  test_support::drop_table(*connection, "RE01_CONFIGRETAIL");
  const Case missing_tables[] = {
      {"Get_RE37_ID:", [&] { c.Get_RE37_ID("X"); }, 0},
      {"Get_RE37_CODCLASSEPROD:", [&] { c.Get_RE37_CODCLASSEPROD(1); }, 0},
      {"GetCodIvaCompensazione:", [&] { c.GetCodIvaCompensazione("A10"); }, 0},
      {"GestioneVelmarRetail:", [&] { c.GestioneVelmarRetail(); }, 0},
  };
  for (const Case& t : missing_tables) {
    SCOPED_TRACE(t.label);
    automation::Error error = error_of(t.call);
    EXPECT_TRUE(error.source().starts_with(std::string(t.label) + "\r\n")) << error.source();
  }
}

TEST_F(CodeLookupsTest, AliasGivesTheItemCodeAsStored) {
  EXPECT_EQ(component->EsisteAlias("INT1  "), "A1  ");
  EXPECT_EQ(component->EsisteAlias("INT2"), "");  // another company's item
  EXPECT_EQ(component->EsisteAlias("O'X"), "");
}

TEST_F(CodeLookupsTest, PriceListCurrencyAndDescription) {
  dorsel::CLSMG_DORSEL& c = *component;
  std::int16_t list = 3;
  EXPECT_EQ(c.RecuperaValuta(0, list), "USD ");  // untrimmed
  EXPECT_EQ(c.RecuperaDescrizioneListino(0, list), "Listino 3");
  EXPECT_EQ(list, 3);
  // A Null currency cannot be converted and leaves the default; a Null description reads "".
  EXPECT_EQ(c.RecuperaValuta(1, list), "");
  EXPECT_EQ(c.RecuperaDescrizioneListino(1, list), "");
  std::int16_t missing = 9;
  EXPECT_EQ(c.RecuperaValuta(0, missing), "");
  EXPECT_EQ(c.RecuperaDescrizioneListino(0, missing), "");

  test_support::StatementLog log(*connection);
  c.RecuperaValuta(1, list);
  EXPECT_TRUE(log.last().ends_with("AND MG44_FLGVENACQ = 1 AND MG44_NUMLIST =3")) << log.last();
  c.RecuperaDescrizioneListino(0, list);
  EXPECT_NE(log.last().find("MG44_PARMAGLIST WITH (NOLOCK)"), std::string::npos);
  EXPECT_NE(log.last().find("MG44_DITTA_CG18 =1"), std::string::npos);
}

TEST_F(CodeLookupsTest, CompensationVatCodeOfAgriculturalCodesOnly) {
  EXPECT_EQ(component->GetCodIvaCompensazione("A10"), "C4");
  EXPECT_EQ(component->GetCodIvaCompensazione("N10"), "");
  EXPECT_EQ(component->GetCodIvaCompensazione("B 2"), "");  // Null compensation code
  test_support::StatementLog log(*connection);
  component->GetCodIvaCompensazione("A'1 ");
  EXPECT_EQ(log.last(),
            "SELECT CG28_CODICEAGR FROM CG28_TABCODIVA WHERE CG28_CODICE = 'A''1 ' AND "
            "CG28_FLGAGRI = 1");
}

TEST_F(CodeLookupsTest, RetailModuleIsActiveOnlyForFlagOne) {
  struct Case {
    const char* flag;
    bool active;
  };
  const Case cases[] = {{"1", true}, {"2", false}, {"0", false}, {"NULL", false}};
  for (const Case& t : cases) {
    SCOPED_TRACE(t.flag);
    exec("DELETE FROM RE01_CONFIGRETAIL");
    exec(std::string("INSERT INTO RE01_CONFIGRETAIL (RE01_DITTA_CG18, RE01_FLGATTIV) VALUES (1, ") +
         t.flag + ")");
    EXPECT_EQ(component->GestioneVelmarRetail(), t.active);
  }
  // A result that cannot count its rows reads as no configuration.
  connection->SetCursorLocation(data::kUseServer);
  EXPECT_FALSE(component->GestioneVelmarRetail());
  connection->SetCursorLocation(data::kUseClient);

  exec("DELETE FROM RE01_CONFIGRETAIL");
  EXPECT_FALSE(component->GestioneVelmarRetail());
  test_support::StatementLog log(*connection);
  component->GestioneVelmarRetail();
  EXPECT_EQ(log.last(), " SELECT * FROM RE01_CONFIGRETAIL WHERE RE01_DITTA_CG18 = 1");
}

TEST_F(CodeLookupsTest, CompanyLocalisation) {
  EXPECT_EQ(component->LocalizzazioneAzienda(), 0);  // no company row
  exec("INSERT INTO CG18_ANADITTABASE (CG18_DITTA, CG18_INDLOCALIZ) VALUES (1, NULL), (2, 3)");
  EXPECT_EQ(component->LocalizzazioneAzienda(), 0);  // Null indicator
  host->company().set_code(2);
  test_support::StatementLog log(*connection);
  EXPECT_EQ(component->LocalizzazioneAzienda(), 3);
  EXPECT_EQ(log.last(),
            "SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE WHERE "
            "CG18_DITTA = 2");
}

// These four are called while a panel fills; whatever fails, they answer their default.
TEST_F(CodeLookupsTest, IgnoringLookupsNeverRaise) {
  dorsel::CLSMG_DORSEL& c = *component;
  std::int16_t list = 3;
  auto expect_defaults = [&] {
    EXPECT_NO_THROW(EXPECT_EQ(c.EsisteAlias("INT1"), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.RecuperaValuta(0, list), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.RecuperaDescrizioneListino(0, list), ""));
    EXPECT_NO_THROW(EXPECT_EQ(c.LocalizzazioneAzienda(), 0));
  };
  {
    SCOPED_TRACE("no host object");
    c.SetActiveInterface(automation::Variant::nothing());
    expect_defaults();
  }
  c.SetActiveInterface(automation::Variant(automation::ObjectPtr(host)));
  {
    SCOPED_TRACE("no connection");
    c.SetConnessione(nullptr);
    expect_defaults();
  }
  c.SetConnessione(connection);
  {
    SCOPED_TRACE("missing tables");
    test_support::drop_table(*connection, "MG66_ANAGRART");
    test_support::drop_table(*connection, "MG44_PARMAGLIST");
    test_support::drop_table(*connection, "CG18_ANADITTABASE");
    expect_defaults();
  }
  {
    SCOPED_TRACE("closed connection");
    connection->Close();
    expect_defaults();
  }
}

}  // namespace
