#include "data/odbc/odbc_provider.h"

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/text.h"
#include "data/dialect/translator.h"
#include "data/errors.h"
#include "data/odbc/dialect.h"
#include "data/odbc/errors.h"
#include "data/odbc/type_mapping.h"

namespace data::odbc {

using automation::Variant;
using automation::VarType;

namespace {

// One ODBC handle, freed with its owner. Freeing a statement closes its cursor.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE parent, std::optional<Dialect> dialect,
         std::string_view source)
      : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
      handle_ = SQL_NULL_HANDLE;
      SQLSMALLINT parent_type = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
      raise_diagnostics(parent_type, parent, rc, dialect, false, source);
    }
  }
  ~Handle() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
  }
  Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
    other.handle_ = SQL_NULL_HANDLE;
  }
  Handle& operator=(Handle&& other) noexcept {
    std::swap(type_, other.type_);
    std::swap(handle_, other.handle_);
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }

 private:
  SQLSMALLINT type_ = SQL_HANDLE_ENV;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// ODBC passes an integer attribute in its pointer argument.
SQLPOINTER integer_attribute(std::uintptr_t value) {
  return reinterpret_cast<SQLPOINTER>(value);  // NOLINT(performance-no-int-to-ptr)
}

SQLCHAR* sql_text(std::string_view text) {
  // The driver manager does not write through the statement text; the API just lacks const.
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.data()));
}

// A string attribute of a result column; "" when the driver does not give it.
std::string column_attribute(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::string value(256, '\0');
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLColAttribute(stmt, column, field, value.data(),
                                 static_cast<SQLSMALLINT>(value.size()), &length, nullptr);
  if (!SQL_SUCCEEDED(rc) || length <= 0) return {};
  if (static_cast<std::size_t>(length) >= value.size()) {
    value.assign(static_cast<std::size_t>(length) + 1, '\0');
    rc = SQLColAttribute(stmt, column, field, value.data(), static_cast<SQLSMALLINT>(value.size()),
                         &length, nullptr);
    if (!SQL_SUCCEEDED(rc) || length <= 0) return {};
  }
  value.resize(std::min(static_cast<std::size_t>(length), value.size() - 1));
  return value;
}

// A bound parameter's value, kept alive until the statement has run.
struct Parameter {
  SQLSMALLINT c_type = SQL_C_CHAR;
  SQLSMALLINT sql_type = SQL_VARCHAR;
  SQLULEN column_size = 1;
  SQLSMALLINT digits = 0;
  std::vector<char> data;
  SQLLEN indicator = 0;
};

template <class T>
void store(Parameter& p, const T& value) {
  p.data.resize(sizeof value);
  std::memcpy(p.data.data(), &value, sizeof value);
  p.indicator = static_cast<SQLLEN>(sizeof value);
}

void store_text(Parameter& p, std::string_view text) {
  p.data.assign(text.begin(), text.end());
  p.data.push_back('\0');
  p.indicator = static_cast<SQLLEN>(text.size());
}

void store_decimal(Parameter& p, const automation::Decimal& d) {
  std::string text = d.to_invariant_string();
  std::size_t digits = 0;
  for (char c : text) digits += (c >= '0' && c <= '9') ? 1 : 0;
  p.c_type = SQL_C_CHAR;
  p.sql_type = SQL_DECIMAL;
  p.digits = static_cast<SQLSMALLINT>(d.scale());
  p.column_size = std::clamp<SQLULEN>(std::max<SQLULEN>(digits, p.digits + 1U), 1, 38);
  store_text(p, text);
}

bool is_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class OdbcProvider final : public Provider {
 public:
  OdbcProvider(Handle env, Handle dbc, Dialect dialect)
      : env_(std::move(env)),
        dbc_(std::move(dbc)),
        dialect_(dialect),
        translations_(std::string(provider_name(dialect))) {}
  ~OdbcProvider() override {
    if (in_transaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
    SQLDisconnect(dbc_.get());
  }
  OdbcProvider(const OdbcProvider&) = delete;
  OdbcProvider& operator=(const OdbcProvider&) = delete;

  std::string_view name() const override { return provider_name(dialect_); }

  ResultSet execute(std::string_view text, std::span<const Variant> params) override {
    std::string_view sql = text;
    if (dialect_ == Dialect::kSqlite) {
      sql = translations_.translate(text);
    }
    Handle stmt = statement();
    SQLHSTMT h = stmt.get();
    SQLRETURN rc = SQL_SUCCESS;
    std::vector<Parameter> bound;
    if (dialect_ == Dialect::kSqlServer) {
      // One direct batch, as the text would run in a query window: a prepared statement would
      // run in a scope of its own (temporary tables, SET options) and cost a round trip more.
      std::vector<std::size_t> markers = parameter_markers(sql);
      if (markers.size() != params.size()) raise_marker_count(markers.size(), params.size());
      std::vector<Variant> values;
      std::string direct = with_null_literals(sql, markers, params, values);
      bound = bind(h, values, false);
      rc = SQLExecDirect(h, sql_text(direct), static_cast<SQLINTEGER>(direct.size()));
    } else {
      // Prepared first, so that a statement the engine rejects is told from one that fails
      // while running.
      rc = SQLPrepare(h, sql_text(sql), static_cast<SQLINTEGER>(sql.size()));
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, true);
      bound = bind(h, params, true);
      rc = SQLExecute(h);
    }
    ResultSet out;
    if (rc == SQL_NO_DATA) {
      // A searched UPDATE or DELETE that matched no row.
      out.records_affected = 0;
      return out;
    }
    if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
    // Unpacked until the descriptions are settled: they depend on the values.
    std::vector<Row> fetched;
    bool changed_schema = true;
    for (;;) {
      SQLSMALLINT columns = 0;
      rc = SQLNumResultCols(h, &columns);
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
      if (columns > 0) {
        changed_schema = false;
        // The first result with rows is the recordset; later ones are read past, as the
        // driver needs every result consumed before the connection runs anything else.
        if (!out.returns_rows) fetch_all(h, columns, out, fetched);
      } else if (!out.returns_rows && out.records_affected < 0) {
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(h, &count)) && count >= 0) {
          out.records_affected = count;
          changed_schema = false;
        }
      }
      rc = SQLMoreResults(h);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
    }
    if (changed_schema) {
      keys_.clear();
      columns_.clear();
    }
    if (out.returns_rows) {
      mark_keys(out.columns.edit());
      if (dialect_ == Dialect::kSqlite) describe_like_the_engine(out, fetched);
      // A NOT NULL column of an outer-joined table still returns Nulls: the result says so.
      std::vector<ColumnInfo>& columns = out.columns.edit();
      for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnInfo& c = columns[i];
        if ((c.attributes & kFldMayBeNull) != 0) continue;
        if (std::any_of(fetched.begin(), fetched.end(),
                        [&](const Row& row) { return row[i].is_null(); })) {
          c.attributes |= kFldMayBeNull | kFldIsNullable;
        }
      }
      out.rows.reserve(fetched.size());
      for (const Row& row : fetched) out.rows.append(row);
    }
    return out;
  }

  void execute_native_script(std::string_view script) override {
    std::vector<std::string> parts =
        dialect_ == Dialect::kSqlServer ? split_batches(script) : split_sqlite_statements(script);
    keys_.clear();
    columns_.clear();
    for (const std::string& part : parts) run_direct(part);
  }

  void begin_transaction() override {
    if (in_transaction_) {
      throw automation::Error(errc::kUnspecifiedError, std::string(name()),
                              "A transaction is already active on this connection.");
    }
    set_autocommit(false);
    in_transaction_ = true;
  }

  void commit_transaction() override { end_transaction(SQL_COMMIT); }
  void rollback_transaction() override { end_transaction(SQL_ROLLBACK); }

  std::vector<std::string> primary_key(std::string_view table) override {
    return lookup_key(table, true);
  }

  // Whether the dialect's SQLite functions are on the connection.
  bool has_dialect_functions() {
    Handle stmt = statement();
    std::string_view probe = "SELECT tsql_len('x')";
    SQLRETURN rc =
        SQLExecDirect(stmt.get(), sql_text(probe), static_cast<SQLINTEGER>(probe.size()));
    return SQL_SUCCEEDED(rc);
  }

  void run_direct(std::string_view sql) {
    Handle stmt = statement();
    SQLHSTMT h = stmt.get();
    SQLRETURN rc = SQLExecDirect(h, sql_text(sql), static_cast<SQLINTEGER>(sql.size()));
    if (rc == SQL_NO_DATA) return;
    if (!SQL_SUCCEEDED(rc)) fail(h, rc, true);
    while ((rc = SQLMoreResults(h)) != SQL_NO_DATA) {
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
    }
  }

 private:
  Handle statement() { return Handle(SQL_HANDLE_STMT, dbc_.get(), dialect_, name()); }

  [[noreturn]] void fail(SQLHSTMT h, SQLRETURN rc, bool preparing) {
    raise_diagnostics(SQL_HANDLE_STMT, h, rc, dialect_, preparing, name());
  }

  [[noreturn]] void raise_marker_count(std::size_t markers, std::size_t values) {
    throw automation::Error(errc::kInvalidArgument, std::string(name()),
                            "The statement has " + std::to_string(markers) +
                                " parameter markers but " + std::to_string(values) +
                                " values were given.");
  }

  // Binds the parameters; with `prepared`, first checks their number against the markers.
  std::vector<Parameter> bind(SQLHSTMT h, std::span<const Variant> params, bool prepared) {
    SQLSMALLINT expected = 0;
    if (prepared && SQL_SUCCEEDED(SQLNumParams(h, &expected)) &&
        static_cast<std::size_t>(expected) != params.size()) {
      raise_marker_count(static_cast<std::size_t>(expected), params.size());
    }
    std::vector<Parameter> bound(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
      auto number = static_cast<SQLUSMALLINT>(i + 1);
      Parameter& p = bound[i];
      fill(h, number, params[i], p, prepared);
      if (p.data.empty()) p.data.push_back('\0');  // a valid address even for empty values
      SQLRETURN rc = SQLBindParameter(h, number, SQL_PARAM_INPUT, p.c_type, p.sql_type,
                                      p.column_size, p.digits, p.data.data(),
                                      static_cast<SQLLEN>(p.data.size()), &p.indicator);
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
    }
    return bound;
  }

  void fill(SQLHSTMT h, SQLUSMALLINT number, const Variant& value, Parameter& p, bool prepared) {
    switch (value.type()) {
      case VarType::kEmpty:
      case VarType::kNull:
      case VarType::kError: {
        // A Null typed as text converts to most columns; the target's own type, where the
        // driver can tell it, to all.
        SQLSMALLINT type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (prepared &&
            SQL_SUCCEEDED(SQLDescribeParam(h, number, &type, &size, &digits, &nullable)) &&
            type != 0) {
          p.sql_type = type;
          p.column_size = size == 0 ? 1 : size;
          p.digits = digits;
        }
        p.indicator = SQL_NULL_DATA;
        return;
      }
      case VarType::kBoolean:
        p.c_type = SQL_C_BIT;
        p.sql_type = SQL_BIT;
        store(p, static_cast<unsigned char>(value.as_bool() ? 1 : 0));
        return;
      case VarType::kInteger:
        p.c_type = SQL_C_SSHORT;
        p.sql_type = SQL_SMALLINT;
        p.column_size = 5;
        store(p, static_cast<SQLSMALLINT>(value.as_integer()));
        return;
      case VarType::kLong:
        p.c_type = SQL_C_SLONG;
        p.sql_type = SQL_INTEGER;
        p.column_size = 10;
        store(p, static_cast<SQLINTEGER>(value.as_long()));
        return;
      case VarType::kLongLong:
        p.c_type = SQL_C_SBIGINT;
        p.sql_type = SQL_BIGINT;
        p.column_size = 19;
        store(p, static_cast<SQLBIGINT>(value.as_long_long()));
        return;
      case VarType::kDouble:
        p.c_type = SQL_C_DOUBLE;
        p.sql_type = SQL_DOUBLE;
        p.column_size = 15;
        store(p, value.as_double());
        return;
      case VarType::kCurrency:
        store_decimal(p, automation::Decimal::from_parts(value.as_currency().scaled, 4));
        return;
      case VarType::kDecimal:
        store_decimal(p, value.as_decimal());
        return;
      case VarType::kDate: {
        if (dialect_ == Dialect::kSqlite) {
          p.sql_type = SQL_VARCHAR;
          std::string text = automation::to_stored_text(value.as_date());
          p.column_size = text.size();
          store_text(p, text);
          return;
        }
        automation::CivilDateTime c = automation::civil_from_date(value.as_date());
        SQL_TIMESTAMP_STRUCT ts{};
        ts.year = static_cast<SQLSMALLINT>(c.year);
        ts.month = static_cast<SQLUSMALLINT>(c.month);
        ts.day = static_cast<SQLUSMALLINT>(c.day);
        ts.hour = static_cast<SQLUSMALLINT>(c.hour);
        ts.minute = static_cast<SQLUSMALLINT>(c.minute);
        ts.second = static_cast<SQLUSMALLINT>(c.second);
        ts.fraction = static_cast<SQLUINTEGER>(c.millisecond) * 1000000U;
        p.c_type = SQL_C_TYPE_TIMESTAMP;
        p.sql_type = SQL_TYPE_TIMESTAMP;
        p.column_size = 23;
        p.digits = 3;
        store(p, ts);
        return;
      }
      case VarType::kString: {
        const std::string& text = value.as_string();
        if (dialect_ == Dialect::kSqlServer && !is_ascii(text)) {
          // Through the server's code page a varchar parameter would lose what it cannot
          // spell; UTF-16 keeps every character.
          std::vector<SQLWCHAR> wide = utf16_from_utf8(text);
          p.c_type = SQL_C_WCHAR;
          p.sql_type = wide.size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
          p.column_size = std::max<std::size_t>(wide.size(), 1);
          p.data.resize((wide.size() + 1) * sizeof(SQLWCHAR), '\0');
          std::memcpy(p.data.data(), wide.data(), wide.size() * sizeof(SQLWCHAR));
          p.indicator = static_cast<SQLLEN>(wide.size() * sizeof(SQLWCHAR));
          return;
        }
        p.c_type = SQL_C_CHAR;
        p.sql_type = text.size() > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
        p.column_size = std::max<std::size_t>(text.size(), 1);
        store_text(p, text);
        return;
      }
      case VarType::kByteArray: {
        const automation::Bytes& bytes = value.as_bytes();
        p.c_type = SQL_C_BINARY;
        p.sql_type = bytes.size() > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY;
        p.column_size = std::max<std::size_t>(bytes.size(), 1);
        p.data.assign(bytes.begin(), bytes.end());
        p.indicator = static_cast<SQLLEN>(bytes.size());
        return;
      }
      case VarType::kObject:
        break;
    }
    throw automation::Error(errc::kInvalidArgument, std::string(name()),
                            "An object cannot be passed as a statement parameter.");
  }

  void fetch_all(SQLHSTMT h, SQLSMALLINT count, ResultSet& out, std::vector<Row>& rows) {
    out.returns_rows = true;
    const auto n = static_cast<std::size_t>(count);
    std::vector<ColumnType> types(n);
    std::vector<ColumnInfo>& columns = out.columns.edit();
    columns.assign(n, ColumnInfo{});
    for (std::size_t i = 0; i < n; ++i) {
      auto column = static_cast<SQLUSMALLINT>(i + 1);
      std::string column_name(256, '\0');
      SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
      SQLULEN size = 0;
      SQLRETURN rc = SQLDescribeCol(h, column, reinterpret_cast<SQLCHAR*>(column_name.data()),
                                    static_cast<SQLSMALLINT>(column_name.size()), &name_length,
                                    &sql_type, &size, &digits, &nullable);
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
      if (static_cast<std::size_t>(name_length) >= column_name.size()) {
        column_name = column_attribute(h, column, SQL_DESC_NAME);
      } else {
        column_name.resize(static_cast<std::size_t>(name_length < 0 ? 0 : name_length));
      }
      types[i] =
          map_column(sql_type, size, digits, column_attribute(h, column, SQL_DESC_TYPE_NAME));
      ColumnInfo& c = columns[i];
      c.name = std::move(column_name);
      c.type = types[i].type;
      c.defined_size = types[i].defined_size;
      c.precision = types[i].precision;
      c.numeric_scale = types[i].scale;
      c.attributes = types[i].attributes;
      if (nullable != SQL_NO_NULLS) c.attributes |= kFldMayBeNull | kFldIsNullable;
      std::string table = column_attribute(h, column, SQL_DESC_BASE_TABLE_NAME);
      if (!table.empty()) {
        c.base_column = column_attribute(h, column, SQL_DESC_BASE_COLUMN_NAME);
        if (!c.base_column.empty()) c.base_table = std::move(table);
      }
    }
    SQLRETURN rc;
    while ((rc = SQLFetch(h)) != SQL_NO_DATA) {
      if (!SQL_SUCCEEDED(rc)) fail(h, rc, false);
      Row row;
      row.reserve(n);
      for (std::size_t i = 0; i < n; ++i) {
        row.push_back(
            read_value(h, static_cast<SQLUSMALLINT>(i + 1), types[i], dialect_, name(), scratch_));
      }
      rows.push_back(std::move(row));
    }
  }

  // Key flags for the columns of base tables, once the result is read: the key lookup is a
  // statement of its own.
  void mark_keys(std::vector<ColumnInfo>& columns) {
    for (ColumnInfo& c : columns) {
      if (c.base_table.empty()) continue;
      std::vector<std::string> key = lookup_key(c.base_table, false);
      c.key_column = std::any_of(key.begin(), key.end(), [&](const std::string& k) {
        return automation::iequals(k, c.base_column);
      });
      // A key column never holds Null, whatever the driver says of its nullability.
      if (c.key_column) c.attributes &= ~(kFldMayBeNull | kFldIsNullable);
    }
  }

  // The SQLite driver says every column may hold Null, names a column's alias as its base
  // column and sizes every expression's text at 255. The table's own column list (SQLColumns)
  // knows NOT NULL and which names are columns; the values give the longest text. So the
  // columns read as the embedded provider describes them, except that an aliased column
  // counts as an expression: writing back to a column of the alias's name would be wrong.
  void describe_like_the_engine(ResultSet& out, const std::vector<Row>& rows) {
    std::vector<ColumnInfo>& described = out.columns.edit();
    for (std::size_t i = 0; i < described.size(); ++i) {
      ColumnInfo& c = described[i];
      if (!c.base_table.empty()) {
        const auto& columns = table_columns(c.base_table);
        auto it = columns.find(automation::ascii_lower(c.base_column));
        if (it != columns.end()) {
          if (it->second && !c.key_column) c.attributes &= ~(kFldMayBeNull | kFldIsNullable);
          continue;
        }
        c.base_table.clear();
        c.base_column.clear();
        c.key_column = false;
        c.attributes |= kFldMayBeNull | kFldIsNullable;
      }
      if (c.type != DataType::kVarChar && c.type != DataType::kVarWChar) continue;
      std::size_t longest = 1;
      for (const Row& row : rows) {
        if (row[i].is_string()) {
          longest = std::max(longest, automation::utf8_length(row[i].as_string()));
        }
      }
      c.defined_size = static_cast<std::int32_t>(longest);
    }
  }

  // A table's columns (lower case) and whether each is declared NOT NULL, cached like the keys.
  const std::unordered_map<std::string, bool>& table_columns(const std::string& table) {
    std::string cache_key = automation::ascii_lower(table);
    auto it = columns_.find(cache_key);
    if (it != columns_.end()) return it->second;
    std::unordered_map<std::string, bool> columns;
    Handle stmt = statement();
    SQLHSTMT h = stmt.get();
    SQLRETURN rc = SQLColumns(h, nullptr, 0, nullptr, 0, sql_text(table),
                              static_cast<SQLSMALLINT>(table.size()), nullptr, 0);
    ColumnType text_type{DataType::kVarChar, 128, 0, 0, 0, ReadAs::kText};
    ColumnType number_type{DataType::kSmallInt, 2, 5, 0, 0, ReadAs::kInt16};
    while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(rc = SQLFetch(h))) {
      // COLUMN_NAME, then NULLABLE; SQLGetData may skip columns going forwards.
      Variant column = read_value(h, 4, text_type, dialect_, name(), scratch_);
      Variant nullable = read_value(h, 11, number_type, dialect_, name(), scratch_);
      if (!column.is_string()) continue;
      columns[automation::ascii_lower(column.as_string())] =
          nullable.type() == VarType::kInteger && nullable.as_integer() == SQL_NO_NULLS;
    }
    return columns_.emplace(std::move(cache_key), std::move(columns)).first->second;
  }

  // The key columns of a table, cached until the schema may have changed. A lookup that fails
  // while describing a result only leaves the columns without key flags.
  std::vector<std::string> lookup_key(std::string_view table, bool raise_errors) {
    std::string cache_key = automation::ascii_lower(table);
    if (auto it = keys_.find(cache_key); it != keys_.end()) return it->second;
    std::string schema;
    std::string name_only(table);
    if (std::size_t dot = name_only.rfind('.'); dot != std::string::npos) {
      schema = name_only.substr(0, dot);
      name_only.erase(0, dot + 1);
    }
    Handle stmt = statement();
    SQLHSTMT h = stmt.get();
    SQLRETURN rc = SQLPrimaryKeys(h, nullptr, 0, schema.empty() ? nullptr : sql_text(schema),
                                  static_cast<SQLSMALLINT>(schema.size()), sql_text(name_only),
                                  static_cast<SQLSMALLINT>(name_only.size()));
    std::vector<std::pair<int, std::string>> keys;
    if (SQL_SUCCEEDED(rc)) {
      ColumnType text_type{DataType::kVarChar, 128, 0, 0, 0, ReadAs::kText};
      ColumnType number_type{DataType::kSmallInt, 2, 5, 0, 0, ReadAs::kInt16};
      while ((rc = SQLFetch(h)) != SQL_NO_DATA && SQL_SUCCEEDED(rc)) {
        Variant column = read_value(h, 4, text_type, dialect_, name(), scratch_);
        Variant sequence = read_value(h, 5, number_type, dialect_, name(), scratch_);
        if (column.is_string()) {
          keys.emplace_back(sequence.type() == VarType::kInteger ? sequence.as_integer() : 0,
                            column.as_string());
        }
      }
    }
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      if (raise_errors) fail(h, rc, false);
      return {};
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    names.reserve(keys.size());
    for (auto& k : keys) names.push_back(std::move(k.second));
    keys_.emplace(std::move(cache_key), names);
    return names;
  }

  void set_autocommit(bool on) {
    SQLRETURN rc = SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                                     integer_attribute(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
                                     SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(rc)) {
      raise_diagnostics(SQL_HANDLE_DBC, dbc_.get(), rc, dialect_, false, name());
    }
  }

  void end_transaction(SQLSMALLINT how) {
    if (!in_transaction_) {
      throw automation::Error(errc::kUnspecifiedError, std::string(name()),
                              "No transaction is active on this connection.");
    }
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), how);
    // A commit that fails leaves the transaction open, to be rolled back.
    if (!SQL_SUCCEEDED(rc)) {
      raise_diagnostics(SQL_HANDLE_DBC, dbc_.get(), rc, dialect_, false, name());
    }
    in_transaction_ = false;
    set_autocommit(true);
  }

  Handle env_;
  Handle dbc_;
  Dialect dialect_;
  bool in_transaction_ = false;
  dialect::TranslationCache translations_;
  std::vector<char> scratch_;
  std::unordered_map<std::string, std::vector<std::string>> keys_;
  std::unordered_map<std::string, std::unordered_map<std::string, bool>> columns_;
};

// Connects with the string as written; the handles are freed again on failure.
std::pair<Handle, Handle> connect(const std::string& connection_string) {
  Handle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE, std::nullopt, kSourceName);
  SQLRETURN rc =
      SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, integer_attribute(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(rc)) {
    raise_diagnostics(SQL_HANDLE_ENV, env.get(), rc, std::nullopt, false, kSourceName);
  }
  Handle dbc(SQL_HANDLE_DBC, env.get(), std::nullopt, kSourceName);
  rc = SQLDriverConnect(dbc.get(), nullptr, sql_text(connection_string),
                        static_cast<SQLSMALLINT>(connection_string.size()), nullptr, 0, nullptr,
                        SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    raise_diagnostics(SQL_HANDLE_DBC, dbc.get(), rc, std::nullopt, false, kSourceName);
  }
  return {std::move(env), std::move(dbc)};
}

std::string dbms_name(SQLHDBC dbc) {
  std::string name(256, '\0');
  SQLSMALLINT length = 0;
  SQLRETURN rc =
      SQLGetInfo(dbc, SQL_DBMS_NAME, name.data(), static_cast<SQLSMALLINT>(name.size()), &length);
  if (!SQL_SUCCEEDED(rc)) {
    SQLDisconnect(dbc);
    raise_diagnostics(SQL_HANDLE_DBC, dbc, rc, std::nullopt, false, kSourceName);
  }
  name.resize(std::min(static_cast<std::size_t>(length < 0 ? 0 : length), name.size() - 1));
  return name;
}

std::unique_ptr<OdbcProvider> connect_provider(const std::string& connection_string,
                                               std::optional<std::string_view> name_override) {
  auto [env, dbc] = connect(connection_string);
  Dialect dialect = Dialect::kSqlServer;
  try {
    dialect = pick_dialect(name_override ? std::string(*name_override) : dbms_name(dbc.get()));
  } catch (const automation::Error&) {
    SQLDisconnect(dbc.get());
    throw;
  }
  return std::make_unique<OdbcProvider>(std::move(env), std::move(dbc), dialect);
}

std::string with_extension(std::string_view connection_string, const std::string& path) {
  std::string text(automation::trim(connection_string, automation::kSpacesAndTabs));
  if (!text.empty() && text.back() != ';') text += ';';
  return text + "LoadExt=" + path + ";";
}

std::unique_ptr<Provider> open_if_ours(std::string_view connection_string,
                                       std::optional<std::string_view> name_override) {
  if (!accepts(connection_string)) return nullptr;
  auto provider = connect_provider(std::string(connection_string), name_override);
  if (provider->name() != provider_name(Dialect::kSqlite)) return provider;
  if (!provider->has_dialect_functions()) {
    std::string path = extension_path();
    bool given = !automation::trim(connection_string_value(connection_string, "LoadExt"),
                                   automation::kSpacesAndTabs)
                      .empty();
    if (!given && !path.empty()) {
      provider.reset();
      provider = connect_provider(with_extension(connection_string, path), name_override);
    }
    if (!provider->has_dialect_functions()) {
      raise(errc::kInvalidConnection, "ODBC",
            "The SQLite data source lacks the T-SQL dialect's functions: add "
            "LoadExt=/path/to/libtsqlext.so to the connection string, or set DORSEL_TSQLEXT to "
            "that file.");
    }
  }
  // As the embedded provider does: the schema's foreign keys hold.
  provider->run_direct("PRAGMA foreign_keys = ON");
  return provider;
}

}  // namespace

bool accepts(std::string_view connection_string) {
  auto value = [&](std::string_view key) {
    return std::string(automation::trim(connection_string_value(connection_string, key),
                                        automation::kSpacesAndTabs));
  };
  if (automation::iequals(value("Provider"), "SQLite")) return false;
  return !value("Driver").empty() || !value("DSN").empty();
}

std::string extension_path() {
  if (const char* path = std::getenv("DORSEL_TSQLEXT"); path != nullptr && *path != '\0') {
    return path;
  }
  // Beside the program or library this code was linked into: the build puts the extension next
  // to the program; an installation keeps it in the library folder's dorsel/, which is that
  // folder itself for a library and ../LIBDIR for a program in the binary folder.
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&extension_path), &self) == 0 || self.dli_fname == nullptr) {
    return {};
  }
  std::error_code ignored;
  const std::filesystem::path folder =
      std::filesystem::weakly_canonical(self.dli_fname, ignored).parent_path();
  for (const std::filesystem::path& candidate :
       {folder / "libtsqlext.so", folder / "dorsel" / "libtsqlext.so",
        folder / ".." / DORSEL_INSTALL_LIBDIR / "dorsel" / "libtsqlext.so"}) {
    if (std::filesystem::is_regular_file(candidate, ignored)) {
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

void register_provider() {
  data::register_provider("ODBC", [](std::string_view connection_string) {
    return open_if_ours(connection_string, std::nullopt);
  });
}

std::unique_ptr<Provider> open(std::string_view connection_string) {
  if (auto provider = open_if_ours(connection_string, std::nullopt)) return provider;
  raise(errc::kInvalidConnection, "ADODB.Connection",
        "Not a connection string of the ODBC provider (no Driver or DSN): '" +
            std::string(connection_string) + "'");
}

std::unique_ptr<Provider> open_as(std::string_view connection_string, std::string_view dbms_name) {
  if (auto provider = open_if_ours(connection_string, dbms_name)) return provider;
  raise(errc::kInvalidConnection, "ADODB.Connection",
        "Not a connection string of the ODBC provider (no Driver or DSN): '" +
            std::string(connection_string) + "'");
}

}  // namespace data::odbc
