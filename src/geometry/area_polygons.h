#pragma once

#include "point.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vektrano {

struct AreaPolygonOptions
{
    // Corners are first snapped to this grid (mm), far below anything Eagle can
    // resolve, so nearly vertical edges become vertical and nearly equal
    // positions equal.
    double grid = 1e-6;
    // Edges shorter and parts thinner than this (mm) are left out: Eagle rejects
    // a polygon with two corners in one place.
    double minFeature = 1e-4;
    // A bound on the sweep's steps, so a hostile area cannot stall a run; past
    // it the area gives no polygon at all.
    std::uint64_t workLimit = 100'000'000;
};

struct AreaPolygons
{
    // Simple polygons without holes, each counter-clockwise with at least three
    // distinct corners, the first corner not repeated at the end. Together they
    // fill the rings' even-odd area; they meet only along shared edges.
    std::vector<std::vector<Point>> polygons;
    // Rings left out: fewer than three distinct corners, all corners on one
    // line, or a coordinate that is not finite.
    std::vector<std::size_t> degenerateRings;
    // Rings that cross themselves; their even-odd area is in polygons.
    std::vector<std::size_t> crossingRings;
    // Pieces that could not be joined into one polygon and went out as their
    // trapezoids; for the log only.
    std::size_t brokenUp = 0;
    bool tooComplex = false; // workLimit reached: polygons is empty
};

// A filled area (the closed boundary rings of one solid HATCH, flattened, in mm;
// a ring may repeat its first corner at its end or not) as simple polygons. The
// area is cut by vertical lines through the corners where the filled region
// begins, splits, joins or ends, so holes and islands need no channel to the
// outline and a ring that crosses itself is filled by the even-odd rule like the
// rest. Time grows with the edges times the edges one vertical line meets.
AreaPolygons SplitFilledArea(const std::vector<std::vector<Point>>& rings,
                             const AreaPolygonOptions& options = {});

// A SOLID's or TRACE's outline from its corners in DXF order (10, 11, 12, 13):
// the third DXF corner is the last of the outline (1, 2, 4, 3), and a fourth
// corner equal to the third leaves a triangle. Corners that meet or cross are
// left to SplitFilledArea.
std::vector<Point> SolidOutline(Point first, Point second, Point third, Point fourth);

} // namespace vektrano
