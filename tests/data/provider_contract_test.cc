// The provider contract, run against every provider that is built and can reach a database
// here: the embedded SQLite provider and, with unixODBC, the ODBC provider over the SQLite ODBC
// driver. Both see the
// same T-SQL and must give the same values, counts and errors; what the ODBC driver cannot
// report is named in Quirks and checked as the driver's behaviour, not skipped.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/number_format.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/odbc_test_db.h"
#ifdef DORSEL_WITH_ODBC
#include "data/odbc/odbc_provider.h"
#include "data/odbc/type_mapping.h"

// The SQLite ODBC driver keeps a few blocks for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libsqlite3odbc.so\n"; }
#endif

namespace {

using automation::Variant;
using data::ConnectionPtr;
using odbc_test::typed_text;

// What a provider's driver cannot tell, each checked as the driver's actual behaviour.
struct Quirks {
  // NUMERIC(p,s) reports p and s; the SQLite ODBC driver gives the precision and no scale.
  bool reports_numeric_scale = true;
  // Primary keys list their columns in key order; the SQLite ODBC driver numbers them in the
  // order of the table's columns.
  bool keys_in_key_order = true;
  // An aliased column keeps its base table and column (write-back, NOT NULL); the SQLite ODBC
  // driver names the alias as base column, so the provider treats it as an expression.
  bool aliases_keep_base_column = true;
};

struct Backend {
  std::string name;
  std::string provider_name;
  Quirks quirks;
};

// For GoogleTest's listings: the backend's name rather than its bytes.
void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

const char* const kSchema = R"(
CREATE TABLE CT_VALUES (
  ID INT NOT NULL,
  SM SMALLINT NULL,
  BI BIGINT NULL,
  TI TINYINT NULL,
  NU NUMERIC(12,3) NULL,
  FL FLOAT NULL,
  MO MONEY NULL,
  BT BIT NULL,
  VC VARCHAR(30) COLLATE TSQL_CI NOT NULL,
  CH CHAR(4) COLLATE TSQL_CI NULL,
  TX VARCHAR(-1) COLLATE TSQL_CI NULL,
  DT DATETIME NULL,
  BL VARBINARY(-1) NULL,
  CONSTRAINT PK_CT_VALUES PRIMARY KEY (ID)
);
-- A key whose order differs from the column order; a ';' in a comment ends nothing.
CREATE TABLE CT_KEYS (
  A VARCHAR(10) COLLATE TSQL_CI NOT NULL,
  B INT NOT NULL,
  V INT NULL,
  PRIMARY KEY (B, A)
);
CREATE TABLE CT_NOKEY (V INT NULL);
CREATE TABLE CT_WIDE (K INT NOT NULL PRIMARY KEY, LK VARCHAR(500) COLLATE TSQL_CI NULL,
  NM VARCHAR(10) COLLATE TSQL_CI NOT NULL);
)";

using test_support::error_of;

automation::Date date(const char* text) { return *automation::parse_iso_date(text); }

automation::Decimal decimal(const char* text) {
  return automation::Decimal::parse(text, automation::NumberFormat::plain());
}

class ProviderContractTest : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    data::sqlite::register_provider();
#ifdef DORSEL_WITH_ODBC
    data::odbc::register_provider();
#endif
    connection_ = data::Connection::create();
    connection_->SetCursorLocation(data::kUseClient);
    if (GetParam().name == "sqlite") {
      connection_->Open("Provider=SQLite;Data Source=" + db_.path());
    } else {
      connection_->Open(db_.connection_string());
    }
    ASSERT_EQ(connection_->provider().name(), GetParam().provider_name);
    connection_->provider().execute_native_script(kSchema);
  }

  const Quirks& quirks() const { return GetParam().quirks; }
  data::Provider& provider() { return connection_->provider(); }

  std::int64_t run_count(const std::string& sql, std::vector<Variant> params = {}) {
    return connection_->run(sql, params).records_affected;
  }

  // The rows of a query, values with their subtypes, one line each.
  std::string rows(const std::string& sql) {
    std::string out;
    for (const data::Row& row : connection_->run(sql).rows) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        out += (i == 0 ? "" : " | ") + typed_text(row[i]);
      }
      out += "\n";
    }
    return out;
  }

  // The fields of a query, one line each: name, type, defined size, precision, scale,
  // attributes (16 fixed, 96 nullable, 128 long), key and base column.
  std::string columns(const std::string& sql) {
    std::string out;
    for (const data::ColumnInfo& c : connection_->run(sql).columns) {
      out += c.name + " " + std::to_string(static_cast<int>(c.type)) + " " +
             std::to_string(c.defined_size) + " " + std::to_string(c.precision) + " " +
             std::to_string(c.numeric_scale) + " " + std::to_string(c.attributes) + " " +
             (c.key_column ? "key" : "-") + " " + c.base_table + "." + c.base_column + "\n";
    }
    return out;
  }

  odbc_test::TempDatabase db_;
  ConnectionPtr connection_;
};

TEST_P(ProviderContractTest, ParametersAndValuesKeepTheirSubtypes) {
  std::vector<Variant> params = {Variant(std::int32_t{1}),
                                 Variant(std::int16_t{-2}),
                                 Variant(std::int64_t{30000000000}),
                                 Variant(std::int16_t{200}),
                                 Variant(decimal("12345678.125")),
                                 Variant(1.5),
                                 Variant(automation::Currency{31234}),
                                 Variant(true),
                                 Variant("àbc 'q'"),
                                 Variant("ab"),
                                 Variant("long text"),
                                 Variant(date("2024-01-02 03:04:05.678")),
                                 Variant(automation::Bytes{1, 2, 0, 255})};
  EXPECT_EQ(run_count("INSERT INTO CT_VALUES (ID, SM, BI, TI, NU, FL, MO, BT, VC, CH, TX, DT, BL) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                      params),
            1);
  EXPECT_EQ(rows("SELECT * FROM CT_VALUES"),
            "1:Long | -2:Integer | 30000000000:LongLong | 200:Integer | 12345678.125:Decimal | "
            "1.5:Double | 3.1234:Currency | True:Boolean | 'àbc ''q''':String | 'ab':String | "
            "'long text':String | #2024-01-02 03:04:05#:Date | 0x010200FF:Byte()\n");
  // The milliseconds survive the round trip too.
  data::ResultSet result = connection_->run("SELECT DT FROM CT_VALUES");
  EXPECT_EQ(result.rows.at(0).at(0), Variant(date("2024-01-02 03:04:05.678")));
}

TEST_P(ProviderContractTest, NullComesBackAsNullInEveryColumn) {
  run_count("INSERT INTO CT_VALUES (ID, VC) VALUES (1, 'x')");
  run_count("INSERT INTO CT_VALUES (ID, VC, SM, TX, BL, DT) VALUES (?, ?, ?, ?, ?, ?)",
            {Variant(std::int32_t{2}), Variant("y"), Variant::null(), Variant(), Variant::null(),
             Variant::null()});
  EXPECT_EQ(rows("SELECT * FROM CT_VALUES ORDER BY ID"),
            "1:Long | Null:Null | Null:Null | Null:Null | Null:Null | Null:Null | Null:Null | "
            "Null:Null | 'x':String | Null:Null | Null:Null | Null:Null | Null:Null\n"
            "2:Long | Null:Null | Null:Null | Null:Null | Null:Null | Null:Null | Null:Null | "
            "Null:Null | 'y':String | Null:Null | Null:Null | Null:Null | Null:Null\n");
}

TEST_P(ProviderContractTest, FieldsDescribeTheirColumns) {
  const std::string expected =
      "ID 3 4 10 0 16 key CT_VALUES.ID\nSM 2 2 5 0 112 - CT_VALUES.SM\n"
      "BI 20 8 19 0 112 - CT_VALUES.BI\nTI 17 1 3 0 112 - CT_VALUES.TI\n"
      "NU 131 19 12 " +
      std::string(quirks().reports_numeric_scale ? "3" : "0") +
      " 112 - CT_VALUES.NU\nFL 5 8 15 0 112 - CT_VALUES.FL\nMO 6 8 19 4 112 - CT_VALUES.MO\n"
      "BT 11 2 0 0 112 - CT_VALUES.BT\nVC 200 30 0 0 0 - CT_VALUES.VC\n"
      "CH 129 4 0 0 112 - CT_VALUES.CH\nTX 201 2147483647 0 0 224 - CT_VALUES.TX\n"
      "DT 135 16 23 3 112 - CT_VALUES.DT\nBL 205 2147483647 0 0 224 - CT_VALUES.BL\n";
  EXPECT_EQ(columns("SELECT * FROM CT_VALUES"), expected);
}

TEST_P(ProviderContractTest, AliasesAndLongerTextsAreDescribed) {
  run_count("INSERT INTO CT_WIDE (K, LK, NM) VALUES (1, 'link', 'name')");
  std::string alias = quirks().aliases_keep_base_column ? "NAME_ALIAS 200 10 0 0 0 - CT_WIDE.NM\n"
                                                        : "NAME_ALIAS 200 4 0 0 96 - .\n";
  EXPECT_EQ(columns("SELECT K, LK, NM AS NAME_ALIAS FROM CT_WIDE"),
            "K 3 4 10 0 16 key CT_WIDE.K\nLK 200 500 0 0 96 - CT_WIDE.LK\n" + alias);
}

TEST_P(ProviderContractTest, NotNullColumnsOfAnOuterJoinMayStillBeNull) {
  run_count("INSERT INTO CT_KEYS (A, B) VALUES ('a', 1)");
  run_count("INSERT INTO CT_WIDE (K, NM) VALUES (2, 'n')");
  data::ResultSet r = connection_->run(
      "SELECT CT_KEYS.B, CT_WIDE.K, CT_WIDE.NM FROM CT_KEYS LEFT JOIN CT_WIDE ON CT_WIDE.K = "
      "CT_KEYS.B");
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.columns[0].attributes & data::kFldMayBeNull, 0);
  EXPECT_EQ(r.columns[1].attributes & data::kFldMayBeNull, data::kFldMayBeNull);
  EXPECT_EQ(r.columns[2].attributes & data::kFldMayBeNull, data::kFldMayBeNull);
}

TEST_P(ProviderContractTest, DecimalsAndMoneyAreExact) {
  const char* const cases[] = {"0.1", "-0.005", "123456789.123", "999999999.999", "0"};
  int id = 0;
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    ++id;
    run_count("INSERT INTO CT_VALUES (ID, VC, NU, MO) VALUES (?, 'x', ?, ?)",
              {Variant(std::int32_t{id}), Variant(decimal(text)), Variant(decimal(text))});
    EXPECT_EQ(rows("SELECT NU, MO FROM CT_VALUES WHERE ID = " + std::to_string(id)),
              std::string(text) + ":Decimal | " + text + ":Currency\n");
  }
}

// Larger than three of the ODBC provider's read chunks.
constexpr std::size_t kLongValue = std::size_t{3} * 64 * 1024;
#ifdef DORSEL_WITH_ODBC
static_assert(kLongValue == 3 * data::odbc::kReadChunk);
#endif

TEST_P(ProviderContractTest, LongTextsAndBinariesLargerThanAReadChunkArriveWhole) {
  // Multi-byte characters at every offset, so chunk boundaries fall inside characters.
  std::string text;
  while (text.size() < kLongValue + 11) text += "a\xC3\xA0\xE2\x82\xAC\xF0\x9F\x98\x80";
  automation::Bytes blob(kLongValue + 17);
  for (std::size_t i = 0; i < blob.size(); ++i) {
    blob[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  }
  run_count("INSERT INTO CT_VALUES (ID, VC, TX, BL) VALUES (1, 'x', ?, ?)",
            {Variant(text), Variant(blob)});
  run_count("INSERT INTO CT_VALUES (ID, VC, TX, BL) VALUES (2, 'x', ?, ?)",
            {Variant(""), Variant(automation::Bytes{})});
  data::ResultSet r = connection_->run("SELECT TX, BL FROM CT_VALUES ORDER BY ID");
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_TRUE(r.rows[0][0] == Variant(text)) << "text of " << text.size() << " bytes differs";
  EXPECT_TRUE(r.rows[0][1] == Variant(blob)) << "binary of " << blob.size() << " bytes differs";
  EXPECT_EQ(typed_text(r.rows[1][0]), "'':String");
  EXPECT_EQ(typed_text(r.rows[1][1]), "0x:Byte()");
}

TEST_P(ProviderContractTest, StatementsReportTheRowsTheyChanged) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/cases/rows_changed.tsv", 2, 7, [&](const Fields& f) {
    data::ResultSet r = connection_->run(f[0]);
    EXPECT_FALSE(r.returns_rows);
    EXPECT_EQ(r.records_affected, std::stoll(f[1]));
  });
}

TEST_P(ProviderContractTest, TransactionsCommitAndRollBack) {
  provider().begin_transaction();
  run_count("INSERT INTO CT_KEYS (A, B) VALUES ('a', 1)");
  provider().rollback_transaction();
  provider().begin_transaction();
  run_count("INSERT INTO CT_KEYS (A, B) VALUES ('b', 2)");
  provider().commit_transaction();
  run_count("INSERT INTO CT_KEYS (A, B) VALUES ('c', 3)");  // autocommit again
  EXPECT_EQ(rows("SELECT A FROM CT_KEYS ORDER BY A"), "'b':String\n'c':String\n");
}

TEST_P(ProviderContractTest, TransactionMisuseRaises) {
  automation::Error commit = error_of([&] { provider().commit_transaction(); });
  EXPECT_EQ(commit.number(), data::errc::kUnspecifiedError);
  EXPECT_EQ(commit.source(), GetParam().provider_name);
  provider().begin_transaction();
  automation::Error twice = error_of([&] { provider().begin_transaction(); });
  EXPECT_EQ(twice.number(), data::errc::kUnspecifiedError);
  provider().rollback_transaction();
}

TEST_P(ProviderContractTest, EngineErrorsBecomeAutomationErrors) {
  run_count("INSERT INTO CT_KEYS (A, B) VALUES ('a', 1)");
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/cases/engine_errors.tsv", 3, 7, [&](const Fields& f) {
    automation::Error e = error_of([&] { connection_->run(f[0]); });
    EXPECT_EQ(e.number(), std::stoi(f[1])) << e.description();
    EXPECT_EQ(e.source(), GetParam().provider_name);
    EXPECT_NE(e.description().find(f[2]), std::string::npos) << e.description();
  });
  // A failed statement leaves the connection usable.
  EXPECT_EQ(rows("SELECT A FROM CT_KEYS"), "'a':String\n");
}

TEST_P(ProviderContractTest, ParameterCountMustMatchTheMarkers) {
  automation::Error e = error_of([&] {
    std::vector<Variant> one = {Variant(std::int32_t{1})};
    connection_->run("SELECT A FROM CT_KEYS WHERE B = ? AND A = ?", one);
  });
  EXPECT_EQ(e.number(), data::errc::kInvalidArgument);
  EXPECT_EQ(e.source(), GetParam().provider_name);
  EXPECT_EQ(e.description(), "The statement has 2 parameter markers but 1 values were given.");
}

TEST_P(ProviderContractTest, PrimaryKeysListTheirColumnsInKeyOrder) {
  EXPECT_EQ(provider().primary_key("CT_KEYS"), quirks().keys_in_key_order
                                                   ? (std::vector<std::string>{"B", "A"})
                                                   : (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(provider().primary_key("CT_VALUES"), (std::vector<std::string>{"ID"}));
  EXPECT_TRUE(provider().primary_key("CT_NOKEY").empty());
  EXPECT_TRUE(provider().primary_key("CT_NO_SUCH_TABLE").empty());
}

TEST_P(ProviderContractTest, RecordsetChangesAreWrittenBack) {
  run_count("INSERT INTO CT_KEYS (A, B, V) VALUES ('a', 1, 10)");
  run_count("INSERT INTO CT_KEYS (A, B, V) VALUES ('b', 1, 20)");
  data::RecordsetPtr rs = data::Recordset::create();
  rs->SetCursorLocation(data::kUseClient);
  rs->Open(Variant("SELECT A, B, V FROM CT_KEYS ORDER BY A"), Variant(connection_),
           data::CursorTypeEnum::kStatic, data::LockTypeEnum::kBatchOptimistic);
  rs->MoveNext();
  rs->Fields().Item("V").SetValue(Variant(std::int32_t{21}));
  rs->AddNew();
  rs->Fields().Item("A").SetValue(Variant("c"));
  rs->Fields().Item("B").SetValue(Variant(std::int32_t{2}));
  rs->UpdateBatch();
  EXPECT_EQ(rows("SELECT A, B, V FROM CT_KEYS ORDER BY A"),
            "'a':String | 1:Long | 10:Long\n'b':String | 1:Long | 21:Long\n"
            "'c':String | 2:Long | Null:Null\n");
}

TEST_P(ProviderContractTest, ExpressionColumnsAreTypedFromTheirValues) {
  run_count("INSERT INTO CT_KEYS (A, B, V) VALUES ('a', 1, 10)");
  run_count("INSERT INTO CT_KEYS (A, B, V) VALUES ('bb', 2, 20)");
  data::ResultSet r =
      connection_->run("SELECT COUNT(*) AS N, MAX(A) AS M, SUM(V) * 1.5 AS S FROM CT_KEYS");
  ASSERT_EQ(r.columns.size(), 3u);
  EXPECT_EQ(r.columns[0].type, data::DataType::kInteger);
  EXPECT_EQ(r.columns[1].type, data::DataType::kVarChar);
  EXPECT_EQ(r.columns[1].defined_size, 2);  // the longest value
  EXPECT_TRUE(r.columns[0].base_table.empty());
  EXPECT_EQ(rows("SELECT COUNT(*) AS N, MAX(A) AS M FROM CT_KEYS"), "2:Long | 'bb':String\n");
}

const Backend kBackends[] = {
    {"sqlite", "SQLite", Quirks{}},
#ifdef DORSEL_WITH_ODBC
    {"odbc_sqlite", "ODBC (SQLite)",
     Quirks{.reports_numeric_scale = false,
            .keys_in_key_order = false,
            .aliases_keep_base_column = false}},
#endif
};

INSTANTIATE_TEST_SUITE_P(Providers, ProviderContractTest, testing::ValuesIn(kBackends),
                         [](const testing::TestParamInfo<Backend>& param) {
                           return param.param.name;
                         });

}  // namespace
