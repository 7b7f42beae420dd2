#include "preview/script_reader.h"
#include "preview/svg_writer.h"
#include "synthetic_script.h"

#include <benchmark/benchmark.h>
#include <string>

namespace vektrano {
namespace {

const std::string& MillionLineScript()
{
    static const std::string text = bench::SyntheticScript(1'000'000);
    return text;
}

// The preview's read of a script of a million lines, whole and in the 1 MiB
// pieces the file reader hands over.
void BM_ReadScript(benchmark::State& state)
{
    const std::string& text = MillionLineScript();
    const std::size_t piece = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        ScriptReader reader;
        reader.Reserve(text.size()); // as the file reader does with the file's size
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.Feed(std::string_view(text).substr(at, piece));
        benchmark::DoNotOptimize(reader.Finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 1'000'000));
}
BENCHMARK(BM_ReadScript)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_WriteSvg(benchmark::State& state)
{
    const ScriptPicture picture = ReadScriptText(MillionLineScript());
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        WriteSvg(picture, [&bytes](std::string_view piece) { bytes += piece.size(); });
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 1'000'000));
    state.counters["svg_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_WriteSvg)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vektrano
