// The component's work measured against the database's own cost.
//
// Each benchmark drives the component through its public methods on a database made by the
// scaled demo generator, and has a twin that runs the very same statements (captured through
// the connection's statement hook while the component ran) straight on the SQLite C API with
// prepared statements, reading every column of every row into plain C++ values. The ratio of
// the two is the component's overhead; bench/run prints it as a table. The panels run twice:
// on an in-memory database and on a database file made the way the program makes its files
// (the `_File` benchmarks). On the file each call runs as the reference host runs a request,
// its queries in one read transaction, and so do the baseline's statements.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "automation/convert.h"
#include "automation/variant.h"
#include "console/demo.h"
#include "console/host_objects.h"
#include "console/registration.h"
#include "console/schema.h"
#include "data/connection.h"
#include "data/dialect/translator.h"
#include "data/recordset.h"
#include "data/sqlite/sqlite_provider.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "scaled_data.h"

namespace {

constexpr const char* kItem = "ART000001";

enum class Storage { kMemory, kFile };

// Where the `_File` benchmarks keep their databases; removed when the run ends.
class FileFolder {
 public:
  FileFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("dorsel-component-bench-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~FileFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string next_file() { return (path_ / (std::to_string(++files_) + ".sqlite")).string(); }

 private:
  std::filesystem::path path_;
  int files_ = 0;
};

// Set by main for the run, so that the files outlive every connection to them.
FileFolder* file_folder = nullptr;

data::ConnectionPtr open_database(Storage storage) {
  if (storage == Storage::kFile) return console::create_database_file(file_folder->next_file());
  data::ConnectionPtr connection = data::Connection::create();
  connection->Open("Provider=SQLite;Data Source=:memory:");
  console::create_schema(*connection);
  return connection;
}

// A bound component over a database with the scaled data set.
struct Bench {
  data::ConnectionPtr connection;
  std::shared_ptr<console::HostApplication> host;
  std::shared_ptr<dorsel::CLSMG_DORSEL> component;
  std::vector<std::string> captured;
  bool capturing = false;
  bool on_file = false;

  explicit Bench(const bench::DemoScale& scale, Storage storage = Storage::kMemory)
      : on_file(storage == Storage::kFile) {
    console::register_everything();
    connection = open_database(storage);
    connection->SetCursorLocation(data::kUseClient);
    bench::generate_scaled(*connection, scale);
    connection->set_statement_hook([this](std::string_view text) {
      if (capturing) captured.emplace_back(text);
    });
    host = console::HostApplication::create(connection, 1, "ITA ");
    component = std::make_shared<dorsel::CLSMG_DORSEL>();
    component->SetConnessione(connection);
    component->SetActiveInterface(automation::Variant(automation::ObjectPtr(host)));
    component->Initialize();
  }

  // Runs `work` once with the statement hook recording.
  template <class Work>
  std::vector<std::string> capture(Work work) {
    captured.clear();
    capturing = true;
    work();
    capturing = false;
    return captured;
  }

  sqlite3* handle() { return data::sqlite::native_handle(connection->provider()); }

  // Runs `work` as the reference host runs a request: on a file, its queries share one read
  // transaction.
  template <class Work>
  void request(Work work) {
    if (!on_file) return work();
    data::Connection::SharedReads reads(*connection);
    work();
  }
};

// The same statements, prepared once on the same database and run with the C API.
class Baseline {
 public:
  using Value =
      std::variant<std::nullptr_t, std::int64_t, double, std::string, std::vector<unsigned char>>;

  // On a file the statements run in one read transaction, as the component's do there.
  Baseline(sqlite3* db, const std::vector<std::string>& statements, bool in_transaction)
      : db_(db), in_transaction_(in_transaction) {
    for (const std::string& text : statements) {
      auto it = prepared_.find(text);
      if (it == prepared_.end()) {
        std::string sql = data::dialect::translate(text, "SQLite");
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
          throw std::runtime_error(sqlite3_errmsg(db_));
        }
        it = prepared_.emplace(text, stmt).first;
      }
      sequence_.push_back(it->second);
    }
  }
  ~Baseline() {
    for (auto& [text, stmt] : prepared_) sqlite3_finalize(stmt);
  }

  // Returns the number of values read.
  std::size_t run() {
    std::size_t values = 0;
    if (in_transaction_) sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* stmt : sequence_) {
      std::vector<std::vector<Value>> rows;
      const int columns = sqlite3_column_count(stmt);
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
          switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
              row.emplace_back(sqlite3_column_int64(stmt, c));
              break;
            case SQLITE_FLOAT:
              row.emplace_back(sqlite3_column_double(stmt, c));
              break;
            case SQLITE_TEXT:
              row.emplace_back(
                  std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
              break;
            case SQLITE_BLOB: {
              const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, c));
              row.emplace_back(std::vector<unsigned char>(p, p + sqlite3_column_bytes(stmt, c)));
              break;
            }
            default:
              row.emplace_back(nullptr);
          }
        }
        values += row.size();
        rows.push_back(std::move(row));
      }
      sqlite3_reset(stmt);
      benchmark::DoNotOptimize(rows);
    }
    if (in_transaction_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    return values;
  }

  std::size_t statements() const { return sequence_.size(); }
  std::size_t distinct_statements() const { return prepared_.size(); }

 private:
  sqlite3* db_;
  bool in_transaction_;
  std::map<std::string, sqlite3_stmt*> prepared_;
  std::vector<sqlite3_stmt*> sequence_;
};

bench::DemoScale scale_with(int sales_rows, int panel_rows, int attachments) {
  bench::DemoScale scale;
  scale.items = 1;
  scale.pricelist_rows = sales_rows;
  scale.purchase_rows = 10;
  scale.last_price_rows = 10;
  scale.stock_rows = panel_rows;
  scale.attachments = attachments;
  return scale;
}

// One fixture per data-set shape, built once and kept for the whole run.
std::map<std::tuple<int, int, int, Storage>, std::unique_ptr<Bench>> benches;

Bench& bench_for(int sales_rows, int panel_rows, int attachments,
                 Storage storage = Storage::kMemory) {
  auto key = std::make_tuple(sales_rows, panel_rows, attachments, storage);
  auto& slot = benches[key];
  if (!slot) {
    slot = std::make_unique<Bench>(scale_with(sales_rows, panel_rows, attachments), storage);
  }
  return *slot;
}

void set_rows(benchmark::State& state, std::int64_t rows) {
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(state.iterations() * rows);
}

// 1. The sales price-list panel: source query, view build, lookups and net prices.
void ShowSalesPriceList(benchmark::State& state, Storage storage) {
  const int rows = static_cast<int>(state.range(0));
  Bench& b = bench_for(rows, 10, 14, storage);
  b.component->Init_LI10(kItem, "0");
  for (auto _ : state) b.request([&] { b.component->ShowChild(kItem, "FRMUC_LISTINI_VEN"); });
  if (b.component->Grst_RecSet_LI10Ven_append->RecordCount() != rows) {
    state.SkipWithError("the view does not hold every stored row");
  }
  set_rows(state, rows);
}

void ShowSalesPriceList_Baseline(benchmark::State& state, Storage storage) {
  const int rows = static_cast<int>(state.range(0));
  Bench& b = bench_for(rows, 10, 14, storage);
  b.component->Init_LI10(kItem, "0");
  Baseline baseline(b.handle(),
                    b.capture([&] { b.component->ShowChild(kItem, "FRMUC_LISTINI_VEN"); }),
                    b.on_file);
  for (auto _ : state) benchmark::DoNotOptimize(baseline.run());
  state.counters["statements"] = static_cast<double>(baseline.statements());
  state.counters["distinct"] = static_cast<double>(baseline.distinct_statements());
  set_rows(state, rows);
}

// 2. Every other panel, 1,000 rows in the panel's table.
const char* const kPanels[] = {"FRMMG_DORSEL_DESCR", "FRMUC_NOTE",     "FRMUC_SCORTE",
                               "FRMUC_CONFEZIONI",   "FRMUC_INFOUBIC", "FRMUC_INTRA",
                               "APPLICAZIONI",       "GEST_VARIANTI",  "FLAG_VARIANTI"};

void load_all_panels(dorsel::CLSMG_DORSEL& c) {
  c.Init_MG87_note(kItem);
  c.Init_MG67_scorte(kItem);
  c.Init_MG68_confezioni(kItem);
  c.Init_MG7A_infoubic(kItem);
  c.Init_MG98_INTRA(kItem);
  c.Init_MG1Q_nomenclature_INTRA_art(kItem, 0);
  c.Init_MG72_applicazioni();
  c.Init_MG6B_parametrivarianti();
  c.Init_MG6D_flagvarianti();
}

void ShowPanel(benchmark::State& state, const char* panel, Storage storage) {
  Bench& b = bench_for(10, 1000, 14, storage);
  load_all_panels(*b.component);
  for (auto _ : state) b.request([&] { b.component->ShowChild(kItem, panel); });
  set_rows(state, 1000);
}

void ShowPanel_Baseline(benchmark::State& state, const char* panel, Storage storage) {
  Bench& b = bench_for(10, 1000, 14, storage);
  load_all_panels(*b.component);
  Baseline baseline(b.handle(), b.capture([&] { b.component->ShowChild(kItem, panel); }),
                    b.on_file);
  for (auto _ : state) benchmark::DoNotOptimize(baseline.run());
  set_rows(state, 1000);
}

// 3. and 4.: the re-key pass and the checks over 10,000 stock and pack rows (ten items'
// rows in one slot, since one item holds at most 1,000 warehouses).
Bench& ten_thousand_rows() {
  static std::unique_ptr<Bench> b;
  if (!b) {
    bench::DemoScale scale = scale_with(10, 1000, 14);
    scale.items = 10;
    b = std::make_unique<Bench>(scale);
  }
  return *b;
}

void open_company_rows(Bench& b) {
  b.component->Init_MG67_scorte(kItem);
  b.component->Init_MG68_confezioni(kItem);
  b.component->Grst_RecSet_MG67->Close();
  b.component->Grst_RecSet_MG67->Open(automation::Variant("SELECT * FROM MG67_SCORTE"),
                                      automation::Variant(automation::ObjectPtr(b.connection)));
  b.component->Grst_RecSet_MG68->Close();
  b.component->Grst_RecSet_MG68->Open(automation::Variant("SELECT * FROM MG68_CONFART"),
                                      automation::Variant(automation::ObjectPtr(b.connection)));
}

void RefreshStockPanel(benchmark::State& state) {
  Bench& b = ten_thousand_rows();
  open_company_rows(b);
  const std::int64_t rows = b.component->Grst_RecSet_MG67->RecordCount();
  for (auto _ : state) b.component->RefreshChild(kItem, "FRMUC_SCORTE");
  set_rows(state, rows);
}

void StockAndPackChecks(benchmark::State& state) {
  Bench& b = ten_thousand_rows();
  open_company_rows(b);
  const std::int64_t rows = b.component->Grst_RecSet_MG67->RecordCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.component->EsisteConfezionePreferenziale());
    benchmark::DoNotOptimize(b.component->EsisteDepositoPreferenziale());
    benchmark::DoNotOptimize(b.component->EsisteDepositoPrelievoVersamento());
  }
  set_rows(state, rows);
}

// 5. The catalogue list of an item with 200 attachments.
void ImageList(benchmark::State& state, Storage storage) {
  Bench& b = bench_for(10, 10, 200, storage);
  for (auto _ : state) {
    b.request([&] { benchmark::DoNotOptimize(b.component->Get_PathImage(kItem)); });
  }
  set_rows(state, 200);
}

void ImageList_Baseline(benchmark::State& state, Storage storage) {
  Bench& b = bench_for(10, 10, 200, storage);
  Baseline baseline(b.handle(), b.capture([&] { b.component->Get_PathImage(kItem); }), b.on_file);
  for (auto _ : state) benchmark::DoNotOptimize(baseline.run());
  set_rows(state, 200);
}

// What the allocator has handed out: its heap's chunks in use and the large blocks it mapped
// on their own.
std::size_t bytes_in_use() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// 7. Memory held by a 100,000-row sales panel (source rows and view) against the stored bytes.
void SalesViewMemory(benchmark::State& state) {
  const int rows = 100000;
  Bench b(scale_with(rows, 10, 14));
  b.component->Init_LI10(kItem, "0");
  double stored = 0;
  {
    data::RecordsetPtr size = b.connection->Execute(
        "SELECT SUM(pgsize) AS BYTES FROM dbstat WHERE name = 'LI10_LISTARTIC'");
    if (size && size->State() == data::kStateOpen && !size->Eof()) {
      stored = automation::to_double(size->Fields().Item(0).Value());
    }
  }
  std::size_t held = 0;
  for (auto _ : state) {
    state.PauseTiming();
    b.component->ClearChild("FRMUC_LISTINI_VEN");
    b.component->InitializeRecordsetLI10Ven();
    malloc_trim(0);
    std::size_t before = bytes_in_use();
    state.ResumeTiming();
    b.component->ShowChild(kItem, "FRMUC_LISTINI_VEN");
    state.PauseTiming();
    held = bytes_in_use() - before;
    state.ResumeTiming();
  }
  state.counters["rows"] = rows;
  state.counters["held_bytes"] = static_cast<double>(held);
  state.counters["stored_bytes"] = stored;
  state.counters["ratio_to_stored"] = stored > 0 ? static_cast<double>(held) / stored : 0;
}

}  // namespace

BENCHMARK(RefreshStockPanel)->Unit(benchmark::kMillisecond);
BENCHMARK(StockAndPackChecks)->Unit(benchmark::kMillisecond);
BENCHMARK(SalesViewMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  FileFolder folder;
  file_folder = &folder;
  // The in-memory benchmarks first, then their twins on a file: "ShowPanel_File/...".
  for (Storage storage : {Storage::kMemory, Storage::kFile}) {
    const std::string on = storage == Storage::kFile ? "_File" : "";
    for (const char* twin : {"", "_Baseline"}) {
      const bool baseline = *twin != '\0';
      auto* sales = benchmark::RegisterBenchmark(
          ("ShowSalesPriceList" + on + twin).c_str(),
          baseline ? ShowSalesPriceList_Baseline : ShowSalesPriceList, storage);
      for (int rows : {10, 100, 1000, 10000}) sales->Arg(rows);
      sales->Unit(benchmark::kMillisecond);
    }
    for (const char* panel : kPanels) {
      benchmark::RegisterBenchmark(("ShowPanel" + on + "/" + panel).c_str(), ShowPanel, panel,
                                   storage)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("ShowPanel" + on + "_Baseline/" + panel).c_str(),
                                   ShowPanel_Baseline, panel, storage)
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("ImageList" + on).c_str(), ImageList, storage)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ImageList" + on + "_Baseline").c_str(), ImageList_Baseline,
                                 storage)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  benches.clear();
  return 0;
}
