#include "placer.h"

#include "geometry/arc.h"
#include "geometry/flatten.h"
#include "placement.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vektrano {

namespace {

// A bulge this small bends a segment by less than a millionth of a micrometre per
// millimetre of chord: written as an arc it would only carry rounding noise.
constexpr double kStraightBulge = 1e-9;

} // namespace

Placer::Placer(const LineTable& lines, const Drawing& drawing, const ExpandSettings& settings,
               PrimitiveSink& sink, ExpansionReport& report, PausingSteps& steps)
    : lines_(lines)
    , drawing_(drawing)
    , settings_(settings)
    , sink_(sink)
    , report_(report)
    , steps_(steps)
    , codePage_(drawing.acadver != 0 ? CodePageOfVersion(lines[drawing.acadver])
                                     : DxfCodePage::Windows1252)
{}

Visibility Placer::VisibilityOf(std::string_view layer, Visibility zero)
{
    if (layer == "0")
        return zero;
    if (drawing_.layers.empty())
        return Visibility::Shown;
    layerKey_ = LayerKey(layer);
    const auto found = drawing_.layers.find(layerKey_);
    if (found == drawing_.layers.end())
        return Visibility::Shown;
    return found->second.frozen ? Visibility::Frozen
           : found->second.off  ? Visibility::Off
                                : Visibility::Shown;
}

bool Placer::Shown(DxfKind kind, std::string_view layer)
{
    source_.layer = layer == "0" ? inherited_.layer : layer;
    const bool shown = VisibilityOf(layer, inherited_.zero) == Visibility::Shown;
    sink_.Entity(source_, shown);
    if (shown || settings_.drawHiddenLayers)
        return true;
    report_.skipped.Count(kind, SkipReason::LayerOffOrFrozen);
    return false;
}

bool Placer::Boxed(DxfKind kind) const
{
    switch (kind) {
    case DxfKind::Line: return settings_.line;
    case DxfKind::Circle: return settings_.circle;
    case DxfKind::Arc: return settings_.arc;
    case DxfKind::Polyline:
    case DxfKind::LwPolyline:
    case DxfKind::Spline: return settings_.polyline;
    case DxfKind::Ellipse: return settings_.arc || settings_.circle;
    case DxfKind::Insert: return true;
    case DxfKind::Text:
    case DxfKind::MText:
    case DxfKind::Attrib:
    case DxfKind::Hatch:
    case DxfKind::Solid:
    case DxfKind::Trace: return LooksAt(kind, settings_);
    }
    return true;
}

ExpandStopOr Placer::Draw(const DxfEntity& entity, const Affine& transform,
                          const Inherited& inherited)
{
    ++report_.kinds[static_cast<std::size_t>(entity.kind)].met;
    if (!Boxed(entity.kind))
        return std::nullopt;
    inherited_ = inherited;
    source_ = {inherited.layer, entity.kind, entity.begin + 1};
    switch (entity.kind) {
    case DxfKind::Line: return DrawLine(entity, transform);
    case DxfKind::Circle:
    case DxfKind::Arc: return DrawCircleOrArc(entity, transform);
    case DxfKind::Polyline:
    case DxfKind::LwPolyline: return DrawPolyline(entity, transform);
    case DxfKind::Ellipse: return DrawEllipse(entity, transform);
    case DxfKind::Spline: return DrawSpline(entity, transform);
    case DxfKind::Text:
    case DxfKind::Attrib: return DrawText(entity, transform);
    case DxfKind::MText: return DrawMText(entity, transform);
    case DxfKind::Hatch: return DrawHatch(entity, transform);
    case DxfKind::Solid:
    case DxfKind::Trace: return DrawSolid(entity, transform);
    case DxfKind::Insert: break;
    }
    return std::nullopt;
}

ExpandStopOr Placer::DrawLine(const DxfEntity& entity, const Affine& transform)
{
    if (auto bad = DecodeLine(lines_, entity, line_))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, line_.common.layer))
        return std::nullopt;
    // A LINE's points are world coordinates whatever its extrusion.
    const Point a = transform.Apply(line_.from);
    const Point b = transform.Apply(line_.to);
    if (!Finite(a) || !Finite(b))
        return NotFinite(line_.common.blame);
    sink_.Segment(source_, a, b);
    ++linesWritten;
    Drawn(entity.kind);
    return std::nullopt;
}

ExpandStopOr Placer::DrawCircleOrArc(const DxfEntity& entity, const Affine& transform)
{
    if (auto bad = DecodeCircle(lines_, entity, circle_))
        return BadNumberAt(*bad);
    const CircleRecord& c = circle_;
    if (!Shown(entity.kind, c.common.layer))
        return std::nullopt;
    if (!(c.radius > 0)) {
        report_.skipped.Count(entity.kind, SkipReason::RadiusNotPositive);
        return std::nullopt;
    }
    const Affine place = transform * PlanOfExtrusion(c.common.extrusion, c.elevation);
    const double sweep = entity.kind == DxfKind::Arc ? ArcSweepDegrees(c.start, c.end) : 0;
    if (!place.IsSimilarity()) {
        // Scaled unevenly or seen obliquely: an ellipse, drawn as a chain.
        const double from = c.start * kRadians;
        const double turn = (sweep == 0 ? 360 : sweep) * kRadians;
        const ConicArc arc{c.centre, {c.radius, 0}, {0, c.radius}, from, from + turn};
        if (auto stop = Flatten(Transformed(place, arc), c.common.blame))
            return stop;
        Drawn(entity.kind);
        return std::nullopt;
    }
    if (sweep == 0) {
        const Point centre = place.Apply(c.centre);
        const double r = c.radius * place.LengthScale();
        if (!Finite(centre) || !std::isfinite(r) || !std::isfinite(centre.y + r))
            return NotFinite(c.common.blame);
        sink_.Circle(source_, centre, r);
    } else {
        const Point a = place.Apply(c.centre + c.radius * Direction(c.start));
        const Point b = place.Apply(c.centre + c.radius * Direction(c.end));
        if (!Finite(a) || !Finite(b))
            return NotFinite(c.common.blame);
        sink_.Arc(source_, a, b, place.Mirrors() ? -sweep : sweep);
    }
    ++linesWritten;
    Drawn(entity.kind);
    return std::nullopt;
}

ExpandStopOr Placer::DrawPolyline(const DxfEntity& entity, const Affine& transform)
{
    if (auto bad = DecodePolyline(lines_, entity, polyline_, &steps_))
        return BadNumberAt(*bad);
    const PolylineRecord& p = polyline_;
    if (!Shown(entity.kind, p.common.layer))
        return std::nullopt;
    const bool lw = entity.kind == DxfKind::LwPolyline;
    if (!lw && (p.flags & (16 | 64)) != 0) {
        report_.skipped.Count(entity.kind, SkipReason::Mesh);
        return std::nullopt;
    }
    // A 3D polyline holds world coordinates; every other one lies in its own plane.
    Affine place = transform;
    if (lw || (p.flags & 8) == 0)
        place = transform * PlanOfExtrusion(p.common.extrusion, p.elevation);
    return DrawVertices(place, (p.flags & 1) != 0, p.common.blame);
}

ExpandStopOr Placer::DrawVertices(const Affine& place, bool closed, std::size_t blame)
{
    const std::vector<DxfVertex>& vertices = polyline_.vertices;
    const std::size_t n = vertices.size();
    const std::size_t segments = n < 2 ? 0 : closed ? n : n - 1;
    bool bent = false;
    for (std::size_t i = 0; i < segments; ++i)
        bent = bent || std::fabs(vertices[i].bulge) >= kStraightBulge;
    const bool similar = !bent || place.IsSimilarity();
    const bool mirrors = place.Mirrors();
    bool wrote = false;
    for (std::size_t i = 0; i < segments; ++i) {
        steps_.Step();
        const DxfVertex& from = vertices[i];
        const DxfVertex& to = vertices[(i + 1) % n];
        if (from.p == to.p)
            continue; // draws nothing
        const Point a = place.Apply(from.p);
        const Point b = place.Apply(to.p);
        if (!Finite(a) || !Finite(b))
            return NotFinite(blame);
        if (std::fabs(from.bulge) < kStraightBulge) {
            sink_.Segment(source_, a, b);
            ++linesWritten;
        } else {
            const double sweep = BulgeSweepDegrees(from.bulge);
            // Only a bulge beyond any drawing's precision rounds to a whole turn.
            if (!(std::fabs(sweep) < 360))
                return NotFinite(from.bulgeLine);
            if (similar) {
                sink_.Arc(source_, a, b, mirrors ? -sweep : sweep);
                ++linesWritten;
            } else {
                // An elliptical arc now: walk it counter-clockwise in the polyline's
                // plane, from whichever end that starts at, and flatten its image.
                const CircleShape circle = ArcThrough(from.p, to.p, sweep);
                const Point first = sweep > 0 ? from.p : to.p;
                const double t0 = std::atan2(first.y - circle.centre.y, first.x - circle.centre.x);
                const ConicArc arc{circle.centre,
                                   {circle.radius, 0},
                                   {0, circle.radius},
                                   t0,
                                   t0 + std::fabs(sweep) * kRadians};
                if (auto stop = Flatten(Transformed(place, arc), blame, sweep < 0))
                    return stop;
            }
        }
        wrote = true;
    }
    if (wrote)
        Drawn(source_.kind);
    return std::nullopt;
}

ExpandStopOr Placer::Flatten(const ConicArc& arc, std::size_t blame, bool reverse)
{
    points_.clear();
    const FlattenResult result =
        FlattenConicArc(arc, settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    return EmitChain(blame, reverse);
}

ExpandStopOr Placer::EmitChain(std::size_t blame, bool reverse)
{
    if (points_.size() < 2)
        return NotFinite(blame); // the flatteners refuse only values beyond any drawing
    if (reverse)
        std::reverse(points_.begin(), points_.end());
    std::uint64_t segments = 0;
    for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
        if (!Finite(points_[i]) || !Finite(points_[i + 1]))
            return NotFinite(blame);
        steps_.Step();
        if (points_[i] != points_[i + 1])
            ++segments;
    }
    sink_.Chain(source_, points_);
    linesWritten += segments;
    return std::nullopt;
}

ExpandStopOr Placer::DrawEllipse(const DxfEntity& entity, const Affine& transform)
{
    if (auto bad = DecodeEllipse(lines_, entity, ellipse_))
        return BadNumberAt(*bad);
    const EllipseRecord& e = ellipse_;
    if (!Shown(entity.kind, e.common.layer))
        return std::nullopt;
    // Above 1 the minor axis is the longer one: the same form still draws it.
    if (!(e.ratio > 0)) {
        report_.skipped.Count(entity.kind, SkipReason::RatioNotPositive);
        return std::nullopt;
    }
    const ConicArc arc = Transformed(
        transform, EllipseArc(e.centre, e.major, e.ratio, e.start, e.end, e.common.extrusion));
    const bool full = arc.t1 - arc.t0 >= 2 * std::numbers::pi - 1e-9;
    // A full ellipse counts under CIRCLE, an elliptical arc under ARC.
    if (!(full ? settings_.circle : settings_.arc))
        return std::nullopt;
    if (const auto circle = AsCircular(arc)) {
        if (!Finite(circle->center) || !std::isfinite(circle->center.y + circle->radius) ||
            !Finite(circle->start) || !Finite(circle->end))
            return NotFinite(e.common.blame);
        if (circle->full)
            sink_.Circle(source_, circle->center, circle->radius);
        else
            sink_.Arc(source_, circle->start, circle->end, circle->sweepDegrees);
        ++linesWritten;
    } else if (auto stop = Flatten(arc, e.common.blame)) {
        return stop;
    }
    Drawn(entity.kind);
    return std::nullopt;
}

ExpandStopOr Placer::DrawSpline(const DxfEntity& entity, const Affine& transform)
{
    SplineRecord& s = spline_;
    if (auto bad = DecodeSpline(lines_, entity, s))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, s.common.layer))
        return std::nullopt;
    // The record's lists become the curve's; the buffers trade places and both
    // stay for the next SPLINE.
    Nurbs& spline = nurbs_;
    std::swap(spline.knots, s.knots);
    std::swap(spline.control, s.control);
    std::swap(spline.weights, s.weights);
    // Control points, fit points and tangents are world coordinates; a NURBS curve
    // follows any affine map of its control points exactly.
    if (spline.control.empty() && s.fit.size() >= 2) {
        for (Point& p : s.fit)
            p = transform.Apply(p);
        const auto tangent = [&transform](bool given, Point t) -> std::optional<Point> {
            if (!given)
                return std::nullopt;
            return transform.ApplyToVector(t);
        };
        spline = InterpolateCubic(s.fit, tangent(s.hasStartTangent, s.startTangent),
                                  tangent(s.hasEndTangent, s.endTangent));
    } else {
        spline.degree = std::fabs(s.degree) < 1e6 ? static_cast<int>(s.degree) : 0;
        const int bits = std::fabs(s.flags) < 1e9 ? static_cast<int>(s.flags) : 0;
        spline.closed = (bits & 1) != 0;
        spline.periodic = (bits & 2) != 0;
        spline.rational = (bits & 4) != 0;
        for (Point& p : spline.control)
            p = transform.Apply(p);
    }
    if (const NurbsFault fault = Validate(spline); fault != NurbsFault::None) {
        report_.badSplines.push_back({entity.begin + 1, fault});
        return std::nullopt;
    }
    points_.clear();
    const FlattenResult result =
        FlattenNurbs(spline, settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    if (auto stop = EmitChain(entity.begin + 1, false))
        return stop;
    Drawn(entity.kind);
    return std::nullopt;
}

} // namespace vektrano
