#pragma once

#include "conic_arc.h"
#include "point.h"

#include <cstddef>
#include <vector>

namespace vektrano {

struct FlattenResult
{
    // The sagitta bound the chain keeps: the tolerance asked for unless loosened;
    // infinity when even the coarsest chain exceeded the segment limit.
    double toleranceUsed = 0;
    bool loosened = false;
};

// Appends the vertices of a chain of straight segments that stays within
// `tolerance` of the arc (every point of the arc lies within that distance of its
// segment, in the arc's units), from P(t0) to P(t1) inclusive. The step follows
// the bend: short where the ellipse curves sharply, long where it is flat. If more
// than maxSegments segments would be needed, the tolerance is loosened until they
// fit and loosened is set; a step never exceeds a quarter turn, so a full ellipse
// has at least 4 segments whatever the limit. A sweep above 2π counts as 2π.
// Appends nothing when the arc runs backwards, a value is not finite or beyond
// 1e100 in size, or the tolerance is not a positive finite number.
FlattenResult FlattenConicArc(const ConicArc& arc, double tolerance, std::size_t maxSegments,
                              std::vector<Point>& out);

} // namespace vektrano
