// The automation session's round trip, where hosts in other languages meet the component.
//
// Each benchmark is a client driving `dorsel session` through its pipes: the time runs from
// the request written to the answer's last byte read. The databases are files made the way
// the program makes them, filled by the scaled demo generator with one item and N sales
// price-list rows (the shape of component_bench's sales benchmarks, so their per-row figures
// compare; the in-memory, in-process ShowChild also runs here, turn about with the
// session's). The trivial request's twin sends the same line through `cat`: the pipe's own
// cost. The last benchmark runs four reading sessions beside one writing session.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "automation/variant.h"
#include "console/demo.h"
#include "console/host_objects.h"
#include "console/registration.h"
#include "console/schema.h"
#include "data/connection.h"
#include "dorsel/frame/clsmg_dorsel.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kItem = "ART000001";
const std::string kShowSales =
    R"({"call": "ShowChild", "args": [")" + std::string(kItem) + R"(", "FRMUC_LISTINI_VEN"]})";
constexpr std::string_view kReadSales = R"({"rs": "Grst_RecSet_LI10Ven_append", "do": "Read"})";

// A child process spoken to one line at a time.
class LineProcess {
 public:
  explicit LineProcess(const std::vector<std::string>& argv) {
    int to_child[2], from_child[2];
    // Close-on-exec, so that no other session inherits this one's ends: a session ends when
    // its input is closed, and a copy held elsewhere would keep it open.
    if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
    posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(to_child[0]);
    close(from_child[1]);
    to_child_ = to_child[1];
    from_child_ = from_child[0];
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  }
  ~LineProcess() {
    close(to_child_);
    close(from_child_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  LineProcess(const LineProcess&) = delete;
  LineProcess& operator=(const LineProcess&) = delete;

  // Writes the request and a line end, and returns the answer line without its line end.
  const std::string& ask(std::string_view request) {
    outgoing_.assign(request);
    outgoing_.push_back('\n');
    for (std::size_t sent = 0; sent < outgoing_.size();) {
      ssize_t n = write(to_child_, outgoing_.data() + sent, outgoing_.size() - sent);
      if (n <= 0) throw std::runtime_error("the session stopped reading");
      sent += static_cast<std::size_t>(n);
    }
    answer_.clear();
    for (;;) {
      std::size_t searched = answer_.size();
      answer_.resize(searched + kChunk);
      ssize_t n = read(from_child_, answer_.data() + searched, kChunk);
      if (n <= 0) throw std::runtime_error("the session ended");
      answer_.resize(searched + static_cast<std::size_t>(n));
      if (answer_.find('\n', searched) != std::string::npos) break;
    }
    answer_.pop_back();
    return answer_;
  }

  pid_t pid() const { return pid_; }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  std::string outgoing_;
  std::string answer_;
};

// The time a process has run on a processor so far, in seconds (nanoseconds from the
// scheduler, where /proc/PID/stat counts clock ticks).
double cpu_seconds_of(pid_t pid) {
  std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
  double nanoseconds = 0;
  schedstat >> nanoseconds;
  return nanoseconds / 1e9;
}

bool failed(const std::string& answer) {
  return answer.empty() || answer.ends_with(R"("ok":false})");
}

// One item with `sales_rows` sales price-list rows: component_bench's shape.
console::DemoScale sales_scale(int sales_rows) {
  console::DemoScale scale;
  scale.items = 1;
  scale.pricelist_rows = sales_rows;
  scale.purchase_rows = 10;
  scale.last_price_rows = 10;
  scale.stock_rows = 10;
  scale.attachments = 14;
  return scale;
}

// Where the databases live for the run; removed when it ends.
class Databases {
 public:
  Databases()
      : folder_(fs::temp_directory_path() /
                ("dorsel-session-bench-" + std::to_string(::getpid()))) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    console::register_everything();
  }
  ~Databases() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // A database file with one item and `sales_rows` sales price-list rows, made once.
  std::string with_sales_rows(int sales_rows) {
    std::string& path = files_[sales_rows];
    if (path.empty()) {
      path = (folder_ / ("sales-" + std::to_string(sales_rows) + ".sqlite")).string();
      data::ConnectionPtr connection = console::create_database_file(path);
      console::generate_scaled(*connection, sales_scale(sales_rows));
      connection->Close();
    }
    return path;
  }

 private:
  fs::path folder_;
  std::map<int, std::string> files_;
};

Databases* databases = nullptr;

// DORSEL_SESSION_PROGRAM names another build of the program, to compare two in one run.
std::unique_ptr<LineProcess> start_session(int sales_rows) {
  const char* other = std::getenv("DORSEL_SESSION_PROGRAM");
  const std::string program =
      other ? other : (fs::path(DORSEL_BINARY_DIR) / "bin" / "dorsel").string();
  return std::make_unique<LineProcess>(
      std::vector<std::string>{program, "session", "--db", databases->with_sales_rows(sales_rows)});
}

// One session per database, kept for the run: started, initialised and its sales price list
// loaded once.
std::map<int, std::unique_ptr<LineProcess>> sessions;

LineProcess& session_for(int sales_rows) {
  std::unique_ptr<LineProcess>& slot = sessions[sales_rows];
  if (!slot) {
    slot = start_session(sales_rows);
    for (const std::string& request :
         {std::string(R"({"call": "Initialize", "args": []})"),
          R"({"call": "Init_LI10", "args": [")" + std::string(kItem) + R"(", "0"]})"}) {
      const std::string& answer = slot->ask(request);
      if (failed(answer)) throw std::runtime_error(answer);
    }
  }
  return *slot;
}

void set_rows(benchmark::State& state, std::int64_t rows) {
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(state.iterations() * rows);
}

// The session's own processor time per request, beside the round trip's time: on a machine
// shared with others the clock counts their work too.
void set_session_cpu(benchmark::State& state, pid_t pid, double cpu_before) {
  if (state.iterations() == 0) return;
  state.counters["session_cpu_ms"] =
      (cpu_seconds_of(pid) - cpu_before) * 1e3 / static_cast<double>(state.iterations());
}

void run_requests(benchmark::State& state, LineProcess& process, std::string_view request) {
  std::size_t bytes = 0;
  const double cpu_before = cpu_seconds_of(process.pid());
  for (auto _ : state) {
    const std::string& answer = process.ask(request);
    bytes = answer.size();
    if (failed(answer)) {
      state.SkipWithError(answer.c_str());
      break;
    }
  }
  state.counters["answer_bytes"] = static_cast<double>(bytes);
  set_session_cpu(state, process.pid(), cpu_before);
}

// 1. A trivial request, and the same line through `cat`.
constexpr std::string_view kTrivial = R"({"get": "ListFileToDelete"})";

void Session_Get(benchmark::State& state) { run_requests(state, session_for(10), kTrivial); }

void Session_Get_Baseline(benchmark::State& state) {
  static LineProcess cat({"/bin/cat"});
  for (auto _ : state) benchmark::DoNotOptimize(cat.ask(kTrivial).size());
}

// 2. A lookup: one statement, one value.
void Session_Lookup(benchmark::State& state) {
  run_requests(state, session_for(10), R"({"call": "RecuperaValuta", "args": [0, {"$int": 1}]})");
}

// The same ShowChild in this process on an in-memory database of the same shape, timed turn
// about with the session's so that the machine's neighbours weigh on both alike.
class InMemoryComponent {
 public:
  explicit InMemoryComponent(int sales_rows) {
    connection_ = data::Connection::create();
    connection_->SetCursorLocation(data::kUseClient);
    connection_->Open("Provider=SQLite;Data Source=:memory:");
    console::create_schema(*connection_);
    console::generate_scaled(*connection_, sales_scale(sales_rows));
    host_ = console::HostApplication::create(connection_, 1, "ITA ");
    component_ = std::make_shared<dorsel::CLSMG_DORSEL>();
    component_->SetConnessione(connection_);
    component_->SetActiveInterface(automation::Variant(automation::ObjectPtr(host_)));
    component_->Initialize();
    component_->Init_LI10(kItem, "0");
  }

  void show() { component_->ShowChild(kItem, "FRMUC_LISTINI_VEN"); }

 private:
  data::ConnectionPtr connection_;
  std::shared_ptr<console::HostApplication> host_;
  std::shared_ptr<dorsel::CLSMG_DORSEL> component_;
};

std::map<int, std::unique_ptr<InMemoryComponent>> in_memory;

double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// 3. The sales price list rebuilt, and its view read back whole.
void Session_ShowSalesPriceList(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int rows = static_cast<int>(state.range(0));
  LineProcess& session = session_for(rows);
  std::unique_ptr<InMemoryComponent>& memory = in_memory[rows];
  if (!memory) memory = std::make_unique<InMemoryComponent>(rows);
  double memory_seconds = 0, memory_cpu = 0;
  const double cpu_before = cpu_seconds_of(session.pid());
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const std::string& answer = session.ask(kShowSales);
    const Clock::time_point answered = Clock::now();
    state.SetIterationTime(std::chrono::duration<double>(answered - start).count());
    if (failed(answer)) {
      state.SkipWithError(answer.c_str());
      break;
    }
    const double cpu = thread_cpu_seconds();
    memory->show();
    memory_cpu += thread_cpu_seconds() - cpu;
    memory_seconds += std::chrono::duration<double>(Clock::now() - answered).count();
  }
  set_session_cpu(state, session.pid(), cpu_before);
  const auto iterations =
      static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["in_memory_ms"] = memory_seconds * 1e3 / iterations;
  state.counters["in_memory_cpu_ms"] = memory_cpu * 1e3 / iterations;
  set_rows(state, rows);
}

void Session_ReadSalesView(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  LineProcess& session = session_for(rows);
  if (failed(session.ask(kShowSales))) state.SkipWithError("ShowChild failed");
  run_requests(state, session, kReadSales);
  set_rows(state, rows);
}

// A request inserting `count` sales price-list rows of `item`, numbered from `first`: a key of
// its own for each number.
std::string insert_request(std::string_view item, std::int64_t first, int count) {
  std::string request = R"({"sql": "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, )"
                        R"(LI10_CODART_MG66, LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, )"
                        R"(LI10_DATAINIZIOVAL, LI10_PREZZO) VALUES )";
  for (std::int64_t n = first; n < first + count; ++n) {
    if (n != first) request += ", ";
    request += "(1, 0, '" + std::string(item) + "', ' ', ' ', " + std::to_string(n % 30000) +
               ", '" + std::to_string(2000 + n / 30000) + "-01-01', 2.5)";
  }
  return request + "\"}";
}

// 4. One row written: a statement of its own, committed on its own.
void Session_Insert(benchmark::State& state) {
  LineProcess& session = session_for(10);
  static std::int64_t next = 0;
  const double cpu_before = cpu_seconds_of(session.pid());
  for (auto _ : state) {
    const std::string& answer = session.ask(insert_request("INSERT", next++, 1));
    if (failed(answer)) {
      state.SkipWithError(answer.c_str());
      break;
    }
  }
  set_session_cpu(state, session.pid(), cpu_before);
}

// 5. Four sessions showing the sales price list while a fifth writes rows in batches.
struct ReaderResult {
  std::int64_t shows = 0;
  std::int64_t errors = 0;
  std::int64_t reads_differing = 0;
  double wall_seconds = 0;
  double cpu_seconds = 0;
};

constexpr int kReaderRows = 1000;

// Shows the price list until `stop`, reading the view back every tenth time and comparing it
// with what it read alone before.
ReaderResult read_until(LineProcess& reader, const std::string& reference,
                        const std::atomic<bool>& stop) {
  ReaderResult result;
  const double cpu_before = cpu_seconds_of(reader.pid());
  const auto start = std::chrono::steady_clock::now();
  while (!stop.load()) {
    if (failed(reader.ask(kShowSales))) ++result.errors;
    if (++result.shows % 10 == 0 && reader.ask(kReadSales) != reference) ++result.reads_differing;
  }
  result.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.cpu_seconds = cpu_seconds_of(reader.pid()) - cpu_before;
  return result;
}

double seconds_from_environment(const char* name, double fallback) {
  const char* text = std::getenv(name);
  return text ? std::atof(text) : fallback;
}

void Session_ReadersAndWriter(benchmark::State& state) {
  const double seconds = seconds_from_environment("DORSEL_BENCH_WRITER_SECONDS", 30);
  const double alone_seconds = std::max(1.0, seconds / 6);
  constexpr int kReaders = 4;
  constexpr int kBatch = 100;
  for (auto _ : state) {
    std::vector<std::unique_ptr<LineProcess>> readers;
    std::vector<std::string> references;
    for (int i = 0; i < kReaders; ++i) {
      readers.push_back(start_session(kReaderRows));
      LineProcess& r = *readers.back();
      r.ask(R"({"call": "Initialize", "args": []})");
      r.ask(R"({"call": "Init_LI10", "args": [")" + std::string(kItem) + R"(", "0"]})");
      r.ask(kShowSales);
      references.push_back(r.ask(kReadSales));
    }
    // The lone reader's cost first.
    std::atomic<bool> stop{false};
    std::thread timer([&] {
      std::this_thread::sleep_for(std::chrono::duration<double>(alone_seconds));
      stop = true;
    });
    ReaderResult alone = read_until(*readers[0], references[0], stop);
    timer.join();

    // Then four readers and the writer.
    stop = false;
    std::unique_ptr<LineProcess> writer = start_session(kReaderRows);
    std::int64_t written = 0, write_errors = 0, batches = 0;
    std::vector<ReaderResult> together(kReaders);
    std::vector<std::thread> threads;
    threads.reserve(kReaders + 1);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kReaders; ++i) {
      threads.emplace_back([&, i] { together[i] = read_until(*readers[i], references[i], stop); });
    }
    threads.emplace_back([&] {
      while (!stop.load()) {
        const std::string request = insert_request("WRITER", written, kBatch);
        if (failed(writer->ask(request))) {
          ++write_errors;
        } else {
          written += kBatch;
        }
        ++batches;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (std::thread& t : threads) t.join();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

    const std::string count = writer->ask(
        R"({"sql": "SELECT COUNT(*) AS N FROM LI10_LISTARTIC WHERE LI10_CODART_MG66 = 'WRITER'"})");
    const std::size_t at = count.find(R"("rows":[[)");
    const std::int64_t found = at == std::string::npos ? -1 : std::atoll(count.c_str() + at + 9);
    // Leaves the file as it was for the next repetition.
    writer->ask(R"({"sql": "DELETE FROM LI10_LISTARTIC WHERE LI10_CODART_MG66 = 'WRITER'"})");

    ReaderResult sum;
    for (const ReaderResult& r : together) {
      sum.shows += r.shows;
      sum.errors += r.errors;
      sum.reads_differing += r.reads_differing;
      sum.cpu_seconds += r.cpu_seconds;
      sum.wall_seconds += r.wall_seconds;
    }
    const double alone_rows = static_cast<double>(alone.shows) * kReaderRows;
    const double together_rows = static_cast<double>(sum.shows) * kReaderRows;
    state.counters["alone_cpu_us_per_row"] = alone.cpu_seconds * 1e6 / alone_rows;
    state.counters["alone_wall_us_per_row"] = alone.wall_seconds * 1e6 / alone_rows;
    state.counters["readers_cpu_us_per_row"] = sum.cpu_seconds * 1e6 / together_rows;
    state.counters["readers_wall_us_per_row"] = sum.wall_seconds * 1e6 / together_rows;
    state.counters["reader_errors"] = static_cast<double>(sum.errors + alone.errors);
    state.counters["reads_differing"] =
        static_cast<double>(sum.reads_differing + alone.reads_differing);
    state.counters["write_errors"] = static_cast<double>(write_errors);
    state.counters["rows_written"] = static_cast<double>(written);
    state.counters["rows_found"] = static_cast<double>(found);
    state.counters["batches"] = static_cast<double>(batches);
    state.counters["seconds"] = seconds;
    state.counters["cores"] = static_cast<double>(std::thread::hardware_concurrency());
  }
}

}  // namespace

// The work happens in another process: this one's CPU time says nothing, the clock does.
BENCHMARK(Session_Get)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Session_Get_Baseline)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Session_Lookup)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Session_ShowSalesPriceList)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Session_ReadSalesView)->Arg(2000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Session_Insert)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Session_ReadersAndWriter)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // A session that ends early must fail its benchmark, not end this process.
  signal(SIGPIPE, SIG_IGN);
  Databases folder;
  databases = &folder;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sessions.clear();
  in_memory.clear();
  return 0;
}
