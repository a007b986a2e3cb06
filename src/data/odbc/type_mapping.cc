#include "data/odbc/type_mapping.h"

#include <sqlext.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "automation/text.h"
#include "data/odbc/errors.h"

namespace data::odbc {

using automation::Variant;

namespace {

constexpr std::int32_t kLongSize = 2147483647;
constexpr std::int32_t kLongWideSize = 1073741823;
// SQL Server's time(n), which its drivers report with a type code of their own.
constexpr SQLSMALLINT kSqlServerTime2 = -154;
// Past these sizes SQL Server has only its max types; a driver reports max as 0 or as a huge
// number, depending on the driver.
constexpr SQLULEN kMaxNarrowSize = 8000;
constexpr SQLULEN kMaxWideSize = 4000;

bool unlimited(SQLULEN size, SQLULEN limit) { return size == 0 || size > limit; }

ColumnType fixed(DataType type, std::int32_t size, std::uint8_t precision, ReadAs read,
                 std::uint8_t scale = 0) {
  return ColumnType{type, size, precision, scale, kFldFixed, read};
}

ColumnType long_type(DataType type, std::int32_t size, ReadAs read) {
  return ColumnType{type, size, 0, 0, kFldLong, read};
}

ColumnType sized(DataType type, SQLULEN size, bool fixed_length, ReadAs read) {
  return ColumnType{type, static_cast<std::int32_t>(size), 0,
                    0,    fixed_length ? kFldFixed : 0,    read};
}

// A driver that does not know a declared type reports it as text or as a double (the SQLite
// driver does so for decimal, money and the fixed-length texts); the name it reports beside
// it is the declared one, and tells what the column holds.
SQLSMALLINT type_from_name(SQLSMALLINT sql_type, SQLULEN column_size, std::string_view type_name) {
  std::string name = automation::ascii_lower(type_name);
  // The SQLite driver reports a VARCHAR(n) longer than 255 as a long text of size n.
  if (sql_type == SQL_LONGVARCHAR && name == "varchar" && !unlimited(column_size, kMaxNarrowSize)) {
    return SQL_VARCHAR;
  }
  if (sql_type == SQL_WLONGVARCHAR && name == "nvarchar" && !unlimited(column_size, kMaxWideSize)) {
    return SQL_WVARCHAR;
  }
  if (sql_type == SQL_LONGVARCHAR && name == "nvarchar" && !unlimited(column_size, kMaxWideSize)) {
    return SQL_WVARCHAR;
  }
  if (sql_type != SQL_VARCHAR && sql_type != SQL_WVARCHAR && sql_type != SQL_DOUBLE) {
    return sql_type;
  }
  if (name == "numeric" || name == "decimal" || name == "money" || name == "smallmoney") {
    return SQL_DECIMAL;
  }
  if (sql_type == SQL_DOUBLE) return sql_type;
  if (name == "char" || name == "character") return SQL_CHAR;
  if (name == "nchar") return SQL_WCHAR;
  if (name == "nvarchar") return SQL_WVARCHAR;
  return sql_type;
}

std::uint8_t clamp_precision(SQLULEN size) {
  if (size == 0) return 18;
  return static_cast<std::uint8_t>(size > 38 ? 38 : size);
}

// Reads a value of a variable-length C type chunk by chunk into `out`; false for Null.
// `terminator` is the size of the zero the driver writes after each text chunk (0 for binary).
bool read_chunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, std::size_t terminator,
                 std::vector<char>& scratch, std::string& out, Dialect dialect,
                 std::string_view source) {
  if (scratch.size() < kReadChunk) scratch.resize(kReadChunk);
  char* buffer = scratch.data();
  const auto capacity = static_cast<SQLLEN>(scratch.size());
  const auto available = static_cast<std::size_t>(capacity) - terminator;
  for (bool first = true;; first = false) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt, column, c_type, buffer, capacity, &indicator);
    if (rc == SQL_NO_DATA) return true;
    if (!SQL_SUCCEEDED(rc)) raise_diagnostics(SQL_HANDLE_STMT, stmt, rc, dialect, false, source);
    if (indicator == SQL_NULL_DATA) return !first;
    bool truncated = rc == SQL_SUCCESS_WITH_INFO &&
                     (indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > available);
    std::size_t piece = truncated ? available : static_cast<std::size_t>(indicator);
    if (piece > available) piece = available;
    if (truncated && terminator == 1 && buffer[available] != '\0') {
      // A driver that keeps a partial character for the next call ends the chunk earlier.
      piece = strnlen(buffer, available);
    } else if (truncated && terminator == sizeof(SQLWCHAR)) {
      const auto* wide = reinterpret_cast<const SQLWCHAR*>(buffer);
      std::size_t units = available / sizeof(SQLWCHAR);
      if (wide[units] != 0) {
        std::size_t n = 0;
        while (n < units && wide[n] != 0) ++n;
        units = n;
      }
      piece = units * sizeof(SQLWCHAR);
    }
    out.append(buffer, piece);
    if (!truncated) return true;
  }
}

// A driver's text without its blanks; a driver may leave its terminator inside the length it
// reports.
std::string_view trim_driver_text(std::string_view text) {
  using namespace std::string_view_literals;
  return automation::trim_right(automation::trim_left(text, automation::kSpacesAndTabs), " \t\0"sv);
}

std::optional<automation::Date> time_of_day(std::string_view text) {
  text = trim_driver_text(text);
  // time(7) gives seven decimals; a Date keeps milliseconds.
  std::size_t dot = text.find('.');
  if (dot != std::string_view::npos && text.size() > dot + 4) text = text.substr(0, dot + 4);
  return automation::parse_iso_date("1899-12-30 " + std::string(text));
}

}  // namespace

ColumnType map_column(SQLSMALLINT sql_type, SQLULEN column_size, SQLSMALLINT decimal_digits,
                      std::string_view type_name) {
  switch (type_from_name(sql_type, column_size, type_name)) {
    case SQL_CHAR:
      if (unlimited(column_size, kMaxNarrowSize)) {
        return long_type(DataType::kLongVarChar, kLongSize, ReadAs::kText);
      }
      return sized(DataType::kChar, column_size, true, ReadAs::kText);
    case SQL_VARCHAR:
      if (unlimited(column_size, kMaxNarrowSize)) {
        return long_type(DataType::kLongVarChar, kLongSize, ReadAs::kText);
      }
      return sized(DataType::kVarChar, column_size, false, ReadAs::kText);
    case SQL_LONGVARCHAR:
      return long_type(DataType::kLongVarChar, kLongSize, ReadAs::kText);
    case SQL_WCHAR:
      if (unlimited(column_size, kMaxWideSize)) {
        return long_type(DataType::kLongVarWChar, kLongWideSize, ReadAs::kWideText);
      }
      return sized(DataType::kWChar, column_size, true, ReadAs::kWideText);
    case SQL_WVARCHAR:
      if (unlimited(column_size, kMaxWideSize)) {
        return long_type(DataType::kLongVarWChar, kLongWideSize, ReadAs::kWideText);
      }
      return sized(DataType::kVarWChar, column_size, false, ReadAs::kWideText);
    case SQL_WLONGVARCHAR:
      return long_type(DataType::kLongVarWChar, kLongWideSize, ReadAs::kWideText);
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
      std::string name = automation::ascii_lower(type_name);
      if (name == "money" || name == "smallmoney") {
        return fixed(DataType::kCurrency, 8, 19, ReadAs::kCurrency, 4);
      }
      std::uint8_t precision = clamp_precision(column_size);
      auto scale = static_cast<std::uint8_t>(decimal_digits < 0 ? 0 : decimal_digits);
      if (scale > precision) scale = precision;
      return fixed(DataType::kNumeric, 19, precision, ReadAs::kDecimal, scale);
    }
    case SQL_SMALLINT:
      return fixed(DataType::kSmallInt, 2, 5, ReadAs::kInt16);
    case SQL_INTEGER:
      return fixed(DataType::kInteger, 4, 10, ReadAs::kInt32);
    case SQL_TINYINT:
      return fixed(DataType::kUnsignedTinyInt, 1, 3, ReadAs::kInt16);
    case SQL_BIGINT:
      return fixed(DataType::kBigInt, 8, 19, ReadAs::kInt64);
    case SQL_BIT:
      return fixed(DataType::kBoolean, 2, 0, ReadAs::kBool);
    case SQL_REAL:
      return fixed(DataType::kSingle, 4, 7, ReadAs::kDouble);
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return fixed(DataType::kDouble, 8, 15, ReadAs::kDouble);
    case SQL_BINARY:
      if (unlimited(column_size, kMaxNarrowSize)) {
        return long_type(DataType::kLongVarBinary, kLongSize, ReadAs::kBinary);
      }
      return sized(DataType::kBinary, column_size, true, ReadAs::kBinary);
    case SQL_VARBINARY:
      if (unlimited(column_size, kMaxNarrowSize)) {
        return long_type(DataType::kLongVarBinary, kLongSize, ReadAs::kBinary);
      }
      return sized(DataType::kVarBinary, column_size, false, ReadAs::kBinary);
    case SQL_LONGVARBINARY:
      return long_type(DataType::kLongVarBinary, kLongSize, ReadAs::kBinary);
    case SQL_TYPE_DATE:
    case SQL_DATE:
      return fixed(DataType::kDBDate, 6, 10, ReadAs::kTimestamp);
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSqlServerTime2:
      return fixed(DataType::kDBTime, 6, 8, ReadAs::kTime);
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return fixed(DataType::kDBTimeStamp, 16, 23, ReadAs::kTimestamp, 3);
    case SQL_GUID:
      return ColumnType{DataType::kGUID, 16, 0, 0, kFldFixed, ReadAs::kText};
    default:
      break;
  }
  // Types without an ADO counterpart (xml, sql_variant, datetimeoffset, ...) arrive as text.
  if (unlimited(column_size, kMaxWideSize)) {
    return long_type(DataType::kLongVarWChar, kLongWideSize, ReadAs::kWideText);
  }
  return sized(DataType::kVarWChar, column_size, false, ReadAs::kWideText);
}

Variant number_from_text(std::string_view text, ReadAs read) {
  std::string_view number = trim_driver_text(text);
  std::int32_t error_number = 0;
  const std::optional<automation::Decimal> value =
      automation::Decimal::try_parse(number, automation::NumberFormat::plain(), &error_number);
  if (value) {
    if (read == ReadAs::kCurrency) {
      automation::Decimal scaled = value->round(4);
      automation::Int128 mantissa = scaled.mantissa();
      for (int s = scaled.scale(); s < 4; ++s) mantissa *= 10;
      if (mantissa >= INT64_MIN && mantissa <= INT64_MAX) {
        return Variant(automation::Currency{static_cast<std::int64_t>(mantissa)});
      }
    }
    return Variant(*value);
  }
  if (error_number != automation::errc::kOverflow) return Variant(std::string(text));
  // Beyond a Decimal's 96 bits (a numeric(38) can be): the nearest double.
  std::string copy(number);
  char* end = nullptr;
  double d = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() && *end == '\0' && std::isfinite(d)) return Variant(d);
  return Variant(std::string(text));
}

std::string utf8_from_utf16(const SQLWCHAR* text, std::size_t units) {
  std::string out;
  out.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    automation::append_utf8(out, cp);
  }
  return out;
}

std::vector<SQLWCHAR> utf16_from_utf8(std::string_view text) {
  std::vector<SQLWCHAR> out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t cp = automation::decode_utf8(text, i).value_or(0xFFFD);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<SQLWCHAR>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<SQLWCHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<SQLWCHAR>(cp));
    }
  }
  return out;
}

Variant read_value(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnType& type, Dialect dialect,
                   std::string_view source, std::vector<char>& scratch) {
  SQLLEN indicator = 0;
  auto fixed_read = [&](SQLSMALLINT c_type, void* target, SQLLEN size) {
    SQLRETURN rc = SQLGetData(stmt, column, c_type, target, size, &indicator);
    if (!SQL_SUCCEEDED(rc)) raise_diagnostics(SQL_HANDLE_STMT, stmt, rc, dialect, false, source);
    return indicator != SQL_NULL_DATA;
  };
  switch (type.read) {
    case ReadAs::kInt16: {
      SQLSMALLINT v = 0;
      if (!fixed_read(SQL_C_SSHORT, &v, sizeof v)) return Variant::null();
      return Variant(static_cast<std::int16_t>(v));
    }
    case ReadAs::kInt32: {
      SQLINTEGER v = 0;
      if (!fixed_read(SQL_C_SLONG, &v, sizeof v)) return Variant::null();
      return Variant(static_cast<std::int32_t>(v));
    }
    case ReadAs::kInt64: {
      SQLBIGINT v = 0;
      if (!fixed_read(SQL_C_SBIGINT, &v, sizeof v)) return Variant::null();
      return Variant(static_cast<std::int64_t>(v));
    }
    case ReadAs::kBool: {
      unsigned char v = 0;
      if (!fixed_read(SQL_C_BIT, &v, sizeof v)) return Variant::null();
      return Variant(v != 0);
    }
    case ReadAs::kDouble: {
      double v = 0;
      if (!fixed_read(SQL_C_DOUBLE, &v, sizeof v)) return Variant::null();
      return Variant(v);
    }
    case ReadAs::kTimestamp: {
      SQL_TIMESTAMP_STRUCT ts{};
      if (!fixed_read(SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts)) return Variant::null();
      automation::CivilDateTime civil{ts.year,
                                      ts.month,
                                      ts.day,
                                      ts.hour,
                                      ts.minute,
                                      ts.second,
                                      static_cast<int>(ts.fraction / 1000000)};
      if (auto date = automation::try_date_from_civil(civil)) return Variant(*date);
      // Before year 100 (SQL Server's date starts at year 1): a Date cannot hold it, the text
      // keeps it.
      return Variant(automation::to_stored_text(civil));
    }
    case ReadAs::kTime:
    case ReadAs::kDecimal:
    case ReadAs::kCurrency:
    case ReadAs::kText: {
      std::string text;
      if (!read_chunks(stmt, column, SQL_C_CHAR, 1, scratch, text, dialect, source)) {
        return Variant::null();
      }
      if (type.read == ReadAs::kText) return Variant(std::move(text));
      if (type.read == ReadAs::kTime) {
        if (auto date = time_of_day(text)) return Variant(*date);
        return Variant(std::move(text));
      }
      return number_from_text(text, type.read);
    }
    case ReadAs::kWideText: {
      std::string units;
      if (!read_chunks(stmt, column, SQL_C_WCHAR, sizeof(SQLWCHAR), scratch, units, dialect,
                       source)) {
        return Variant::null();
      }
      std::vector<SQLWCHAR> wide(units.size() / sizeof(SQLWCHAR));
      std::memcpy(wide.data(), units.data(), wide.size() * sizeof(SQLWCHAR));
      return Variant(utf8_from_utf16(wide.data(), wide.size()));
    }
    case ReadAs::kBinary: {
      std::string bytes;
      if (!read_chunks(stmt, column, SQL_C_BINARY, 0, scratch, bytes, dialect, source)) {
        return Variant::null();
      }
      return Variant(automation::Bytes(bytes.begin(), bytes.end()));
    }
  }
  return Variant::null();
}

}  // namespace data::odbc
