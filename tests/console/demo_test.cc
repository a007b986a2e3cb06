#include "console/demo.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/convert.h"
#include "automation/error.h"
#include "console/schema.h"
#include "data/sqlite/sqlite_provider.h"
#include "scaled_data.h"
#include "support/error_of.h"
#include "support/test_database.h"

namespace {

using test_support::error_of;
using test_support::rows_text;

// --- The demo --------------------------------------------------------------------------------

class DemoTest : public ::testing::Test {
 protected:
  data::ConnectionPtr connection = test_support::make_test_connection(true);
  std::string rows(const std::string& sql) { return rows_text(*connection, sql); }
};

TEST_F(DemoTest, EveryDecodedCodeValueIsAmongTheRowsThePanelsShow) {
  // What the price panels select for company 1: base option, no particular warehouse.
  const std::string li10 =
      " FROM LI10_LISTARTIC WHERE LI10_DITTA_CG18 = 1 AND LI10_OPZIONE_MG5E = ' ' "
      "AND LI10_DEPOS_MG58 = ' ' AND LI10_FLGVENDACQ = ";
  const std::string li11 = " FROM LI11_ULTPRACQVEN WHERE LI11_DITTA_CG18 = 1 ";
  const struct {
    std::string column, from, expected;
  } cases[] = {
      {"LI10_INDRICALPR", li10 + "0", "NULL\n0\n1\n2\n3\n"},
      {"LI10_INDRICALPR", li10 + "1", "NULL\n0\n1\n2\n3\n"},
      {"LI10_FLGVARIATO", li10 + "0", "NULL\n0\n1\n"},
      {"LI10_FLGVARIATO", li10 + "1", "NULL\n0\n1\n"},
      {"LI10_INDTIPOVAR", li10 + "0", "0\n1\n2\n9\n"},
      {"LI10_INDTIPOVAR", li10 + "1", "0\n1\n2\n9\n"},
      {"LI10_FLGPERSON", li10 + "0", "0\n1\n"},
      {"LI10_INDUM", li10 + "0", "0\n1\n2\n"},
      {"LI10_INDUM", li10 + "1", "0\n1\n2\n"},
      {"LI11_TIPOCF", li11, "NULL\n0\n1\n2\n"},
      {"LI11_FLGDOCBIS", li11, "NULL\n0\n1\n"},
      {"LI11_FLGVENACQ", li11, "0\n1\n"},
      {"MG67_INDDEPPRELVERS", " FROM MG67_SCORTE WHERE MG67_OPZIONE_MG5E = ' ' ", "0\n1\n2\n3\n"},
      {"MG68_FLGCONFPREF", " FROM MG68_CONFART ", "0\n1\n"},
      {"MG66_FLGBASEVAR", " FROM MG66_ANAGRART ", "NULL\n0\n1\n"},
      {"CL06_TIPO", " FROM CL06_LISTAALLEGATI ", "0\n1\n2\n3\n4\n5\n6\n"},
      {"CL06_ISDOWNLOADED", " FROM CL06_LISTAALLEGATI ", "NULL\n0\n1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.column + c.from);
    EXPECT_EQ(c.expected, rows("SELECT " + c.column + c.from + " GROUP BY " + c.column +
                               " ORDER BY " + c.column));
  }
}

TEST_F(DemoTest, PricesIncludeNullZeroAndAnotherCurrency) {
  EXPECT_EQ("1|1\n", rows("SELECT SUM(CASE WHEN LI10_PREZZO IS NULL THEN 1 ELSE 0 END), "
                          "SUM(CASE WHEN LI10_PREZZO = 0 THEN 1 ELSE 0 END) FROM LI10_LISTARTIC "
                          "WHERE LI10_DITTA_CG18 = 1"));
  EXPECT_EQ("EURO\nUSD\n",
            rows("SELECT MG44_VALUTA_CG08 FROM MG44_PARMAGLIST WHERE MG44_DITTA_CG18 = 1 "
                 "AND ISNULL(MG44_VALUTA_CG08, '') <> '' GROUP BY MG44_VALUTA_CG08 "
                 "ORDER BY MG44_VALUTA_CG08"));
}

TEST_F(DemoTest, PriceListParametersCoverTheListsButOne) {
  // List 5 has rows but no parameters; list 4 has parameters but no currency.
  EXPECT_EQ("1|0|5\n",
            rows("SELECT LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_NUMLIST FROM LI10_LISTARTIC "
                 "LEFT OUTER JOIN MG44_PARMAGLIST ON MG44_DITTA_CG18 = LI10_DITTA_CG18 "
                 "AND MG44_FLGVENACQ = LI10_FLGVENDACQ AND MG44_NUMLIST = LI10_NUMLIST "
                 "WHERE ISNULL(MG44_NUMLIST, 0) = 0 "
                 "GROUP BY LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_NUMLIST"));
  EXPECT_EQ("1|0|4\n",
            rows("SELECT MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST FROM MG44_PARMAGLIST "
                 "WHERE ISNULL(MG44_VALUTA_CG08, '') = ''"));
  // Every currency that a list names has its decimals in the host.
  EXPECT_EQ("", rows("SELECT MG44_VALUTA_CG08 FROM MG44_PARMAGLIST LEFT OUTER JOIN HOST_VALUTE "
                     "ON HV_DITTA = MG44_DITTA_CG18 AND HV_VALUTA = MG44_VALUTA_CG08 "
                     "WHERE ISNULL(MG44_VALUTA_CG08, '') <> '' AND ISNULL(HV_DECIMALI, -1) = -1"));
}

TEST_F(DemoTest, BaseVariationValuesGoWithTheFlag) {
  EXPECT_EQ("0\n", rows("SELECT COUNT(*) FROM LI10_LISTARTIC INNER JOIN MG66_ANAGRART "
                        "ON MG66_DITTA_CG18 = LI10_DITTA_CG18 AND MG66_CODART = LI10_CODART_MG66 "
                        "WHERE ISNULL(MG66_FLGBASEVAR, 0) = 1 AND ISNULL(LI10_BVMMOLT, 0) = 0"));
  EXPECT_EQ("0\n", rows("SELECT COUNT(*) FROM LI10_LISTARTIC INNER JOIN MG66_ANAGRART "
                        "ON MG66_DITTA_CG18 = LI10_DITTA_CG18 AND MG66_CODART = LI10_CODART_MG66 "
                        "WHERE ISNULL(MG66_FLGBASEVAR, 0) <> 1 AND ISNULL(LI10_BVMMOLT, 0) <> 0"));
}

TEST_F(DemoTest, DecodedWordsAreTranslatedAndFitTheirViewColumns) {
  // Word id and the size of the view column that receives it; 0 for a variant column.
  const std::pair<int, int> words[] = {{8435, 40},  {53199, 40}, {52996, 40}, {52384, 10},
                                       {39318, 10}, {36810, 20}, {8434, 20},  {17447, 20},
                                       {59265, 0},  {59267, 0}};
  for (const auto& [id, size] : words) {
    SCOPED_TRACE(id);
    const std::string where = " FROM HOST_TRADUZIONI WHERE TR_ID = " + std::to_string(id);
    EXPECT_EQ("ENG \nITA \n", rows("SELECT TR_LINGUA" + where + " ORDER BY TR_LINGUA"));
    if (size > 0) {
      EXPECT_EQ("",
                rows("SELECT TR_LINGUA" + where + " AND LEN(TR_TESTO) > " + std::to_string(size)));
    }
  }
}

TEST_F(DemoTest, DownloadedAttachmentsHoldTheirFiles) {
  const data::ResultSet result = connection->run(
      "SELECT CL06_NOMEFILE, ISNULL(CL06_ISDOWNLOADED, 0), CL07_FILE FROM CL06_LISTAALLEGATI "
      "LEFT OUTER JOIN CL07_FILEALLEGATI ON CL07_ID_CL06 = CL06_ID");
  int images = 0, documents = 0;
  for (const data::Row& row : result.rows) {
    const std::string name = row[0].as_string();
    SCOPED_TRACE(name);
    const bool downloaded = automation::to_long(row[1]) != 0;
    ASSERT_EQ(downloaded, row[2].is_bytes());
    if (!downloaded) continue;
    const automation::Bytes& bytes = row[2].as_bytes();
    const std::string head(bytes.begin(),
                           bytes.begin() + std::min<std::ptrdiff_t>(std::ssize(bytes), 5));
    if (name.ends_with(".png")) {
      EXPECT_EQ("\x89PNG\r", head);
      ++images;
    } else {
      EXPECT_EQ("%PDF-", head);
      ++documents;
    }
  }
  EXPECT_EQ(5, images);
  EXPECT_EQ(3, documents);
}

TEST_F(DemoTest, ItemCodeWithAQuoteIsFoundByItsQuotedLiteral) {
  EXPECT_EQ("O'RING-12\n", rows("SELECT MG66_CODART FROM MG66_ANAGRART WHERE MG66_DITTA_CG18 = 1 "
                                "AND MG66_CODART = 'o''ring-12 '"));
  EXPECT_EQ("1\n",
            rows("SELECT COUNT(*) FROM MG66_ANAGRART WHERE CHARINDEX('''', MG66_CODART) > 0"));
}

TEST_F(DemoTest, LoadingTwiceFailsAndKeepsTheFirstLoad) {
  const auto fingerprint = [this] {
    std::string counts;
    for (const char* table :
         {"MG66_ANAGRART", "LI10_LISTARTIC", "CL07_FILEALLEGATI", "HOST_TRADUZIONI"}) {
      counts += rows(std::string("SELECT COUNT(*) FROM ") + table);
    }
    return counts;
  };
  const std::string before = fingerprint();
  EXPECT_THROW(console::create_demo(*connection), automation::Error);
  EXPECT_EQ(before, fingerprint());
}

TEST(DemoDatabaseTest, WritesANewFileOnlyOnce) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("dorsel_demo_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "demo.sqlite").string();

  console::create_demo_database(path);
  const auto size = std::filesystem::file_size(path);
  data::ConnectionPtr connection = data::Connection::create();
  connection->Open("Provider=SQLite;Data Source=" + path);
  EXPECT_EQ("23\n", rows_text(*connection, "SELECT COUNT(*) FROM MG66_ANAGRART"));
  // Made for several readers beside one writer.
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(data::sqlite::native_handle(connection->provider()),
                                          "PRAGMA journal_mode", -1, &stmt, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
  EXPECT_STREQ("wal", reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  connection->Close();

  const automation::Error e = error_of([&] { console::create_demo_database(path); });
  EXPECT_EQ(58, e.number());
  EXPECT_EQ("console", e.source());
  EXPECT_EQ("File already exists: " + path, e.description());
  EXPECT_EQ(size, std::filesystem::file_size(path));

  // A folder that does not exist: an error and no file left behind.
  const std::string missing = (folder / "no_such_folder" / "demo.sqlite").string();
  EXPECT_THROW(console::create_demo_database(missing), automation::Error);
  EXPECT_FALSE(std::filesystem::exists(missing));
  std::filesystem::remove_all(folder);
}

// --- The scaled data set ---------------------------------------------------------------------

data::ConnectionPtr empty_database() { return test_support::make_test_connection(false); }

TEST(ScaledDataTest, WritesTheAskedRowsPerItem) {
  data::ConnectionPtr connection = empty_database();
  bench::DemoScale scale;
  scale.items = 3;
  scale.pricelist_rows = 250;
  scale.purchase_rows = 40;
  scale.last_price_rows = 30;
  scale.stock_rows = 30;
  scale.attachments = 15;
  bench::generate_scaled(*connection, scale);

  const std::pair<const char*, const char*> counts[] = {
      {"MG66_ANAGRART", "3"},
      {"LI10_LISTARTIC WHERE LI10_FLGVENDACQ = 0 AND LI10_OPZIONE_MG5E = ' ' AND LI10_DEPOS_MG58 = "
       "' '",
       "750"},
      {"LI10_LISTARTIC WHERE LI10_FLGVENDACQ = 1", "120"},
      {"LI11_ULTPRACQVEN WHERE LI11_OPZIONE_MG5E = ' '", "90"},
      {"MG67_SCORTE WHERE MG67_OPZIONE_MG5E = ' '", "90"},
      {"MG68_CONFART WHERE MG68_OPZIONE_MG5E = ' '", "90"},
      {"MG7A_UBICAZARTFIX WHERE MG7A_OPZIONE_MG5E = ' '", "90"},
      {"MG87_ARTDESC WHERE MG87_OPZIONE_MG5E = ' '", "90"},
      {"MG98_MAGINTRA", "90"},
      {"MG1Q_ARTNOMENCLATURE", "90"},
      {"MG6B_GESVARART INNER JOIN MG5G_RAGGVAR ON MG6B_DITTA_CG18 = MG5G_DITTA_CG18 "
       "AND MG6B_CODICEVAR_MG5F = MG5G_CODICEVAR_MG5F AND MG6B_CODRAGGVAR_MG5G = MG5G_CODRAGGVAR",
       "90"},
      {"MG6D_FLGTABARTVAR", "90"},
      {"MG72_APPLICART INNER JOIN MG57_APPLICAZIONI ON MG57_DITTA_CG18 = MG72_DITTA_CG18 "
       "AND MG57_CODAPPLIC = MG72_CODAPPLIC_MG57",
       "90"},
      {"CL03_LEGAMI INNER JOIN CL06_LISTAALLEGATI ON CL06_ID_CL02 = CL03_ID_CL02", "45"},
      {"CL07_FILEALLEGATI", "24"},
      {"LI10_LISTARTIC LEFT OUTER JOIN MG44_PARMAGLIST ON MG44_DITTA_CG18 = LI10_DITTA_CG18 "
       "AND MG44_FLGVENACQ = LI10_FLGVENDACQ AND MG44_NUMLIST = LI10_NUMLIST "
       "WHERE ISNULL(MG44_NUMLIST, 0) = 0",
       "0"},
      {"HOST_TRADUZIONI", "20"},
  };
  for (const auto& [from, expected] : counts) {
    SCOPED_TRACE(from);
    EXPECT_EQ(std::string(expected) + "\n",
              rows_text(*connection, std::string("SELECT COUNT(*) FROM ") + from));
  }
}

TEST(ScaledDataTest, CountsOutOfRangeAreRefusedBeforeWriting) {
  const struct {
    int bench::DemoScale::*field;
    int value;
    const char* description;
  } cases[] = {
      {&bench::DemoScale::items, -1, "DemoScale.items must be between 0 and 999999, not -1"},
      {&bench::DemoScale::stock_rows, 1001,
       "DemoScale.stock_rows must be between 0 and 1000, not 1001"},
      {&bench::DemoScale::last_price_rows, 32768,
       "DemoScale.last_price_rows must be between 0 and 32767, not 32768"},
      {&bench::DemoScale::attachments, -5,
       "DemoScale.attachments must be between 0 and 10000, not -5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    data::ConnectionPtr connection = empty_database();
    bench::DemoScale scale;
    scale.*c.field = c.value;
    const automation::Error e = error_of([&] { bench::generate_scaled(*connection, scale); });
    EXPECT_EQ(5, e.number());
    EXPECT_EQ("console", e.source());
    EXPECT_EQ(c.description, e.description());
    EXPECT_EQ("0\n", rows_text(*connection, "SELECT COUNT(*) FROM HOST_DITTE"));
  }
}

}  // namespace
