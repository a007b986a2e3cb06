// The translator's output for each construct of the subset, and its refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/dialect/cases/translations.tsv", 2, 80, [](const Fields& f) {
    const std::string prefix = "-2147217900 SQLite: ";
    std::string expected = f[1];
    if (expected.starts_with("refused: ")) {
      expected = prefix + expected.substr(9) + " is not supported by the embedded provider.";
    } else if (expected.starts_with("error: ")) {
      expected = prefix + expected.substr(7);
    }
    EXPECT_EQ(translation_or_error(f[0]), expected);
  });
}

// Every way of nesting (cases/nesting.tsv) is translated up to its limit on a thread with a
// small stack, and past it fails with SQL Server's error instead of running out of stack.
TEST(TsqlTranslatorTest, DeepNestingFailsCleanlyOnASmallStack) {
  const std::string too_deep =
      "-2147217900 SQLite: Some part of your SQL statement is nested too deeply. Rewrite the "
      "query or break it up into smaller queries.";
  const auto shapes = test_support::case_lines("data/dialect/cases/nesting.tsv");
  ASSERT_GE(shapes.size(), 12u);
  test_support::run_on_small_stack([&] {
    for (const test_support::CaseLine& shape : shapes) {
      SCOPED_TRACE(shape.fields[0]);
      ASSERT_EQ(shape.fields.size(), 6u);
      const std::string& kind = shape.fields[1];
      const int limit =
          (kind.starts_with("chain") ? data::dialect::kMaxChain : data::dialect::kMaxNesting) /
          (kind.ends_with("/2") ? 2 : 1);
      auto text = [&](int levels) {
        std::string out = shape.fields[2];
        for (int i = 0; i < levels; ++i) out += shape.fields[3];
        out += shape.fields[4];
        for (int i = 0; i < levels; ++i) out += shape.fields[5];
        return out;
      };
      const std::string deepest = translation_or_error(text(limit - 2));
      EXPECT_EQ(deepest.rfind("SELECT ", 0), 0u) << deepest.substr(0, 200);
      EXPECT_EQ(translation_or_error(text(limit + 1)), too_deep);
      EXPECT_EQ(translation_or_error(text(5000)), too_deep);
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
