#include "support/recordset_text.h"

#include <cstdio>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"

namespace test_support {

using automation::Variant;
using automation::VarType;

std::string value_text(const Variant& value, ShowTypes types) {
  std::string out;
  switch (value.type()) {
    case VarType::kEmpty:
      out = "Empty";
      break;
    case VarType::kNull:
      out = "Null";
      break;
    case VarType::kError:
      out = "Missing";
      break;
    case VarType::kBoolean:
      out = value.as_bool() ? "True" : "False";
      break;
    case VarType::kInteger:
      out = std::to_string(value.as_integer());
      break;
    case VarType::kLong:
      out = std::to_string(value.as_long());
      break;
    case VarType::kLongLong:
      out = std::to_string(value.as_long_long());
      break;
    case VarType::kDouble:
      out = automation::double_to_text(value.as_double(), '.');
      break;
    case VarType::kCurrency:
      out = automation::Decimal::from_parts(value.as_currency().scaled, 4).to_invariant_string();
      break;
    case VarType::kDecimal:
      out = value.as_decimal().to_invariant_string();
      break;
    case VarType::kDate: {
      automation::CivilDateTime c = automation::civil_from_date(value.as_date());
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "#%04d-%02d-%02d %02d:%02d:%02d#", c.year, c.month,
                    c.day, c.hour, c.minute, c.second);
      out = buffer;
      break;
    }
    case VarType::kString: {
      out = "'";
      for (char c : value.as_string()) {
        if (c == '\'') out.push_back('\'');
        out.push_back(c);
      }
      out.push_back('\'');
      break;
    }
    case VarType::kByteArray: {
      out = "0x";
      static constexpr char kHex[] = "0123456789ABCDEF";
      for (std::uint8_t b : value.as_bytes()) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
      }
      break;
    }
    case VarType::kObject:
      out = value.is_nothing() ? "Nothing" : "Object";
      break;
  }
  if (types == ShowTypes::kYes) {
    out += ':';
    out += automation::type_name(value.type());
  }
  return out;
}

std::string recordset_text(data::Recordset& recordset, ShowTypes types) {
  if (recordset.State() != data::kStateOpen) return "(closed)";
  data::RecordsetPtr walker;
  data::Recordset* rs = &recordset;
  if (recordset.CursorType() != data::kOpenForwardOnly) {
    walker = recordset.Clone(data::kLockReadOnly);
    walker->SetFilter(recordset.Filter());
    rs = walker.get();
  } else if (!(rs->Bof() && rs->Eof())) {
    rs->MoveFirst();
  }
  data::Fields& fields = rs->Fields();
  std::string out;
  for (int i = 0; i < fields.Count(); ++i) {
    if (i > 0) out += " | ";
    out += fields.Item(i).Name();
  }
  out += '\n';
  while (!rs->Eof()) {
    for (int i = 0; i < fields.Count(); ++i) {
      if (i > 0) out += " | ";
      out += value_text(fields.Item(i).value_ref(), types);
    }
    out += '\n';
    rs->MoveNext();
  }
  return out;
}

}  // namespace test_support
