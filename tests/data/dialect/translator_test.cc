// The translator's output for each construct of the subset, and its refusals.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "automation/error.h"
#include "data/ado.h"
#include "data/dialect/translator.h"
#include "support/small_stack.h"

namespace {

using data::dialect::translate;
using data::dialect::TranslationCache;

struct Case {
  const char* tsql;
  const char* expected;
};

std::string translation_or_error(const std::string& tsql) {
  try {
    return translate(tsql, "SQLite");
  } catch (const automation::Error& e) {
    return std::to_string(e.number()) + " " + e.source() + ": " + e.description();
  }
}

TEST(TsqlTranslatorTest, RewritesWhatSqliteReadsDifferently) {
  const Case cases[] = {
      {"SELECT TOP 1 IL00_DITTA_CG18, IL00_USERNAME FROM IL00_CONFIG_GDPR WHERE "
       "IL00_DITTA_CG18 = 1 AND IL00_MODULO = 'SORVANO'",
       "SELECT IL00_DITTA_CG18, IL00_USERNAME FROM IL00_CONFIG_GDPR WHERE ((IL00_DITTA_CG18 = 1) "
       "AND ((IL00_MODULO) COLLATE TSQL_CI = 'SORVANO')) LIMIT 1"},
      {"SELECT TOP 5 A FROM T ORDER BY A DESC", "SELECT A FROM T ORDER BY A DESC LIMIT 5"},
      {"SELECT MG44_DESCLIST FROM MG44_PARMAGLIST WITH (NOLOCK) WHERE MG44_DITTA_CG18 =1",
       "SELECT MG44_DESCLIST FROM MG44_PARMAGLIST WHERE (MG44_DITTA_CG18 = 1)"},
      {"SELECT * FROM A LEFT JOIN B WITH (NOLOCK, READPAST) ON A.K = B.K INNER JOIN C ON C.K = "
       "A.K LEFT OUTER JOIN D X ON X.K = 1",
       "SELECT * FROM A LEFT JOIN B ON (A.K = B.K) INNER JOIN C ON (C.K = A.K) LEFT JOIN D AS X "
       "ON (X.K = 1)"},
      {"SELECT ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID ,* , '' AS VALUTA FROM L",
       "SELECT row_number() OVER (ORDER BY LI10_NUMLIST ASC) AS MYID, *, '' AS VALUTA FROM L"},
      {"SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE",
       "SELECT ifnull(CG18_INDLOCALIZ, 0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE"},
      {"SELECT 'THB_' + N", "SELECT tsql_add('THB_', N)"},
      {"SELECT A + B + C", "SELECT tsql_add(tsql_add(A, B), C)"},
      {"SELECT A + B * C", "SELECT tsql_add(A, tsql_mul(B, C))"},
      {"SELECT LEN(X) - CHARINDEX('**', X) + 1",
       "SELECT tsql_add((tsql_len(X) - tsql_charindex('**', X)), 1)"},
      {"SELECT N / 1048576, N / 0, 6 / 3, 6 % 0",
       "SELECT tsql_div(N, 1048576), tsql_div(N, 0), (6 / 3), tsql_mod(6, 0)"},
      {"SELECT SUBSTRING(X, 2, 3), REPLACE(X, 'a', 'b'), UPPER(X), LOWER(X), LTRIM(RTRIM(X))",
       "SELECT tsql_substring(X, 2, 3), tsql_replace(X, 'a', 'b'), tsql_upper(X), tsql_lower(X), "
       "ltrim(rtrim(X))"},
      {"SELECT CASE UPPER(T) WHEN 'PDF' THEN 'PDF' ELSE 'FILE' END AS T FROM X",
       "SELECT CASE (tsql_upper(T)) COLLATE TSQL_CI WHEN 'PDF' THEN 'PDF' ELSE 'FILE' END AS T "
       "FROM X"},
      {"SELECT CASE N WHEN 0 THEN 'a' END", "SELECT CASE N WHEN 0 THEN 'a' END"},
      {"SELECT CASE WHEN N IS NULL THEN 1 WHEN N IS NOT NULL THEN 2 END",
       "SELECT CASE WHEN (N IS NULL) THEN 1 WHEN (N IS NOT NULL) THEN 2 END"},
      {"SELECT * FROM T WHERE ISNULL(K,0) IN (0,1) AND UPPER(C) NOT IN ('A', 'B')",
       "SELECT * FROM T WHERE ((ifnull(K, 0) IN (0, 1)) AND ((tsql_upper(C)) COLLATE TSQL_CI NOT "
       "IN ('A', 'B')))"},
      {"SELECT REPLACE(CONVERT(VARCHAR,CONVERT(MONEY,CAST((D / 1048576) AS NUMERIC(14, 2))),1), "
       "'.00','')",
       "SELECT tsql_replace(tsql_convert('VARCHAR', tsql_convert('MONEY', "
       "tsql_convert('NUMERIC(14,2)', tsql_div(D, 1048576), NULL, NULL), NULL, 'NUMERIC(14,2)'), "
       "1, 'MONEY'), '.00', '')"},
      {"SELECT CAST(2.345 AS decimal(9,3)), CONVERT(varchar(max), 12), CAST('x' AS CHAR(3))",
       "SELECT tsql_convert('DECIMAL(9,3)', 2.345, NULL, 'NUMERIC(4,3)'), "
       "tsql_convert('VARCHAR(MAX)', 12, NULL, 'INT'), tsql_convert('CHAR(3)', 'x', NULL, "
       "'VARCHAR')"},
      {"SELECT * FROM T WHERE A != 1 AND B <> -1 OR NOT C >= 2",
       "SELECT * FROM T WHERE (((A <> 1) AND (B <> -1)) OR (NOT (C >= 2)))"},
      {"SELECT * FROM T WHERE A BETWEEN 1 AND 2 AND B NOT BETWEEN 'a' AND 'b'",
       "SELECT * FROM T WHERE ((A BETWEEN 1 AND 2) AND ((B) COLLATE TSQL_CI NOT BETWEEN 'a' AND "
       "'b'))"},
      {"SELECT K, COUNT(*) FROM T GROUP BY K HAVING COUNT(*) > 1 ORDER BY UPPER(K)",
       "SELECT K, count(*) FROM T GROUP BY K HAVING (count(*) > 1) ORDER BY tsql_upper(K) COLLATE "
       "TSQL_CI"},
      {"SELECT UPPER(K) AS U FROM T GROUP BY UPPER(K) ORDER BY U",
       "SELECT tsql_upper(K) AS U FROM T GROUP BY tsql_upper(K) COLLATE TSQL_CI ORDER BY U "
       "COLLATE TSQL_CI"},
      {"SELECT DISTINCT A x FROM T t", "SELECT DISTINCT A AS x FROM T AS t"},
      {"SELECT [order], [a]]b], abort FROM [my table]",
       "SELECT \"order\", \"a]b\", \"abort\" FROM \"my table\""},
      {"SELECT N'Città', 0xABC, 0x, -1, - -2, -'5'",
       "SELECT 'Città', X'0ABC', X'', -1, - -2, tsql_sub(0, '5')"},
      {"SELECT /* block /* nested */ */ A -- line\r\n FROM T;", "SELECT A FROM T"},
      {"UPDATE MG67_SCORTE SET MG67_FLGDEPPREF = ? WHERE MG67_DITTA_CG18 = ? AND "
       "MG67_CODART_MG66 = ?",
       "UPDATE MG67_SCORTE SET MG67_FLGDEPPREF = ? WHERE ((MG67_DITTA_CG18 = ?) AND "
       "(MG67_CODART_MG66 = ?))"},
      {"UPDATE T WITH (ROWLOCK) SET A = 0 , B = NULL WHERE C =5",
       "UPDATE T SET A = 0, B = NULL WHERE (C = 5)"},
      {"INSERT INTO T (A, B) VALUES (?, ?)", "INSERT INTO T (A, B) VALUES (?, ?)"},
      {"INSERT T VALUES ('O''NEIL',1), ('x', 2)", "INSERT INTO T VALUES ('O''NEIL', 1), ('x', 2)"},
      {"DELETE FROM T WHERE K = ?", "DELETE FROM T WHERE (K = ?)"},
      {"DELETE T", "DELETE FROM T"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tsql);
    EXPECT_EQ(translation_or_error(c.tsql), c.expected);
  }
}

TEST(TsqlTranslatorTest, RefusesWhatIsOutsideTheSubset) {
  const std::string prefix = "-2147217900 SQLite: ";
  const std::string tail = " is not supported by the embedded provider.";
  const Case cases[] = {
      {"SELECT * FROM T WHERE A LIKE 'x%'", "LIKE"},
      {"SELECT @x", "The variable '@x'"},
      {"SELECT * FROM #tmp", "The temporary table '#tmp'"},
      {"SELECT \"a\" FROM T", "The quoted identifier \"a\""},
      {"SELECT * FROM T; DROP TABLE T", "A batch of several statements"},
      {"SELECT * FROM T SELECT 1", "A batch of several statements"},
      {"SELECT * FROM (SELECT 1) X", "A derived table (subquery in FROM)"},
      {"SELECT * FROM T WHERE K IN (SELECT K FROM U)", "A subquery"},
      {"SELECT * FROM T WHERE EXISTS (SELECT 1)", "EXISTS"},
      {"SELECT X = 1 FROM T", "The select-list alias form 'name = expression'"},
      {"SELECT * FROM T WHERE 'a' = 1", "Comparing a text with a number"},
      {"EXEC sp_who", "The statement 'EXEC'"},
      {"CREATE TABLE T (A INT)", "The statement 'CREATE'"},
      {"SELECT GETDATE()", "The function GETDATE"},
      {"SELECT LEFT(A, 2) FROM T", "The function LEFT"},
      {"SELECT * FROM T UNION SELECT * FROM U", "UNION"},
      {"SELECT TOP 10 PERCENT * FROM T", "TOP ... PERCENT"},
      {"SELECT TOP 1 WITH TIES * FROM T ORDER BY A", "TOP ... WITH TIES"},
      {"SELECT TOP (@n) * FROM T", "The variable '@n'"},
      {"SELECT * FROM T WITH (INDEX(IX))", "The table hint 'INDEX'"},
      {"SELECT * FROM T (NOLOCK)", "A table hint without WITH"},
      {"SELECT * FROM dbo.T", "A qualified table name"},
      {"SELECT * FROM T CROSS APPLY F(T.A)", "APPLY"},
      {"SELECT CAST(A AS DATETIME) FROM T", "Conversion to DATETIME"},
      {"SELECT CONVERT(VARCHAR, A, B) FROM T", "A CONVERT style that is not a number"},
      {"SELECT A COLLATE Latin1_General_CS_AS FROM T", "COLLATE"},
      {"SELECT COUNT(DISTINCT A) FROM T", "An aggregate over DISTINCT values"},
      {"SELECT SUM(A) OVER (ORDER BY A) FROM T", "OVER with SUM"},
      {"SELECT * FROM T ORDER BY A OFFSET 5 ROWS", "OFFSET ... FETCH"},
      {"INSERT INTO T SELECT * FROM U", "INSERT ... SELECT"},
      {"UPDATE T SET A = 1 FROM T JOIN U ON 1 = 1", "UPDATE ... FROM"},
      {"DELETE T FROM T JOIN U ON 1 = 1", "DELETE ... FROM"},
      {"SELECT 1e5", "The number with an exponent '1e5'"},
      {"SELECT A & 1 FROM T", "The bitwise operator '&'"},
      {"SELECT * FROM T WHERE A !< 1", "The operator '!<'"},
      {"SELECT $5", "The money literal '$5'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tsql);
    EXPECT_EQ(translation_or_error(c.tsql), prefix + c.expected + tail);
  }
}

TEST(TsqlTranslatorTest, ReportsSyntaxErrorsAsSqlServerDoes) {
  const std::string prefix = "-2147217900 SQLite: ";
  const Case cases[] = {
      {"", "Incorrect syntax near the end of the statement."},
      {"   \r\n -- nothing", "Incorrect syntax near the end of the statement."},
      {"SELECT * FROM T WHERE", "Incorrect syntax near the end of the statement."},
      {"SELECT * FROM T WHERE (A = 1", "Incorrect syntax near the end of the statement."},
      {"SELECT A B C FROM T", "Incorrect syntax near 'C'."},
      {"SELECT 'abc", "Unclosed quotation mark after the character string 'abc'."},
      {"SELECT [abc", "Unclosed quotation mark after the character string 'abc'."},
      {"SELECT A /* open", "Missing end comment mark '*/'."},
      {"SELECT CAST(A AS NUMERIC(14, 2, 1)) FROM T", "Incorrect syntax near ')'."},
      {"SELECT ROW_NUMBER() FROM T", "Incorrect syntax near 'FROM'."},
      {"SELECT LEN(A, B) FROM T", "The LEN function requires 1 argument(s)."},
      {"SELECT 12abc", "Incorrect syntax near '12abc'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tsql);
    EXPECT_EQ(translation_or_error(c.tsql), prefix + c.expected);
  }
}

// Every way of nesting is translated up to its limit on a thread with a small stack, and past
// it fails with SQL Server's error instead of running out of stack.
TEST(TsqlTranslatorTest, DeepNestingFailsCleanlyOnASmallStack) {
  auto repeat = [](const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
  };
  struct Shape {
    const char* name;
    int limit;
    std::function<std::string(int)> text;
  };
  using data::dialect::kMaxChain;
  using data::dialect::kMaxNesting;
  const Shape shapes[] = {
      {"parentheses", kMaxNesting,
       [&](int n) { return "SELECT " + repeat("(", n) + "1" + repeat(")", n); }},
      {"signs", kMaxNesting, [&](int n) { return "SELECT " + repeat("- ", n) + "1"; }},
      {"NOT", kMaxNesting,
       [&](int n) { return "SELECT A FROM T WHERE " + repeat("NOT ", n) + "A = 1"; }},
      {"calls", kMaxNesting,
       [&](int n) { return "SELECT " + repeat("UPPER(", n) + "'a'" + repeat(")", n); }},
      {"CASE", kMaxNesting,
       [&](int n) {
         return "SELECT " + repeat("CASE WHEN A = 1 THEN ", n) + "1" + repeat(" END", n);
       }},
      {"CONVERT", kMaxNesting,
       [&](int n) { return "SELECT " + repeat("CONVERT(INT, ", n) + "1" + repeat(")", n); }},
      {"IN lists", kMaxNesting,
       [&](int n) {
         return "SELECT A FROM T WHERE " + repeat("A IN (", n) + "1" + repeat(")", n);
       }},
      {"windows", kMaxNesting,
       [&](int n) {
         return "SELECT " + repeat("ROW_NUMBER() OVER(ORDER BY ", n) + "A" + repeat(")", n);
       }},
      {"BETWEEN", kMaxNesting / 2,
       [&](int n) {
         return "SELECT A FROM T WHERE " + repeat("A BETWEEN (", n) + "1" + repeat(") AND 2", n);
       }},
      // Each level is a right operand and a parenthesis: two levels of nesting.
      {"right operands", kMaxNesting / 2,
       [&](int n) { return "SELECT " + repeat("1 + (", n) + "1" + repeat(")", n); }},
      {"operator chain", kMaxChain, [&](int n) { return "SELECT 1" + repeat(" + 1", n); }},
      {"AND chain", kMaxChain,
       [&](int n) { return "SELECT A FROM T WHERE A = 1" + repeat(" AND A = 1", n); }},
  };
  const std::string too_deep =
      "-2147217900 SQLite: Some part of your SQL statement is nested too deeply. Rewrite the "
      "query or break it up into smaller queries.";
  test_support::run_on_small_stack([&] {
    for (const Shape& shape : shapes) {
      SCOPED_TRACE(shape.name);
      const std::string deepest = translation_or_error(shape.text(shape.limit - 2));
      EXPECT_EQ(deepest.rfind("SELECT ", 0), 0u) << deepest.substr(0, 200);
      EXPECT_EQ(translation_or_error(shape.text(shape.limit + 1)), too_deep);
      EXPECT_EQ(translation_or_error(shape.text(5000)), too_deep);
    }
  });
}

TEST(TsqlTranslatorTest, CacheKeepsOneTranslationPerText) {
  TranslationCache cache("SQLite");
  const std::string& first = cache.translate("SELECT A + 'x' FROM T");
  EXPECT_EQ(first, "SELECT tsql_add(A, 'x') FROM T");
  EXPECT_EQ(&cache.translate("SELECT A + 'x' FROM T"), &first);
  EXPECT_EQ(cache.translate("SELECT  A + 'x'  FROM T"), first);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_THROW(cache.translate("SELECT @x"), automation::Error);
  EXPECT_THROW(cache.translate("SELECT @x"), automation::Error);
  EXPECT_EQ(cache.size(), 2u);
  for (std::size_t i = 0; i < TranslationCache::kMaxEntries + 10; ++i) {
    cache.translate("SELECT " + std::to_string(i));
  }
  EXPECT_LE(cache.size(), TranslationCache::kMaxEntries);
  EXPECT_EQ(cache.translate("SELECT 7"), "SELECT 7");
}

// The dialect names no provider: every kind of refusal (lexer, parser, nesting, arguments)
// carries the source the caller gave, so a provider reports it as its own.
TEST(TsqlTranslatorTest, ErrorsCarryTheCallersSource) {
  std::string deep = "SELECT ";
  for (int i = 0; i <= data::dialect::kMaxNesting; ++i) deep += "(";
  for (const std::string& tsql : {std::string("SELECT @x"), std::string("SELECT FROM"),
                                  std::string("SELECT LEN()"), std::string("SELECT 'open"), deep}) {
    SCOPED_TRACE(tsql);
    TranslationCache cache("ODBC (SQLite)");
    std::string source;
    try {
      cache.translate(tsql);
    } catch (const automation::Error& e) {
      source = e.source();
      EXPECT_EQ(e.number(), data::errc::kErrorsInCommand);
    }
    EXPECT_EQ(source, "ODBC (SQLite)");
  }
}

}  // namespace
