#include "dorsel/frame/values.h"

#include <charconv>
#include <optional>

#include "automation/convert.h"
#include "automation/text.h"

namespace dorsel {

namespace {

// The general road: the value's text, read back as a decimal number in the current format.
std::string numeric_text_of_text(const automation::Variant& value) {
  std::string text = ValoreTesto(value);
  if (text.empty()) return "0";
  return automation::Decimal::parse(text).to_string();
}

}  // namespace

std::string ValoreTesto(const automation::Variant& value) {
  if (value.is_missing()) return {};
  std::string text = automation::to_text(value);
  text.resize(automation::trim_right(text).size());
  return text;
}

// Whole numbers, decimals and most doubles already are what the text road would make of them: their
// text in the current format reads back as the same number, so they skip the round trip. Every view
// row passes here a few dozen times.
std::string ValoreNumerico(const automation::Variant& value) {
  if (std::optional<std::string> exact = automation::exact_number_text(value)) {
    return *std::move(exact);
  }
  if (value.type() == automation::VarType::kDouble) {
    // A double's text without an exponent reads back as a decimal of the same digits.
    std::string text = automation::double_to_text(value.as_double());
    if (text.find('E') == std::string::npos) return text;
  }
  return numeric_text_of_text(value);
}

double ValoreNumerico_double(const automation::Variant& value) {
  using automation::VarType;
  switch (value.type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kDecimal:
      return automation::to_double(value);  // no text road for numbers that are exact
    case VarType::kDouble: {
      // The double as its 15 significant digits say, read back without the locale's separator.
      std::string text = automation::double_to_text(value.as_double(), '.');
      double rounded = 0;
      if (text.find('E') == std::string::npos &&
          std::from_chars(text.data(), text.data() + text.size(), rounded).ec == std::errc()) {
        return rounded;
      }
      return automation::to_double(automation::Variant(numeric_text_of_text(value)));
    }
    default:
      return automation::to_double(automation::Variant(numeric_text_of_text(value)));
  }
}

}  // namespace dorsel
