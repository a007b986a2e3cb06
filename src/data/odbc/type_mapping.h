// How the ODBC provider describes a result column and reads its values: the driver's concise
// SQL type, column size, decimal digits and type name give the ADO type, size, precision and
// scale, and the automation subtype the values are read into. Every value is read with
// SQLGetData, long ones in chunks of kReadChunk bytes, so any size arrives whole.
// Thread-compatible.
#pragma once

#include <sql.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "data/ado.h"
#include "data/odbc/dialect.h"

namespace data::odbc {

// The buffer of one SQLGetData call for long texts and binaries.
inline constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

// The automation subtype a column's values are read into, and how.
enum class ReadAs : std::uint8_t {
  kInt16,      // Integer, SQL_C_SSHORT
  kInt32,      // Long, SQL_C_SLONG
  kInt64,      // LongLong, SQL_C_SBIGINT
  kBool,       // Boolean, SQL_C_BIT
  kDouble,     // Double, SQL_C_DOUBLE
  kDecimal,    // Decimal, parsed exactly from SQL_C_CHAR text
  kCurrency,   // Currency, parsed exactly from SQL_C_CHAR text
  kTimestamp,  // Date, SQL_C_TYPE_TIMESTAMP
  kTime,       // Date holding only a time of day, from SQL_C_CHAR text
  kText,       // String, SQL_C_CHAR (the driver's client character set: UTF-8)
  kWideText,   // String, SQL_C_WCHAR (UTF-16) turned into UTF-8
  kBinary,     // byte array, SQL_C_BINARY
};

struct ColumnType {
  DataType type = DataType::kVarChar;
  std::int32_t defined_size = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t attributes = 0;  // adFldFixed or adFldLong; nullability is added by the caller
  ReadAs read = ReadAs::kText;
};

// Maps what SQLDescribeCol and SQL_DESC_TYPE_NAME say of a column. `column_size` is the
// driver's value as is: 0, or a huge one, stands for an unlimited (max) type. The type name
// decides where the SQL type alone does not: "money" is adCurrency, and a SQLite driver that
// reports NUMERIC or DECIMAL columns as DOUBLE or VARCHAR still gives adNumeric.
ColumnType map_column(SQLSMALLINT sql_type, SQLULEN column_size, SQLSMALLINT decimal_digits,
                      std::string_view type_name);

// A number as a driver writes it in text ("-12.50", "1e-5") read exactly: a Decimal; a value
// past a Decimal's range a Double; a text that is no number stays a String. Currency for
// kCurrency when it fits.
automation::Variant number_from_text(std::string_view text, ReadAs read);

// UTF-16 (unpaired surrogates become U+FFFD) to UTF-8.
std::string utf8_from_utf16(const SQLWCHAR* text, std::size_t units);
// UTF-8 (invalid bytes become U+FFFD) to UTF-16.
std::vector<SQLWCHAR> utf16_from_utf8(std::string_view text);

// Reads column `column` (1-based) of the statement's current row; Null for SQL_NULL_DATA.
// Columns are read in ascending order, as SQLGetData requires. `scratch` is the caller's
// reusable chunk buffer. Raises the driver's diagnostics on failure with `source`.
automation::Variant read_value(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnType& type,
                               Dialect dialect, std::string_view source,
                               std::vector<char>& scratch);

}  // namespace data::odbc
