#pragma once

#include "point.h"

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

// The smallest axis-parallel box around what was added.
struct Box
{
    Point min{1, 1};
    Point max{0, 0}; // empty while min.x > max.x
    bool Empty() const { return min.x > max.x; }
    void Add(Point p);
};

// Adds the arc's true extent: its ends and each quadrant point it passes.
void AddArcExtent(Box& box, Point start, Point end, double sweepDegrees);

} // namespace vektrano
