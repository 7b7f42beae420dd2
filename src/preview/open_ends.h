#pragma once

#include "script_picture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vektrano {

// The preview cannot tell which layers hold board contours; on Eagle's
// Dimension and Milling layers every wire is part of one.
constexpr std::uint8_t kContourLayers[] = {20, 46};

// A drawing of a million loose lines on layer 20 is no board outline; its
// first so many open ends are enough to ring, and keep its memory bounded.
constexpr std::size_t kMaxOpenEndsListed = 100'000;

// The ends of wires and arcs on the contour layers that no other end on the same
// layer meets: first layer 20's, then 46's, each in the order of the shapes.
// Ends meet when they lie within 1e-9 of the layer's largest coordinate (at least
// 1e-9 mm) of each other in x and in y; the writer gives welded ends the same
// text, so only rounding separates them. Appends the first kMaxOpenEndsListed to
// ends and returns how many there are. Linear in the number of shapes.
std::size_t FindOpenEnds(const std::vector<Shape>& shapes, std::vector<OpenEnd>& ends);

} // namespace vektrano
