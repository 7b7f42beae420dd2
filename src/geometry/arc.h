#pragma once

#include "point.h"

#include <optional>

namespace vektrano {

// The sweep in degrees of a polyline segment with bulge b: the tangent of a
// quarter of the sweep, signed counter-clockwise.
double BulgeSweepDegrees(double bulge);

// The counter-clockwise sweep from start to end angle in degrees, both read as
// given: (end - start) mod 360 in [0, 360), where 0 means the whole turn.
double ArcSweepDegrees(double startDegrees, double endDegrees);

struct CircleShape
{
    Point centre;
    double radius = 0;
};

// The circle an arc from start to end with the given signed sweep (degrees,
// 0 < |sweep| < 360) lies on.
CircleShape ArcThrough(Point start, Point end, double sweepDegrees);

// The same circle for ends and a sweep read from outside (a script, a drawing),
// or nothing when they make no arc: ends that coincide, a sweep of 0 or of a
// whole turn or more, or a circle beyond a double's range.
std::optional<CircleShape> ArcThroughChecked(Point start, Point end, double sweepDegrees);

// The arc of radius |radius| from start to end that turns at most a half turn,
// counter-clockwise for a positive radius, with its signed sweep in degrees; nothing
// when the chord is longer than the diameter or either is zero.
struct RadiusArcShape
{
    CircleShape circle;
    double sweepDegrees = 0;
};
std::optional<RadiusArcShape> ArcThroughRadius(Point start, Point end, double radius);

// The angle of p seen from centre, in degrees in [-180, 180].
double AngleDegrees(Point centre, Point p);

// The smallest axis-parallel box around what was added.
struct Box
{
    Point min{1, 1};
    Point max{0, 0}; // empty while min.x > max.x
    bool Empty() const { return min.x > max.x; }
    void Add(Point p);
    void Unite(const Box& other);
};

// Adds the arc's true extent: its ends and each quadrant point it passes.
void AddArcExtent(Box& box, Point start, Point end, double sweepDegrees);
// The same on a circle already known, so a caller that found it another way
// (from a radius) gets the box of that very circle.
void AddArcExtent(Box& box, const CircleShape& circle, Point start, Point end, double sweepDegrees);
void AddCircleExtent(Box& box, const CircleShape& circle);

} // namespace vektrano
