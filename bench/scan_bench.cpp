#include "run/entity_scan.h"
#include "synthetic_drawing.h"

#include <benchmark/benchmark.h>
#include <functional>

namespace vektrano::bench {
namespace {

// The scan with its end search, over drawings of growing size: the complexity
// fit shows at once when a pass turns quadratic.
void Scan(benchmark::State& state, const std::function<std::string(std::size_t)>& drawing)
{
    Variablen v;
    LoadText(v, drawing(static_cast<std::size_t>(state.range(0))));
    MemoryWindow window;
    for (auto _ : state) {
        ResetForScan(v);
        const ScanOutcome outcome = ScanEntities(v, window);
        if (outcome != ScanOutcome::ReachedEof)
            state.SkipWithError("scan did not reach EOF");
        benchmark::DoNotOptimize(v.Entities.size());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * v.Lines.Top()));
    state.SetComplexityN(state.range(0));
}

void BM_ScanMixed(benchmark::State& state)
{
    Scan(state, [](std::size_t n) { return SyntheticDrawing(n, Mix::Mixed); });
}
BENCHMARK(BM_ScanMixed)
    ->RangeMultiplier(10)
    ->Range(10'000, 100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_ScanSharedEnd(benchmark::State& state) { Scan(state, SharedEndDrawing); }
BENCHMARK(BM_ScanSharedEnd)
    ->RangeMultiplier(10)
    ->Range(20'000, 200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_ScanManyNames(benchmark::State& state) { Scan(state, ManyNamesDrawing); }
BENCHMARK(BM_ScanManyNames)
    ->RangeMultiplier(10)
    ->Range(20'000, 200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// A real drawing repeats a handful of names (SECTION, TEXT, INSERT ...).
void BM_TallyRepeatedNames(benchmark::State& state)
{
    const std::string_view names[] = {"SECTION", "ENDSEC", "TABLE", "LAYER", "TEXT",
                                      "INSERT",  "ENDTAB", "TEXT",  "TEXT",  "INSERT"};
    UnknownTally tally;
    for (auto _ : state)
        for (auto name : names)
            tally.Count(name);
    benchmark::DoNotOptimize(tally.Rows().size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * std::size(names)));
}
BENCHMARK(BM_TallyRepeatedNames);

// Every name new: the tally grows by one row per call.
void BM_TallyDistinctNames(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<std::string> names;
    for (std::size_t k = 0; k < count; ++k)
        names.push_back("NAME_" + std::to_string(k));
    for (auto _ : state) {
        UnknownTally tally;
        for (const auto& name : names)
            tally.Count(name);
        benchmark::DoNotOptimize(tally.Rows().size());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TallyDistinctNames)
    ->RangeMultiplier(10)
    ->Range(20'000, 200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vektrano::bench
