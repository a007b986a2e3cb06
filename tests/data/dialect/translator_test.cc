// The translator's output for each construct of the subset, and its refusals.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "automation/error.h"
#include "data/ado.h"
#include "data/dialect/translator.h"
#include "support/case_file.h"
#include "support/small_stack.h"

namespace {

using data::dialect::translate;
using data::dialect::TranslationCache;

std::string translation_or_error(const std::string& tsql) {
  try {
    return translate(tsql, "SQLite");
  } catch (const automation::Error& e) {
    return std::to_string(e.number()) + " " + e.source() + ": " + e.description();
  }
}

// Every line of cases/translations.tsv: the translation, or the refusal it names.
TEST(TsqlTranslatorTest, CaseFileTranslationsAndRefusals) {
  const std::string prefix = "-2147217900 SQLite: ";
  int cases = 0;
  for (const test_support::CaseLine& line :
       test_support::case_lines("data/dialect/cases/translations.tsv")) {
    SCOPED_TRACE("line " + std::to_string(line.number) + ": " + line.fields[0]);
    ASSERT_EQ(line.fields.size(), 2u);
    std::string expected = line.fields[1];
    if (expected.starts_with("refused: ")) {
      expected = prefix + expected.substr(9) + " is not supported by the embedded provider.";
    } else if (expected.starts_with("error: ")) {
      expected = prefix + expected.substr(7);
    }
    EXPECT_EQ(translation_or_error(line.fields[0]), expected);
    ++cases;
  }
  EXPECT_GE(cases, 80);  // the file read to its end
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
