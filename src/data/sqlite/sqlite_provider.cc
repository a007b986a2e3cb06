#include "data/sqlite/sqlite_provider.h"

#include <sqlite3.h>

#include <algorithm>
#include <initializer_list>
#include <unordered_map>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/text.h"
#include "data/dialect/functions.h"
#include "data/dialect/translator.h"
#include "data/errors.h"
#include "data/sqlite/errors.h"
#include "data/sqlite/statement_cache.h"
#include "data/sqlite/type_mapping.h"

namespace data::sqlite {

using automation::Variant;
using automation::VarType;

namespace {

constexpr std::size_t kStatementCacheSize = 256;
constexpr int kCacheKibibytes = 64 << 10;

void bind_text(sqlite3_stmt* stmt, int index, const std::string& text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bind_value(sqlite3_stmt* stmt, int index, const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
    case VarType::kError:
      sqlite3_bind_null(stmt, index);
      return;
    case VarType::kBoolean:
      sqlite3_bind_int(stmt, index, value.as_bool() ? 1 : 0);
      return;
    case VarType::kInteger:
      sqlite3_bind_int(stmt, index, value.as_integer());
      return;
    case VarType::kLong:
      sqlite3_bind_int(stmt, index, value.as_long());
      return;
    case VarType::kLongLong:
      sqlite3_bind_int64(stmt, index, value.as_long_long());
      return;
    case VarType::kDouble:
      sqlite3_bind_double(stmt, index, value.as_double());
      return;
    case VarType::kCurrency: {
      std::int64_t scaled = value.as_currency().scaled;
      if (scaled % 10000 == 0) {
        sqlite3_bind_int64(stmt, index, scaled / 10000);
      } else {
        bind_text(stmt, index, automation::Decimal::from_parts(scaled, 4).to_invariant_string());
      }
      return;
    }
    case VarType::kDecimal: {
      // As text, so that a NUMERIC column keeps every digit it can and a text column gets the
      // number as written; SQLite's NUMERIC affinity turns it into a number.
      const automation::Decimal& d = value.as_decimal();
      if (d.scale() == 0 && d.mantissa() >= INT64_MIN && d.mantissa() <= INT64_MAX) {
        sqlite3_bind_int64(stmt, index, static_cast<std::int64_t>(d.mantissa()));
      } else {
        bind_text(stmt, index, d.to_invariant_string());
      }
      return;
    }
    case VarType::kDate:
      bind_text(stmt, index, automation::to_stored_text(value.as_date()));
      return;
    case VarType::kString:
      bind_text(stmt, index, value.as_string());
      return;
    case VarType::kByteArray: {
      const automation::Bytes& bytes = value.as_bytes();
      if (bytes.empty()) {
        sqlite3_bind_zeroblob(stmt, index, 0);
      } else {
        sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
      }
      return;
    }
    case VarType::kObject:
      break;
  }
  raise_engine_error(errc::kInvalidArgument,
                     "An object cannot be passed as a statement parameter.");
}

std::string quote_identifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// Resets a statement when a run ends, however it ends, so the cached statement is ready again.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~ResetOnExit() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  sqlite3_stmt* stmt_;
};

struct ColumnMetadata {
  bool not_null = false;
  bool primary_key = false;
};

class SqliteProvider final : public Provider {
 public:
  explicit SqliteProvider(sqlite3* db)
      : db_(db), translations_(std::string(kProviderName)), statements_(db, kStatementCacheSize) {}
  ~SqliteProvider() override {
    statements_.clear();
    sqlite3_close_v2(db_);
  }
  SqliteProvider(const SqliteProvider&) = delete;
  SqliteProvider& operator=(const SqliteProvider&) = delete;

  std::string_view name() const override { return kProviderName; }
  sqlite3* db() const { return db_; }

  ResultSet execute(std::string_view text, std::span<const Variant> params) override {
    CachedStatement& entry =
        statements_.get(text, [this](std::string_view tsql) -> std::string_view {
          return translations_.translate(tsql);
        });
    ResultSet out;
    if (entry.stmt == nullptr) return out;
    if (sharing_reads_) {
      if (entry.plain_read) {
        hold_reads();
      } else {
        end_read_transaction();
      }
    }
    sqlite3_stmt* stmt = entry.stmt;
    ResetOnExit reset(stmt);
    int expected = sqlite3_bind_parameter_count(stmt);
    if (static_cast<std::size_t>(expected) != params.size()) {
      raise_engine_error(errc::kInvalidArgument, "The statement has " + std::to_string(expected) +
                                                     " parameter markers but " +
                                                     std::to_string(params.size()) +
                                                     " values were given.");
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
      bind_value(stmt, static_cast<int>(i) + 1, params[i]);
    }
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) raise_engine_error(db_, rc, false);
    int column_count = sqlite3_column_count(stmt);
    if (column_count == 0) {
      out.records_affected = entry.changes_rows ? sqlite3_changes64(db_) : -1;
      // A schema change may have changed what the column descriptions say.
      if (!entry.changes_rows && !sqlite3_stmt_readonly(stmt)) column_metadata_.clear();
      return out;
    }
    describe(entry);
    out.returns_rows = true;
    out.columns = entry.columns;
    const std::vector<std::size_t>& untyped = entry.untyped;
    // A NOT NULL column of an outer-joined table still returns Nulls: the result says so.
    const std::vector<std::size_t>& not_null = entry.not_null;
    std::vector<ExpressionTyper> typers(untyped.size());
    const auto columns = static_cast<std::size_t>(column_count);
    // The same text usually returns about as many rows as last time.
    out.rows.reserve(entry.last_row_count);
    // Kept between statements: the values of expression columns pass through it.
    Row& row = row_buffer_;
    row.resize(columns);
    std::size_t count = 0;
    while (rc == SQLITE_ROW) {
      // Values go straight into their packed row; an expression's value is read as what it is
      // and observed, for its column's type.
      RowArena& packed = out.rows.begin_row();
      std::size_t next_untyped = 0;
      for (std::size_t i = 0; i < columns; ++i) {
        const int at = static_cast<int>(i);
        if (next_untyped < untyped.size() && untyped[next_untyped] == i) {
          read_value(stmt, at, entry.types[i], row[i]);
          typers[next_untyped++].observe(row[i]);
          packed.add_value(row[i]);
        } else if (pack_value(stmt, at, entry.types[i], packed, row[i]) &&
                   std::binary_search(not_null.begin(), not_null.end(), i)) {
          out.columns.edit()[i].attributes |= kFldMayBeNull | kFldIsNullable;
        }
      }
      out.rows.end_row(columns);
      ++count;
      rc = sqlite3_step(stmt);
    }
    if (rc != SQLITE_DONE) raise_engine_error(db_, rc, false);
    entry.last_row_count = count;
    type_expressions(out, untyped, typers);
    return out;
  }

  void execute_native_script(std::string_view script) override {
    end_read_transaction();
    std::string text(script);
    char* message = nullptr;
    int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    column_metadata_.clear();
    if (rc != SQLITE_OK) {
      std::string description = message ? message : sqlite3_errstr(rc);
      sqlite3_free(message);
      raise_engine_error(errc::kErrorsInCommand, std::move(description));
    }
  }

  // The shared reads' transaction ends first: the caller's is a transaction of its own, and
  // a COMMIT or ROLLBACK without one fails as it always did.
  void begin_transaction() override {
    end_read_transaction();
    run_plain("BEGIN");
  }
  void commit_transaction() override {
    end_read_transaction();
    run_plain("COMMIT");
  }
  void rollback_transaction() override {
    end_read_transaction();
    run_plain("ROLLBACK");
  }

  // Only in WAL mode, where a reader's lock holds back no writer: in the other modes a
  // writer's commit would wait for the whole span, so each query keeps its own lock there.
  void begin_shared_reads() override { sharing_reads_ = wal_; }
  void end_shared_reads() noexcept override {
    sharing_reads_ = false;
    end_read_transaction();
  }

  void set_wal(bool wal) { wal_ = wal; }

  std::vector<std::string> primary_key(std::string_view table) override {
    std::string sql = "PRAGMA table_info(" + quote_identifier(table) + ")";
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) raise_engine_error(db_, rc, true);
    std::vector<std::pair<int, std::string>> keys;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      int position = sqlite3_column_int(stmt, 5);
      if (position > 0) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        keys.emplace_back(position, name ? name : "");
      }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) raise_engine_error(db_, rc, false);
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> names;
    names.reserve(keys.size());
    for (auto& k : keys) names.push_back(std::move(k.second));
    return names;
  }

 private:
  void run_plain(const char* sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
      std::string description = message ? message : sqlite3_errstr(rc);
      sqlite3_free(message);
      raise_engine_error(errc::kUnspecifiedError, std::move(description));
    }
  }

  // A deferred transaction: its lock is taken by the first query and then kept. Never one
  // that writes, so a concurrent writer cannot leave it a stale snapshot to fail on.
  void hold_reads() {
    if (read_transaction_ || sqlite3_get_autocommit(db_) == 0) return;
    run_plain("BEGIN");
    read_transaction_ = true;
  }

  void end_read_transaction() noexcept {
    if (!read_transaction_) return;
    read_transaction_ = false;
    if (sqlite3_get_autocommit(db_) != 0) return;  // SQLite ended it after an error
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
  }

  // Gives the expression columns their types, now that every value was seen. Values of
  // mixed kinds in one column (numbers and texts, say) are brought to its one type, which
  // takes the rows unpacked and packed again; a column of one kind keeps its values as read.
  static void type_expressions(ResultSet& out, const std::vector<std::size_t>& untyped,
                               const std::vector<ExpressionTyper>& typers) {
    bool converting = false;
    for (const ExpressionTyper& typer : typers) converting = converting || typer.converts();
    std::vector<Row> rows;
    if (converting) {
      rows.reserve(out.rows.size());
      for (std::size_t r = 0; r < out.rows.size(); ++r) rows.push_back(out.rows[r]);
    }
    for (std::size_t u = 0; u < untyped.size(); ++u) {
      typers[u].finish(out.columns.edit()[untyped[u]], rows, untyped[u]);
    }
    if (converting) {
      PackedRows repacked;
      repacked.reserve(rows.size());
      for (const Row& converted : rows) repacked.append(converted);
      out.rows = std::move(repacked);
    }
  }

  // Describes the result columns once per preparation of the statement.
  void describe(CachedStatement& entry) {
    sqlite3_stmt* stmt = entry.stmt;
    int reprepared = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (entry.described && entry.described_at == reprepared) return;
    int n = sqlite3_column_count(stmt);
    std::vector<ColumnInfo>& columns = entry.columns.edit();
    columns.assign(static_cast<std::size_t>(n), ColumnInfo{});
    entry.types.assign(static_cast<std::size_t>(n), ColumnType{});
    for (int i = 0; i < n; ++i) {
      ColumnInfo& c = columns[static_cast<std::size_t>(i)];
      ColumnType& t = entry.types[static_cast<std::size_t>(i)];
      const char* name = sqlite3_column_name(stmt, i);
      c.name = name ? name : "";
      t = map_declared_type(sqlite3_column_decltype(stmt, i));
      const char* table = sqlite3_column_table_name(stmt, i);
      const char* origin = sqlite3_column_origin_name(stmt, i);
      const char* database = sqlite3_column_database_name(stmt, i);
      if (table && origin) {
        c.base_table = table;
        c.base_column = origin;
      }
      if (t.kind == ValueKind::kInfer) continue;  // typed from its values after the fetch
      c.type = t.type;
      c.defined_size = t.defined_size;
      c.precision = t.precision;
      c.numeric_scale = t.scale;
      c.attributes = t.attributes;
      ColumnMetadata meta;
      if (table && origin) meta = metadata(database, table, origin);
      c.key_column = meta.primary_key;
      if (!meta.not_null) c.attributes |= kFldMayBeNull | kFldIsNullable;
    }
    entry.untyped.clear();
    entry.not_null.clear();
    for (std::size_t i = 0; i < entry.types.size(); ++i) {
      if (entry.types[i].kind == ValueKind::kInfer) {
        entry.untyped.push_back(i);
      } else if ((entry.columns[i].attributes & kFldMayBeNull) == 0) {
        entry.not_null.push_back(i);
      }
    }
    entry.described = true;
    entry.described_at = reprepared;
  }

  ColumnMetadata metadata(const char* database, const char* table, const char* column) {
    std::string key = std::string(database ? database : "main") + '\x1f' + table + '\x1f' + column;
    auto it = column_metadata_.find(key);
    if (it != column_metadata_.end()) return it->second;
    ColumnMetadata meta;
    int not_null = 0, primary = 0, autoincrement = 0;
    if (sqlite3_table_column_metadata(db_, database, table, column, nullptr, nullptr, &not_null,
                                      &primary, &autoincrement) == SQLITE_OK) {
      // A key column never holds Null on SQL Server, whatever SQLite would let it hold.
      meta.not_null = not_null != 0 || primary != 0;
      meta.primary_key = primary != 0;
    }
    column_metadata_.emplace(std::move(key), meta);
    return meta;
  }

  sqlite3* db_;
  dialect::TranslationCache translations_;
  StatementCache statements_;
  Row row_buffer_;                 // the row being read, reused by every statement
  bool wal_ = false;               // the file is in WAL mode
  bool sharing_reads_ = false;     // between begin_shared_reads and end_shared_reads
  bool read_transaction_ = false;  // the shared reads' transaction is open
  std::unordered_map<std::string, ColumnMetadata> column_metadata_;
};

// SQLite counts every allocation under a global mutex unless told not to; nothing here reads
// those counts. Only possible before SQLite initialises; later it is a harmless refusal.
void configure_sqlite_once() {
  static const bool kConfigured = [] {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
  }();
  (void)kConfigured;
}

// How a file is journaled and synced, as the connection string asks; empty keeps the file's
// own journal mode and SQLite's synchronous level, except that a database in WAL mode is
// synced NORMAL, which cannot corrupt it and costs no fsync per commit.
struct FileSettings {
  std::string journal_mode;
  std::string synchronous;
};

// The value in upper case when it is one of `allowed`; else raises 3001 naming the key.
std::string checked_setting(std::string_view key, std::string value,
                            std::initializer_list<std::string_view> allowed) {
  value = std::string(automation::trim(value));
  for (std::string_view word : allowed) {
    if (automation::iequals(value, word)) return std::string(word);
  }
  std::string list;
  for (std::string_view word : allowed) list += (list.empty() ? "" : ", ") + std::string(word);
  raise(errc::kInvalidArgument, "ADODB.Connection",
        "The SQLite provider's " + std::string(key) + " is one of " + list + ", not '" + value +
            "'.");
}

void run_setting(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string description = message ? message : sql + " failed";
    sqlite3_free(message);
    raise_engine_error(errc::kUnspecifiedError, std::move(description));
  }
}

// The one-word answer of a pragma, in upper case.
std::string pragma_answer(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
  std::string answer;
  if (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    answer = text ? text : "";
    rc = SQLITE_DONE;
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE && rc != SQLITE_OK) raise_engine_error(db, rc, false);
  return automation::ascii_upper(answer);
}

// Returns the journal mode the file is in, in upper case.
std::string apply(sqlite3* db, const FileSettings& settings) {
  std::string mode;
  if (!settings.journal_mode.empty()) {
    // A journal mode is kept in the file: every program opening it sees the change.
    mode = pragma_answer(db, "PRAGMA journal_mode = " + settings.journal_mode);
    const char* file = sqlite3_db_filename(db, "main");
    if (mode != settings.journal_mode && file != nullptr && *file != '\0') {
      raise_engine_error(errc::kUnspecifiedError, "The journal mode stayed " + mode +
                                                      " instead of " + settings.journal_mode + ".");
    }
  } else {
    mode = pragma_answer(db, "PRAGMA journal_mode");
  }
  std::string synchronous = settings.synchronous;
  if (synchronous.empty() && mode == "WAL") synchronous = "NORMAL";
  if (!synchronous.empty()) run_setting(db, "PRAGMA synchronous = " + synchronous);
  return mode;
}

std::unique_ptr<Provider> open_file(const std::string& path, const FileSettings& settings) {
  configure_sqlite_once();
  sqlite3* db = nullptr;
  // One owner at a time uses a connection, so SQLite need not lock it on every call.
  int rc = sqlite3_open_v2(
      path.c_str(), &db,
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    raise_engine_error(errc::kUnspecifiedError, message + ": " + path);
  }
  auto provider = std::make_unique<SqliteProvider>(db);
  sqlite3_busy_timeout(db, 5000);
  std::string error;
  if (dialect::register_dialect(db, &error) != SQLITE_OK) {
    raise_engine_error(errc::kUnspecifiedError, "The T-SQL dialect could not be set up: " + error);
  }
  run_setting(db, "PRAGMA foreign_keys = ON");
  const char* file = sqlite3_db_filename(db, "main");
  if (file != nullptr && *file != '\0') {
    // SQLite's default cache (2 MB) is smaller than one 10,000-row price list reads, which
    // then reads its pages from the file again on every showing. Memory-mapped reads bought
    // nothing measurable here and would turn an I/O error into a crash.
    run_setting(db, "PRAGMA cache_size = -" + std::to_string(kCacheKibibytes));
  }
  provider->set_wal(apply(db, settings) == "WAL");
  return provider;
}

// nullptr when the string is for another provider.
std::unique_ptr<Provider> open_if_ours(std::string_view connection_string) {
  std::string_view text = automation::trim(connection_string);
  if (text.empty()) return nullptr;
  if (text.find('=') == std::string_view::npos) return open_file(std::string(text), {});
  if (!automation::iequals(automation::trim(connection_string_value(text, "Provider")), "SQLite")) {
    return nullptr;
  }
  std::string path;
  for (std::string_view key : {"Data Source", "DataSource", "Database", "Filename"}) {
    path = connection_string_value(text, key);
    if (!path.empty()) break;
  }
  if (path.empty()) {
    raise(errc::kInvalidConnection, "ADODB.Connection",
          "The connection string names no Data Source for the SQLite provider.");
  }
  FileSettings settings;
  for (std::string_view key : {"Journal Mode", "JournalMode"}) {
    if (std::string v = connection_string_value(text, key); !v.empty()) {
      settings.journal_mode = checked_setting(
          "Journal Mode", v, {"DELETE", "TRUNCATE", "PERSIST", "MEMORY", "WAL", "OFF"});
    }
  }
  if (std::string v = connection_string_value(text, "Synchronous"); !v.empty()) {
    settings.synchronous = checked_setting("Synchronous", v, {"OFF", "NORMAL", "FULL", "EXTRA"});
  }
  return open_file(path, settings);
}

}  // namespace

void register_provider() { data::register_provider("SQLite", open_if_ours); }

std::unique_ptr<Provider> open(std::string_view connection_string) {
  if (auto provider = open_if_ours(connection_string)) return provider;
  raise(errc::kInvalidConnection, "ADODB.Connection",
        "Not a connection string of the SQLite provider: '" + std::string(connection_string) + "'");
}

sqlite3* native_handle(Provider& provider) {
  auto* ours = dynamic_cast<SqliteProvider*>(&provider);
  return ours ? ours->db() : nullptr;
}

}  // namespace data::sqlite
