#include "arc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

Point LeftUnit(Point chord, double length) { return {-chord.y / length, chord.x / length}; }

} // namespace

double BulgeSweepDegrees(double bulge) { return 4 * std::atan(bulge) * kDegrees; }

double ArcSweepDegrees(double startDegrees, double endDegrees)
{
    double sweep = std::fmod(endDegrees - startDegrees, 360.0);
    if (sweep < 0)
        sweep += 360;
    // fmod of a value just below a multiple of 360 can round up to 360 itself.
    return sweep >= 360 ? 0 : sweep;
}

CircleShape ArcThrough(Point start, Point end, double sweepDegrees)
{
    const Point chord = end - start;
    const Point middle = start + 0.5 * chord;
    const Point left{-chord.y, chord.x};
    const double half = sweepDegrees / 2 / kDegrees;
    // cot(sweep / 2) puts the centre left of the chord for a counter-clockwise
    // arc under a half turn, right of it beyond, and mirrored for clockwise arcs.
    const Point centre = middle + (0.5 * std::cos(half) / std::sin(half)) * left;
    const double radius = std::hypot(start.x - centre.x, start.y - centre.y);
    return {centre, radius};
}

std::optional<CircleShape> ArcThroughChecked(Point start, Point end, double sweepDegrees)
{
    const Point chord = end - start;
    if (!(std::fabs(sweepDegrees) < 360) || sweepDegrees == 0 || (chord.x == 0 && chord.y == 0))
        return std::nullopt;
    const CircleShape circle = ArcThrough(start, end, sweepDegrees);
    if (!std::isfinite(circle.centre.x) || !std::isfinite(circle.centre.y) ||
        !std::isfinite(circle.radius))
        return std::nullopt;
    return circle;
}

std::optional<RadiusArcShape> ArcThroughRadius(Point start, Point end, double radius)
{
    const Point chord = end - start;
    const double length = std::hypot(chord.x, chord.y);
    const double r = std::fabs(radius);
    if (length == 0 || r == 0 || !std::isfinite(length))
        return std::nullopt;
    // Written points carry rounding in their last digits, so a chord a hair
    // longer than the diameter still gives the half circle it was meant to.
    double ratio = length / (2 * r);
    if (ratio > 1 + 1e-9)
        return std::nullopt;
    ratio = std::min(ratio, 1.0);
    const double turn = radius > 0 ? 1 : -1;
    const double offset = r * std::sqrt(1 - ratio * ratio) * turn;
    const double sweep = 2 * std::asin(ratio) / kRadiansPerDegree * turn;
    return RadiusArcShape{{0.5 * (start + end) + offset * LeftUnit(chord, length), r}, sweep};
}

double AngleDegrees(Point centre, Point p)
{
    return std::atan2(p.y - centre.y, p.x - centre.x) / kRadiansPerDegree;
}

void Box::Add(Point p)
{
    if (Empty()) {
        min = max = p;
        return;
    }
    min.x = std::min(min.x, p.x);
    min.y = std::min(min.y, p.y);
    max.x = std::max(max.x, p.x);
    max.y = std::max(max.y, p.y);
}

void Box::Unite(const Box& other)
{
    if (!other.Empty()) {
        Add(other.min);
        Add(other.max);
    }
}

void AddArcExtent(Box& box, Point start, Point end, double sweepDegrees)
{
    AddArcExtent(box, ArcThrough(start, end, sweepDegrees), start, end, sweepDegrees);
}

void AddArcExtent(Box& box, const CircleShape& circle, Point start, Point end, double sweepDegrees)
{
    box.Add(start);
    box.Add(end);
    // Walk counter-clockwise from the arc's first end in angle.
    const Point from = sweepDegrees >= 0 ? start : end;
    double first = std::atan2(from.y - circle.centre.y, from.x - circle.centre.x) * kDegrees;
    if (first < 0)
        first += 360;
    const double sweep = std::fabs(sweepDegrees);
    const Point axes[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (int quadrant = 0; quadrant < 8; ++quadrant) {
        const double angle = 90.0 * quadrant;
        if (angle > first && angle < first + sweep)
            box.Add(circle.centre + circle.radius * axes[quadrant % 4]);
    }
}

void AddCircleExtent(Box& box, const CircleShape& circle)
{
    const Point corner{circle.radius, circle.radius};
    box.Add(circle.centre - corner);
    box.Add(circle.centre + corner);
}

} // namespace vektrano
