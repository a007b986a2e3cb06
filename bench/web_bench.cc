// The browser console's cost over HTTP against the component's own work in-process.
//
// A server (console::web::WebServer, as `dorsel serve` runs it) listens on a free loopback port
// in this process over a demo database file; a keep-alive client asks it for the item page
// (every tab's data in one answer) and for each panel. The in-process twins do the same work
// without HTTP: a component bound as a request binds it, reading the same panels. bench/run
// prints the pairs and the difference per panel.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "console/demo.h"
#include "console/panel_viewer.h"
#include "console/registration.h"
#include "console/web/component_scope.h"
#include "console/web/connection_pool.h"
#include "console/web/web_server.h"

namespace {

constexpr const char* kItem = "CAVO-FG16-3G1.5";

struct Fixture {
  Fixture()
      : folder(std::filesystem::temp_directory_path() /
               ("dorsel-web-bench-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    console::register_everything();
    options.database = (folder / "demo.db").string();
    console::create_demo_database(options.database);
    console::web::ServeOptions serve;
    serve.port = 0;
    server = std::make_unique<console::web::WebServer>(options, serve);
    port = server->bind();
    listener = std::thread([this] { server->listen(); });
    pool = std::make_unique<console::web::ConnectionPool>(options, 4);
  }
  ~Fixture() {
    server->stop();
    listener.join();
    server.reset();
    pool.reset();
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path folder;
  console::HostOptions options;
  std::unique_ptr<console::web::WebServer> server;
  int port = 0;
  std::thread listener;
  std::unique_ptr<console::web::ConnectionPool> pool;
};

Fixture* fixture = nullptr;

void get(benchmark::State& state, const std::string& path) {
  httplib::Client client("127.0.0.1", fixture->port);
  client.set_keep_alive(true);
  std::size_t bytes = 0;
  for (auto _ : state) {
    httplib::Result result = client.Get(path);
    if (!result || result->status != 200) {
      state.SkipWithError("request failed");
      return;
    }
    bytes = result->body.size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void in_process(benchmark::State& state, const std::vector<std::string>& panels) {
  for (auto _ : state) {
    console::web::ComponentScope scope(*fixture->pool, 1, "");
    benchmark::DoNotOptimize(console::read_item_panels(scope.component(), kItem, panels, true));
  }
}

void BM_ItemPage_Http(benchmark::State& state) {
  get(state, std::string("/api/item?code=") + kItem);
}
void BM_ItemPage_InProcess(benchmark::State& state) { in_process(state, {}); }

void BM_Panel_Http(benchmark::State& state) {
  const std::string& name = console::viewer_panels()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(name);
  get(state, std::string("/api/panel?code=") + kItem + "&name=" + name);
}
void BM_Panel_InProcess(benchmark::State& state) {
  const std::string& name = console::viewer_panels()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(name);
  in_process(state, {name});
}

void panel_range(benchmark::internal::Benchmark* bench) {
  for (std::size_t i = 0; i < console::viewer_panels().size(); ++i) {
    bench->Arg(static_cast<std::int64_t>(i));
  }
}

BENCHMARK(BM_ItemPage_Http)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemPage_InProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Panel_Http)->Apply(panel_range)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Panel_InProcess)->Apply(panel_range)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Fixture set_up;
  fixture = &set_up;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fixture = nullptr;
  return 0;
}
