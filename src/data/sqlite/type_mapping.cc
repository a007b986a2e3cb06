#include "data/sqlite/type_mapping.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <string_view>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "automation/text.h"

namespace data::sqlite {

using automation::Variant;

namespace {

constexpr std::int32_t kLongSize = 2147483647;
constexpr std::int32_t kLongWideSize = 1073741823;

struct Declared {
  std::string base;  // upper case, inner blanks collapsed: "DOUBLE PRECISION"
  int args = 0;
  long first = 0;  // -1 also stands for MAX
  long second = 0;
};

Declared parse_declared(std::string_view text) {
  Declared d;
  std::size_t open = text.find('(');
  std::string_view name = text.substr(0, open);
  bool blank = false;
  for (char c : name) {
    if (c == ' ' || c == '\t') {
      blank = !d.base.empty();
      continue;
    }
    if (blank) d.base.push_back(' ');
    blank = false;
    d.base.push_back(automation::upper_ascii(c));
  }
  if (open == std::string_view::npos) return d;
  std::string inner(text.substr(open + 1, text.find(')', open) - open - 1));
  auto read_arg = [](std::string_view arg) -> long {
    arg = automation::trim(arg);
    if (automation::iequals(arg, "MAX")) return -1;
    return std::strtol(std::string(arg).c_str(), nullptr, 10);
  };
  std::size_t comma = inner.find(',');
  d.first = read_arg(std::string_view(inner).substr(0, comma));
  d.args = 1;
  if (comma != std::string::npos) {
    d.second = read_arg(std::string_view(inner).substr(comma + 1));
    d.args = 2;
  }
  return d;
}

ColumnType fixed(DataType type, std::int32_t size, std::uint8_t precision, ValueKind kind,
                 std::uint8_t scale = 0) {
  return ColumnType{type, size, precision, scale, kFldFixed, kind};
}

ColumnType text_type(const Declared& d, DataType limited, DataType long_type,
                     std::int32_t long_size, bool fixed_length) {
  if (d.args == 0 || d.first <= 0) {
    return ColumnType{long_type, long_size, 0, 0, kFldLong, ValueKind::kText};
  }
  std::int32_t attributes = fixed_length ? kFldFixed : 0;
  return ColumnType{limited,         static_cast<std::int32_t>(d.first), 0, 0, attributes,
                    ValueKind::kText};
}

ColumnType binary_type(const Declared& d, DataType limited, bool fixed_length) {
  if (d.args == 0 || d.first <= 0) {
    return ColumnType{DataType::kLongVarBinary, kLongSize, 0, 0, kFldLong, ValueKind::kBlob};
  }
  return ColumnType{limited, static_cast<std::int32_t>(d.first), 0,
                    0,       fixed_length ? kFldFixed : 0,       ValueKind::kBlob};
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Whether a text is a plain decimal number ("-12.50", "3e2"): what Decimal::parse reads
// without a locale.
bool is_plain_number(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::size_t exp = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp;
    if (exp == 0 || exp > 3) return false;
  }
  return i == s.size();
}

std::string_view column_text(sqlite3_stmt* stmt, int i) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
  int n = sqlite3_column_bytes(stmt, i);
  return text ? std::string_view(text, static_cast<std::size_t>(n)) : std::string_view();
}

automation::Bytes column_bytes(sqlite3_stmt* stmt, int i) {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, i));
  int n = sqlite3_column_bytes(stmt, i);
  if (!data || n <= 0) return {};
  return automation::Bytes(data, data + n);
}

Variant integer_value(std::int64_t v) {
  if (v >= std::numeric_limits<std::int32_t>::min() &&
      v <= std::numeric_limits<std::int32_t>::max()) {
    return Variant(static_cast<std::int32_t>(v));
  }
  return Variant(v);
}

// The value as its storage class gives it, for expressions and for values that do not fit
// their column's kind.
Variant natural_value(sqlite3_stmt* stmt, int i, int storage) {
  switch (storage) {
    case SQLITE_INTEGER:
      return integer_value(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT:
      return Variant(std::string(column_text(stmt, i)));
    case SQLITE_BLOB:
      return Variant(column_bytes(stmt, i));
    default:
      return Variant::null();
  }
}

Variant decimal_value(sqlite3_stmt* stmt, int i, int storage, std::uint8_t scale) {
  if (storage == SQLITE_INTEGER) return Variant(automation::Decimal(sqlite3_column_int64(stmt, i)));
  if (storage == SQLITE_FLOAT) {
    double d = sqlite3_column_double(stmt, i);
    if (!std::isfinite(d) || std::fabs(d) >= 7.9e28) return Variant(d);
    // Most stored values sit on the column's scale (a price of 1.25 in NUMERIC(12,4)): then
    // the whole number of scale units is the value, with no detour through its text.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    if (scale < std::size(kPowers)) {
      double scaled = d * kPowers[scale];
      double whole = std::nearbyint(scaled);
      if (std::fabs(whole) < 1e15 && std::fabs(scaled - whole) <= 1e-9) {
        return Variant(automation::Decimal::from_parts(static_cast<std::int64_t>(whole), scale));
      }
    }
    automation::Decimal value = automation::Decimal::from_double(d);
    // A NUMERIC(p,s) column holds s decimals; SQLite may have kept a REAL with more.
    if (value.scale() > scale) value = value.round(scale);
    return Variant(value);
  }
  if (storage == SQLITE_TEXT) {
    std::string_view text = column_text(stmt, i);
    if (is_plain_number(text)) {
      // Beyond a Decimal's range, the text is the value.
      if (auto value = automation::Decimal::try_parse(text, automation::NumberFormat::plain())) {
        if (value->scale() > scale) value = value->round(scale);
        return Variant(*value);
      }
    }
  }
  return natural_value(stmt, i, storage);
}

Variant date_value(sqlite3_stmt* stmt, int i, int storage) {
  if (storage == SQLITE_TEXT) {
    if (auto date = automation::parse_iso_date(column_text(stmt, i))) return Variant(*date);
  }
  return natural_value(stmt, i, storage);
}

Variant time_value(sqlite3_stmt* stmt, int i, int storage) {
  if (storage == SQLITE_TEXT) {
    std::string text = "1899-12-30 " + std::string(column_text(stmt, i));
    if (auto date = automation::parse_iso_date(text)) return Variant(*date);
  }
  return natural_value(stmt, i, storage);
}

}  // namespace

ColumnType map_declared_type(const char* declared) {
  if (declared == nullptr || *declared == '\0') return ColumnType{};
  Declared d = parse_declared(declared);
  const std::string& b = d.base;
  if (b == "INT" || b == "INTEGER" || b == "MEDIUMINT") {
    return fixed(DataType::kInteger, 4, 10, ValueKind::kInt32);
  }
  if (b == "SMALLINT") return fixed(DataType::kSmallInt, 2, 5, ValueKind::kInt16);
  if (b == "TINYINT") return fixed(DataType::kUnsignedTinyInt, 1, 3, ValueKind::kInt16);
  if (b == "BIGINT") return fixed(DataType::kBigInt, 8, 19, ValueKind::kInt64);
  if (b == "BIT") return fixed(DataType::kBoolean, 2, 0, ValueKind::kBool);
  if (b == "DECIMAL" || b == "NUMERIC") {
    long precision = d.args >= 1 && d.first > 0 ? d.first : 18;
    long scale = d.args == 2 && d.second > 0 ? d.second : 0;
    if (precision > 38) precision = 38;
    if (scale > precision) scale = precision;
    return fixed(DataType::kNumeric, 19, static_cast<std::uint8_t>(precision), ValueKind::kDecimal,
                 static_cast<std::uint8_t>(scale));
  }
  if (b == "MONEY" || b == "SMALLMONEY") {
    return fixed(DataType::kCurrency, 8, 19, ValueKind::kCurrency, 4);
  }
  if (b == "FLOAT" || b == "DOUBLE" || b == "DOUBLE PRECISION") {
    return fixed(DataType::kDouble, 8, 15, ValueKind::kDouble);
  }
  if (b == "REAL") return fixed(DataType::kSingle, 4, 7, ValueKind::kDouble);
  if (b == "CHAR" || b == "CHARACTER") {
    return text_type(d, DataType::kChar, DataType::kLongVarChar, kLongSize, true);
  }
  if (b == "NCHAR") {
    return text_type(d, DataType::kWChar, DataType::kLongVarWChar, kLongWideSize, true);
  }
  if (b == "VARCHAR" || b == "CHARACTER VARYING") {
    return text_type(d, DataType::kVarChar, DataType::kLongVarChar, kLongSize, false);
  }
  if (b == "NVARCHAR") {
    return text_type(d, DataType::kVarWChar, DataType::kLongVarWChar, kLongWideSize, false);
  }
  if (b == "TEXT" || b == "CLOB") {
    return ColumnType{DataType::kLongVarChar, kLongSize, 0, 0, kFldLong, ValueKind::kText};
  }
  if (b == "NTEXT") {
    return ColumnType{DataType::kLongVarWChar, kLongWideSize, 0, 0, kFldLong, ValueKind::kText};
  }
  if (b == "DATETIME" || b == "DATETIME2" || b == "SMALLDATETIME" || b == "TIMESTAMP") {
    return fixed(DataType::kDBTimeStamp, 16, 23, ValueKind::kDateTime, 3);
  }
  if (b == "DATE") return fixed(DataType::kDBDate, 6, 10, ValueKind::kDateTime);
  if (b == "TIME") return fixed(DataType::kDBTime, 6, 8, ValueKind::kTime);
  if (b == "VARBINARY") return binary_type(d, DataType::kVarBinary, false);
  if (b == "BINARY") return binary_type(d, DataType::kBinary, true);
  if (b == "IMAGE" || b == "BLOB") {
    return ColumnType{DataType::kLongVarBinary, kLongSize, 0, 0, kFldLong, ValueKind::kBlob};
  }
  if (b == "UNIQUEIDENTIFIER") {
    return ColumnType{DataType::kGUID, 16, 0, 0, kFldFixed, ValueKind::kText};
  }
  // Other names follow SQLite's own affinity rules.
  if (contains(b, "INT")) return fixed(DataType::kInteger, 4, 10, ValueKind::kInt32);
  if (contains(b, "CHAR") || contains(b, "CLOB") || contains(b, "TEXT")) {
    return text_type(d, DataType::kVarChar, DataType::kLongVarChar, kLongSize, false);
  }
  if (contains(b, "BLOB")) return binary_type(d, DataType::kVarBinary, false);
  if (contains(b, "REAL") || contains(b, "FLOA") || contains(b, "DOUB")) {
    return fixed(DataType::kDouble, 8, 15, ValueKind::kDouble);
  }
  return ColumnType{};
}

Variant read_value(sqlite3_stmt* stmt, int i, const ColumnType& type) {
  int storage = sqlite3_column_type(stmt, i);
  if (storage == SQLITE_NULL) return Variant::null();
  switch (type.kind) {
    case ValueKind::kInt16:
      if (storage == SQLITE_INTEGER) {
        std::int64_t v = sqlite3_column_int64(stmt, i);
        if (v >= -32768 && v <= 32767) return Variant(static_cast<std::int16_t>(v));
        return integer_value(v);
      }
      break;
    case ValueKind::kInt32:
      if (storage == SQLITE_INTEGER) return integer_value(sqlite3_column_int64(stmt, i));
      break;
    case ValueKind::kInt64:
      if (storage == SQLITE_INTEGER) {
        return Variant(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
      }
      break;
    case ValueKind::kDouble:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        return Variant(sqlite3_column_double(stmt, i));
      }
      break;
    case ValueKind::kCurrency:
      if (storage == SQLITE_INTEGER) {
        std::int64_t v = sqlite3_column_int64(stmt, i);
        if (v > -922337203685477 && v < 922337203685477) {
          return Variant(automation::Currency{v * 10000});
        }
      } else if (storage == SQLITE_FLOAT) {
        double d = sqlite3_column_double(stmt, i) * 10000.0;
        if (std::fabs(d) < 9.2e18) return Variant(automation::Currency{std::llround(d)});
      }
      break;
    case ValueKind::kDecimal:
      return decimal_value(stmt, i, storage, type.scale);
    case ValueKind::kBool:
      if (storage == SQLITE_INTEGER) return Variant(sqlite3_column_int64(stmt, i) != 0);
      if (storage == SQLITE_FLOAT) return Variant(sqlite3_column_double(stmt, i) != 0.0);
      if (storage == SQLITE_TEXT) {
        std::string_view text = column_text(stmt, i);
        if (automation::iequals(text, "true")) return Variant(true);
        if (automation::iequals(text, "false")) return Variant(false);
      }
      break;
    case ValueKind::kDateTime:
      return date_value(stmt, i, storage);
    case ValueKind::kTime:
      return time_value(stmt, i, storage);
    case ValueKind::kText:
      if (storage != SQLITE_BLOB) return Variant(std::string(column_text(stmt, i)));
      break;
    case ValueKind::kBlob:
      return Variant(column_bytes(stmt, i));
    case ValueKind::kInfer:
      break;
  }
  return natural_value(stmt, i, storage);
}

void read_value(sqlite3_stmt* stmt, int i, const ColumnType& type, Variant& out) {
  // A text column's value goes into the room of the text the row held before.
  if (type.kind == ValueKind::kText) {
    int storage = sqlite3_column_type(stmt, i);
    if (storage == SQLITE_TEXT || storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
      out.assign_text(column_text(stmt, i));
      return;
    }
  }
  out = read_value(stmt, i, type);
}

bool pack_value(sqlite3_stmt* stmt, int i, const ColumnType& type, RowArena& row,
                Variant& scratch) {
  // Each case gives the bytes of the Variant read_value() would give.
  int storage = sqlite3_column_type(stmt, i);
  if (storage == SQLITE_NULL) {
    row.add_null();
    return true;
  }
  switch (type.kind) {
    case ValueKind::kText:
      if (storage != SQLITE_BLOB) {
        row.add_text(column_text(stmt, i));
        return false;
      }
      break;
    case ValueKind::kInt16:
      if (storage == SQLITE_INTEGER) {
        std::int64_t v = sqlite3_column_int64(stmt, i);
        if (v >= -32768 && v <= 32767) {
          row.add_integer(static_cast<std::int16_t>(v));
          return false;
        }
      }
      break;
    case ValueKind::kInt32:
      if (storage == SQLITE_INTEGER) {
        std::int64_t v = sqlite3_column_int64(stmt, i);
        if (v >= std::numeric_limits<std::int32_t>::min() &&
            v <= std::numeric_limits<std::int32_t>::max()) {
          row.add_long(static_cast<std::int32_t>(v));
        } else {
          row.add_long_long(v);
        }
        return false;
      }
      break;
    case ValueKind::kInt64:
      if (storage == SQLITE_INTEGER) {
        row.add_long_long(sqlite3_column_int64(stmt, i));
        return false;
      }
      break;
    case ValueKind::kDouble:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        row.add_double(sqlite3_column_double(stmt, i));
        return false;
      }
      break;
    default:
      break;
  }
  scratch = read_value(stmt, i, type);
  row.add_value(scratch);
  return false;
}

void ExpressionTyper::observe(const Variant& value) {
  switch (value.type()) {
    case automation::VarType::kLong:
      int32_ = true;
      break;
    case automation::VarType::kLongLong:
      int64_ = true;
      break;
    case automation::VarType::kDouble:
      real_ = true;
      break;
    case automation::VarType::kString: {
      text_ = true;
      std::size_t n = automation::utf8_length(value.as_string());
      if (n > longest_) longest_ = n;
      break;
    }
    case automation::VarType::kByteArray:
      blob_ = true;
      break;
    default:
      break;
  }
}

bool ExpressionTyper::converts() const {
  bool number = int32_ || int64_ || real_;
  return (text_ && number) || (real_ && (int32_ || int64_)) || (int64_ && int32_);
}

void ExpressionTyper::finish(ColumnInfo& column, std::vector<Row>& rows,
                             std::size_t ordinal) const {
  column.attributes = kFldMayBeNull | kFldIsNullable;
  auto convert_all = [&](auto&& convert) {
    for (Row& row : rows) {
      Variant& v = row[ordinal];
      if (!v.is_null()) convert(v);
    }
  };
  if (text_) {
    column.type = DataType::kVarChar;
    column.defined_size = static_cast<std::int32_t>(longest_ == 0 ? 1 : longest_);
    if (int32_ || int64_ || real_) {
      std::size_t longest = longest_;
      convert_all([&](Variant& v) {
        switch (v.type()) {
          case automation::VarType::kLong:
            v = Variant(std::to_string(v.as_long()));
            break;
          case automation::VarType::kLongLong:
            v = Variant(std::to_string(v.as_long_long()));
            break;
          case automation::VarType::kDouble:
            v = Variant(automation::double_to_text(v.as_double(), '.'));
            break;
          default:
            break;
        }
        if (v.is_string() && automation::utf8_length(v.as_string()) > longest) {
          longest = automation::utf8_length(v.as_string());
        }
      });
      column.defined_size = static_cast<std::int32_t>(longest == 0 ? 1 : longest);
    }
  } else if (real_) {
    column.type = DataType::kDouble;
    column.defined_size = 8;
    column.precision = 15;
    column.attributes |= kFldFixed;
    if (int32_ || int64_) {
      convert_all([](Variant& v) {
        if (v.type() == automation::VarType::kLong) v = Variant(static_cast<double>(v.as_long()));
        if (v.type() == automation::VarType::kLongLong) {
          v = Variant(static_cast<double>(v.as_long_long()));
        }
      });
    }
  } else if (int64_) {
    column.type = DataType::kBigInt;
    column.defined_size = 8;
    column.precision = 19;
    column.attributes |= kFldFixed;
    convert_all([](Variant& v) {
      if (v.type() == automation::VarType::kLong) v = Variant(std::int64_t{v.as_long()});
    });
  } else if (int32_) {
    column.type = DataType::kInteger;
    column.defined_size = 4;
    column.precision = 10;
    column.attributes |= kFldFixed;
  } else if (blob_) {
    column.type = DataType::kLongVarBinary;
    column.defined_size = kLongSize;
    column.attributes |= kFldLong;
  } else {
    column.type = DataType::kVarChar;
    column.defined_size = 1;
  }
}

}  // namespace data::sqlite
