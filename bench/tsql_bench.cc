// Translation of the component's T-SQL: every distinct statement uncached (statements per
// second), the largest one alone, and a hit in the per-connection cache.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "data/dialect/translator.h"
#include "support/tsql_inventory.h"

namespace {

void BM_TranslateInventoryUncached(benchmark::State& state) {
  const auto statements = tsql_inventory::statements();
  std::size_t bytes = 0;
  for (const auto& s : statements) bytes += s.text.size();
  for (auto _ : state) {
    for (const auto& s : statements) {
      benchmark::DoNotOptimize(data::dialect::translate(s.text, "SQLite"));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(statements.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_TranslateInventoryUncached);

void BM_TranslateLargestUncached(benchmark::State& state) {
  const auto statements = tsql_inventory::statements();
  const auto largest =
      std::max_element(statements.begin(), statements.end(),
                       [](const auto& a, const auto& b) { return a.text.size() < b.text.size(); });
  for (auto _ : state) benchmark::DoNotOptimize(data::dialect::translate(largest->text, "SQLite"));
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(largest->name);
}
BENCHMARK(BM_TranslateLargestUncached);

void BM_TranslationCacheHit(benchmark::State& state) {
  const auto statements = tsql_inventory::statements();
  data::dialect::TranslationCache cache("SQLite");
  for (const auto& s : statements) cache.translate(s.text);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache.translate(statements[i].text).size());
    if (++i == statements.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslationCacheHit);

}  // namespace

BENCHMARK_MAIN();
