// The in-process door: a trivial request through the C interface (libdorsel.so), as a host in
// another language makes it, against the same request through the session's pipe
// (session_bench's Session_Get). The database is a file made the way the program makes it,
// so each request opens and ends its read transaction as a session's does.
#include <benchmark/benchmark.h>
#include <dorsel/dorsel.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "console/demo.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTrivial = R"({"get": "ListFileToDelete"})";

class OpenInstance {
 public:
  OpenInstance()
      : folder_(fs::temp_directory_path() / ("dorsel-capi-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(folder_);
    const std::string path = (folder_ / "demo.sqlite").string();
    console::create_demo_database(path);
    dorsel_options options;
    dorsel_options_init(&options);
    options.database = path.c_str();
    if (dorsel_open(&options, &instance_, nullptr) != 0) instance_ = nullptr;
  }
  ~OpenInstance() {
    dorsel_close(instance_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  OpenInstance(const OpenInstance&) = delete;
  OpenInstance& operator=(const OpenInstance&) = delete;
  dorsel_instance* get() const { return instance_; }

 private:
  fs::path folder_;
  dorsel_instance* instance_ = nullptr;
};

// Request in, answer out and freed: what every call of a binding pays.
void Door_CInterface_Get(benchmark::State& state) {
  static OpenInstance instance;
  if (instance.get() == nullptr) {
    state.SkipWithError("the instance did not open");
    return;
  }
  for (auto _ : state) {
    char* answer = dorsel_request(instance.get(), kTrivial.data(), kTrivial.size());
    benchmark::DoNotOptimize(answer);
    if (answer == nullptr || std::strncmp(answer, R"({"ok":true)", 10) != 0) {
      state.SkipWithError("the request failed");
      dorsel_free(answer);
      break;
    }
    dorsel_free(answer);
  }
}

}  // namespace

BENCHMARK(Door_CInterface_Get)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
