#include "conic_arc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

} // namespace

ConicArc Transformed(const Affine& map, const ConicArc& arc)
{
    return {map.Apply(arc.center), map.ApplyToVector(arc.u), map.ApplyToVector(arc.v), arc.t0,
            arc.t1};
}

Point PointAt(const ConicArc& arc, double t)
{
    return arc.center + std::cos(t) * arc.u + std::sin(t) * arc.v;
}

ConicArc EllipseArc(Point center, Point majorAxis, double ratio, double start, double end)
{
    // Writers round 2π in the last digits (6.28318530718), which must not leave a
    // sliver of an ellipse.
    constexpr double kFullSlack = 1e-9;
    double sweep = std::fmod(end - start, kTwoPi);
    if (sweep < 0)
        sweep += kTwoPi;
    if (sweep <= kFullSlack || sweep >= kTwoPi - kFullSlack)
        sweep = kTwoPi;
    const Point minorAxis = ratio * Point{-majorAxis.y, majorAxis.x};
    return {center, majorAxis, minorAxis, start, start + sweep};
}

ConicArc EllipseArc(Vector3 center, Vector3 majorAxis, double ratio, double start, double end,
                    Vector3 extrusion)
{
    if (!IsUsableExtrusion(extrusion))
        extrusion = {0, 0, 1};
    const Vector3 across = {extrusion.y * majorAxis.z - extrusion.z * majorAxis.y,
                            extrusion.z * majorAxis.x - extrusion.x * majorAxis.z,
                            extrusion.x * majorAxis.y - extrusion.y * majorAxis.x};
    const double acrossLength = std::hypot(across.x, across.y, across.z);
    const double scale =
        acrossLength > 0 ? ratio * std::hypot(majorAxis.x, majorAxis.y, majorAxis.z) / acrossLength
                         : 0.0;
    ConicArc arc = EllipseArc({center.x, center.y}, {majorAxis.x, majorAxis.y}, 1, start, end);
    arc.v = {scale * across.x, scale * across.y};
    return arc;
}

std::optional<CircularArc> AsCircular(const ConicArc& arc, double relTol)
{
    const double lengthU = std::hypot(arc.u.x, arc.u.y);
    const double lengthV = std::hypot(arc.v.x, arc.v.y);
    const double scale = std::max(lengthU, lengthV);
    if (!(scale > 0) || !std::isfinite(scale) || !Finite(arc.center) || !std::isfinite(arc.t0) ||
        !std::isfinite(arc.t1) || !(arc.t1 > arc.t0))
        return std::nullopt;
    if (std::abs(lengthU - lengthV) > relTol * scale ||
        std::abs(Dot(arc.u, arc.v)) > relTol * scale * scale)
        return std::nullopt;
    const double sweep = std::min(arc.t1 - arc.t0, kTwoPi);
    const bool full = sweep >= kTwoPi * (1 - relTol);
    const double sign = Cross(arc.u, arc.v) < 0 ? -1 : 1;
    const Point start = PointAt(arc, arc.t0);
    return CircularArc{arc.center,
                       (lengthU + lengthV) / 2,
                       start,
                       full ? start : PointAt(arc, arc.t0 + sweep),
                       sign * (full ? 360.0 : sweep * 180 / std::numbers::pi),
                       full};
}

} // namespace vektrano
