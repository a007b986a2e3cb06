// Provider: what a database engine gives the data layer. A provider runs one statement at a
// time with its results fully fetched (a client-side cursor), describes the columns the way
// ADO describes fields, and reports its errors as automation errors with its own source.
//
// Providers register a factory for the connection strings they understand; Connection::Open
// picks the first one that accepts the string. Not thread-safe; one owner at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "data/ado.h"
#include "data/packed_rows.h"

namespace data {

// One result column, as a Field of an opened recordset describes it.
struct ColumnInfo {
  std::string name;
  DataType type = DataType::kVariant;
  std::int32_t defined_size = 0;
  std::uint8_t precision = 0;
  std::uint8_t numeric_scale = 0;
  std::int32_t attributes = 0;
  // Where the column comes from, for write-back; empty for expressions.
  std::string base_table;
  std::string base_column;
  bool key_column = false;  // part of its base table's primary key
};

// The columns of a result. A statement run again shares its description with every result
// it gave, so a look-up copies no names; edit() makes a copy of its own first when shared.
class ColumnList {
 public:
  ColumnList() = default;
  ColumnList(std::vector<ColumnInfo> columns)  // NOLINT(google-explicit-constructor)
      : columns_(std::make_shared<std::vector<ColumnInfo>>(std::move(columns))) {}

  std::size_t size() const { return columns_ ? columns_->size() : 0; }
  bool empty() const { return size() == 0; }
  const ColumnInfo& operator[](std::size_t i) const { return (*columns_)[i]; }
  const ColumnInfo* begin() const { return columns_ ? columns_->data() : nullptr; }
  const ColumnInfo* end() const { return begin() + size(); }

  std::vector<ColumnInfo>& edit() {
    if (!columns_) {
      columns_ = std::make_shared<std::vector<ColumnInfo>>();
    } else if (columns_.use_count() > 1) {
      columns_ = std::make_shared<std::vector<ColumnInfo>>(*columns_);
    }
    return *columns_;
  }

 private:
  std::shared_ptr<std::vector<ColumnInfo>> columns_;
};

struct ResultSet {
  bool returns_rows = false;  // false for DML and DDL: the recordset stays closed
  ColumnList columns;
  PackedRows rows;
  std::int64_t records_affected = -1;
};

class Provider {
 public:
  virtual ~Provider() = default;

  // "SQLite", "ODBC": the source of the errors the provider raises.
  virtual std::string_view name() const = 0;

  // Runs one statement of the component's dialect (SQL Server's T-SQL; a provider whose engine
  // speaks another dialect translates it). `params` bind, in order, to '?' placeholders: the
  // data layer uses them for write-back. Raises automation::Error on any failure.
  virtual ResultSet execute(std::string_view text, std::span<const automation::Variant> params) = 0;

  // Runs a script in the engine's own dialect (several statements; no translation): schema
  // creation and other set-up that lies outside the component's dialect.
  virtual void execute_native_script(std::string_view script) = 0;

  virtual void begin_transaction() = 0;
  virtual void commit_transaction() = 0;
  virtual void rollback_transaction() = 0;

  // Between these two calls the provider may run its plain reads (queries) in one read
  // transaction of its own: one lock and one snapshot of the database for all of them. That
  // transaction ends before any other statement runs and before a transaction of the caller's
  // begins, so every write, its failure and what it leaves behind are as they would be
  // without. end_shared_reads never raises. The default shares nothing.
  virtual void begin_shared_reads() {}
  virtual void end_shared_reads() noexcept {}

  // The primary-key columns of a base table, in key order; empty when it has none.
  virtual std::vector<std::string> primary_key(std::string_view table) = 0;
};

// A provider factory: returns nullptr when the connection string is not for it.
using ProviderFactory =
    std::function<std::unique_ptr<Provider>(std::string_view connection_string)>;

// Registers a factory under a name (registering the same name again replaces it).
void register_provider(std::string_view name, ProviderFactory factory);

// Opens a provider for the string, trying the registered factories in registration order.
// Raises 3709 (adErrInvalidConnection) with a description naming the string's provider
// when none accepts it.
std::unique_ptr<Provider> open_provider(std::string_view connection_string);

// Splits "key=value;key=value" (keys case-insensitive, values may be in braces) into pairs.
std::vector<std::pair<std::string, std::string>> parse_connection_string(std::string_view text);
// The value of a key in a connection string, or "" when absent.
std::string connection_string_value(std::string_view text, std::string_view key);

}  // namespace data
