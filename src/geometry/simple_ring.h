#pragma once

#include "point.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vektrano {

// Whether a closed ring (the first corner not repeated at the end) keeps every
// two edges that are not neighbours at least clearance apart, and each pair of
// neighbours clear of the other's far corner, so the ring neither crosses nor
// touches itself, not even after Eagle rounds its corners. Edges are bucketed in
// a uniform grid over the ring's box and only edges sharing a cell are compared,
// so a ring of ordinary edges costs time in proportion to its corners. Past
// workLimit compared pairs the answer is false: the caller takes the slow road.
bool RingKeepsClear(std::span<const Point> ring, double clearance, std::uint64_t workLimit);

// A cleaned ring (see CleanRing) that is already a simple polygon, as its
// counter-clockwise outline without corners closer than minFeature or on a line
// with their neighbours; nullopt when it crosses or touches itself, encloses
// nothing, or the check ran out of work.
std::optional<std::vector<Point>> SimpleOutline(const std::vector<Point>& ring, double minFeature);

} // namespace vektrano
