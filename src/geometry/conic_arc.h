#pragma once

#include "affine.h"
#include "ocs.h"
#include "point.h"

#include <optional>

namespace vektrano {

// An ellipse or elliptical arc as any affine map leaves it:
// P(t) = center + u·cos t + v·sin t for t from t0 to t1, t0 < t1 <= t0 + 2π.
// u and v need be neither perpendicular nor equally long, so the image of an arc
// under any Affine is again exactly such an arc. Cross(u, v) > 0 runs
// counter-clockwise as t grows, < 0 clockwise (what a mirror leaves).
struct ConicArc
{
    Point center;
    Point u;
    Point v;
    double t0 = 0;
    double t1 = 0;
};

// Exact for every map: the centre moves as a point, u and v as vectors, the
// parameters stay.
ConicArc Transformed(const Affine& map, const ConicArc& arc);

Point PointAt(const ConicArc& arc, double t);

// A DXF ELLIPSE: centre, major-axis end relative to the centre, ratio of minor to
// major axis, start and end parameter in radians. v is the major axis turned a
// quarter counter-clockwise and scaled by ratio; the arc runs counter-clockwise
// from start to end. End parameters equal to the start modulo 2π (within 1e-9)
// give the full ellipse, as an ARC whose sweep is 0 is a full circle; so does
// 0 … 2π written with rounding. Nothing is checked: non-finite input gives an arc
// that AsCircular and FlattenConicArc refuse.
ConicArc EllipseArc(Point center, Point majorAxis, double ratio, double start, double end);

// The same for an ELLIPSE as the file stores it: centre and major axis are world
// points (not in the entity's own plane), the extrusion only tells which way the
// minor axis turns: ratio · |major| along extrusion × major. The result is the
// ellipse seen from above (z dropped), so a tilted one arrives foreshortened and
// one of extrusion (0, 0, -1) runs clockwise. An unusable extrusion counts as
// (0, 0, 1); a major axis along the extrusion leaves the minor axis 0.
ConicArc EllipseArc(Vector3 center, Vector3 majorAxis, double ratio, double start, double end,
                    Vector3 extrusion);

// A circular arc in the form one script arc or circle takes. sweepDegrees is
// signed (positive counter-clockwise) with |sweepDegrees| <= 360; full marks a
// whole circle, whose start and end are then the same point.
struct CircularArc
{
    Point center;
    double radius = 0;
    Point start;
    Point end;
    double sweepDegrees = 0;
    bool full = false;
};

// The arc as a circle, when u ⟂ v and |u| == |v| within relTol (relative to the
// longer axis); nullopt when it is not circular, has radius 0, runs backwards
// (t1 <= t0) or holds a non-finite value. A sweep above 2π counts as 2π; one
// within relTol of 2π is full.
std::optional<CircularArc> AsCircular(const ConicArc& arc, double relTol = 1e-9);

} // namespace vektrano
