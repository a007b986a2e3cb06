// Execution of translated T-SQL on an in-memory database with the dialect registered: each
// group checks the results SQL Server gives for the component's constructs.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <vector>

#include "data/dialect/dialect_test_db.h"
#include "support/tsql_inventory.h"

namespace {

using data::dialect::sqlserver_error_number;
using data::dialect::sqlserver_error_text;

// Every line of cases/functions.tsv, run in its group's database.
TEST(TsqlFunctionsTest, CaseFileGivesWhatSqlServerGives) {
  std::optional<tsql_test::Database> db;
  std::string group;
  int cases = 0;
  for (const test_support::CaseLine& line :
       test_support::case_lines("data/dialect/cases/functions.tsv")) {
    const std::string& tsql = line.fields[0];
    if (tsql.starts_with('[')) {
      group = tsql;
      db.emplace();
      continue;
    }
    SCOPED_TRACE(group + " line " + std::to_string(line.number) + ": " + tsql);
    ASSERT_TRUE(db.has_value());
    if (tsql.starts_with("> ")) {
      db->exec_sqlite(tsql.substr(2));
      continue;
    }
    ASSERT_EQ(line.fields.size(), 2u);
    bool statement = false;
    for (const char* verb : {"SELECT ", "INSERT ", "UPDATE ", "DELETE "}) {
      statement = statement || tsql.starts_with(verb);
    }
    EXPECT_EQ(statement ? db->rows(tsql) : db->value(tsql), line.fields[1]);
    ++cases;
  }
  EXPECT_GE(cases, 148);  // the file read to its end
}

TEST(TsqlFunctionsTest, DialectErrorsCarrySqlServersNumber) {
  const std::string message =
      "[245] Conversion failed when converting the varchar value 'x' to "
      "data type int.";
  EXPECT_EQ(sqlserver_error_number(message), 245);
  EXPECT_EQ(sqlserver_error_text(message),
            "Conversion failed when converting the varchar value 'x' to data type int.");
  EXPECT_EQ(sqlserver_error_number("no such table: T"), 0);
  EXPECT_EQ(sqlserver_error_text("no such table: T"), "no such table: T");
  EXPECT_EQ(sqlserver_error_number("[x] text"), 0);
}

// SQLite 3.40's automatic index for a join checks a Bloom filter whose hash includes the
// text's length, so partners that differ only by trailing blanks were never found.
TEST(TsqlConnectionSetupTest, JoinFindsPartnersThatDifferByTrailingBlanks) {
  const char* schema =
      "CREATE TABLE A (X VARCHAR(10) COLLATE TSQL_CI, K INT);"
      "CREATE TABLE B (Y VARCHAR(10) COLLATE TSQL_CI, K INT);"
      "INSERT INTO A VALUES ('T1', 1), ('T2', 1);"
      "INSERT INTO B VALUES ('T1 ', 1);";
  const char* left_join = "SELECT X, Y FROM A LEFT JOIN B ON A.K = B.K AND X = Y ORDER BY X";
  const char* inner_join = "SELECT COUNT(*) FROM A, B WHERE X = Y";
  tsql_test::Database db;
  db.exec_sqlite(schema);
  EXPECT_EQ(db.rows(left_join), "T1|T1 \nT2|NULL\n");
  EXPECT_EQ(db.rows(inner_join), "1\n");

  // The same connection with the planner's defaults back shows what the set-up prevents.
  tsql_test::Database plain;
  sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, plain.handle(), 0);
  plain.exec_sqlite("PRAGMA automatic_index=ON;");
  plain.exec_sqlite(schema);
  if (sqlite3_libversion_number() == 3040001) {
    EXPECT_EQ(plain.rows(left_join), "T1|NULL\nT2|NULL\n");
  } else {
    GTEST_LOG_(INFO) << "SQLite " << sqlite3_libversion()
                     << " without the set-up: " << plain.rows(left_join);
  }
}

// The catalogue list of an item, run as the component writes it.
class TsqlCatalogueListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.exec_sqlite(test_support::case_file("data/dialect/cases/inventory_tables.sql"));
    db_.exec_sqlite(test_support::case_file("data/dialect/cases/catalogue.sql"));
  }

  // The rows sorted: the query itself asks for no order.
  std::string list() {
    std::istringstream rows(db_.rows(tsql_inventory::path_image_query("1", "VITE M6X20")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(rows, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }

  tsql_test::Database db_;
};

TEST_F(TsqlCatalogueListTest, SizesShortNamesAndKindsAsSqlServerShowsThem) {
  EXPECT_EQ(list(),
            "1|Allegato Linea|SCH A12|PDF|5 MB|l1|VIEW|ERASE|ART-77|B01\n"
            "2|Allegato Modello|SCH 12|PDF|1,024 MB|l2|VIEW|ERASE|ART-77|B01\n"
            "3|Immagine Estetica|A12.jpg|FILE||l3|VIEW|ERASE|ART-77|B01\n"
            "4|Immagine Estetica piccola|THB_A12.jpg|FILE||l4|VIEW|ERASE|ART-77|B01\n"
            "5|Allegato Articolo|SCH a12|FILE|1 MB|l5|VIEW|ERASE|ART-77|B01\n"
            "6|Allegato Articolo|SCH X_**Y|PDF|2,047 MB|l6|VIEW|ERASE|ART-77|B01\n");
}

TEST_F(TsqlCatalogueListTest, ActiveServiceListsAttachmentsNotYetDownloaded) {
  db_.exec_sqlite("UPDATE IL00_CONFIG_GDPR SET IL00_STATO = 1;");
  EXPECT_NE(list().find("7|Immagine Tecnica|T7.png|FILE|0 MB|l7|DOWN|ERASE|ART-77|B01\n"),
            std::string::npos)
      << list();
  EXPECT_EQ(db_.rows(tsql_inventory::path_image_query("1", "vite m6x20   ")).empty(), false);
  EXPECT_EQ(db_.rows(tsql_inventory::path_image_query("2", "VITE M6X20")), "");
}

TEST(TsqlStatementTest, PlaceholdersBindLikeTheDataLayerWritesBack) {
  tsql_test::Database db;
  db.exec_sqlite(
      "CREATE TABLE MG67_SCORTE (MG67_DITTA_CG18 INT, MG67_CODART_MG66 VARCHAR(20) COLLATE "
      "TSQL_CI, MG67_FLGDEPPREF SMALLINT);"
      "INSERT INTO MG67_SCORTE VALUES (1, 'VITE', 0), (1, 'DADO', 0);");
  const std::string sql = data::dialect::translate(
      "UPDATE MG67_SCORTE SET MG67_FLGDEPPREF = ? WHERE MG67_DITTA_CG18 = ? AND "
      "MG67_CODART_MG66 = ?",
      "SQLite");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
  EXPECT_EQ(sqlite3_bind_parameter_count(stmt), 3);
  sqlite3_bind_int(stmt, 1, 1);
  sqlite3_bind_int(stmt, 2, 1);
  sqlite3_bind_text(stmt, 3, "vite ", -1, SQLITE_STATIC);
  EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
  sqlite3_finalize(stmt);
  EXPECT_EQ(db.rows("SELECT MG67_CODART_MG66, MG67_FLGDEPPREF FROM MG67_SCORTE ORDER BY 1"),
            "DADO|0\nVITE|1\n");
}

}  // namespace
