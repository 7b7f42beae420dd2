#include "arc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

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

void AddArcExtent(Box& box, Point start, Point end, double sweepDegrees)
{
    box.Add(start);
    box.Add(end);
    const CircleShape circle = ArcThrough(start, end, sweepDegrees);
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

} // namespace vektrano
