// What the data layer costs over the database itself: the same 10,000-row query opened as a
// client-side recordset (every row fetched into Variants, fields described, cursor ready) and
// stepped through on the SQLite C API with every column read. Run both in one process and
// divide the two times: that ratio is the layer's overhead.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "data/sqlite/sqlite_provider.h"

namespace {

constexpr int kRows = 10000;
constexpr const char* kQuery = "SELECT * FROM ITEMS ORDER BY ID";

data::ConnectionPtr make_connection() {
  data::sqlite::register_provider();
  data::ConnectionPtr connection = data::Connection::create();
  connection->Open("Provider=SQLite;Data Source=:memory:");
  connection->provider().execute_native_script(R"(
    CREATE TABLE ITEMS (ID INT NOT NULL PRIMARY KEY, CODE VARCHAR(30) NOT NULL,
                        DESCR VARCHAR(60), PRICE NUMERIC(12,4), QTY FLOAT, CREATED DATETIME,
                        FLAG SMALLINT);
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000)
    INSERT INTO ITEMS
      SELECT i, 'ART' || printf('%06d', i), 'Description of item number ' || i, i * 1.25,
             i / 3.0, printf('2020-%02d-%02d 10:%02d:00.000', 1 + i % 12, 1 + i % 28, i % 60),
             i % 2
      FROM n;
  )");
  return connection;
}

// The benchmark query as a client-side, batch-optimistic recordset, as the component opens it.
data::RecordsetPtr open_query(const data::ConnectionPtr& connection) {
  data::RecordsetPtr rs = data::Recordset::create();
  rs->SetCursorLocation(data::kUseClient);
  rs->Open(automation::Variant(kQuery), automation::Variant(connection),
           data::CursorTypeEnum::kStatic, data::LockTypeEnum::kBatchOptimistic,
           data::CommandTypeEnum::kText);
  return rs;
}

void BM_RecordsetOpen(benchmark::State& state) {
  data::ConnectionPtr connection = make_connection();
  for (auto _ : state) {
    data::RecordsetPtr rs = open_query(connection);
    benchmark::DoNotOptimize(rs->RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RecordsetOpen)->Unit(benchmark::kMillisecond);

// Opening and then reading every field of every row, as a panel or a transfer loop does.
void BM_RecordsetOpenAndRead(benchmark::State& state) {
  data::ConnectionPtr connection = make_connection();
  for (auto _ : state) {
    data::RecordsetPtr rs = open_query(connection);
    data::Fields& fields = rs->Fields();
    std::int64_t seen = 0;
    while (!rs->Eof()) {
      for (int i = 0; i < fields.Count(); ++i) {
        seen += static_cast<std::int64_t>(fields.Item(i).value_ref().type());
      }
      rs->MoveNext();
    }
    benchmark::DoNotOptimize(seen);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RecordsetOpenAndRead)->Unit(benchmark::kMillisecond);

// The yardstick: the same statement stepped on the C API, every column read in its storage
// class (texts touched so that they are really produced).
void BM_SqliteCApi(benchmark::State& state) {
  data::ConnectionPtr connection = make_connection();
  sqlite3* db = data::sqlite::native_handle(connection->provider());
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db, kQuery, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
    state.SkipWithError(sqlite3_errmsg(db));
    return;
  }
  for (auto _ : state) {
    std::int64_t checksum = 0;
    int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(stmt, i)) {
          case SQLITE_INTEGER:
            checksum += sqlite3_column_int64(stmt, i);
            break;
          case SQLITE_FLOAT:
            checksum += static_cast<std::int64_t>(sqlite3_column_double(stmt, i));
            break;
          case SQLITE_TEXT:
            checksum += sqlite3_column_bytes(stmt, i) + sqlite3_column_text(stmt, i)[0];
            break;
          default:
            break;
        }
      }
    }
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(checksum);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SqliteCApi)->Unit(benchmark::kMillisecond);

// The fixed cost of one statement: a one-row look-up by key, as the component runs several for
// every price-list row, executed and its one field read.
constexpr const char* kLookup = "SELECT CODE FROM ITEMS WHERE ID = 4242";

void BM_LookupExecute(benchmark::State& state) {
  data::ConnectionPtr connection = make_connection();
  connection->SetCursorLocation(data::kUseClient);
  for (auto _ : state) {
    data::RecordsetPtr rs = connection->Execute(kLookup);
    benchmark::DoNotOptimize(rs->Fields().Item("CODE").value_ref());
    rs->Close();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupExecute);

void BM_LookupSqliteCApi(benchmark::State& state) {
  data::ConnectionPtr connection = make_connection();
  sqlite3* db = data::sqlite::native_handle(connection->provider());
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v3(db, kLookup, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  for (auto _ : state) {
    std::string code;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      code.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                  static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
    }
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(code);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupSqliteCApi);

}  // namespace

BENCHMARK_MAIN();
