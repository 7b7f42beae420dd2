#include "geometry/conic_arc.h"
#include "geometry/flatten.h"
#include "geometry/nurbs.h"

#include <benchmark/benchmark.h>
#include <numbers>
#include <vector>

namespace vektrano::bench {
namespace {

constexpr double kTolerance = 0.005; // mm, the default chord tolerance
constexpr std::size_t kMaxSegments = 100000;

// Reports written segments per second, the figure the conversion's speed
// target is stated in.
template <class Flatten> void SegmentsPerSecond(benchmark::State& state, Flatten&& flatten)
{
    std::vector<Point> chain;
    std::size_t segments = 0;
    for (auto _ : state) {
        chain.clear();
        flatten(chain);
        segments += chain.size() - 1;
        benchmark::DoNotOptimize(chain.data());
    }
    state.counters["segments/s"] =
        benchmark::Counter(static_cast<double>(segments), benchmark::Counter::kIsRate);
    state.counters["segments"] = static_cast<double>(chain.size() - 1);
}

// A degree-3 spline of 8 control points over some 100 mm, as a board outline's
// rounded corner or a freehand contour brings them.
void BM_FlattenSplineDegree3(benchmark::State& state)
{
    Nurbs spline;
    spline.control = {{0, 0}, {10, 30}, {25, -20}, {40, 35}, {55, 0}, {60, 60}, {80, 10}, {90, 40}};
    spline.knots = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
    SegmentsPerSecond(state, [&](std::vector<Point>& chain) {
        FlattenNurbs(spline, kTolerance, kMaxSegments, chain);
    });
}
BENCHMARK(BM_FlattenSplineDegree3);

void BM_FlattenSplineDegree3Rational(benchmark::State& state)
{
    Nurbs spline;
    spline.control = {{0, 0}, {10, 30}, {25, -20}, {40, 35}, {55, 0}, {60, 60}, {80, 10}, {90, 40}};
    spline.knots = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
    spline.weights = {1, 5, 0.2, 1, 3, 1, 0.5, 1};
    spline.rational = true;
    SegmentsPerSecond(state, [&](std::vector<Point>& chain) {
        FlattenNurbs(spline, kTolerance, kMaxSegments, chain);
    });
}
BENCHMARK(BM_FlattenSplineDegree3Rational);

// Full ellipses of 40 × 16 mm.
void BM_FlattenFullEllipse(benchmark::State& state)
{
    const ConicArc ellipse = EllipseArc({5, 5}, {20, 0}, 0.4, 0, 2 * std::numbers::pi);
    SegmentsPerSecond(state, [&](std::vector<Point>& chain) {
        FlattenConicArc(ellipse, kTolerance, kMaxSegments, chain);
    });
}
BENCHMARK(BM_FlattenFullEllipse);

} // namespace
} // namespace vektrano::bench
