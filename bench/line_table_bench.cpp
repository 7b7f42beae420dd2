#include "synthetic_drawing.h"

#include <benchmark/benchmark.h>

namespace vektrano::bench {
namespace {

// Cutting is the one pass over every byte; it should run near memchr speed.
void BM_LineTableCut(benchmark::State& state, std::string_view eol)
{
    const std::string text = SyntheticDrawing(100'000, Mix::Mixed, eol);
    LineTable lines;
    for (auto _ : state) {
        lines.Cut(text, eol);
        benchmark::DoNotOptimize(lines.PieceCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(BM_LineTableCut, crlf, std::string_view("\r\n"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LineTableCut, lf, std::string_view("\n"))->Unit(benchmark::kMillisecond);

// Every later phase reads lines by position; this is the price of one look-up.
void BM_LineTableIndex(benchmark::State& state)
{
    Variablen v;
    LoadText(v, SyntheticDrawing(100'000, Mix::Mixed));
    const std::size_t top = v.Lines.Top();
    for (auto _ : state) {
        std::size_t total = 0;
        for (std::size_t p = 1; p <= top; ++p)
            total += v.Lines[p].size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * top));
}
BENCHMARK(BM_LineTableIndex)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vektrano::bench
