#pragma once

#include "flatten.h"
#include "point.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace vektrano {

// A planar NURBS curve in the form a DXF SPLINE stores it. The curve runs over
// the parameter domain [knots[degree], knots[control.size()]]; closed and periodic
// only describe the data (a closed periodic spline repeats its first `degree`
// control points at the end over uniform knots, which closes it smoothly) and
// change nothing in the evaluation.
struct Nurbs
{
    int degree = 3;
    std::vector<double> knots;
    std::vector<Point> control;  // already in world XY (the caller maps them)
    std::vector<double> weights; // empty: all 1; used whenever present
    bool closed = false;
    bool periodic = false;
    bool rational = false;
};

enum class NurbsFault {
    None,
    DegreeOutOfRange,    // degree below 1 or above 10
    TooFewControlPoints, // fewer than degree + 1
    KnotCountWrong,      // not control + degree + 1
    KnotsDecreasing,
    WeightNotPositive,
    WeightCountWrong, // weights present but not one per control point
    NotFinite,        // a NaN or infinity, or a value beyond 1e100 whose arithmetic overflows
    EmptyDomain,      // knots[degree] == knots[control.size()]: the curve has no extent
};

// The first fault found, in the order of the enumeration; linear in the size.
NurbsFault Validate(const Nurbs& spline);

// The point at parameter u (clamped to the domain), by de Boor's algorithm in
// homogeneous coordinates. The spline must pass Validate; for one of the wrong
// shape the result is NaN (never an access out of bounds). O(degree² + log knots).
Point Evaluate(const Nurbs& spline, double u);

// As FlattenConicArc, for a spline that passes Validate (otherwise nothing is
// appended): from the start of the domain to its end inclusive, adaptively; the
// bound rests on the convex hull of each piece's Bézier points, so it holds for
// rational splines too. Degree 1 gives the control polygon. The coarsest chain
// has one segment per non-empty knot span. A knot of full multiplicity inside
// the domain (a break in the curve) is bridged by a straight segment.
FlattenResult FlattenNurbs(const Nurbs& spline, double tolerance, std::size_t maxSegments,
                           std::vector<Point>& out);

// A cubic through the fit points, in its NURBS form: chord-length parameters
// (the parameter is the length of the fit polygon up to each point), a knot at
// every inner fit point, C² throughout. An end tangent, when given (any length,
// only its direction counts), fixes the direction there with the speed of the
// chord-length parameter; a missing or zero one leaves that end natural (no
// curvature). Repeated consecutive fit points count once. Fewer than two
// distinct or a non-finite fit point give a spline without control points, which
// Validate rejects.
Nurbs InterpolateCubic(std::span<const Point> fit, std::optional<Point> startTangent,
                       std::optional<Point> endTangent);

} // namespace vektrano
