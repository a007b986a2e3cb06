#include "dorsel/frame/values.h"

#include "automation/convert.h"

namespace dorsel {

std::string ValoreTesto(const automation::Variant& value) {
  if (value.is_missing()) return {};
  std::string text = automation::to_text(value);
  text.resize(automation::rtrim(text).size());
  return text;
}

std::string ValoreNumerico(const automation::Variant& value) {
  std::string text = ValoreTesto(value);
  if (text.empty()) return "0";
  return automation::Decimal::parse(text).to_string();
}

double ValoreNumerico_double(const automation::Variant& value) {
  return automation::to_double(automation::Variant(ValoreNumerico(value)));
}

}  // namespace dorsel
