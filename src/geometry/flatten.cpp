#include "flatten.h"

#include "flatten_budget.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {
namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;

// The longest step h whose sagitta (1 - cos(h/2)) · radius stays within the
// tolerance, given their ratio; written with asin so that tiny ratios keep
// their digits.
double StepForRatio(double toleranceOverRadius)
{
    if (!(toleranceOverRadius < 2))
        return kQuarterTurn;
    return std::min(kQuarterTurn, 4 * std::asin(std::sqrt(toleranceOverRadius / 2)));
}

// The ellipse's geometry the step rule needs, computed once per arc.
struct ConicWalk
{
    ConicArc arc;
    double sweep = 0;
    double area = 0;      // |Cross(u, v)|
    double semiMajor = 0; // the longest radius, for a step that is safe anywhere

    // The chord from m - h/2 to m + h/2 runs along T(m) = -u sin m + v cos m, and
    // the arc's farthest point from it lies (1 - cos(h/2)) · |Cross(u,v)| / |T(m)|
    // away. That is the distance from the chord itself only while the arc runs
    // forward along it, which tan(h/2) < |T|² / |r·T| ensures (r(m) = u cos m + v
    // sin m). Failing that, every arc point is within (1 - cos(h/2)) · |r(m)| of
    // a point of the chord.
    double AllowedStep(double mid, double tolerance) const
    {
        const double cs = std::cos(mid);
        const double sn = std::sin(mid);
        const Point r = cs * arc.u + sn * arc.v;
        const Point t = cs * arc.v - sn * arc.u;
        const double tangentSquared = Dot(t, t);
        const double radius = std::sqrt(Dot(r, r));
        double step = StepForRatio(tolerance / radius);
        if (tangentSquared > 0) {
            const double forward = 2 * std::atan(0.9 * tangentSquared / std::abs(Dot(r, t)));
            const double across = StepForRatio(tolerance * std::sqrt(tangentSquared) / area);
            step = std::max(step, std::min(forward, across));
        }
        return step;
    }

    // The longest step from s is the one as long as its own midpoint allows;
    // start from what s itself allows and shrink to the midpoint's rule.
    double NextStep(double s, double tolerance, double safe) const
    {
        const double left = sweep - s;
        double step = std::min(left, AllowedStep(arc.t0 + s, tolerance));
        for (int tries = 0; tries < 6; ++tries) {
            const double allowed = AllowedStep(arc.t0 + s + step / 2, tolerance);
            if (allowed >= step)
                return std::max(step, std::min(safe, left));
            step = std::min(allowed, 0.9 * step);
        }
        return std::min(safe, left);
    }

    double operator()(double tolerance, std::size_t budget, std::vector<Point>& out) const
    {
        const double safe = StepForRatio(tolerance / semiMajor);
        const Point first = PointAt(arc, arc.t0);
        out.push_back(first);
        // A full ellipse closes on its first point exactly, not a rounding apart.
        const Point last = sweep == 2 * std::numbers::pi ? first : PointAt(arc, arc.t1);
        std::size_t segments = 0;
        double s = 0;
        while (s < sweep) {
            double next = s + NextStep(s, tolerance, safe);
            // The last step lands exactly on t1, not a rounding error short of it.
            if (!(next < sweep) || sweep - next < 1e-12 * sweep)
                next = sweep;
            // A step lost to rounding counts as running out of segments, so the
            // tolerance is loosened instead of looping.
            if (++segments > budget || next == s)
                return s / sweep;
            out.push_back(next == sweep ? last : PointAt(arc, arc.t0 + next));
            s = next;
        }
        return 1;
    }
};

} // namespace

FlattenResult FlattenConicArc(const ConicArc& arc, double tolerance, std::size_t maxSegments,
                              std::vector<Point>& out)
{
    using detail::Usable;
    if (!Usable(arc.center) || !Usable(arc.u) || !Usable(arc.v) || !Usable(arc.t0) ||
        !Usable(arc.t1) || !(arc.t1 > arc.t0))
        return {tolerance, false};
    ConicWalk walk;
    walk.arc = arc;
    // Far from 0 the parameter loses digits the steps need.
    walk.arc.t0 = std::fmod(arc.t0, 2 * std::numbers::pi);
    walk.sweep = std::min(arc.t1 - arc.t0, 2 * std::numbers::pi);
    walk.arc.t1 = walk.arc.t0 + walk.sweep;
    if (!(walk.sweep > 0))
        return {tolerance, false};
    walk.area = std::abs(Cross(arc.u, arc.v));
    const double uu = Dot(arc.u, arc.u);
    const double vv = Dot(arc.v, arc.v);
    const double uv = Dot(arc.u, arc.v);
    walk.semiMajor = std::sqrt((uu + vv + std::hypot(uu - vv, 2 * uv)) / 2);
    return detail::FlattenWithinBudget(tolerance, maxSegments, out, walk);
}

} // namespace vektrano
