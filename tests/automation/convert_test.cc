#include "automation/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "automation/date.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "support/case_file.h"
#include "support/error_of.h"

namespace automation {
namespace {

using test_support::error_of;

TEST(ConvertTest, DoubleTextFollowsTheRuntimeInBothFormats) {
  test_support::for_each_case("automation/data/double_texts.tsv", 3, 18, [](const auto& c) {
    const double value = std::stod(c[0]);
    EXPECT_EQ(double_to_text(value, '.'), c[1]);
    EXPECT_EQ(double_to_text(value, ','), c[2]);
    ScopedNumberFormat italian(NumberFormat::italian());
    EXPECT_EQ(to_text(Variant(value)), c[2]);
  });
}

TEST(ConvertTest, TextOfOtherSubtypes) {
  ScopedNumberFormat plain(NumberFormat::plain());
  EXPECT_EQ(to_text(Variant()), "");
  EXPECT_EQ(to_text(Variant::null()), "");
  EXPECT_EQ(to_text(Variant::missing()), "");
  EXPECT_EQ(to_text(Variant(true)), "True");
  EXPECT_EQ(to_text(Variant(false)), "False");
  EXPECT_EQ(to_text(Variant(std::int16_t{-12})), "-12");
  EXPECT_EQ(to_text(Variant(Currency{15000})), "1.5");
  EXPECT_EQ(to_text(Variant(Decimal::parse("1.500"))), "1.5");
  EXPECT_EQ(to_text(Variant(Decimal::parse("-0.0009"))), "-0.0009");
  EXPECT_EQ(error_of([] { to_text(Variant::nothing()); }).number(), errc::kObjectVariableNotSet);
}

TEST(ConvertTest, DecimalParsingAcceptsWhatTheRuntimeAccepts) {
  test_support::for_each_case("automation/data/decimal_texts.tsv", 3, 19, [](const auto& c) {
    for (int format = 0; format < 2; ++format) {
      NumberFormat f = format == 0 ? NumberFormat::plain() : NumberFormat::italian();
      const std::string& expected = c[1 + format];
      if (expected.empty()) {
        EXPECT_EQ(error_of([&] { Decimal::parse(c[0], f); }).number(), errc::kTypeMismatch);
      } else {
        EXPECT_EQ(Decimal::parse(c[0], f).to_invariant_string(), expected);
      }
    }
  });
  // Plain texts ("-12.340", "0,0") take a short road; a leading blank sends the same text
  // through the general scanner, and both must give the same value and scale.
  std::mt19937 random(7);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int n = 0; n < 5000; ++n) {
    NumberFormat f = n % 2 == 0 ? NumberFormat::plain() : NumberFormat::italian();
    std::string text = below(3) == 0 ? "-" : "";
    for (int d = 1 + below(12); d > 0; --d) {
      text += static_cast<char>('0' + below(10));
    }
    if (below(2) == 0) {
      text += f.decimal_separator;
      for (int d = 1 + below(10); d > 0; --d) {
        text += static_cast<char>('0' + below(10));
      }
    }
    Decimal shortcut = Decimal::parse(text, f);
    Decimal scanned = Decimal::parse(" " + text, f);
    ASSERT_EQ(shortcut.to_invariant_string(), scanned.to_invariant_string()) << text;
    ASSERT_EQ(shortcut.scale(), scanned.scale()) << text;
  }
}

TEST(ConvertTest, DecimalRangeAndArithmetic) {
  ScopedNumberFormat plain(NumberFormat::plain());
  EXPECT_EQ(Decimal::parse("79228162514264337593543950335").to_string(),
            "79228162514264337593543950335");
  EXPECT_EQ(error_of([] { Decimal::parse("79228162514264337593543950336"); }).number(),
            errc::kOverflow);
  EXPECT_EQ(Decimal::parse("0.1234567890123456789012345678").to_string(),
            "0.1234567890123456789012345678");
  EXPECT_EQ((Decimal::parse("0.1") + Decimal::parse("0.2")).to_string(), "0.3");
  EXPECT_EQ((Decimal::parse("10") / Decimal::parse("4")).to_string(), "2.5");
  EXPECT_EQ((Decimal::parse("1") / Decimal::parse("3")).to_string(),
            "0.3333333333333333333333333333");
  EXPECT_EQ((Decimal::parse("1.05") * Decimal::parse("-3")).to_string(), "-3.15");
  // Rounded once from the exact 1.2451E-26, not digit by digit.
  EXPECT_EQ((Decimal::parse("12451E-20") * Decimal::parse("1E-10")).to_string(),
            "0.0000000000000000000000000125");
  EXPECT_EQ(Decimal::parse("2.345").round(2).to_string(), "2.35");
  EXPECT_EQ(Decimal::parse("-2.345").round(2).to_string(), "-2.35");
  EXPECT_EQ(Decimal::parse("2.345").round(2, Decimal::Rounding::kHalfEven).to_string(), "2.34");
  EXPECT_EQ(Decimal::from_double(0.1).to_string(), "0.1");
  EXPECT_EQ(Decimal::from_double(1e20).to_string(), "100000000000000000000");
  EXPECT_TRUE(Decimal::parse("1.50") == Decimal::parse("1.5"));
  EXPECT_TRUE(Decimal::parse("-1") < Decimal::parse("0.5"));
  // Too far apart in scale to bring to one scale exactly: still ordered right.
  const Decimal largest = Decimal::parse("79228162514264337593543950335");
  const Decimal tiniest = Decimal::parse("0.0000000000000000000000000001");
  EXPECT_TRUE(tiniest < largest);
  EXPECT_TRUE(-largest < -tiniest);
  EXPECT_TRUE(Decimal::parse("79228162514264337593543950334.5") < largest);
  EXPECT_EQ(error_of([] { Decimal(1) / Decimal(); }).number(), errc::kDivisionByZero);
}

// A decimal's double is the double nearest to it, whichever way it is computed.
TEST(ConvertTest, DecimalToDoubleIsTheNearestDouble) {
  std::uint64_t seed = 88172645463325252ull;
  auto next = [&] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  for (int i = 0; i < 20000; ++i) {
    int digits = static_cast<int>(next() % 20);
    Int128 mantissa = static_cast<Int128>(next() % 10000000000000000000ull);
    for (int d = 19; d > digits; --d) mantissa /= 10;
    if (next() % 2) mantissa = -mantissa;
    Decimal d = Decimal::from_parts(mantissa, static_cast<int>(next() % 29));
    std::string text = d.to_invariant_string();
    double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(d.to_double(), expected) << text;
  }
}

TEST(ConvertTest, SixteenBitIntegerRoundsHalfToEvenAndOverflows) {
  struct Case {
    Variant value;
    int expected;  // or -99999 for overflow
  };
  const Case cases[] = {
      {Variant(0.5), 0},
      {Variant(1.5), 2},
      {Variant(2.5), 2},
      {Variant(3.5), 4},
      {Variant(-2.5), -2},
      {Variant(2345.5678), 2346},
      {Variant(32767.49), 32767},
      {Variant(32767.5), -99999},
      {Variant(-32768.5), -32768},
      {Variant(-32769.0), -99999},
      {Variant(Decimal::parse("2.5")), 2},
      {Variant(Decimal::parse("32768")), -99999},
      {Variant("3.5"), 4},
      {Variant(70000), -99999},
      {Variant(true), -1},
      {Variant(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(to_text(c.value));
    if (c.expected == -99999) {
      EXPECT_EQ(error_of([&] { to_integer(c.value); }).number(), errc::kOverflow);
    } else {
      EXPECT_EQ(to_integer(c.value), c.expected);
    }
  }
  EXPECT_EQ(error_of([] { to_integer(Variant::null()); }).number(), errc::kInvalidUseOfNull);
  EXPECT_EQ(error_of([] { to_integer(Variant("x")); }).number(), errc::kTypeMismatch);
  EXPECT_EQ(to_long(Variant(25427.55)), 25428);
  EXPECT_EQ(error_of([] { to_long(Variant(3e9)); }).number(), errc::kOverflow);
}

TEST(ConvertTest, DoubleAndBooleanConversions) {
  ScopedNumberFormat italian(NumberFormat::italian());
  EXPECT_DOUBLE_EQ(to_double(Variant("1.234,5")), 1234.5);
  EXPECT_DOUBLE_EQ(to_double(Variant("1e300")), 1e300);
  EXPECT_EQ(error_of([] { to_double(Variant("1e400")); }).number(), errc::kOverflow);
  EXPECT_EQ(error_of([] { to_double(Variant("")); }).number(), errc::kTypeMismatch);
  EXPECT_TRUE(to_bool(Variant("true")));
  EXPECT_FALSE(to_bool(Variant("FALSE")));
  EXPECT_TRUE(to_bool(Variant("2")));
  EXPECT_FALSE(to_bool(Variant(0.0)));
  EXPECT_EQ(to_currency(Variant(Decimal::parse("1,23456"))).scaled, 12346);
}

// Texts whose numbers no type can hold raise 6 whatever their size, and never wrap around.
TEST(ConvertTest, NumberTextsBeyondEveryTypeOverflow) {
  ScopedNumberFormat plain(NumberFormat::plain());
  for (const char* text :
       {"1E99999999999999999999", "1E400", "0.001e403", "&H10000000000000001",
        "-&H8000000000000000", "&O2000000000000000000000", "&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(error_of([&] { to_double(Variant(text)); }).number(), errc::kOverflow);
    EXPECT_EQ(error_of([&] { to_decimal(Variant(text)); }).number(), errc::kOverflow);
    EXPECT_EQ(error_of([&] { to_long(Variant(text)); }).number(), errc::kOverflow);
  }
  EXPECT_EQ(to_double(Variant("1E-99999999999999999999")), 0.0);
  EXPECT_EQ(to_double(Variant("1000e-402")), 0.0);
  EXPECT_EQ(to_decimal(Variant("0E99999999999999999999")).to_string(), "0");
  EXPECT_EQ(to_double(Variant("&H7FFFFFFFFFFFFFFF")), 9223372036854775807.0);
  EXPECT_EQ(to_double(Variant("&H8000000000000000")), -9223372036854775808.0);
  EXPECT_EQ(to_double(Variant("-&HFFFFFFFFFFFFFFFF")), 1.0);
  EXPECT_EQ(to_long(Variant("&H00000000000000001")), 1);
  EXPECT_EQ(error_of([] { to_double(Variant("&H")); }).number(), errc::kTypeMismatch);
  EXPECT_EQ(error_of([] { to_double(Variant("1E")); }).number(), errc::kTypeMismatch);
  EXPECT_EQ(error_of([] { to_double(Variant("&O8")); }).number(), errc::kTypeMismatch);
}

// The non-raising variants answer exactly where the raising ones raise, with the same number.
TEST(ConvertTest, TryVariantsFailWhereTheRaisingOnesRaise) {
  const NumberFormat plain = NumberFormat::plain();
  for (const char* text : {"12.5", " -3 ", "1E3", "", "abc", "1.2.3", "1E99",
                           "79228162514264337593543950336", "0.00000000000000000000000000001"}) {
    SCOPED_TRACE(text);
    std::int32_t tried = 0;
    const std::optional<Decimal> value = Decimal::try_parse(text, plain, &tried);
    if (value) {
      EXPECT_EQ(value->to_string(), Decimal::parse(text, plain).to_string());
    } else {
      EXPECT_EQ(error_of([&] { Decimal::parse(text, plain); }).number(), tried);
    }
  }
  for (const CivilDateTime& civil :
       {CivilDateTime{2020, 2, 29}, CivilDateTime{2021, 2, 29}, CivilDateTime{99, 12, 31},
        CivilDateTime{9999, 12, 31, 23, 59, 59, 999}, CivilDateTime{2000, 1, 1, 24}}) {
    SCOPED_TRACE(to_stored_text(civil));
    const std::optional<Date> date = try_date_from_civil(civil);
    if (date) {
      EXPECT_EQ(date->serial, date_from_civil(civil).serial);
    } else {
      EXPECT_EQ(error_of([&] { date_from_civil(civil); }).number(), errc::kInvalidProcedureCall);
    }
  }
}

}  // namespace
}  // namespace automation
