// What only the ODBC provider does: choosing its connection strings, picking the dialect by
// the product's name, mapping the drivers' column descriptions, turning diagnostics into
// errors, loading the dialect's extension into the SQLite driver, and cutting scripts.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "automation/date.h"
#include "automation/decimal.h"
#include "data/connection.h"
#include "data/odbc/dialect.h"
#include "data/odbc/errors.h"
#include "data/odbc/odbc_provider.h"
#include "data/odbc/type_mapping.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/odbc_test_db.h"

// The SQLite ODBC driver keeps SQLite's message when LoadExt names a file that does not load
// and never frees it; the tests of that refusal would otherwise fail the sanitizer build's
// leak check. Only allocations made through the driver are let pass, which needs whole stacks
// (libsqlite3 has no frame pointers for the fast unwinder).
extern "C" const char* __lsan_default_suppressions() { return "leak:libsqlite3odbc.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

using automation::Variant;
using data::odbc::Dialect;
using data::odbc::ReadAs;
using odbc_test::typed_text;

using test_support::error_of;

// Points DORSEL_TSQLEXT at a file for one test; the tests' environment has it unset.
struct ScopedExtensionPath {
  explicit ScopedExtensionPath(const char* path) { ::setenv("DORSEL_TSQLEXT", path, 1); }
  ~ScopedExtensionPath() { ::unsetenv("DORSEL_TSQLEXT"); }
};

TEST(OdbcDialectTest, TheProductNamePicksTheDialect) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/dbms_names.tsv", 2, 8, [](const Fields& f) {
    if (f[1] != "refused") {
      EXPECT_EQ(data::odbc::pick_dialect(f[0]) == Dialect::kSqlite ? "SQLite" : "SQL Server", f[1]);
      return;
    }
    automation::Error e = error_of([&] { data::odbc::pick_dialect(f[0]); });
    EXPECT_EQ(e.number(), data::errc::kInvalidConnection);
    EXPECT_EQ(e.source(), "ODBC");
    EXPECT_EQ(e.description(), "Unsupported DBMS '" + f[0] +
                                   "': the ODBC provider speaks to Microsoft SQL Server, and to "
                                   "SQLite for tests.");
  });
}

TEST(OdbcProviderTest, TakesOnlyStringsWithADriverOrADsn) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/connection_strings.tsv", 2, 10, [](const Fields& f) {
    EXPECT_EQ(data::odbc::accepts(f[0]) ? "ODBC" : "not ODBC", f[1]);
  });
}

// The provider contract opens each provider through the registry; a driver that cannot be
// loaded is the driver manager's error, not "no provider".
TEST(OdbcProviderTest, AnUnloadableDriverIsTheDriverManagersError) {
  data::sqlite::register_provider();
  data::odbc::register_provider();
  data::ConnectionPtr connection = data::Connection::create();
  automation::Error e =
      error_of([&] { connection->Open("Driver=/nonexistent/libnothing.so;Database=x"); });
  EXPECT_EQ(e.number(), data::errc::kUnspecifiedError);
  EXPECT_EQ(e.source(), "ODBC");
  EXPECT_EQ(e.description(),
            "[unixODBC][Driver Manager]Can't open lib '/nonexistent/libnothing.so' : file not "
            "found (SQLSTATE 01000, native error 0)");
  EXPECT_EQ(connection->State(), data::kStateClosed);
}

TEST(OdbcTypeMappingTest, DriverTypesBecomeRecordsetTypes) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/type_mapping.tsv", 5, 39, [](const Fields& f) {
    const auto sql_type = static_cast<SQLSMALLINT>(std::stoi(f[0].substr(f[0].find('=') + 1)));
    const auto digits = static_cast<SQLSMALLINT>(std::stoi(f[2]));
    data::odbc::ColumnType t = data::odbc::map_column(sql_type, std::stoull(f[1]), digits, f[3]);
    EXPECT_EQ(std::to_string(static_cast<int>(t.type)) + " " + std::to_string(t.defined_size) +
                  " " + std::to_string(t.precision) + " " + std::to_string(t.scale) + " " +
                  std::to_string(t.attributes) + " " + std::to_string(static_cast<int>(t.read)),
              f[4]);
  });
}

TEST(OdbcTypeMappingTest, NumbersInTextAreReadExactly) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/numbers_in_text.tsv", 3, 11, [](const Fields& f) {
    const ReadAs read = f[1] == "currency" ? ReadAs::kCurrency : ReadAs::kDecimal;
    EXPECT_EQ(typed_text(data::odbc::number_from_text(f[0], read)), f[2]);
  });
}

TEST(OdbcTypeMappingTest, WideTextsConvertBothWays) {
  struct Case {
    std::string utf8;
    std::vector<SQLWCHAR> utf16;
  };
  const Case cases[] = {
      {"", {}},
      {"abc", {'a', 'b', 'c'}},
      {"\xC3\xA0\xE2\x82\xAC", {0x00E0, 0x20AC}},
      {"\xF0\x9F\x98\x80!", {0xD83D, 0xDE00, '!'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(data::odbc::utf16_from_utf8(c.utf8), c.utf16);
    EXPECT_EQ(data::odbc::utf8_from_utf16(c.utf16.data(), c.utf16.size()), c.utf8);
  }
  // What cannot be converted becomes U+FFFD, one per broken unit or byte.
  const SQLWCHAR lone[] = {'a', 0xD800, 'b'};
  EXPECT_EQ(data::odbc::utf8_from_utf16(lone, 3),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(data::odbc::utf16_from_utf8("a\xC3"
                                        "b\xFF"),
            (std::vector<SQLWCHAR>{'a', 0xFFFD, 'b', 0xFFFD}));
}

TEST(OdbcErrorsTest, DiagnosticsGiveTheNumberTheHostActsOn) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/error_numbers.tsv", 7, 10, [](const Fields& f) {
    const std::optional<Dialect> dialect = f[4] == "SQL Server" ? std::optional(Dialect::kSqlServer)
                                           : f[4] == "SQLite"   ? std::optional(Dialect::kSqlite)
                                                                : std::nullopt;
    EXPECT_EQ(data::odbc::error_number({f[1], std::stoi(f[2]), f[3]}, dialect, f[5] == "prepare"),
              std::stoi(f[6]));
  });
  EXPECT_EQ(data::odbc::error_description(
                {{"23000", 2627, "[FreeTDS][SQL Server]Violation of PRIMARY KEY."},
                 {"01000", 3621, "[FreeTDS][SQL Server]The statement has been terminated."}}),
            "[FreeTDS][SQL Server]Violation of PRIMARY KEY. (SQLSTATE 23000, native error 2627)\n"
            "[FreeTDS][SQL Server]The statement has been terminated. (SQLSTATE 01000, native "
            "error 3621)");
}

TEST(OdbcProviderTest, TheProductNameOnOpeningPicksTheTextsPath) {
  // The SQL Server code path over the SQLite driver, through a fake product name.
  odbc_test::TempDatabase db;
  std::unique_ptr<data::Provider> server =
      data::odbc::open_as(db.connection_string(), "Microsoft SQL Server");
  EXPECT_EQ(server->name(), "ODBC (Microsoft SQL Server)");
  server->execute_native_script(
      "CREATE TABLE T (K INT NOT NULL PRIMARY KEY, S VARCHAR(20) NULL, D DATETIME NULL,\n"
      "  B VARBINARY(-1) NULL, N NUMERIC(9,2) NULL)\nGO\nINSERT INTO T (K) VALUES (0)\n");
  std::vector<Variant> params = {Variant(std::int32_t{1}), Variant("\xC3\xA0\xE2\x82\xAC"),
                                 Variant(*automation::parse_iso_date("2024-01-02 03:04:05.678")),
                                 Variant::null(),
                                 Variant(automation::Decimal::from_parts(1250, 2))};
  EXPECT_EQ(server->execute("INSERT INTO T (K, S, D, B, N) VALUES (?, ?, ?, ?, ?)", params)
                .records_affected,
            1);
  std::vector<Variant> key = {params[0]};
  data::ResultSet r = server->execute("SELECT S, D, B, N FROM T WHERE K = ?", key);
  ASSERT_EQ(r.rows.size(), 1u);
  std::string row;
  for (const Variant& v : r.rows[0]) row += typed_text(v) + " ";
  EXPECT_EQ(row,
            "'\xC3\xA0\xE2\x82\xAC':String #2024-01-02 03:04:05#:Date Null:Null 12.5:Decimal ");
  EXPECT_EQ(r.rows[0][1], params[2]);
  // T-SQL's '+' on texts concatenates; passed unchanged, SQLite adds them as numbers, which
  // shows the text reached the driver untranslated.
  EXPECT_EQ(typed_text(server->execute("SELECT 'a' + 'b' AS X", {}).rows.at(0).at(0)), "0:Long");
  std::unique_ptr<data::Provider> translated = data::odbc::open(db.connection_string());
  EXPECT_EQ(typed_text(translated->execute("SELECT 'a' + 'b' AS X", {}).rows.at(0).at(0)),
            "'ab':String");
  // The markers are counted in the text itself, outside literals.
  automation::Error e = error_of([&] {
    std::vector<Variant> one = {Variant(std::int32_t{1})};
    server->execute("SELECT K FROM T WHERE S = '?' AND K = ? AND K <> ?", one);
  });
  EXPECT_EQ(e.number(), data::errc::kInvalidArgument);
  EXPECT_EQ(e.source(), "ODBC (Microsoft SQL Server)");
  EXPECT_EQ(e.description(), "The statement has 2 parameter markers but 1 values were given.");
  // A product the provider does not speak to is refused on opening.
  automation::Error oracle =
      error_of([&] { data::odbc::open_as(db.connection_string(), "Oracle"); });
  EXPECT_EQ(oracle.number(), data::errc::kInvalidConnection);
  EXPECT_EQ(oracle.source(), "ODBC");
  EXPECT_EQ(oracle.description(),
            "Unsupported DBMS 'Oracle': the ODBC provider speaks to Microsoft SQL Server, and to "
            "SQLite for tests.");
}

TEST(OdbcProviderTest, TheDialectsExtensionIsLoadedWhenTheStringLacksIt) {
  odbc_test::TempDatabase db;
  ScopedExtensionPath env(DORSEL_TSQLEXT_PATH);
  EXPECT_EQ(data::odbc::extension_path(), DORSEL_TSQLEXT_PATH);
  std::unique_ptr<data::Provider> provider = data::odbc::open(db.connection_string(false));
  provider->execute_native_script(
      "CREATE TABLE T (K VARCHAR(5) COLLATE TSQL_CI NOT NULL PRIMARY KEY);"
      "INSERT INTO T VALUES ('Abc');");
  data::ResultSet r = provider->execute("SELECT LEN(K) AS N FROM T WHERE K = 'aBC  '", {});
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(typed_text(r.rows[0][0]), "3:Long");
}

TEST(OdbcProviderTest, ASqliteSourceWithoutTheExtensionIsRefused) {
  odbc_test::TempDatabase db;
  const std::string expected =
      "The SQLite data source lacks the T-SQL dialect's functions: add "
      "LoadExt=/path/to/libtsqlext.so to the connection string, or set DORSEL_TSQLEXT to that "
      "file.";
  ScopedExtensionPath env("/nonexistent/libtsqlext.so");
  // LoadExt names no file; no LoadExt, and the extension path names no file.
  for (const std::string& text : {db.connection_string(false) + "LoadExt=/nonexistent/libx.so;",
                                  db.connection_string(false)}) {
    SCOPED_TRACE(text);
    automation::Error e = error_of([&] { data::odbc::open(text); });
    EXPECT_EQ(e.number(), data::errc::kInvalidConnection);
    EXPECT_EQ(e.source(), "ODBC");
    EXPECT_EQ(e.description(), expected);
  }
}

TEST(OdbcDialectTest, SqlServerNullParametersBecomeLiterals) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data_odbc/cases/null_literals.tsv", 4, 4, [](const Fields& f) {
    std::vector<Variant> params;
    std::istringstream tokens(f[1]);
    for (std::string t; tokens >> t;) {
      params.push_back(t == "Null"           ? Variant::null()
                       : t == "Empty"        ? Variant()
                       : t == "Missing"      ? Variant::missing()
                       : t.starts_with('\'') ? Variant(t.substr(1, t.size() - 2))
                                             : Variant(std::stoi(t)));
    }
    std::vector<std::size_t> markers = data::odbc::parameter_markers(f[0]);
    ASSERT_EQ(markers.size(), params.size());
    std::vector<Variant> rest;
    EXPECT_EQ(data::odbc::with_null_literals(f[0], markers, params, rest), f[2]);
    EXPECT_EQ(rest.size(), std::stoul(f[3]));
  });
}

TEST(OdbcScriptTest, SqlServerScriptsAreCutIntoBatchesAtGo) {
  const auto cases = test_support::case_lines("data_odbc/cases/go_batches.tsv");
  ASSERT_EQ(cases.size(), 4u);
  for (const test_support::CaseLine& c : cases) {
    SCOPED_TRACE(c.fields[0]);
    EXPECT_EQ(data::odbc::split_batches(c.fields[0]),
              std::vector<std::string>(c.fields.begin() + 1, c.fields.end()));
  }
}

TEST(OdbcScriptTest, NativeScriptsRunStatementByStatementThroughTheDriver) {
  odbc_test::TempDatabase db;
  std::unique_ptr<data::Provider> provider = data::odbc::open(db.connection_string());
  provider->execute_native_script(
      "-- set-up; a trigger body holds statements of its own, the last statement needs no ';'\n"
      "CREATE TABLE A (X INT NOT NULL PRIMARY KEY, S VARCHAR(10) COLLATE TSQL_CI NULL);\n"
      "CREATE TABLE LOG (N INT NULL);\n"
      "CREATE TRIGGER A_LOG AFTER INSERT ON A BEGIN INSERT INTO LOG VALUES (NEW.X); "
      "INSERT INTO LOG VALUES (NEW.X * 10); END;\n"
      "INSERT INTO A VALUES (1, 'semi;colon')\n");
  data::ResultSet r = provider->execute("SELECT SUM(N) AS T FROM LOG", {});
  EXPECT_EQ(typed_text(r.rows.at(0).at(0)), "11:Long");
  // A failing statement stops the script with the driver's error; what ran before stays.
  automation::Error e =
      error_of([&] { provider->execute_native_script("INSERT INTO A VALUES (2, 'b'); BOGUS;"); });
  EXPECT_EQ(e.number(), data::errc::kErrorsInCommand);
  EXPECT_EQ(e.description(),
            "[SQLite]near \"BOGUS\": syntax error (1) (SQLSTATE HY000, native error 1)");
  EXPECT_EQ(provider->execute("SELECT COUNT(*) AS N FROM A", {}).rows.at(0).at(0), Variant(2));
}

}  // namespace
