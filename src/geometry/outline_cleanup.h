#pragma once

#include "point.h"

#include <optional>
#include <vector>

namespace vektrano {

// The pieces SplitFilledArea builds its polygons with, on their own so each can
// be reasoned about (and tested) alone.

// Twice the signed area of a closed ring: positive when it runs counter-clockwise.
double TwiceArea(const std::vector<Point>& ring);

// A boundary ring snapped to the grid, repeated corners and the closing corner
// dropped; empty when it has fewer than three distinct corners, all on one line,
// or a coordinate that is not finite.
std::vector<Point> CleanRing(const std::vector<Point>& ring, double grid);

// An open chain without corners closer than minFeature to the one before (its two
// ends stay) and without corners on the line through their neighbours.
std::vector<Point> CleanChain(const std::vector<Point>& chain, double minFeature);

// The same on a closed outline, across its seam too; empty when fewer than three
// corners remain.
std::vector<Point> CleanOutline(std::vector<Point> outline, double minFeature);

// Whether a lower and an upper chain, both from left to right over the same x
// range, bound a simple polygon: x never falls along either, and the lower chain
// stays more than minFeature / 2 below the upper one between the ends.
bool ChainsBoundSimplePolygon(const std::vector<Point>& lower, const std::vector<Point>& upper,
                              double minFeature);

// A cleaned ring that is already a simple polygon cut nowhere (no vertical line
// meets its outline more than twice, and it does not touch itself), as its
// counter-clockwise outline; nullopt for any other ring.
std::optional<std::vector<Point>> MonotoneOutline(const std::vector<Point>& ring,
                                                  double minFeature);

} // namespace vektrano
