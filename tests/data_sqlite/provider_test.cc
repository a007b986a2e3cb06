// The embedded provider on its own: how the declared types that the provider contract does not
// run and expressions become fields and values, statement reuse, key lookup, connection strings
// and the errors it reports.
#include "data/sqlite/sqlite_provider.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "automation/error.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/recordset_text.h"

namespace {

using automation::Variant;

using test_support::error_of;

class ProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider_ = data::sqlite::open("Provider=SQLite;Data Source=:memory:");
    provider_->execute_native_script(R"(
      CREATE TABLE T (I INT NOT NULL PRIMARY KEY, N NUMERIC(9,2), D DECIMAL(5), R REAL,
        C CHAR(3), V VARCHAR(10), NV NVARCHAR(20), DA DATE, VB VARBINARY(4), U UNIQUEIDENTIFIER);
      INSERT INTO T VALUES (1, 12.345, 7, 0.5, 'ab ', 'text', 'wide', '2021-03-04', x'0102', 'A-B');
      INSERT INTO T (I) VALUES (2);
    )");
  }

  std::unique_ptr<data::Provider> provider_;
};

TEST_F(ProviderTest, DeclaredTypesGiveFieldsAndValueSubtypes) {
  data::ResultSet rs = provider_->execute("SELECT * FROM T ORDER BY I", {});
  ASSERT_TRUE(rs.returns_rows);
  ASSERT_EQ(rs.rows.size(), 2u);
  std::size_t i = 0;
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_sqlite/cases/declared_types.tsv", 2, 10, [&](const Fields& f) {
    ASSERT_LT(i, rs.columns.size());
    const data::ColumnInfo& c = rs.columns[i];
    EXPECT_EQ(c.name + " " + std::to_string(static_cast<int>(c.type)) + " " +
                  std::to_string(c.defined_size) + " " + std::to_string(c.precision) + " " +
                  std::to_string(c.numeric_scale) + " " + std::to_string(c.attributes) + " " +
                  (c.key_column ? "key" : "-") + " " + c.base_table + "." + c.base_column,
              f[0]);
    EXPECT_EQ(test_support::value_text(rs.rows[0][i], test_support::ShowTypes::kYes), f[1]);
    EXPECT_EQ(rs.rows[1][i].is_null(), i > 0);
    ++i;
  });
  EXPECT_EQ(i, rs.columns.size());
}

// SQLite keeps a value its column's type cannot take as what it is; it is read so, whether
// the column's values are packed straight from the statement or through a Variant.
TEST_F(ProviderTest, ValuesThatDoNotFitTheirColumnAreReadAsWhatTheyAre) {
  provider_->execute_native_script(R"(
    CREATE TABLE MISFIT (K INT PRIMARY KEY, S SMALLINT, I INT, BI BIGINT, F FLOAT, V VARCHAR(5));
    INSERT INTO MISFIT VALUES (1, 70000, 3000000000, 2.5, 'abc', x'01');
    INSERT INTO MISFIT VALUES (2, -5, 'x', -7, 7, 'ok');
    INSERT INTO MISFIT VALUES (3, 'y', 1.5, NULL, NULL, '');
  )");
  data::ResultSet rs = provider_->execute("SELECT S, I, BI, F, V FROM MISFIT ORDER BY K", {});
  ASSERT_EQ(rs.rows.size(), 3u);
  auto row_text = [&](std::size_t r) {
    std::string out;
    for (const Variant& v : rs.rows[r]) {
      out += test_support::value_text(v, test_support::ShowTypes::kYes) + " ";
    }
    return out;
  };
  EXPECT_EQ(row_text(0), "70000:Long 3000000000:LongLong 2.5:Double 'abc':String 0x01:Byte() ");
  EXPECT_EQ(row_text(1), "-5:Integer 'x':String -7:LongLong 7:Double 'ok':String ");
  EXPECT_EQ(row_text(2), "'y':String 1.5:Double Null:Null Null:Null '':String ");
}

TEST_F(ProviderTest, ExpressionColumnsAreTypedFromTheirValues) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case(
      "data_sqlite/cases/expression_columns.tsv", 3, 6, [&](const Fields& f) {
        data::ResultSet rs = provider_->execute(f[0], {});
        ASSERT_EQ(rs.columns.size(), 1u);
        EXPECT_EQ(std::to_string(static_cast<int>(rs.columns[0].type)) + " " +
                      std::to_string(rs.columns[0].defined_size),
                  f[1]);
        EXPECT_EQ(rs.columns[0].attributes & data::kFldMayBeNull, data::kFldMayBeNull);
        EXPECT_TRUE(rs.columns[0].base_table.empty());
        std::string values;
        for (const data::Row& row : rs.rows) {
          if (!values.empty()) values += ' ';
          values += test_support::value_text(row[0], test_support::ShowTypes::kYes);
        }
        EXPECT_EQ(values, f[2]);
      });
  // Converting an expression's values leaves the row's other columns as they were read.
  data::ResultSet mixed = provider_->execute(
      "SELECT I, CASE WHEN I = 1 THEN 'abc' ELSE 7 END AS X, V FROM T ORDER BY I", {});
  ASSERT_EQ(mixed.rows.size(), 2u);
  EXPECT_EQ(test_support::value_text(mixed.rows[0][0], test_support::ShowTypes::kYes), "1:Long");
  EXPECT_EQ(test_support::value_text(mixed.rows[1][1], test_support::ShowTypes::kYes),
            "'7':String");
  EXPECT_EQ(test_support::value_text(mixed.rows[0][2], test_support::ShowTypes::kYes),
            "'text':String");
  EXPECT_TRUE(mixed.rows[1][2].is_null());
}

TEST_F(ProviderTest, StatementsAreReused) {
  sqlite3* db = data::sqlite::native_handle(*provider_);
  ASSERT_NE(db, nullptr);
  auto prepared = [db] {
    int n = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) ++n;
    return n;
  };
  const std::string insert = "INSERT INTO T (I, V) VALUES (?, ?)";
  for (int i = 10; i < 13; ++i) {
    Variant params[] = {Variant(i), Variant("it's")};
    data::ResultSet done = provider_->execute(insert, params);
    EXPECT_FALSE(done.returns_rows);
    EXPECT_EQ(done.records_affected, 1);
  }
  EXPECT_EQ(prepared(), 1);  // one text, prepared once
  data::ResultSet rs = provider_->execute("SELECT N FROM T WHERE I = 11", {});
  ASSERT_EQ(rs.rows.size(), 1u);
  EXPECT_EQ(prepared(), 2);
  EXPECT_EQ(provider_->execute("DELETE FROM T WHERE I >= 10", {}).records_affected, 3);
  EXPECT_EQ(rs.records_affected, -1);
}

// The statement's own description is shared by its results: what one result found in its
// values is not carried into the next run of the same text.
TEST_F(ProviderTest, OuterJoinNullabilityIsFoundPerResult) {
  provider_->execute_native_script("CREATE TABLE P (X INT NOT NULL PRIMARY KEY);");
  const std::string one_row = "SELECT I, X FROM T LEFT JOIN P ON X = I WHERE I = ?";
  provider_->execute_native_script("INSERT INTO P VALUES (1);");
  const std::vector<Variant> unmatched = {Variant(2)}, matched = {Variant(1)};
  data::ResultSet with_null = provider_->execute(one_row, unmatched);
  data::ResultSet without = provider_->execute(one_row, matched);
  ASSERT_EQ(without.rows.size(), 1u);
  EXPECT_EQ(with_null.columns[1].attributes & data::kFldMayBeNull, data::kFldMayBeNull);
  EXPECT_EQ(without.columns[1].attributes & data::kFldMayBeNull, 0);
}

TEST(SqliteProviderOpenTest, ConnectionStringsItAcceptsAndRefuses) {
  data::sqlite::register_provider();
  for (const char* accepted : {"Provider=SQLite;Data Source=:memory:", ":memory:",
                               " provider = sqlite ; data source = {:memory:} "}) {
    SCOPED_TRACE(accepted);
    EXPECT_EQ(data::open_provider(accepted)->name(), "SQLite");
  }
  for (const char* refused : {"DSN=elsewhere", "Provider=SQLite;User=me"}) {
    SCOPED_TRACE(refused);
    automation::Error e = error_of([&] { data::sqlite::open(refused); });
    EXPECT_EQ(e.number(), 3709);
    EXPECT_EQ(e.source(), "ADODB.Connection");
  }
  automation::Error missing =
      error_of([] { data::sqlite::open("Provider=SQLite;Data Source=/no/such/dir/x.db"); });
  EXPECT_EQ(missing.number(), -2147467259);
  EXPECT_EQ(missing.source(), "SQLite");
}

// A pragma's answer on a provider's own connection.
std::string pragma(data::Provider& provider, const char* name) {
  sqlite3* db = data::sqlite::native_handle(provider);
  sqlite3_stmt* stmt = nullptr;
  std::string answer;
  if (sqlite3_prepare_v2(db, ("PRAGMA " + std::string(name)).c_str(), -1, &stmt, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    answer = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  return answer;
}

TEST(SqliteProviderOpenTest, JournalModeIsTheFilesAndSyncLevelTheConnections) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("dorsel_journal_" + std::to_string(::getpid()) + ".sqlite");
  const std::string source = "Provider=SQLite;Data Source=" + file.string();
  std::filesystem::remove(file);
  // 64 MiB of page cache, for a large price list.
  EXPECT_EQ(pragma(*data::sqlite::open(source), "cache_size"), "-65536");
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_sqlite/cases/journal_modes.tsv", 2, 6, [&](const Fields& f) {
    auto provider = data::sqlite::open(source + f[0]);
    EXPECT_EQ(pragma(*provider, "journal_mode") + " " + pragma(*provider, "synchronous"), f[1]);
  });
  std::filesystem::remove(file);

  for (auto [keys, description] : {
           std::pair{";Journal Mode=Fast",
                     "The SQLite provider's Journal Mode is one of DELETE, TRUNCATE, PERSIST, "
                     "MEMORY, WAL, OFF, not 'Fast'."},
           std::pair{";Synchronous=1",
                     "The SQLite provider's Synchronous is one of OFF, NORMAL, FULL, EXTRA, not "
                     "'1'."},
       }) {
    SCOPED_TRACE(keys);
    const std::string text = source + keys;
    automation::Error e = error_of([&] { data::sqlite::open(text); });
    EXPECT_EQ(e.number(), 3001);
    EXPECT_EQ(e.source(), "ADODB.Connection");
    EXPECT_EQ(e.description(), description);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
}

}  // namespace
