#include "automation/variant.h"

#include "automation/error.h"

namespace automation {

void Variant::mismatch() { raise_runtime(errc::kTypeMismatch); }

bool Variant::is_numeric() const {
  switch (type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDecimal:
      return true;
    default:
      return false;
  }
}

std::string_view type_name(VarType type) {
  switch (type) {
    case VarType::kEmpty:
      return "Empty";
    case VarType::kNull:
      return "Null";
    case VarType::kInteger:
      return "Integer";
    case VarType::kLong:
      return "Long";
    case VarType::kDouble:
      return "Double";
    case VarType::kCurrency:
      return "Currency";
    case VarType::kDate:
      return "Date";
    case VarType::kString:
      return "String";
    case VarType::kObject:
      return "Object";
    case VarType::kError:
      return "Error";
    case VarType::kBoolean:
      return "Boolean";
    case VarType::kDecimal:
      return "Decimal";
    case VarType::kLongLong:
      return "LongLong";
    case VarType::kByteArray:
      return "Byte()";
  }
  return "Unknown";
}

}  // namespace automation
