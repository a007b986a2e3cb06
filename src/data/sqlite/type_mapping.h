// How the embedded provider describes a column and reads its values: the declared type of a
// table column (SQL Server's type names, as the schema writes them) gives the ADO type, size,
// precision and scale and the automation subtype of its values; an expression column, which
// SQLite leaves untyped, is typed from the values it returned. Pure functions over a statement;
// thread-compatible.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/variant.h"
#include "data/ado.h"
#include "data/provider.h"

struct sqlite3_stmt;

namespace data::sqlite {

// The automation subtype a column's values are read into.
enum class ValueKind : std::uint8_t {
  kInt16,     // Integer
  kInt32,     // Long
  kInt64,     // LongLong
  kDouble,    // Double
  kCurrency,  // Currency
  kDecimal,   // Decimal, at the column's scale
  kBool,      // Boolean
  kDateTime,  // Date, from 'YYYY-MM-DD HH:MM:SS[.mmm]'
  kTime,      // Date holding only a time of day, from 'HH:MM:SS'
  kText,      // String
  kBlob,      // byte array
  kInfer,     // no declared type: typed from the values (see ExpressionTyper)
};

struct ColumnType {
  DataType type = DataType::kVariant;
  std::int32_t defined_size = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t attributes = 0;  // adFldFixed or adFldLong; nullability is added by the caller
  ValueKind kind = ValueKind::kInfer;
};

// Maps a declared type such as "INT", "NUMERIC(9,2)", "VARCHAR(30)", "VARCHAR(-1)" (the
// schema's spelling of VARCHAR(MAX)) or "DATETIME"; nullptr (an expression) gives kInfer.
ColumnType map_declared_type(const char* declared);

// Reads column `i` of the statement's current row. A value whose storage does not fit the
// column's kind (a text in an INT column) is read as what it is rather than raising.
automation::Variant read_value(sqlite3_stmt* stmt, int i, const ColumnType& type);
// The same into `out`, reusing the room of a text it held.
void read_value(sqlite3_stmt* stmt, int i, const ColumnType& type, automation::Variant& out);
// The same value packed straight into the row being built in `row`: the commonest kinds
// without a Variant in between, the others through `scratch`. True when it was Null.
bool pack_value(sqlite3_stmt* stmt, int i, const ColumnType& type, RowArena& row,
                automation::Variant& scratch);

// Types an expression column from the values it returned, as SQL Server would have typed it
// beforehand: all whole numbers give adInteger (adBigInt when one needs 64 bits), any real
// number adDouble, any text adVarChar sized to the longest value, blobs adLongVarBinary, no
// value at all adVarChar(1). Values are then brought to that one subtype.
class ExpressionTyper {
 public:
  void observe(const automation::Variant& value);
  // Whether finish() will change values: the column holds more than one kind of value.
  bool converts() const;
  // Fills type, size and attributes of `column` and converts the column's values in `rows`.
  void finish(ColumnInfo& column, std::vector<Row>& rows, std::size_t ordinal) const;

 private:
  bool int32_ = false, int64_ = false, real_ = false, text_ = false, blob_ = false;
  std::size_t longest_ = 0;
};

}  // namespace data::sqlite
