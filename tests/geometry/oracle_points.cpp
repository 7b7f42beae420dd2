// Prints splines, their points by Evaluate, and plane maps by OcsToWorldPlan, for
// ezdxf_oracle.py to recompute independently. One record per line, numbers in
// shortest round-trip form.
#include "geometry/conic_arc.h"
#include "geometry/nurbs.h"
#include "geometry/ocs.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

namespace vektrano {
namespace {

std::string Text(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

void Line(const char* tag, const std::vector<double>& values)
{
    std::string line = tag;
    for (double v : values)
        line += ' ' + Text(v);
    std::puts(line.c_str());
}

void PrintSpline(const char* name, const Nurbs& s)
{
    std::printf("spline %s\n", name);
    Line("degree", {static_cast<double>(s.degree)});
    Line("knots", s.knots);
    std::vector<double> xy;
    for (Point p : s.control)
        xy.insert(xy.end(), {p.x, p.y});
    Line("control", xy);
    Line("weights", s.weights);
    const double from = s.knots[static_cast<std::size_t>(s.degree)];
    const double to = s.knots[s.control.size()];
    for (int i = 0; i < 50; ++i) {
        const double u = from + (to - from) * i / 49;
        const Point p = Evaluate(s, u);
        Line("point", {u, p.x, p.y});
    }
}

Nurbs Spline(int degree, std::vector<Point> control, std::vector<double> knots,
             std::vector<double> weights = {})
{
    Nurbs s;
    s.degree = degree;
    s.control = std::move(control);
    s.knots = std::move(knots);
    s.weights = std::move(weights);
    s.rational = !s.weights.empty();
    return s;
}

} // namespace
} // namespace vektrano

int main()
{
    using namespace vektrano;
    const std::vector<Point> control = {{0, 0},  {10, 30}, {25, -20}, {40, 35},
                                        {55, 0}, {60, 60}, {80, 10}};
    PrintSpline("degree-2-open", Spline(2, control, {0, 0, 0, 1, 2, 3, 4, 5, 5, 5}));
    PrintSpline("degree-3-uneven-knots", Spline(3, control, {0, 0, 0, 0, 0.5, 2, 2, 7, 7, 7, 7}));
    PrintSpline("degree-3-rational",
                Spline(3, control, {0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 4}, {1, 4, 0.25, 1, 2, 0.7, 1}));
    PrintSpline("degree-2-rational-circle",
                Spline(2, {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}, {0, 0, 0, 1, 1, 2, 2, 2},
                       {1, 0.7071067811865476, 1, 0.7071067811865476, 1}));
    // Closed periodic as ezdxf writes it: the first three control points again
    // at the end, uniform knots.
    PrintSpline(
        "degree-3-closed-periodic",
        Spline(3, {{0, 0}, {40, -10}, {60, 30}, {30, 60}, {-10, 40}, {0, 0}, {40, -10}, {60, 30}},
               {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // The fit-point interpolation with both end tangents, which ezdxf computes
    // the same way (chord length, a knot per fit point).
    const std::vector<Point> fit = {{0, 0}, {10, 5}, {20, -3}, {35, 8}, {50, 0}};
    std::vector<double> fitXy;
    for (Point p : fit)
        fitXy.insert(fitXy.end(), {p.x, p.y});
    PrintSpline("fit-with-tangents", InterpolateCubic(fit, Point{0, 3}, Point{1, -1}));
    Line("fit", fitXy);
    Line("tangents", {0, 3, 1, -1});

    const Vector3 extrusions[] = {{0, 0, 1},  {0, 0, -1},    {1, 1, 1},   {0.01, 0.005, -1},
                                  {0, -1, 0}, {0.6, 0, 0.8}, {-2, 3, 0.5}};
    for (const Vector3 e : extrusions) {
        const Affine map = OcsToWorldPlan(e, 2.5);
        Line("ocs", {e.x, e.y, e.z, 2.5, map.a, map.b, map.c, map.d, map.e, map.f});
    }

    // ELLIPSE entities in world coordinates: upright, upside down, tilted.
    const struct
    {
        Vector3 center, major, extrusion;
        double ratio, start, end;
    } ellipses[] = {
        {{1, 2, 0}, {30, 10, 0}, {0, 0, 1}, 0.4, 0, 6.283185307179586},
        {{1, 2, 3}, {30, 10, 0}, {0, 0, -1}, 0.25, 1, 4},
        {{-5, 0, 7}, {0, 20, -10}, {0.6, 0.48, 0.64}, 0.7, 5, 2},
    };
    for (const auto& e : ellipses) {
        const ConicArc arc = EllipseArc(e.center, e.major, e.ratio, e.start, e.end, e.extrusion);
        Line("ellipse", {e.center.x, e.center.y, e.center.z, e.major.x, e.major.y, e.major.z,
                         e.extrusion.x, e.extrusion.y, e.extrusion.z, e.ratio, e.start, e.end});
        for (int i = 0; i < 50; ++i) {
            const double t = arc.t0 + (arc.t1 - arc.t0) * i / 49;
            const Point p = PointAt(arc, t);
            Line("ellipse-point", {t, p.x, p.y});
        }
    }
    return 0;
}
