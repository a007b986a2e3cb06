// The runtime's number and date texts: every conversion of a text, in both number formats, and
// the dialect's digit texts. A parsed Decimal must read back from its own text as the same
// value, and arithmetic on two parsed values ("a|b") must raise only the runtime's errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "data/dialect/decimal_text.h"

namespace {

using automation::Decimal;
using automation::Variant;

template <class Call>
void quietly(Call&& call) {
  automation::ignore_errors(std::forward<Call>(call));
}

void conversions(const std::string& text, const automation::NumberFormat& format) {
  automation::ScopedNumberFormat scoped(format);
  const Variant value(text);
  quietly([&] {
    const Decimal d = Decimal::parse(text, format);
    // A Decimal's own text reads back as the same value, in the same format.
    if (Decimal::parse(d.to_string(format), format) != d) std::abort();
    if (Decimal::parse(d.to_invariant_string(), automation::NumberFormat::plain()) != d) {
      std::abort();
    }
    d.to_double();
    quietly([&] { d.to_int64_half_even(); });
    for (int digits : {0, 2, 5, 28}) d.round(digits, Decimal::Rounding::kHalfEven);
  });
  quietly([&] { automation::to_double(value); });
  quietly([&] { automation::to_long(value); });
  quietly([&] { automation::to_integer(value); });
  quietly([&] { automation::to_currency(value); });
  quietly([&] { automation::to_bool(value); });
  quietly([&] { automation::to_date(value); });
}

void arithmetic(std::string_view left, std::string_view right) {
  const auto plain = automation::NumberFormat::plain();
  quietly([&] {
    const Decimal a = Decimal::parse(left, plain);
    const Decimal b = Decimal::parse(right, plain);
    quietly([&] { a + b; });
    quietly([&] { a - b; });
    quietly([&] { a* b; });
    quietly([&] { a / b; });
    (void)(a < b);
  });
}

void digit_texts(const std::string& text) {
  using data::dialect::DecimalText;
  for (bool exponent : {false, true}) {
    auto d = DecimalText::parse(text, exponent);
    if (!d) continue;
    d->to_integer();
    d->to_double();
    d->format(true);
    d->round_to(4);
    d->truncate();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  conversions(text, automation::NumberFormat::plain());
  conversions(text, automation::NumberFormat::italian());
  if (auto date = automation::parse_iso_date(text)) automation::to_iso_text(*date);
  digit_texts(text);
  if (const std::size_t bar = text.find('|'); bar != std::string::npos) {
    arithmetic(std::string_view(text).substr(0, bar), std::string_view(text).substr(bar + 1));
  }
  return 0;
}
