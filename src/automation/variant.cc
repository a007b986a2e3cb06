#include "automation/variant.h"

#include "automation/error.h"

namespace automation {
namespace {

[[noreturn]] void mismatch() { throw Error(errc::kTypeMismatch, std::string(kRuntimeSource)); }

template <class T, class V>
const T& get_or_mismatch(const V& value) {
  const T* p = std::get_if<T>(&value);
  if (p == nullptr) mismatch();
  return *p;
}

}  // namespace

VarType Variant::type() const {
  switch (value_.index()) {
    case 0: return VarType::kEmpty;
    case 1: return VarType::kNull;
    case 2: return VarType::kError;
    case 3: return VarType::kBoolean;
    case 4: return VarType::kInteger;
    case 5: return VarType::kLong;
    case 6: return VarType::kLongLong;
    case 7: return VarType::kDouble;
    case 8: return VarType::kCurrency;
    case 9: return VarType::kDate;
    case 10: return VarType::kDecimal;
    case 11: return VarType::kString;
    case 12: return VarType::kByteArray;
    default: return VarType::kObject;
  }
}

bool Variant::is_numeric() const {
  switch (type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDecimal: return true;
    default: return false;
  }
}

bool Variant::as_bool() const { return get_or_mismatch<bool>(value_); }
std::int16_t Variant::as_integer() const { return get_or_mismatch<std::int16_t>(value_); }
std::int32_t Variant::as_long() const { return get_or_mismatch<std::int32_t>(value_); }
std::int64_t Variant::as_long_long() const { return get_or_mismatch<std::int64_t>(value_); }
double Variant::as_double() const { return get_or_mismatch<double>(value_); }
Currency Variant::as_currency() const { return get_or_mismatch<Currency>(value_); }
Date Variant::as_date() const { return get_or_mismatch<Date>(value_); }
const Decimal& Variant::as_decimal() const { return get_or_mismatch<Decimal>(value_); }
const std::string& Variant::as_string() const { return get_or_mismatch<std::string>(value_); }
const Bytes& Variant::as_bytes() const { return get_or_mismatch<Bytes>(value_); }
const ObjectPtr& Variant::as_object() const { return get_or_mismatch<ObjectPtr>(value_); }

std::string_view type_name(VarType type) {
  switch (type) {
    case VarType::kEmpty: return "Empty";
    case VarType::kNull: return "Null";
    case VarType::kInteger: return "Integer";
    case VarType::kLong: return "Long";
    case VarType::kDouble: return "Double";
    case VarType::kCurrency: return "Currency";
    case VarType::kDate: return "Date";
    case VarType::kString: return "String";
    case VarType::kObject: return "Object";
    case VarType::kError: return "Error";
    case VarType::kBoolean: return "Boolean";
    case VarType::kDecimal: return "Decimal";
    case VarType::kLongLong: return "LongLong";
    case VarType::kByteArray: return "Byte()";
  }
  return "Unknown";
}

}  // namespace automation
