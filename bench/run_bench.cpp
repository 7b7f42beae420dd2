#include "run/conversion_run.h"
#include "synthetic_drawing.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace vektrano::bench {
namespace {

// The whole START on a generated drawing in a temporary file: load, cut, shift,
// scan and the output pass, with and without the automatic offset.
void BM_RunConversion(benchmark::State& state, bool autoOffset)
{
    char path[] = "/tmp/vektrano_bench_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    ::close(fd);
    const std::string text = SyntheticDrawing(static_cast<std::size_t>(state.range(0)), Mix::Mixed);
    std::ofstream(path, std::ios::binary) << text;
    MemoryWindow window;
    window.SetField(Field::Txt_DXF, path);
    window.SetField(Field::Txt_SCR, "/dev/null");
    window.SetCheckBox(CheckBox::Chk_Auto_Offset, autoOffset ? 1 : 0);
    Variablen v;
    for (auto _ : state) {
        if (RunConversion(window, v) != RunOutcome::Completed) {
            state.SkipWithError("run did not complete");
            break;
        }
    }
    std::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(BM_RunConversion, plain, false)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RunConversion, autoOffset, true)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vektrano::bench
