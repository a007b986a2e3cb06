#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using test_support::column_names;
using test_support::column_text;
using test_support::crlf_lines;

class PricelistLoadersTest : public test_support::ComponentTest {
 protected:
  // A stored price-list row: kind, option, warehouse, list number, validity start and end.
  void price_row(int kind, const char* item, const char* option, const char* warehouse, int list,
                 const char* start, const char* end, const char* price) {
    exec(
        "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
        "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL, "
        "LI10_DATAFINEVAL, LI10_PREZZO) VALUES (1, " +
        std::to_string(kind) + ", '" + item + "', '" + option + "', '" + warehouse + "', " +
        std::to_string(list) + ", '" + start + "', " + end + ", " + price + ")");
  }
  void last_price(int kind, int prog, const char* price) {
    exec(
        "INSERT INTO LI11_ULTPRACQVEN (LI11_DITTA_CG18, LI11_FLGVENACQ, LI11_CODART_MG66, "
        "LI11_OPZIONE_MG5E, LI11_DEPOS_MG58, LI11_PROG, LI11_PREZZO) VALUES (1, " +
        std::to_string(kind) + ", 'A1', ' ', ' ', " + std::to_string(prog) + ", " + price + ")");
  }
};

std::string li10_query(std::string_view kind, std::string_view item) {
  return crlf_lines({"SELECT ", "   ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID ",
                     "     ,* ", "     , '' AS MG44_DESCLIST ", "     , '' AS VALUTA ",
                     "   FROM LI10_LISTARTIC ", " WHERE ", "     LI10_DITTA_CG18 = 1 ",
                     " AND LI10_FLGVENDACQ = " + std::string(kind),
                     " AND LI10_CODART_MG66 = '" + std::string(item) + "' ",
                     " AND LI10_OPZIONE_MG5E = ' ' ", " AND LI10_DEPOS_MG58 = ' ' ",
                     " ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL"});
}

TEST_F(PricelistLoadersTest, SalesRowsOfTheBaseOptionAndNoWarehouseInListOrder) {
  price_row(0, "A1", " ", " ", 2, "2020-01-01", "NULL", "20");
  price_row(0, "A1", " ", " ", 1, "2021-01-01", "'2021-12-31'", "12");
  price_row(0, "A1", " ", " ", 1, "2020-01-01", "'2020-12-31'", "11");
  price_row(0, "A1", "V1", " ", 1, "2020-01-01", "NULL", "99");  // a variant's row
  price_row(0, "A1", " ", "01", 1, "2020-01-01", "NULL", "98");  // one warehouse's row
  price_row(1, "A1", " ", " ", 1, "2020-01-01", "NULL", "7");    // a purchase row

  component->Init_LI10("A1  ", "0");
  EXPECT_EQ(component->Gstr_SQL_LI10Ven, li10_query("0", "A1  "));
  data::Recordset& sales = *component->Grst_RecSet_LI10Ven;
  EXPECT_EQ(column_text(sales, "MYID"), "1,2,3");
  EXPECT_EQ(column_text(sales, "LI10_PREZZO"), "11,12,20");
  EXPECT_EQ(column_text(sales, "MG44_DESCLIST"), ",,");
  EXPECT_EQ(column_text(sales, "VALUTA"), ",,");
  const std::string names = column_names(sales);
  EXPECT_TRUE(names.starts_with("MYID,LI10_DITTA_CG18,")) << names;
  EXPECT_TRUE(names.ends_with(",LI10_IDMEDIA_CG99,MG44_DESCLIST,VALUTA")) << names;
  EXPECT_EQ(component->Grst_RecSet_LI10Acq, nullptr);
  EXPECT_EQ(component->Gstr_SQL_LI10Acq, "");

  component->Init_LI10("A1", "1");
  EXPECT_EQ(component->Gstr_SQL_LI10Acq, li10_query("1", "A1"));
  EXPECT_EQ(column_text(*component->Grst_RecSet_LI10Acq, "LI10_PREZZO"), "7");
  EXPECT_EQ(component->Gstr_SQL_LI10Ven, li10_query("0", "A1  "));
}

TEST_F(PricelistLoadersTest, AnyOtherKindLoadsNothing) {
  component->Init_LI10("A1", "0");
  data::RecordsetPtr sales = component->Grst_RecSet_LI10Ven;
  const std::string sales_query = component->Gstr_SQL_LI10Ven;
  for (const char* kind : {"2", " 0", "0 ", "", "01"}) {
    SCOPED_TRACE(std::string("kind '") + kind + "'");
    EXPECT_NO_THROW(component->Init_LI10("A1", kind));
    EXPECT_EQ(component->Grst_RecSet_LI10Ven, sales);
    EXPECT_EQ(component->Gstr_SQL_LI10Ven, sales_query);
    EXPECT_EQ(component->Grst_RecSet_LI10Acq, nullptr);
    EXPECT_EQ(component->Gstr_SQL_LI10Acq, "");
  }
}

TEST_F(PricelistLoadersTest, LastPricesFilterTheKindOnlyWhenOneIsGiven) {
  last_price(0, 1, "10");
  last_price(1, 2, "8");
  const std::string base =
      crlf_lines({" SELECT ", "     * ", " FROM ", "     LI11_ULTPRACQVEN ", " WHERE ",
                  "     LI11_DITTA_CG18 = 1 ", " AND LI11_CODART_MG66 = 'A1' ",
                  " AND LI11_OPZIONE_MG5E = ' ' "});
  struct Case {
    const char* kind;
    std::string query;
    int rows;
  };
  const Case cases[] = {
      {"", base, 2},
      {"   ", base, 2},
      {"1", base + "\r\n AND LI11_FLGVENACQ  = 1", 1},
      // Given untrimmed: leading blanks stay in the text.
      {" 0", base + "\r\n AND LI11_FLGVENACQ  =  0", 1},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string("kind '") + t.kind + "'");
    component->Init_LI11_ultimi("A1", t.kind);
    EXPECT_EQ(component->Gstr_SQL_LI11, t.query);
    EXPECT_EQ(component->Grst_RecSet_LI11->RecordCount(), t.rows);
  }
}

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

// Kinds and numbers go into the text without quotes, so only plain numbers may: anything else is
// refused under the loader's label before a statement runs.
TEST_F(PricelistLoadersTest, KindsAndNumbersMustBePlainNumbers) {
  last_price(0, 1, "2.5");
  last_price(1, 1, "3.5");
  test_support::StatementLog log(*connection);
  struct Case {
    const char* label;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"Init_LI11_ultimi:", [&] { component->Init_LI11_ultimi("A1", "0 OR 1=1"); }},
      {"Init_LI11_ultimi:", [&] { component->Init_LI11_ultimi("A1", "1;"); }},
      {"Init_LI11_ultimi:", [&] { component->Init_LI11_ultimi("A1", "1."); }},
      {"ListiniDateValidita:", [&] { component->ListiniDateValidita("0 OR 1=1", "3", ""); }},
      {"ListiniDateValidita:", [&] { component->ListiniDateValidita("0", "3 OR 1=1", ""); }},
      {"ListiniDateValidita:", [&] { component->ListiniDateValidita("0", "", ""); }},
      {"ListiniDateValidita:", [&] { component->ListiniDateValidita("0", "--3", ""); }},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.label);
    const automation::Error error = error_of(t.call);
    EXPECT_EQ(error.number(), automation::errc::kTypeMismatch);
    EXPECT_EQ(error.source(), std::string(t.label) + "\r\nTRAVE_DORSEL");
    EXPECT_EQ(error.description(), "Type mismatch");
  }
  EXPECT_TRUE(log.statements().empty());
  EXPECT_EQ(component->Grst_RecSet_LI11, nullptr);
  // Signs, blanks and decimals are still numbers.
  component->Init_LI11_ultimi("A1", " +1.0 ");
  EXPECT_EQ(component->Grst_RecSet_LI11->RecordCount(), 1);
  EXPECT_EQ(component->ListiniDateValidita("-0", " 3 ", ""), nullptr);
}

TEST_F(PricelistLoadersTest, FailuresCarryTheLoadersLabel) {
  test_support::drop_table(*connection, "MG44_PARMAGLIST");
  automation::Error error = error_of([&] { component->ListiniDateValidita("0", "3", ""); });
  EXPECT_TRUE(error.source().starts_with("ListiniDateValidita:\r\n")) << error.source();

  test_support::drop_table(*connection, "LI11_ULTPRACQVEN");
  error = error_of([&] { component->Init_LI11_ultimi("A1", "0"); });
  EXPECT_TRUE(error.source().starts_with("Init_LI11_ultimi:\r\n")) << error.source();
  EXPECT_TRUE(component->Gstr_SQL_LI11.ends_with(" AND LI11_FLGVENACQ  = 0"));

  component->SetConnessione(nullptr);
  error = error_of([&] { component->Init_LI10("A1", "1"); });
  EXPECT_EQ(error.number(), 3709);
  EXPECT_TRUE(error.source().starts_with("Init_LI10:\r\n")) << error.source();
  EXPECT_EQ(component->Gstr_SQL_LI10Acq, li10_query("1", "A1"));
}

}  // namespace
