// The arithmetic the component's values go through: the scale each decimal operation keeps,
// the three roundings (away from zero, half to even, the currency's four decimals), whole
// numbers at the edges of their ranges, and dates at the edges of the calendar.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "support/error_of.h"

namespace automation {
namespace {

using test_support::error_of;

Decimal d(const char* text) { return Decimal::parse(text, NumberFormat::plain()); }

TEST(ArithmeticTest, EachOperationKeepsTheScaleItsExactResultNeeds) {
  struct Case {
    const char* what;
    Decimal result;
    const char* text;
    int scale;
  };
  const Case cases[] = {
      {"sum: the larger scale", d("1.10") + d("2.205"), "3.305", 3},
      {"difference to zero keeps its scale", d("1.50") - d("1.5"), "0", 2},
      {"product: the sum of the scales", d("1.5") * d("0.25"), "0.375", 3},
      {"product of whole numbers", d("-12") * d("12"), "-144", 0},
      {"quotient: the fewest decimals that hold it", d("1") / d("4"), "0.25", 2},
      {"quotient of scaled operands", d("7.50") / d("2.5"), "3", 1},
      {"endless quotient: 28 decimals, half to even", d("2") / d("3"),
       "0.6666666666666666666666666667", 28},
      {"too many digits: the scale gives way", d("7922816251426433759354395033.5") * d("1"),
       "7922816251426433759354395033.5", 1},
      {"rounded half to even where digits are lost: up",
       d("15845632502852867518708790067") * d("2.5"), "39614081257132168796771975168", 0},
      {"rounded half to even where digits are lost: down",
       d("15845632502852867518708790069") * d("2.5"), "39614081257132168796771975172", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.result.to_invariant_string(), c.text);
    EXPECT_EQ(c.result.scale(), c.scale);
  }
}

TEST(ArithmeticTest, ResultsBeyondTheRangeOrByZeroRaise) {
  const Decimal largest = d("79228162514264337593543950335");
  const struct {
    const char* what;
    std::function<void()> call;
    std::int32_t number;
  } cases[] = {
      {"sum", [&] { (void)(largest + d("1")); }, errc::kOverflow},
      {"difference", [&] { (void)(-largest - d("0.5")); }, errc::kOverflow},
      {"product", [&] { (void)(largest * d("1.1")); }, errc::kOverflow},
      {"quotient", [&] { (void)(largest / d("0.5")); }, errc::kOverflow},
      {"by zero", [&] { (void)(d("1") / d("0.000")); }, errc::kDivisionByZero},
      {"mantissa past 96 bits", [] { (void)Decimal::from_parts(Int128{1} << 96, 0); },
       errc::kOverflow},
      {"scale past 28", [] { (void)Decimal::from_parts(1, 29); }, errc::kOverflow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Error e = error_of(c.call);
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), kRuntimeSource);
  }
}

TEST(ArithmeticTest, RoundingsTellHalvesApart) {
  struct Case {
    const char* value;
    int digits;
    const char* away_from_zero;
    const char* half_even;
  };
  const Case cases[] = {
      {"2.5", 0, "3", "2"},         {"3.5", 0, "4", "4"},         {"-2.5", 0, "-3", "-2"},
      {"0.125", 2, "0.13", "0.12"}, {"0.135", 2, "0.14", "0.14"}, {"0.1251", 2, "0.13", "0.13"},
      {"-0.005", 2, "-0.01", "0"},  {"1.2", 3, "1.2", "1.2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(d(c.value).round(c.digits).to_invariant_string(), c.away_from_zero);
    EXPECT_EQ(d(c.value).round(c.digits, Decimal::Rounding::kHalfEven).to_invariant_string(),
              c.half_even);
  }
  EXPECT_EQ(d("2.5").to_int64_half_even(), 2);
  EXPECT_EQ(d("-3.5").to_int64_half_even(), -4);
  EXPECT_EQ(d("-0.5").to_int64_half_even(), 0);
}

TEST(ArithmeticTest, WholeNumbersAndCurrencyAtTheEdgesOfTheirRanges) {
  ScopedNumberFormat plain(NumberFormat::plain());
  EXPECT_EQ(to_integer(Variant(-32768.5)), -32768);
  EXPECT_EQ(to_integer(Variant(32766.5)), 32766);
  EXPECT_EQ(error_of([] { to_integer(Variant(32767.5)); }).number(), errc::kOverflow);
  EXPECT_EQ(error_of([] { to_integer(Variant(-32769.0)); }).number(), errc::kOverflow);
  EXPECT_EQ(to_long(Variant(2147483647.4)), 2147483647);
  EXPECT_EQ(error_of([] { to_long(Variant(2147483647.5)); }).number(), errc::kOverflow);
  EXPECT_EQ(error_of([] { to_integer(Variant::null()); }).number(), errc::kInvalidUseOfNull);

  struct Case {
    const char* text;
    std::int64_t scaled;
  };
  const Case currency[] = {
      {"1.00005", 10000},
      {"1.00015", 10002},
      {"-1.00025", -10002},
      {"0.00004999", 0},
      {"12", 120000},
      {"922337203685477.5807", INT64_MAX},
      {"-922337203685477.5808", INT64_MIN},
  };
  for (const Case& c : currency) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(to_currency(Variant(c.text)).scaled, c.scaled);
  }
  EXPECT_EQ(error_of([] { to_currency(Variant("922337203685477.58075")); }).number(),
            errc::kOverflow);
}

TEST(ArithmeticTest, CalendarEdges) {
  struct Case {
    const char* text;
    const char* iso;  // nullptr: not a date
  };
  const Case cases[] = {
      {"2000-02-29", "2000-02-29T00:00:00"},
      {"1900-02-29", nullptr},
      {"2100-02-29", nullptr},
      {"2024-02-29T23:59:59.999", "2024-02-29T23:59:59.999"},
      {"0100-01-01", "0100-01-01T00:00:00"},
      {"0099-12-31", nullptr},
      {"2024-04-31", nullptr},
      {"2024-01-01 24:00", nullptr},
      {"2024-01-01 10:60", nullptr},
      {"2024-01-01 10:20", "2024-01-01T10:20:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = parse_iso_date(c.text);
    ASSERT_EQ(parsed.has_value(), c.iso != nullptr);
    if (parsed) {
      EXPECT_EQ(to_iso_text(*parsed), c.iso);
      EXPECT_EQ(civil_from_date(date_from_civil(civil_from_date(*parsed))),
                civil_from_date(*parsed));
    }
  }
  EXPECT_EQ(to_stored_text(CivilDateTime{2024, 3, 5, 7, 8, 9, 10}), "2024-03-05 07:08:09.010");
  const Error e = error_of([] { date_from_civil(CivilDateTime{2023, 2, 29}); });
  EXPECT_EQ(e.number(), errc::kInvalidProcedureCall);
  EXPECT_EQ(e.source(), kRuntimeSource);
  // A text date converts only in the ISO form; numbers are serials within the calendar.
  EXPECT_EQ(to_date(Variant(" 2024-01-02 ")).serial, 45293.0);
  EXPECT_EQ(error_of([] { to_date(Variant("02/01/2024")); }).number(), errc::kTypeMismatch);
  EXPECT_EQ(error_of([] { to_date(Variant(2958466.0)); }).number(), errc::kOverflow);
  EXPECT_EQ(to_date(Variant(-657434.0)).serial, -657434.0);
}

}  // namespace
}  // namespace automation
