// The placer's filled areas: HATCH, SOLID and TRACE, each handed on as a
// PlacedArea of flattened rings.
#include "geometry/arc.h"
#include "geometry/area_polygons.h"
#include "geometry/flatten.h"
#include "placement.h"
#include "placer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

// Two ends of neighbouring edges meet when they lie closer than this (mm): a
// micrometre, or the last digits of a large coordinate.
bool Meet(Point a, Point b)
{
    const double tolerance = 1e-3 + 1e-9 * (std::fabs(a.x) + std::fabs(a.y));
    return std::hypot(a.x - b.x, a.y - b.y) <= tolerance;
}

// The ellipse parameter of the point at `angle` (radians) from its centre.
double ParameterOfAngle(double ratio, double angle)
{
    return std::atan2(std::sin(angle) / ratio, std::cos(angle));
}

// Appends piece to ring, whose end it must continue.
bool Join(std::vector<Point>& ring, const std::vector<Point>& piece)
{
    if (piece.empty())
        return true;
    if (ring.empty()) {
        ring = piece;
        return true;
    }
    if (!Meet(ring.back(), piece.front()))
        return false;
    ring.insert(ring.end(), piece.begin() + 1, piece.end());
    return true;
}

bool AllFinite(const std::vector<Point>& points)
{
    return std::all_of(points.begin(), points.end(), [](Point p) { return Finite(p); });
}

} // namespace

ExpandStopOr Placer::DrawSolid(const DxfEntity& entity, const Affine& transform)
{
    SolidRecord& s = solid_;
    if (auto bad = DecodeSolid(lines_, entity, s))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, s.common.layer))
        return std::nullopt;
    const Affine place = transform * PlanOfExtrusion(s.common.extrusion, s.elevation);
    std::vector<Point> outline = SolidOutline(s.corners[0], s.corners[1], s.corners[2],
                                              s.hasFourth ? s.corners[3] : s.corners[2]);
    for (Point& p : outline)
        p = place.Apply(p);
    if (!AllFinite(outline))
        return NotFinite(s.common.blame);
    placedArea_.rings.resize(1);
    placedArea_.rings[0].swap(outline);
    placedArea_.solid = true;
    sink_.Area(source_, placedArea_);
    ++linesWritten;
    Drawn(entity.kind);
    return std::nullopt;
}

ExpandStopOr Placer::DrawHatch(const DxfEntity& entity, const Affine& transform)
{
    HatchRecord& h = hatch_;
    if (auto bad = DecodeHatch(lines_, entity, h))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, h.common.layer))
        return std::nullopt;
    const auto leaveOut = [&](AreaFault fault, std::size_t line) {
        report_.badAreas.push_back({entity.begin + 1, line, fault});
        return std::nullopt;
    };
    if (h.fault != AreaFault::None)
        return leaveOut(h.fault, h.faultLine);
    if (h.paths.empty())
        return std::nullopt;
    const Affine place = transform * PlanOfExtrusion(h.common.extrusion, h.elevation);
    auto& rings = placedArea_.rings;
    rings.resize(h.paths.size());
    for (std::size_t i = 0; i < h.paths.size(); ++i) {
        rings[i].clear();
        if (const AreaFault fault = PlacePath(h.paths[i], place, rings[i]);
            fault != AreaFault::None)
            return leaveOut(fault, entity.begin + 1);
        if (!AllFinite(rings[i]))
            return NotFinite(h.common.blame);
    }
    placedArea_.solid = h.solid;
    sink_.Area(source_, placedArea_);
    linesWritten += rings.size();
    Drawn(entity.kind);
    return std::nullopt;
}

AreaFault Placer::PlacePath(const HatchPath& path, const Affine& place, std::vector<Point>& ring)
{
    if (path.polyline) {
        const auto& vertices = hatch_.vertices;
        const std::size_t n = path.last - path.first;
        for (std::size_t i = 0; i < n; ++i) {
            steps_.Step();
            const DxfVertex& from = vertices[path.first + i];
            const DxfVertex& to = vertices[path.first + (i + 1) % n];
            ring.push_back(place.Apply(from.p));
            const double sweep = BulgeSweepDegrees(from.bulge);
            if (from.p == to.p || std::fabs(from.bulge) < 1e-9 || !(std::fabs(sweep) < 360))
                continue;
            // The bulged side as an arc, counter-clockwise from whichever end
            // that starts at, without its two ends.
            const CircleShape circle = ArcThrough(from.p, to.p, sweep);
            const Point first = sweep > 0 ? from.p : to.p;
            const double t0 = std::atan2(first.y - circle.centre.y, first.x - circle.centre.x);
            const ConicArc arc{circle.centre,
                               {circle.radius, 0},
                               {0, circle.radius},
                               t0,
                               t0 + std::fabs(sweep) * kRadians};
            if (!FlattenPlaced(arc, place, sweep < 0))
                return AreaFault::DegenerateEdge;
            if (points_.size() > 2)
                ring.insert(ring.end(), points_.begin() + 1, points_.end() - 1);
        }
        if (ring.size() > 1 && ring.back() == ring.front())
            ring.pop_back(); // a path that repeats its first vertex
        return AreaFault::None;
    }
    for (std::size_t i = path.first; i < path.last; ++i) {
        steps_.Step();
        if (const AreaFault fault = PlaceEdge(hatch_.edges[i], place); fault != AreaFault::None)
            return fault;
        if (!Join(ring, points_))
            return AreaFault::NotClosed;
    }
    if (ring.size() > 1 && !Meet(ring.back(), ring.front()))
        return AreaFault::NotClosed;
    if (ring.size() > 1)
        ring.pop_back(); // the first corner again, or within a micrometre of it
    return AreaFault::None;
}

AreaFault Placer::PlaceEdge(const HatchEdge& edge, const Affine& place)
{
    points_.clear();
    switch (edge.type) {
    case 1:
        points_.push_back(place.Apply(edge.a));
        points_.push_back(place.Apply(edge.b));
        return AreaFault::None;
    case 2:
    case 3: {
        // A clockwise arc stores the angles of its mirror image: it runs from
        // minus the start angle to minus the end angle, so the counter-clockwise
        // arc from 360 - end to 360 - start is flattened and turned round.
        const double start = edge.ccw ? edge.start : 360 - edge.end;
        const double end = edge.ccw ? edge.end : 360 - edge.start;
        const double sweep = ArcSweepDegrees(start, end);
        const double ratio = edge.type == 2 ? 1 : edge.radius;
        const Point u = edge.type == 2 ? Point{edge.radius, 0} : edge.b;
        const Point v = ratio * Point{-u.y, u.x};
        double t0 = ParameterOfAngle(ratio, start * kRadians);
        double t1 = ParameterOfAngle(ratio, end * kRadians);
        if (sweep == 0)
            t1 = t0 + kTurn;
        while (t1 <= t0)
            t1 += kTurn;
        if (!FlattenPlaced({edge.a, u, v, t0, t1}, place, !edge.ccw))
            return AreaFault::DegenerateEdge;
        return AreaFault::None;
    }
    default: break;
    }
    const HatchSpline& s = hatch_.splines[edge.spline];
    Nurbs& spline = areaSpline_;
    if (s.curve.control.empty() && s.fit.size() >= 2) {
        points_ = s.fit;
        for (Point& p : points_)
            p = place.Apply(p);
        const auto tangent = [&place](bool given, Point t) -> std::optional<Point> {
            if (!given)
                return std::nullopt;
            return place.ApplyToVector(t);
        };
        spline = InterpolateCubic(points_, tangent(s.hasStartTangent, s.startTangent),
                                  tangent(s.hasEndTangent, s.endTangent));
    } else {
        spline = s.curve;
        for (Point& p : spline.control)
            p = place.Apply(p);
    }
    if (Validate(spline) != NurbsFault::None)
        return AreaFault::DegenerateEdge;
    points_.clear();
    const FlattenResult result =
        FlattenNurbs(spline, settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    return points_.size() < 2 ? AreaFault::DegenerateEdge : AreaFault::None;
}

bool Placer::FlattenPlaced(const ConicArc& arc, const Affine& place, bool reverse)
{
    points_.clear();
    const FlattenResult result =
        FlattenConicArc(Transformed(place, arc), settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    if (reverse)
        std::reverse(points_.begin(), points_.end());
    return points_.size() >= 2;
}

} // namespace vektrano
