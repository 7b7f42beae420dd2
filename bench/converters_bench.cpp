#include "run/entity_scan.h"
#include "run/window_settings.h"
#include "script/converters.h"
#include "synthetic_drawing.h"

#include <benchmark/benchmark.h>

namespace vektrano::bench {
namespace {

using Converter = StopOr (*)(ConverterContext&, std::size_t, bool);

// Each converter over a table of its own kind only, in writing mode (script to
// /dev/null, so the buffered writer is included but no disk) or measuring mode.
void Convert(benchmark::State& state, Mix mix, EntityName name, Converter convert, bool offsetOnly)
{
    Variablen v;
    LoadText(v, SyntheticDrawing(50'000, mix));
    MemoryWindow window;
    ResetForScan(v);
    if (ScanEntities(v, window) != ScanOutcome::ReachedEof) {
        state.SkipWithError("scan did not reach EOF");
        return;
    }
    ScriptFile script;
    if (script.Open("/dev/null") != 0) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    std::size_t converted = 0;
    for (auto _ : state) {
        WindowSettings settings(window);
        ConverterContext context(v, settings, script);
        converted = 0;
        for (std::size_t i = 0; i + 1 < v.Entities.size(); ++i) {
            if (v.Entities[i].Name != name)
                continue;
            if (convert(context, i, offsetOnly)) {
                state.SkipWithError("converter stopped");
                return;
            }
            ++converted;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * converted));
}

BENCHMARK_CAPTURE(Convert, Line, Mix::Lines, EntityName::Line, Convert_Line, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Circle, Mix::Circles, EntityName::Circle, Convert_Circle, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Arc, Mix::Arcs, EntityName::Arc, Convert_Arc, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Polyline, Mix::Polylines, EntityName::Polyline, Convert_Polyline, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, LineMeasuring, Mix::Lines, EntityName::Line, Convert_Line, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, PolylineMeasuring, Mix::Polylines, EntityName::Polyline,
                  Convert_Polyline, true)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vektrano::bench
